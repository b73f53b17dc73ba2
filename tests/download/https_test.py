"""HTTPS end to end: tavrin-fetch under Wine against nginx, the fault server
and a relay, all on 127.0.0.1, with certificates of the test's own authority.
The authority is trusted inside the Wine prefix of this run only."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from certificates import make_test_certificates, trust_in_wine_prefix  # noqa: E402
from fault_server import FaultServer  # noqa: E402
from http_test import ERROR, INFO, MiB, SENT, STARTED, Files  # noqa: E402
from peers import Nginx, Tinyproxy, fetch, windows_path, wine  # noqa: E402
from tls_relay import TlsRelay  # noqa: E402

RETRY = "等待5秒后重试"
SIZES = (1, 4095, 100000, 64 * MiB)


class Https(Files, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.certificates = tempfile.mkdtemp(prefix="tavrin-certificates-")
        cls.paths = make_test_certificates(cls.certificates)
        trust_in_wine_prefix(cls.paths["authority"])
        for size in SIZES:
            cls.serve(f"f{size}.bin", size)
        servers = {name: cls.paths[name] for name in ("good", "other_host", "expired", "untrusted", "impostor")}
        cls.nginx = Nginx(cls.served, tls=servers).__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.nginx.__exit__(None, None, None)
        shutil.rmtree(cls.certificates, ignore_errors=True)
        super().tearDownClass()

    def test_sizes_and_connection_counts(self):
        for size in SIZES:
            for connections in (1, 4):
                with self.subTest(size=size, connections=connections):
                    name = f"f{size}.bin"
                    saved = self.target(f"s{connections}-{name}")
                    result = fetch(self.nginx.url("/" + name, tls="good"), windows_path(saved), "--connections",
                                   connections)
                    self.assertSaved(result, name, saved)
                    # Every request goes over a connection and handshake of its own.
                    handshakes = result.texts(INFO).count("安全连接 [localhost]成功")
                    requests = [t for t in result.texts(SENT) if t.startswith("GET ")]
                    self.assertEqual(handshakes, len(requests))
                    if size == 64 * MiB:
                        self.assertEqual(result.codes().count(STARTED), connections)
                    # The request itself went through TLS in the direct form.
                    self.assertTrue(result.texts(SENT)[0].startswith(f"GET /{name} HTTP/1.1"))

    def test_a_plain_address_that_redirects_to_https(self):
        saved = self.target("upgraded.bin")
        result = fetch(self.nginx.url("/to-https/f100000.bin"), windows_path(saved), "--connections", 4)
        self.assertSaved(result, "f100000.bin", saved)
        self.assertIn(f"重定向到 [{self.nginx.url('/f100000.bin', tls='good')}]", result.texts(ERROR))
        self.assertIn("安全连接 [localhost]成功", result.texts(INFO))

    def test_through_a_connect_proxy(self):
        with Tinyproxy() as proxy:
            for connections in (1, 4):
                with self.subTest(connections=connections):
                    name = "f100000.bin" if connections == 1 else f"f{64 * MiB}.bin"
                    saved = self.target(f"proxied{connections}.bin")
                    result = fetch(self.nginx.url("/" + name, tls="good"), windows_path(saved), "--connections",
                                   connections, "--proxy", f"127.0.0.1:{proxy.port}")
                    self.assertSaved(result, name, saved)
                    sent = result.texts(SENT)
                    port = self.nginx.tls_ports["good"]
                    self.assertTrue(sent[0].startswith(f"CONNECT localhost:{port} HTTP/1.1"), sent[0])
                    tunnels = [t for t in sent if t.startswith("CONNECT ")]
                    self.assertEqual(len(tunnels), result.codes().count(STARTED))
                    self.assertIn(f"正在连接代理服务器 [127.0.0.1:{proxy.port}]", result.texts(INFO))

    def test_certificates_the_system_refuses(self):
        for server, message in (("other_host", "服务器证书不属于 [localhost]"),
                                ("expired", "服务器证书已过期或尚未生效"),
                                ("untrusted", "服务器证书不受信任"),
                                ("impostor", "服务器证书不受信任")):
            with self.subTest(server=server):
                saved = self.target(f"refused-{server}.bin")
                result = fetch(self.nginx.url("/f100000.bin", tls=server), windows_path(saved))
                self.assertEqual(result.code, 1)
                self.assertIn(message, result.texts(ERROR))
                self.assertNotIn(RETRY, result.texts(INFO))  # final: the same certificate would come again
                self.assertFalse([t for t in result.texts(SENT) if t.startswith("GET ")])
                self.assertFalse(os.path.exists(saved))

    def test_tls_1_2_is_asked_for_by_name_on_windows_7(self):
        # Windows 7 keeps TLS 1.2 off for a client that does not name it (and
        # has no TLS 1.3). Wine reports Windows 7 to tavrin-fetch and reads
        # the same protocol settings as Windows.
        protocols = r"HKLM\System\CurrentControlSet\Control\SecurityProviders\SCHANNEL\Protocols"
        settings = [(rf"{protocols}\{version}\Client", "DisabledByDefault", "REG_DWORD", "1")
                    for version in ("TLS 1.2", "TLS 1.3")]
        settings.append((r"HKCU\Software\Wine\AppDefaults\tavrin-fetch.exe", "Version", "REG_SZ", "win7"))
        try:
            for key, name, kind, value in settings:
                subprocess.run([wine(), "reg", "add", key, "/v", name, "/t", kind, "/d", value, "/f"], check=True,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            with Nginx(self.served, tls={"good": self.paths["good"]}, tls_protocols="TLSv1.2") as nginx:
                saved = self.target("tls12.bin")
                result = fetch(nginx.url("/f100000.bin", tls="good"), windows_path(saved), "--connections", 2)
                self.assertSaved(result, "f100000.bin", saved)
        finally:
            for key, _, _, _ in settings:
                subprocess.run([wine(), "reg", "delete", key, "/f"], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)

    def test_resume_after_a_close_notify_in_the_middle_of_the_file(self):
        with FaultServer(self.served, tls=self.paths["good"]) as server:
            name = f"f{64 * MiB}.bin"
            saved = self.target("resumed.bin")
            result = fetch(server.url(f"/drop/{5 * MiB}/1/{name}"), windows_path(saved))
            self.assertSaved(result, name, saved)
            self.assertIn("有错误发生", result.texts(ERROR))  # the server closed before the end
            ranges = [h for h in server.headers_of("/drop/") if "Range:" in h]
            self.assertEqual(len(ranges), 1)
            self.assertIn(f"Range: bytes={5 * MiB}-", ranges[0])

    def test_records_in_pieces_and_a_cut_through_a_record(self):
        with FaultServer(self.served, tls=self.paths["good"]) as server:
            with TlsRelay(server.port, piece=5, piece_bytes=40000) as relay:
                saved = self.target("pieces.bin")
                result = fetch(relay.url("/file/f100000.bin"), windows_path(saved))
                self.assertSaved(result, "f100000.bin", saved)
                self.assertNotIn(RETRY, result.texts(INFO))
            with TlsRelay(server.port, cut_after=3 * MiB) as relay:
                name = f"f{64 * MiB}.bin"
                saved = self.target("cut.bin")
                result = fetch(relay.url(f"/file/{name}"), windows_path(saved))
                self.assertSaved(result, name, saved)
                self.assertEqual(len(relay.cut_records), 1)
                self.assertIn("接收数据错误", result.texts(ERROR))  # what the cut record held never came
                self.assertEqual(result.texts(INFO).count(RETRY), 1)

    def test_an_altered_record_is_never_written(self):
        """A record that fails its check after others decrypted in the same
        receive: those before it are kept, it is not, and the rest is asked
        for again from where the good data ended."""
        with FaultServer(self.served, tls=self.paths["good"]) as server:
            with TlsRelay(server.port, cut_after=3 * MiB, tamper=True) as relay:
                name = f"f{64 * MiB}.bin"
                saved = self.target("altered.bin")
                result = fetch(relay.url(f"/file/{name}"), windows_path(saved))
                self.assertSaved(result, name, saved)
                self.assertEqual(len(relay.cut_records), 1)
                self.assertIn("接收数据错误", result.texts(ERROR))
                self.assertEqual(result.texts(INFO).count(RETRY), 1)
                ranges = [h for h in server.headers_of("/file/") if "Range:" in h]
                self.assertEqual(len(ranges), 1)
                resumed = int(re.search(r"Range: bytes=(\d+)-", ranges[0]).group(1))
                # The altered record began past 3 MiB of the stream (with
                # its headers); the data before it arrived whole.
                self.assertGreater(resumed, 3 * MiB - 64 * 1024)
                self.assertLess(resumed, 3 * MiB + 64 * 1024)


if __name__ == "__main__":
    unittest.main(verbosity=2)
