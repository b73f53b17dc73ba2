"""FTP downloads end to end: tavrin-fetch under Wine against vsftpd and the
project's own FTP server, both on 127.0.0.1 only."""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from ftp_server import FtpServer  # noqa: E402
from peers import Peer, fetch, free_port, make_file, sha256, wait_for_port, windows_path  # noqa: E402

INFO, SENT, RECEIVED, ERROR = 0, 1, 2, 3
STARTED = 5
MiB = 1 << 20


class FtpPeer(Peer):
    """An FTP server of the system's: anonymous downloads from `root`,
    passive ports in a private range."""

    def __init__(self, root):
        self.root = root
        self.dir = tempfile.mkdtemp(prefix=f"tavrin-{type(self).__name__.lower()}-")
        self.port = free_port()
        self.passive = free_port()

    def url(self, path):
        return f"ftp://127.0.0.1:{self.port}{path}"


class Vsftpd(FtpPeer):

    def __enter__(self):
        conf = os.path.join(self.dir, "vsftpd.conf")
        with open(conf, "w") as f:
            f.write(f"""listen=YES
listen_address=127.0.0.1
listen_port={self.port}
background=NO
anonymous_enable=YES
anon_root={self.root}
no_anon_password=YES
local_enable=NO
write_enable=NO
pasv_enable=YES
pasv_min_port={self.passive}
pasv_max_port={self.passive + 20}
pasv_address=127.0.0.1
secure_chroot_dir=/var/run/vsftpd/empty
seccomp_sandbox=NO
run_as_launching_user=YES
xferlog_enable=NO
vsftpd_log_file={self.dir}/log
""")
        os.makedirs("/var/run/vsftpd/empty", exist_ok=True)
        self.process = subprocess.Popen(["vsftpd", conf], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_port(self.port)
        return self


class Pyftpdlib(FtpPeer):
    """A strict server: REST and SIZE are refused while the type is ASCII, its
    starting type. It comes with Debian's own Python, not the one running us."""

    def __enter__(self):
        self.process = subprocess.Popen(
            ["/usr/bin/python3", "-m", "pyftpdlib", "-i", "127.0.0.1", "-p", str(self.port), "-d", self.root,
             "-r", f"{self.passive}-{self.passive + 20}"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_port(self.port)
        return self


def own_address_is_loopback():
    """Active mode announces the first address of this machine's own name."""
    try:
        return socket.gethostbyname(socket.gethostname()).startswith("127.")
    except OSError:
        return False


class FtpTransfers(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.served = tempfile.mkdtemp(prefix="tavrin-ftp-")
        os.chmod(cls.served, 0o755)
        cls.saved = tempfile.mkdtemp(prefix="tavrin-ftp-saved-")
        for size in (1, 4095, 100000, 16 * MiB):
            make_file(cls.served, f"f{size}.bin", size)
        make_file(cls.served, "notes.txt", 5000)
        make_file(cls.served, "pack.zip", 5000)
        for name in os.listdir(cls.served):
            os.chmod(os.path.join(cls.served, name), 0o644)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.served, ignore_errors=True)
        shutil.rmtree(cls.saved, ignore_errors=True)

    def target(self, name):
        path = os.path.join(self.saved, name)
        if os.path.exists(path):
            os.remove(path)
        return path

    def assertSaved(self, result, name, saved):
        self.assertEqual(result.code, 0, "\n".join(result.lines[-30:]))
        self.assertEqual(sha256(saved), sha256(os.path.join(self.served, name)))

    def test_vsftpd_sizes_and_connections(self):
        with Vsftpd(self.served) as server:
            for size in (1, 4095, 100000, 16 * MiB):
                for connections in (1, 4):
                    with self.subTest(size=size, connections=connections):
                        name = f"f{size}.bin"
                        saved = self.target(f"v{connections}-{name}")
                        result = fetch(server.url("/" + name), windows_path(saved), "--connections", connections)
                        self.assertSaved(result, name, saved)
                        self.assertIn("站点支持断点续传", result.texts(ERROR))
                        started = result.codes().count(STARTED)
                        if size < 20480 or connections == 1:
                            self.assertEqual(started, 1)
                        elif size < MiB:
                            self.assertLessEqual(started, 4)  # a late connection may find nothing left
                        else:
                            self.assertEqual(started, 4)
                            each = size // 4
                            rests = [int(t[5:]) for t in result.texts(SENT) if t.startswith("REST ") and t not in
                                     ("REST 100", "REST 0")]
                            self.assertEqual(sorted(rests), [each, 2 * each, 3 * each])

    def test_a_server_strict_about_the_transfer_type(self):
        with Pyftpdlib(self.served) as server:
            for size in (1, 4095, 100000):
                for connections in (1, 4):
                    with self.subTest(size=size, connections=connections):
                        name = f"f{size}.bin"
                        saved = self.target(f"strict{connections}-{name}")
                        result = fetch(server.url("/" + name), windows_path(saved), "--connections", connections)
                        self.assertSaved(result, name, saved)
                        self.assertIn("站点支持断点续传", result.texts(ERROR))
                        if size == 100000 and connections == 4:
                            self.assertGreater(result.codes().count(STARTED), 1)

    def test_restart_reply_decides_the_connection_count(self):
        with FtpServer(self.served, rest="350 Restarting at {n}.") as server:
            result = fetch(server.url("/f100000.bin"), windows_path(self.target("r1.bin")), "--connections", 4)
            self.assertSaved(result, "f100000.bin", self.target_path("r1.bin"))
            self.assertEqual(result.codes().count(STARTED), 4)
        # 350 without the word: no restart support, but the server did take the
        # marker, so it must be reset before the transfer starts at byte 100.
        with FtpServer(self.served, rest="350 Position noted.") as server:
            result = fetch(server.url("/f100000.bin"), windows_path(self.target("r2.bin")), "--connections", 4)
            self.assertSaved(result, "f100000.bin", self.target_path("r2.bin"))
            self.assertIn("站点不支持断点续传", result.texts(ERROR))
            self.assertEqual(result.codes().count(STARTED), 1)
            self.assertIn("REST 0", server.sent())
        with FtpServer(self.served, rest="502 REST not understood.") as server:
            result = fetch(server.url("/f100000.bin"), windows_path(self.target("r3.bin")), "--connections", 4)
            self.assertSaved(result, "f100000.bin", self.target_path("r3.bin"))
            self.assertNotIn("REST 0", server.sent())

    def target_path(self, name):
        return os.path.join(self.saved, name)

    def test_login_from_the_url_and_the_hidden_password(self):
        with FtpServer(self.served, users={"bob": "s3cret"}) as server:
            result = fetch(server.url("/f4095.bin", login="bob:s3cret@"), windows_path(self.target("u.bin")),
                           "--ftp-user", "alice", "--ftp-password", "wrong")
            self.assertSaved(result, "f4095.bin", self.target_path("u.bin"))
            self.assertIn("USER bob", server.sent())
            self.assertIn("PASS s3cret", server.sent())
            self.assertIn("PASS ******", result.texts(SENT))
            self.assertFalse(any("s3cret" in line for line in result.lines))

            refused = fetch(server.url("/f4095.bin"), windows_path(self.target("u2.bin")), "--ftp-user", "bob",
                            "--ftp-password", "wrong", "--stop-after", 1500)
            self.assertIn("出现错误", refused.texts(ERROR))
            self.assertIn("登录失败", refused.texts(ERROR))
            self.assertEqual(refused.code, 1)

    def test_transfer_type_by_extension(self):
        with FtpServer(self.served) as server:
            for name, expected in (("pack.zip", "TYPE I"), ("notes.txt", "TYPE A")):
                with self.subTest(name=name):
                    result = fetch(server.url("/" + name), windows_path(self.target(name)), "--ftp-type", 3)
                    self.assertSaved(result, name, self.target_path(name))
                    self.assertIn(expected, result.texts(RECEIVED))
                    self.assertEqual([c for c in server.sent() if c.startswith("TYPE")][-1], expected)

    def test_greeting_and_size_failures(self):
        with FtpServer(self.served, greeting="421 too busy") as server:
            result = fetch(server.url("/f1.bin"), windows_path(self.target("g.bin")), "--stop-after", 1500)
            self.assertIn("无法得到欢迎消息", result.texts(ERROR))
            self.assertIn("等待5秒后重试", result.texts(INFO))
        with FtpServer(self.served, size_missing=True) as server:
            result = fetch(server.url("/f1.bin"), windows_path(self.target("s.bin")))
            self.assertIn("文件不存在", result.texts(ERROR))
            self.assertNotIn("等待5秒后重试", result.texts(INFO))
            self.assertEqual(result.code, 1)

    def test_a_reply_line_longer_than_the_reply_buffer(self):
        with FtpServer(self.served, greeting="220 " + "w" * 3000) as server:
            saved = self.target("long.bin")
            result = fetch(server.url("/f4095.bin"), windows_path(saved))
            self.assertSaved(result, "f4095.bin", saved)
            greeting = [t for t in result.texts(RECEIVED) if t.startswith("220 ")][0]
            self.assertEqual(len(greeting), 2048)  # kept up to the buffer, read to its end

    def test_a_dropped_transfer_resumes_through_rest(self):
        with FtpServer(self.served, drop_after=3 * MiB, drops=1) as server:
            saved = self.target("drop.bin")
            result = fetch(server.url("/f16777216.bin"), windows_path(saved))
            self.assertSaved(result, "f16777216.bin", saved)
            self.assertIn(f"REST {3 * MiB}", server.sent())

    def test_passive_failures_fall_back_to_active_mode(self):
        if not own_address_is_loopback():
            self.skipTest("this machine's own name does not resolve to a loopback address; "
                          "active mode would announce another address")
        for pasv, first_error in (("refuse", "设置数据通道错误"), ("closed", "数据通道连接失败")):
            with self.subTest(pasv=pasv), FtpServer(self.served, pasv=pasv) as server:
                saved = self.target(f"active-{pasv}.bin")
                result = fetch(server.url("/f100000.bin"), windows_path(saved), "--connections", 3)
                self.assertSaved(result, "f100000.bin", saved)
                errors = result.texts(ERROR)
                self.assertIn(first_error, errors)
                self.assertEqual(errors[errors.index(first_error) + 1], "尝试主动模式连接")
                commands = server.sent()
                self.assertEqual(commands.count("PASV"), 1)  # later connections go straight to PORT
                self.assertEqual(sum(1 for c in commands if c.startswith("PORT ")), 3)


if __name__ == "__main__":
    unittest.main(verbosity=2)
