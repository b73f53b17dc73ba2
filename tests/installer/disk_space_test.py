#!/usr/bin/env python3
"""A drive without room for the installation, under Wine with real input.

The drives are small file systems of the test's own (tmpfs), mounted in a
mount namespace of its own (unshare -m) and given drive letters in a copy of
the session's prefix, which gets a wineserver of its own inside that
namespace (the server opens the files): the host's mounts and the session's
prefix stay as they were."""
import os
import shutil
import subprocess
import sys
import tempfile

IN_NAMESPACE = "TAVRIN_DISK_SPACE_NAMESPACE"

if os.environ.get(IN_NAMESPACE) != "1":
    # Outside: a copy of the prefix, then this file again in a namespace.
    session = os.environ["WINEPREFIX"]
    work = tempfile.mkdtemp(prefix="tavrin-disk-space-")
    try:
        subprocess.run(["cp", "-a", session, os.path.join(work, "prefix")], check=True)
        env = dict(os.environ, WINEPREFIX=os.path.join(work, "prefix"), **{IN_NAMESPACE: "1"})
        code = subprocess.run(["unshare", "--mount", "--propagation", "private", sys.executable, __file__,
                               *sys.argv[1:]], env=env).returncode
    finally:
        shutil.rmtree(work, ignore_errors=True)
    sys.exit(code)

import time  # noqa: E402
import unittest  # noqa: E402

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "download"))
import installation as inst  # noqa: E402
from peers import internet_options  # noqa: E402
from flow_test import CLIENT, SETUP, FlowCase  # noqa: E402
from installation import INSTALL_BUTTON, PANEL_CHEVRON, registry_values  # noqa: E402


def window_shown(title):
    found = subprocess.run(["xdotool", "search", "--name", f"^{title}$"], stdout=subprocess.PIPE).stdout.split()
    return any("IsViewable" in subprocess.run(["xwininfo", "-id", w], stdout=subprocess.PIPE).stdout.decode()
               for w in found)


class DiskSpace(FlowCase):
    @classmethod
    def setUpClass(cls):
        cls.mounts = {}
        # E: has room for the client but not for the copy of the installer
        # beside it; F: not even for the client.
        sizes = {"e": os.path.getsize(CLIENT) + os.path.getsize(SETUP) // 2, "f": os.path.getsize(CLIENT) // 2}
        for letter, size in sizes.items():
            mount = tempfile.mkdtemp(prefix=f"tavrin-drive-{letter}-")
            subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size // 1024 + 1}k,mode=0777", "tmpfs", mount],
                           check=True)
            link = os.path.join(os.environ["WINEPREFIX"], "dosdevices", f"{letter}:")
            if os.path.lexists(link):
                os.unlink(link)
            os.symlink(mount, link)
            cls.mounts[letter] = mount
        # The server and the prefix's own programs (services, the desktop)
        # start apart from this process's output: one that kept a pipe of
        # the test open would make every later read of a program's output
        # wait for it.
        quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
        cls.server_process = subprocess.Popen(["wineserver", "-p", "-f"], start_new_session=True, **quiet)
        subprocess.run([inst.WINE, "wineboot"], timeout=120, **quiet)
        # The copy was taken while the session's server ran, which writes the
        # registry out only now and then: it may hold a setting an earlier
        # test had already taken back (a proxy that is gone). The direct
        # connection the suite expects is set again.
        internet_options()
        super().setUpClass()

    @classmethod
    def tearDownClass(cls):
        super().tearDownClass()
        subprocess.run(["wineserver", "-k"])
        cls.server_process.wait(timeout=30)
        for mount in cls.mounts.values():
            subprocess.run(["umount", mount])
            os.rmdir(mount)

    def install_on(self, letter):
        folder = f"{letter.upper()}:\\tavrin"
        run = self.start(url=self.url)
        run.wait_for_window()
        run.type_folder(folder)
        run.click(PANEL_CHEVRON)
        run.click(INSTALL_BUTTON)
        time.sleep(3)
        run.wait_for_failure_notice(120)  # 磁盘空间不足，请选择其他安装目录
        self.assertIn("orange", run.notices)
        self.assertEqual(os.listdir(self.mounts[letter]), [], "something was left on the drive")
        self.assertIsNone(registry_values())
        self.assertIsNone(run.process.poll())
        self.assertTrue(window_shown("自定义选项"), "the options panel is not open")
        run.click(PANEL_CHEVRON)
        run.click(inst.CLOSE_BUTTON)
        self.assertEqual(run.exit_code(30), 0)

    def install_on_drive_without_room(self, letter):
        before = len(self.server.requests)
        self.install_on(letter)
        # The server was asked once: no restart for a drive without room.
        self.assertEqual(len(self.server.requests) - before, 1)

    def test_no_room_for_the_installer_copy_beside_the_client(self):
        self.install_on_drive_without_room("e")

    def test_no_room_for_the_client_itself(self):
        self.install_on_drive_without_room("f")


if __name__ == "__main__":
    unittest.main(verbosity=2)
