"""The proxy Windows names, end to end: tavrin-fetch asks the Wine prefix's
internet options (a fixed proxy, a PAC script, a proxy that wants
credentials) and downloads through squid from an address that only squid
can resolve. Every download is checked byte for byte."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from fault_server import FaultServer  # noqa: E402
from http_test import ERROR, INFO, MiB, SENT, STARTED, Files  # noqa: E402
from peers import Squid, fetch, internet_options, windows_path  # noqa: E402

NAME = "update.tavrin.invalid"  # ".invalid" never resolves: only squid knows it
HOSTS = f"127.0.0.1 {NAME}\n"
PAC = """function FindProxyForURL(url, host) {
    if (dnsDomainIs(host, ".tavrin.invalid")) return "PROXY 127.0.0.1:%d";
    return "DIRECT";
}
"""


class SystemProxy(Files, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.serve("small.bin", 100000)
        cls.serve("f16m.bin", 16 * MiB)
        cls.server = FaultServer(cls.served).__enter__()
        cls.squid = Squid(HOSTS).__enter__()
        cls.guarded = Squid(HOSTS, credentials="tavrin:se:cret").__enter__()
        with open(os.path.join(cls.served, "proxy.pac"), "w") as f:
            f.write(PAC % cls.squid.port)

    @classmethod
    def tearDownClass(cls):
        internet_options()
        cls.guarded.__exit__(None, None, None)
        cls.squid.__exit__(None, None, None)
        cls.server.__exit__(None, None, None)
        super().tearDownClass()

    def tearDown(self):
        internet_options()

    def url(self, path):
        return f"http://{NAME}:{self.server.port}{path}"

    def assertThroughProxy(self, result, proxy):
        self.assertIn(f"正在连接代理服务器 [127.0.0.1:{proxy.port}]", result.texts(INFO))
        self.assertTrue(result.texts(SENT)[0].startswith(f"GET {self.url('/')}"), result.texts(SENT)[0])

    def test_a_fixed_proxy_and_its_bypass_list(self):
        internet_options(proxy=f"127.0.0.1:{self.squid.port}", bypass="<local>;*.example")
        for name, connections in (("small.bin", 1), ("f16m.bin", 4)):
            with self.subTest(name=name, connections=connections):
                saved = self.target(f"fixed{connections}.bin")
                result = fetch(self.url(f"/file/{name}"), windows_path(saved), "--connections", connections,
                               "--system-proxy", "yes")
                self.assertSaved(result, name, saved)
                self.assertThroughProxy(result, self.squid)
                if connections == 4:
                    self.assertEqual(result.codes().count(STARTED), 4)
        # An address the bypass list names goes direct, and does not resolve here.
        internet_options(proxy=f"127.0.0.1:{self.squid.port}", bypass="*.tavrin.invalid")
        result = fetch(self.url("/file/small.bin"), windows_path(self.target("bypassed.bin")), "--system-proxy", "yes",
                       "--stop-after", 3000)
        self.assertEqual(result.code, 1)
        self.assertIn(f"解析域名 [{NAME}]出错", result.texts(ERROR))
        self.assertFalse(any("代理服务器" in t for t in result.texts(INFO)))

    def test_a_pac_script(self):
        internet_options(pac_url=self.server.url("/file/proxy.pac"))
        saved = self.target("pac.bin")
        result = fetch(self.url("/file/f16m.bin"), windows_path(saved), "--connections", 4, "--system-proxy", "yes")
        self.assertSaved(result, "f16m.bin", saved)
        self.assertThroughProxy(result, self.squid)
        # What the script sends DIRECT goes without the proxy.
        saved = self.target("direct.bin")
        result = fetch(self.server.url("/file/small.bin"), windows_path(saved), "--system-proxy", "yes")
        self.assertSaved(result, "small.bin", saved)
        self.assertTrue(result.texts(SENT)[0].startswith("GET /file/small.bin HTTP/1.1"))

    def test_a_proxy_that_asks_for_credentials(self):
        port = self.guarded.port
        internet_options(proxy=f"tavrin:se:cret@127.0.0.1:{port}")
        saved = self.target("credentials.bin")
        result = fetch(self.url("/file/f16m.bin"), windows_path(saved), "--connections", 4, "--system-proxy", "yes")
        self.assertSaved(result, "f16m.bin", saved)
        # Sent to the proxy, and never shown: Base64 hides nothing.
        self.assertIn("Proxy-Authorization: Basic ******", result.texts(SENT)[0])
        self.assertFalse(any("se:cret" in t or "dGF2cmluOnNlOmNyZXQ" in t for t in result.texts()))
        # Without credentials, or with wrong ones: a final failure naming the proxy.
        for proxy in (f"127.0.0.1:{port}", f"tavrin:wrong@127.0.0.1:{port}"):
            with self.subTest(proxy=proxy):
                internet_options(proxy=proxy)
                result = fetch(self.url("/file/small.bin"), windows_path(self.target("refused.bin")),
                               "--system-proxy", "yes")
                self.assertEqual(result.code, 1)
                self.assertIn(f"代理服务器 [127.0.0.1:{port}] 要求身份验证", result.texts(ERROR))
                self.assertNotIn("等待5秒后重试", result.texts(INFO))
                self.assertFalse(any("wrong" in t for t in result.texts()))


if __name__ == "__main__":
    unittest.main(verbosity=2)
