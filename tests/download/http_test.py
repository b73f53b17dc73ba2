"""The download engine end to end: tavrin-fetch under Wine against nginx,
tinyproxy and the project's fault-injecting server, all on 127.0.0.1. Every
download is checked byte for byte against the served file."""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from fault_server import FaultServer  # noqa: E402
from peers import Haproxy, Nginx, Tinyproxy, fetch, make_file, sha256, windows_path, wine  # noqa: E402
from wan_relay import WanRelay  # noqa: E402

INFO, SENT, RECEIVED, ERROR = 0, 1, 2, 3
TASK_FINISHED, SIZE_KNOWN, STARTED, SEGMENT_STARTED, SEGMENT_CONTINUED, ENDED, FAILED, DATA = 4, 3, 5, 6, 7, 8, 9, 16
MiB = 1 << 20
REFUSED_RANGE = "服务器没有按请求的位置返回数据"
WHOLE_AGAIN = "服务器不支持分段下载, 改为单连接从头下载整个文件"


class Files:
    """Served files and a folder for the saved ones."""

    @classmethod
    def setUpClass(cls):
        cls.served = tempfile.mkdtemp(prefix="tavrin-served-")
        cls.saved = tempfile.mkdtemp(prefix="tavrin-saved-")
        cls.sizes = {}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.served, ignore_errors=True)
        shutil.rmtree(cls.saved, ignore_errors=True)

    @classmethod
    def serve(cls, name, size):
        if name not in cls.sizes:
            make_file(cls.served, name, size)
            cls.sizes[name] = size
        return name

    def target(self, name):
        path = os.path.join(self.saved, name)
        if os.path.exists(path):
            os.remove(path)
        return path

    def assertSaved(self, result, served_name, saved_path):
        self.assertEqual(result.code, 0, "\n".join(result.lines[-30:]))
        self.assertEqual(sha256(saved_path), sha256(os.path.join(self.served, served_name)))
        size = self.sizes[served_name]
        self.assertEqual(result.events[-1], (TASK_FINISHED, 0, size, 0))
        self.assertIn((SIZE_KNOWN, 1, size, 0), result.events)
        self.assertEqual(result.codes().count(SIZE_KNOWN), 1)


