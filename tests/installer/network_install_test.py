#!/usr/bin/env python3
"""The installer on networks as they are. Behind the proxy Windows names: the
client's address resolves only in squid, so only an installation through
the proxy that the Wine prefix's internet options name (fixed, or by a PAC
script) can work; a proxy that asks for credentials the setting does not
carry ends the installation as a failed download. Over a slow link that
breaks: the installation completes with the client whole."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "download"))
from flow_test import FlowCase  # noqa: E402
from peers import Squid, internet_options  # noqa: E402
from wan_relay import WanRelay  # noqa: E402

NAME = "update.tavrin.invalid"  # ".invalid" never resolves on this machine
PAC = """function FindProxyForURL(url, host) {
    if (host == "%s") return "PROXY 127.0.0.1:%d";
    return "DIRECT";
}
"""


class ThroughTheSystemProxy(FlowCase):
    def setUp(self):
        super().setUp()
        self.addCleanup(internet_options)

    def proxied_url(self):
        return f"http://{NAME}:{self.server.port}/file/tavrin.exe"

    def proxied_requests(self):
        return [h for p, h in self.server.requests if p == "/file/tavrin.exe" and "squid" in h]

    def test_a_fixed_proxy_and_a_pac_script(self):
        with Squid(f"127.0.0.1 {NAME}\n") as squid:
            with open(os.path.join(self.served, "proxy.pac"), "w") as f:
                f.write(PAC % (NAME, squid.port))
            for setting in ({"proxy": f"127.0.0.1:{squid.port}"}, {"pac_url": self.server.url("/file/proxy.pac")}):
                with self.subTest(setting=setting):
                    self.tearDown()
                    self.setUp()
                    internet_options(**setting)
                    before = len(self.proxied_requests())
                    run = self.install(url=self.proxied_url())
                    self.assert_installed(run=run)
                    self.assertEqual(len(self.proxied_requests()) - before, 1)  # Via: ... (squid/...)

    def test_a_proxy_that_asks_for_credentials_it_was_not_given(self):
        with Squid(f"127.0.0.1 {NAME}\n", credentials="tavrin:secret") as squid:
            internet_options(proxy=f"127.0.0.1:{squid.port}")
            before = len(self.proxied_requests())
            run = self.install_until_it_fails(self.proxied_url(), settle=0)
            self.assert_nothing_installed_and_close(run)
            self.assertEqual(len(self.proxied_requests()), before)  # squid let nothing through


class OverABrokenSlowLink(FlowCase):
    def test_a_link_with_delay_a_cap_and_a_cut(self):
        with WanRelay(self.server.port, delay_ms=150, rate=400_000, cuts=1, cut_between=(200 << 10, 400 << 10)) as relay:
            run = self.install(url=relay.url("/file/tavrin.exe"))
            self.assert_installed(run=run)
            self.assertEqual(relay.cuts, 1)
            ranged = [h for p, h in self.server.requests if p == "/file/tavrin.exe" and "Range: bytes=" in h]
            self.assertEqual(len(ranged), 1)  # resumed where the cut left it


if __name__ == "__main__":
    unittest.main(verbosity=2)
