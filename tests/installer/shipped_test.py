#!/usr/bin/env python3
"""The executable as shipped (i686, without debug information) under Wine on
this host, through an emulator where the host cannot run 32-bit code: it
starts, its main window shows the skin, the options panel opens on a real
click and the close button ends it with exit code 0; and one default
installation end to end. Records which machine the executable is for and
what ran it."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "frame"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "download"))
sys.path.insert(0, os.path.dirname(__file__))
import installation as inst  # noqa: E402
from fault_server import FaultServer  # noqa: E402
from input_test import close_to, pixel, screenshot, xdotool  # noqa: E402

SETUP = os.environ["TAVRIN_SHIPPED_SETUP"]
CLIENT = os.environ["TAVRIN_CLIENT"]  # the demo client of the same (i686) build
ARTIFACTS = os.environ.get("TAVRIN_ARTIFACTS", tempfile.gettempdir())
# A process start through an emulator takes about a minute.
START_TIMEOUT = float(os.environ.get("TAVRIN_START_TIMEOUT", "400"))

SKIN, FIELD, ACCENT = (24, 26, 33), (35, 37, 44), (250, 200, 101)
MACHINES = {0x14C: "i386", 0x8664: "x86-64"}


def pe_machine(path):
    with open(path, "rb") as f:
        data = f.read(4096)
    header = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[header:header + 4] == b"PE\0\0", "not a PE file"
    return MACHINES.get(struct.unpack_from("<H", data, header + 4)[0], "unknown")


def runners_of(path):
    """The host programs that run the Windows process started from `path`."""
    found = set()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if os.path.basename(path).encode() in f.read():
                    found.add(os.readlink(f"/proc/{pid}/exe"))
        except OSError:
            continue
    return sorted(found)


def wait_for(condition, timeout, what, process=None):
    end = time.time() + timeout
    while time.time() < end:
        if condition():
            return
        if process and process.poll() is not None:
            process.errors.seek(0)
            raise AssertionError(f"{what}: the program ended with {process.returncode}; "
                                 f"standard error: {process.errors.read().decode('utf-8', 'replace')[-2000:]!r}")
        time.sleep(0.5)
    raise AssertionError(what)


class ShippedExecutable(unittest.TestCase):
    def test_starts_shows_its_skin_opens_the_options_and_closes(self):
        machine = pe_machine(SETUP)
        self.assertEqual(machine, "i386")
        folder = tempfile.mkdtemp()
        path = os.path.join(folder, "tavrin-setup.exe")
        shutil.copy(SETUP, path)
        xdotool("mousemove", 5, 5)  # off the window: its controls show their resting pictures
        began = time.time()
        errors = tempfile.TemporaryFile()  # a pipe nobody reads could fill up and hang the program
        process = subprocess.Popen([os.environ.get("TAVRIN_WINE", "wine"), path],
                                   stdout=subprocess.DEVNULL, stderr=errors)
        process.errors = errors
        try:
            width, data = screenshot()
            left, top = (width - 1215) // 2, (len(data) // (3 * width) - 750) // 2

            def shows(x, y, colour, tolerance=2):
                return close_to(pixel(screenshot(), left + x, top + y), colour, tolerance)

            wait_for(lambda: shows(600, 30, SKIN), START_TIMEOUT, "the main window never appeared", process)
            started = time.time() - began
            time.sleep(2)
            shot = screenshot(os.path.join(ARTIFACTS, "shipped_main_window.png"))
            # scripts/test prints this line in its account of what ran where.
            with open(os.path.join(ARTIFACTS, "shipped_run.txt"), "w") as f:
                f.write(f"{os.path.basename(SETUP)} for {machine}, run by {', '.join(runners_of(path))}; "
                        f"main window after {started:.0f} s\n")

            def at(x, y):
                return pixel(shot, left + x, top + y)

            # The banner's accent rule, 1429 x 885 drawn at 1008 x 624 from 8, 39 (+24) on the tab at 11, 11.
            rule = 11 + 39 + 24 + int(392 * 1008 / 1429)
            self.assertTrue(close_to(at(140, rule + 2), ACCENT, 12), at(140, rule + 2))
            self.assertFalse(close_to(at(140, rule - 3), ACCENT, 60))
            # The icon, 200 x 200 centred in its box: skin around a warm face.
            icon_left, icon_top = 11 + 769 + 36, 11 + 240
            face = at(icon_left + 100, icon_top + 30)
            self.assertTrue(face[0] > 220 and face[2] < 170, face)
            self.assertTrue(close_to(at(icon_left + 4, icon_top + 100), SKIN), at(icon_left + 4, icon_top + 100))
            self.assertFalse(close_to(at(icon_left + 14, icon_top + 100), SKIN, 30))
            # The close button's bright cross.
            self.assertGreater(at(1168 + 16, 16 + 16)[0], 180)

            # 自定义选项 opens the options panel over the window's bottom.
            xdotool("mousemove", left + 11 + 47 + 41, top + 11 + 685 + 16, "click", 1)
            wait_for(lambda: shows(26 + 5, 750 - 250 + 74 + 3, FIELD), START_TIMEOUT / 2, "the options panel never opened")
            screenshot(os.path.join(ARTIFACTS, "shipped_options_panel.png"))

            time.sleep(1)
            xdotool("mousemove", left + 1168 + 16, top + 16 + 16, "click", 1)
            self.assertEqual(process.wait(timeout=START_TIMEOUT), 0)
        finally:
            if process.poll() is None:
                process.kill()
            process.wait()
            shutil.rmtree(folder, ignore_errors=True)

    def test_one_default_installation(self):
        served = tempfile.mkdtemp(prefix="tavrin-served-")
        shutil.copy(CLIENT, os.path.join(served, "tavrin.exe"))
        inst.clean_installation()
        with FaultServer(served) as server:
            run = inst.Installer(SETUP, url=server.url("/file/tavrin.exe"), start_timeout=START_TIMEOUT,
                                 env={"TAVRIN_DEMO_CLIENT_SECONDS": "3"})
            try:
                run.wait_for_window()
                run.click(inst.INSTALL_BUTTON)
                self.assertEqual(run.wait_for_end(timeout=2 * START_TIMEOUT), 0)
            finally:
                run.stop()
        files = inst.host_path(inst.DEFAULT_FOLDER)
        self.assertTrue(inst.same_bytes(os.path.join(files, "tavrin.exe"), CLIENT))
        self.assertTrue(inst.same_bytes(os.path.join(files, "卸载.exe"), run.path))
        self.assertEqual(os.path.getsize(os.path.join(files, "Uninstall.bat")), 4722)
        values = inst.registry_values()
        self.assertIsNotNone(values)
        self.assertEqual(values["DisplayVersion"], "2.4.1.0")
        self.assertEqual(values["DisplayIcon"], inst.DEFAULT_FOLDER + "\\tavrin.exe")
        end = time.time() + START_TIMEOUT
        while not os.path.exists(os.path.join(files, "tavrin-started.txt")) and time.time() < end:
            time.sleep(1)
        self.assertTrue(os.path.exists(os.path.join(files, "tavrin-started.txt")), "the client was not started")
        inst.clean_installation()
        shutil.rmtree(served, ignore_errors=True)


if __name__ == "__main__":
    unittest.main(verbosity=2)