class NginxTransfers(Files, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        for size in (1, 4095, 4096, 20479, 20480, 100000, 64 * MiB):
            cls.serve(f"f{size}.bin", size)
        cls.serve("moved-target", 30000)
        cls.nginx = Nginx(cls.served).__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.nginx.__exit__(None, None, None)
        super().tearDownClass()

    def test_sizes_and_connection_counts(self):
        for size in (1, 4095, 4096, 20479, 20480, 100000, 64 * MiB):
            for connections in (1, 3, 8):
                with self.subTest(size=size, connections=connections):
                    name = f"f{size}.bin"
                    saved = self.target(f"n{connections}-{name}")
                    result = fetch(self.nginx.url("/" + name), windows_path(saved), "--connections", connections)
                    self.assertSaved(result, name, saved)
                    started = result.codes().count(STARTED)
                    if size < 20480:
                        self.assertEqual(started, 1)  # one segment whatever was asked
                    elif size >= MiB:
                        self.assertEqual(started, connections)
                    else:
                        # Small segments may all be done by the time a late connection
                        # looks for one; it then finds nothing to take or split.
                        self.assertLessEqual(started, connections)
                    self.assertEqual(result.codes().count(FAILED), 0)

    def test_segments_of_a_100000_byte_file_over_three_connections(self):
        saved = self.target("seg.bin")
        result = fetch(self.nginx.url("/f100000.bin"), windows_path(saved), "--connections", 3)
        self.assertSaved(result, "f100000.bin", saved)
        # A connection that finished early may take the next segment itself
        # (SegmentContinued) before a new connection is added for it.
        segments = sorted((e[2], e[3]) for e in result.events if e[0] in (SEGMENT_STARTED, SEGMENT_CONTINUED))
        self.assertEqual(segments, [(0, 33333), (33333, 66666), (66666, 100000)])
        ranges = [t for t in result.texts(SENT) if "Range:" in t]
        self.assertEqual(sorted(r.split("Range: ")[1].split("\\r\\n")[0] for r in ranges),
                         ["bytes=33333-", "bytes=66666-"])

    def test_quiet_prints_only_the_result(self):
        """The benchmark's mode: no line per event or message, the file as whole."""
        saved = self.target("quiet.bin")
        result = fetch(self.nginx.url("/f100000.bin"), windows_path(saved), "--connections", 3, "--quiet", "yes")
        self.assertEqual(result.code, 0)
        self.assertEqual(len(result.lines), 1, result.lines[:5])
        self.assertRegex(result.lines[0], r"^finished in [0-9.]+ ms$")
        self.assertEqual(sha256(saved), sha256(os.path.join(self.served, "f100000.bin")))

    def test_a_zero_byte_file_cannot_be_mapped(self):
        self.serve("empty.bin", 0)
        saved = self.target("empty.bin")
        result = fetch(self.nginx.url("/empty.bin"), windows_path(saved))
        self.assertEqual(result.code, 1)
        self.assertIn("创建文件错误，超出最大支持下载长度或磁盘不可写或磁盘没有空间或同名文件已存在", result.texts(ERROR))
        self.assertIn(FAILED, result.codes())
        self.assertEqual(result.events[-1], (TASK_FINISHED, 0, 0, 0))

    def test_a_relative_redirect(self):
        saved = self.target("moved.bin")
        result = fetch(self.nginx.url("/moved"), windows_path(saved))
        self.assertSaved(result, "moved-target", saved)
        self.assertIn("重定向到 [/moved-target]", result.texts(ERROR))
        # An absolute path replaces the path ("//moved-target" would be another file to many servers).
        self.assertTrue(any(t.startswith("GET /moved-target HTTP/1.1") for t in result.texts(SENT)))

    def test_behind_haproxy_with_lower_case_header_names(self):
        with Haproxy(self.nginx.port) as haproxy:
            for name, connections in (("f100000.bin", 1), ("f100000.bin", 3), (f"f{64 * MiB}.bin", 4)):
                with self.subTest(name=name, connections=connections):
                    saved = self.target(f"h{connections}-{name}")
                    result = fetch(haproxy.url("/" + name), windows_path(saved), "--connections", connections)
                    self.assertSaved(result, name, saved)
                    header = result.texts(RECEIVED)[0]
                    self.assertIn("content-length: ", header)  # what the peer really sends
                    self.assertNotIn("Content-Length", header)
                    self.assertNotIn(REFUSED_RANGE, "".join(result.texts(ERROR)))

    def test_through_a_proxy_segments_carry_their_range(self):
        with Tinyproxy() as proxy:
            for size in (1, 4095, 4096, 20479, 20480, 100000, 64 * MiB):
                for connections in (1, 3, 8):
                    with self.subTest(size=size, connections=connections):
                        name = f"f{size}.bin"
                        saved = self.target(f"p{connections}-{name}")
                        result = fetch(self.nginx.url("/" + name), windows_path(saved), "--connections", connections,
                                       "--proxy", f"127.0.0.1:{proxy.port}")
                        self.assertSaved(result, name, saved)
                        sent = result.texts(SENT)
                        self.assertTrue(sent[0].startswith(f"GET {self.nginx.url('/' + name)} HTTP/1.1"))
                        self.assertTrue(sent[0].endswith("Proxy-Connection: Keep-Alive\\r\\n\\r\\n\\r\\n"))
                        self.assertIn(f"正在连接代理服务器 [127.0.0.1:{proxy.port}]", result.texts(INFO))


class Faults(Files, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.serve("f16m.bin", 16 * MiB)
        cls.serve("f1m.bin", MiB)
        cls.serve("small.bin", 100000)
        cls.server = FaultServer(cls.served).__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.server.__exit__(None, None, None)
        super().tearDownClass()

    def test_dropped_connections_resume_and_the_file_arrives_whole(self):
        saved = self.target("dropped.bin")
        result = fetch(self.server.url("/drop/700000/4/f16m.bin"), windows_path(saved), "--connections", 4)
        self.assertSaved(result, "f16m.bin", saved)
        self.assertGreaterEqual(result.texts(INFO).count("等待5秒后重试"), 3)
        self.assertEqual(result.codes().count(FAILED), 0)
        self.assertGreaterEqual(sum(1 for t in result.texts(SENT) if "Range: bytes=" in t), 3 + 3)

    def test_a_single_connection_dropped_mid_file_never_ends_short(self):
        saved = self.target("dropped1.bin")
        result = fetch(self.server.url("/drop/300000/2/f1m.bin"), windows_path(saved))
        self.assertSaved(result, "f1m.bin", saved)
        self.assertIn("Range: bytes=300000-", "".join(result.texts(SENT)))

    def test_a_stall_past_the_receive_timeout_is_retried(self):
        saved = self.target("stalled.bin")
        result = fetch(self.server.url("/stall/3000/2/f1m.bin"), windows_path(saved), "--connections", 2,
                       "--receive-timeout", 800)
        self.assertSaved(result, "f1m.bin", saved)
        self.assertIn("接收数据超时", result.texts(ERROR))

    def test_a_header_in_one_byte_pieces(self):
        saved = self.target("pieces.bin")
        self.assertSaved(fetch(self.server.url("/pieces/small.bin"), windows_path(saved)), "small.bin", saved)

    def test_final_failures_of_the_first_request(self):
        cases = [
            ("/bigheader/small.bin", "HTTP返回头部信息过长"),
            ("/nolength/small.bin", "无法获得文件大小"),
            ("/chunked/small.bin", "无法获得文件大小"),
            ("/partial/small.bin", "无法获得文件大小"),
            ("/huge", "无法获得文件大小"),
            ("/status/400", "出现错误"),
            ("/status/403", "出现错误"),
            ("/status/404", "出现错误"),
            ("/status/500", "暂时不支持的返回, 返回号[500]"),
            ("/chain/12/small.bin", "COOKIE过长或获得重定向信息错误或不支持的协议"),
        ]
        for path, text in cases:
            with self.subTest(path=path):
                result = fetch(self.server.url(path), windows_path(self.target("final.bin")))
                self.assertEqual(result.code, 1)
                self.assertIn(text, result.texts(ERROR))
                self.assertNotIn("等待5秒后重试", result.texts(INFO))  # final: no retry
                self.assertEqual(result.codes()[-2:], [FAILED, TASK_FINISHED])
                self.assertFalse(os.path.exists(os.path.join(self.saved, "final.bin")))

    def test_redirect_chain_with_cookie_and_relative_locations(self):
        saved = self.target("chain.bin")
        result = fetch(self.server.url("/chain/3/small.bin"), windows_path(saved))
        self.assertSaved(result, "small.bin", saved)
        self.assertEqual(sum(1 for t in result.texts(ERROR) if t.startswith("重定向到 [")), 4)
        self.assertTrue(any("/chain/2/1/small.bin" in t for t in result.texts(SENT)))  # relative to the old path
        self.assertIn("Cookie: a=1\\r\\n", result.texts(SENT)[-1])

    def test_a_server_that_ignores_range(self):
        saved = self.target("norange.bin")
        result = fetch(self.server.url("/norange/small.bin"), windows_path(saved), "--connections", 3)
        # Its whole-file answers are never written at a segment's offset: the
        # last connection fetches the whole file again.
        self.assertSaved(result, "small.bin", saved)
        self.assertTrue(any(t.startswith(REFUSED_RANGE) for t in result.texts(ERROR)))
        self.assertEqual(result.texts(INFO).count(WHOLE_AGAIN), 1)
        self.assertEqual(result.codes().count(FAILED), 0)

    def test_answers_that_are_not_the_range_asked_for(self):
        for kind in ("200", "other", "total"):
            for connections in (1, 4):
                with self.subTest(kind=kind, connections=connections):
                    # A file of its own for each case: the server counts requests by path.
                    name = self.serve(f"range-{kind}-{connections}.bin", MiB)
                    saved = self.target(name)
                    result = fetch(self.server.url(f"/badrange/{kind}/{name}"), windows_path(saved),
                                   "--connections", connections)
                    self.assertSaved(result, name, saved)
                    self.assertTrue(any(t.startswith(REFUSED_RANGE) for t in result.texts(ERROR)))
                    self.assertEqual(result.texts(INFO).count(WHOLE_AGAIN), 1)
                    self.assertEqual(result.codes().count(FAILED), 0)
                    whole = [t for t in result.texts(SENT) if t.startswith("GET ") and "Range:" not in t]
                    self.assertEqual(len(whole), 2)  # the probe, then the file from byte 0

    def test_a_refused_range_goes_to_a_connection_whose_server_answered(self):
        name = self.serve("range-once.bin", 16 * MiB)
        saved = self.target(name)
        result = fetch(self.server.url(f"/badrange/once/{name}"), windows_path(saved), "--connections", 4)
        self.assertSaved(result, name, saved)
        self.assertEqual(sum(1 for t in result.texts(ERROR) if t.startswith(REFUSED_RANGE)), 1)
        self.assertEqual(result.codes().count(FAILED), 0)
        refused = next(t for t in result.texts(ERROR) if t.startswith(REFUSED_RANGE))
        offset = refused.split("[")[1].split("-")[0]
        asked = [t for t in result.texts(SENT) if f"Range: bytes={offset}-" in t]
        if WHOLE_AGAIN not in result.texts(INFO):
            self.assertEqual(len(asked), 2)  # refused once, then answered for another connection

    def test_redirects_303_307_308(self):
        for code, target in ((303, "/file/small.bin"), (307, "/redirect/307/r/small.bin"), (308, "/file/small.bin")):
            with self.subTest(code=code):
                saved = self.target(f"moved{code}.bin")
                result = fetch(self.server.url(f"/redirect/{code}/small.bin"), windows_path(saved))
                self.assertSaved(result, "small.bin", saved)
                self.assertTrue(result.texts(SENT)[-1].startswith(f"GET {target} HTTP/1.1"), result.texts(SENT)[-1])

    def test_lower_case_header_names(self):
        saved = self.target("lower.bin")
        result = fetch(self.server.url("/lower/small.bin"), windows_path(saved), "--connections", 2)
        self.assertSaved(result, "small.bin", saved)

    def test_file_names_from_the_server_and_the_url(self):
        folder = tempfile.mkdtemp(dir=self.saved)
        result = fetch(self.server.url("/disposition/服务器名.bin/small.bin"), windows_path(folder) + "\\")
        self.assertEqual(result.code, 0)
        self.assertEqual(os.listdir(folder), ["服务器名.bin"])
        os.remove(os.path.join(folder, "服务器名.bin"))
        self.serve("my file.bin", 5000)
        result = fetch(self.server.url("/file/my%20file.bin"), windows_path(folder) + "\\")
        self.assertEqual(result.code, 0)
        self.assertEqual(os.listdir(folder), ["my file.bin"])

    def test_request_lines(self):
        saved = self.target("lines.bin")
        fetch(self.server.url("/file/small.bin"), windows_path(saved))
        header = self.server.headers_of("/file/small.bin")[-1]
        self.assertIn(f"Host: 127.0.0.1:{self.server.port}", header)
        self.assertIn(f"Referer: http://127.0.0.1:{self.server.port}/file", header)
        self.assertIn("User-Agent: Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)", header)
        self.assertIn("Connection: close", header)
        referer = fetch(self.server.url("/file/small.bin"), windows_path(self.target("r.bin")), "--referer", "http://x/y")
        self.assertIn("Referer: http://x/y\\r\\n", referer.texts(SENT)[0])

    def test_same_name_policy(self):
        folder = tempfile.mkdtemp(dir=self.saved)
        first = os.path.join(folder, "a.bin")
        for expected in ("a.bin", "a(1).bin", "a(2).bin"):
            result = fetch(self.server.url("/file/small.bin"), windows_path(first))
            self.assertEqual(result.code, 0)
            self.assertTrue(os.path.exists(os.path.join(folder, expected)))
        self.assertIn("发现同名文件, 系统自动更名为" + windows_path(os.path.join(folder, "a(2).bin")), result.texts(INFO))
        self.assertEqual(sha256(os.path.join(folder, "a(2).bin")), sha256(os.path.join(self.served, "small.bin")))

        declined = fetch(self.server.url("/file/small.bin"), windows_path(first), "--file-exists", 1)
        self.assertEqual(declined.code, 1)
        self.assertIn("发现同名文件, 用户选择放弃下载", declined.texts(INFO))
        self.assertEqual(declined.events[-1], (TASK_FINISHED, 0, 100000, 0))
        self.assertIn(18, declined.codes())

        last = os.path.join(folder, "b(99).bin")
        open(last, "wb").close()
        stuck = fetch(self.server.url("/file/small.bin"), windows_path(last))
        self.assertEqual(stuck.code, 1)
        self.assertEqual(os.path.getsize(last), 0)

    def test_a_connect_that_hangs_times_out_and_is_retried(self):
        # A listener whose backlog is full lets new connects hang on loopback.
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(0)
        port = listener.getsockname()[1]
        fillers = []
        try:
            for _ in range(4):
                filler = socket.socket()
                filler.setblocking(False)
                filler.connect_ex(("127.0.0.1", port))
                fillers.append(filler)
            result = fetch(f"http://127.0.0.1:{port}/f.bin", windows_path(self.target("hang.bin")),
                           "--connect-timeout", 500, "--stop-after", 8500)
        finally:
            for filler in fillers:
                filler.close()
            listener.close()
        self.assertGreaterEqual(result.texts(ERROR).count(f"连接 [127.0.0.1:{port}]超时"), 2)
        self.assertIn("等待5秒后重试", result.texts(INFO))
        self.assertEqual(result.code, 1)

    def test_stop_returns_within_the_stop_timeout(self):
        saved = self.target("stopped.bin")
        started = time.time()
        result = fetch(self.server.url("/stall/20000/1/f1m.bin"), windows_path(saved), "--stop-after", 1500,
                       "--stop-timeout", 1000)
        self.assertLess(time.time() - started, 15)
        stopped = [l for l in result.lines if l.startswith("stopped after ")]
        self.assertEqual(len(stopped), 1)
        self.assertLessEqual(int(stopped[0].split()[2]), 1100)
        self.assertEqual(result.codes()[-1], TASK_FINISHED)
        self.assertEqual(result.code, 1)


class OverAWideAreaLink(Files, unittest.TestCase):
    """nginx behind a relay with a delay each way, a bandwidth cap per
    connection and connections cut at random moments."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.serve("f8m.bin", 8 * MiB)
        cls.serve("f16m.bin", 16 * MiB)
        cls.nginx = Nginx(cls.served).__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.nginx.__exit__(None, None, None)
        super().tearDownClass()

    def test_cut_links_resume_and_the_file_arrives_whole(self):
        for name, connections, delay_ms, rate in (("f8m.bin", 1, 100, 4_000_000), ("f16m.bin", 4, 50, 2_000_000)):
            with self.subTest(connections=connections):
                with WanRelay(self.nginx.port, delay_ms=delay_ms, rate=rate, cuts=2,
                              cut_between=(256 << 10, 2 << 20), seed=connections) as relay:
                    saved = self.target(f"wan{connections}.bin")
                    result = fetch(relay.url("/" + name), windows_path(saved), "--connections", connections)
                    self.assertSaved(result, name, saved)
                    self.assertEqual(relay.cuts, 2)
                    self.assertGreaterEqual(result.texts(INFO).count("等待5秒后重试"), 2)
                    self.assertEqual(result.codes().count(FAILED), 0)


class Addresses(Files, unittest.TestCase):
    """Names with several addresses, and IPv6. Each download runs with a hosts
    file of its own (a mount namespace), so the machine's resolver is never
    changed."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.serve("small.bin", 100000)
        cls.serve("f16m.bin", 16 * MiB)
        cls.nginx = Nginx(cls.served, ipv6=True).__enter__()
        cls.second = FaultServer(cls.served, address="127.0.0.2").__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.second.__exit__(None, None, None)
        cls.nginx.__exit__(None, None, None)
        super().tearDownClass()

    def test_every_address_is_tried_in_the_resolvers_order(self):
        # ::1 first, then 127.0.0.1; only the IPv4 address listens on this port.
        port = self.nginx.port
        saved = self.target("mixed.bin")
        result = fetch(f"http://mixed.test:{port}/f16m.bin", windows_path(saved), "--connections", 4,
                       hosts="::1 mixed.test\n127.0.0.1 mixed.test\n")
        self.assertSaved(result, "f16m.bin", saved)
        info = result.texts(INFO)
        self.assertLess(info.index(f"正在连接 [::1:{port}]"), info.index(f"正在连接 [127.0.0.1:{port}]"))
        self.assertIn(f"连接 [::1:{port}]失败", result.texts(ERROR))
        # Every later connection goes straight to the address that answered.
        self.assertEqual(info.count(f"正在连接 [::1:{port}]"), 1)
        self.assertEqual(sum(1 for t in info if t.startswith("连接[127.0.0.1:")), 3)

        # The first IPv4 address is down, the second answers.
        saved = self.target("down.bin")
        result = fetch(f"http://down.test:{self.second.port}/file/small.bin", windows_path(saved),
                       hosts="127.0.0.1 down.test\n127.0.0.2 down.test\n")
        self.assertSaved(result, "small.bin", saved)
        self.assertIn(f"连接 [127.0.0.1:{self.second.port}]失败", result.texts(ERROR))
        self.assertNotIn("等待5秒后重试", result.texts(INFO))

    def test_ipv6_names_and_literals(self):
        port = self.nginx.ipv6_port
        for url, hosts in ((f"http://six.test:{port}/f16m.bin", "::1 six.test\n"),
                           (f"http://[::1]:{port}/f16m.bin", None)):
            with self.subTest(url=url):
                saved = self.target("six.bin")
                result = fetch(url, windows_path(saved), "--connections", 4, hosts=hosts)
                self.assertSaved(result, "f16m.bin", saved)
                self.assertIn(f"连接 [::1:{port}]成功", result.texts(INFO))
                if hosts is None:
                    self.assertIn(f"Host: [::1]:{port}\\r\\n", result.texts(SENT)[0])


class EngineInProcess(Files, unittest.TestCase):
    """The gtest program of the Download object, against the fault server."""

    def test_download_object(self):
        self.serve("small.bin", 100000)
        self.serve("big.bin", 8 * MiB)
        with FaultServer(self.served) as server:
            env = dict(os.environ, TAVRIN_TEST_SERVER=f"127.0.0.1:{server.port}")
            run = subprocess.run([wine(), os.environ["TAVRIN_DOWNLOAD_TEST"]], env=env, stdout=subprocess.PIPE,
                                 stderr=subprocess.STDOUT, timeout=300)
        output = run.stdout.decode("utf-8", "replace")
        self.assertEqual(run.returncode, 0, output[-4000:])
        self.assertIn("[  PASSED  ]", output)


if __name__ == "__main__":
    unittest.main(verbosity=2)
