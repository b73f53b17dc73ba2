#!/usr/bin/env python3
"""The installer's windows with real input: tavrin-setup.exe under Wine,
driven with xdotool and looked at in screenshots of the root window. The
screenshots are kept beside the test programs."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "frame"))
from input_test import close_to, pixel, screenshot, xdotool  # noqa: E402

SETUP = os.environ["TAVRIN_SETUP"]
ARTIFACTS = os.environ.get("TAVRIN_ARTIFACTS", tempfile.gettempdir())

SKIN, FIELD, ACCENT, GREY = (24, 26, 33), (35, 37, 44), (250, 200, 101), (128, 128, 128)


def region(shot, left, top, width, height):
    return [pixel(shot, x, y) for y in range(top, top + height) for x in range(left, left + width)]


class Installer:
    """One run of a copy of the installer named `name`, in its own folder."""

    def __init__(self, name):
        self.folder = tempfile.mkdtemp()
        path = os.path.join(self.folder, name)
        shutil.copy(SETUP, path)
        self.process = subprocess.Popen([os.environ.get("TAVRIN_WINE", "wine"), path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        width, data = screenshot()
        height = len(data) // (3 * width)
        self.left, self.top = (width - 1215) // 2, (height - 750) // 2
        self.wait_for(self.left + 600, self.top + 30, SKIN)
        time.sleep(1)

    def at(self, x, y):
        return self.left + x, self.top + y

    def wait_for(self, x, y, colour, timeout=30, tolerance=2):
        end = time.time() + timeout
        while time.time() < end:
            if close_to(pixel(screenshot(), x, y), colour, tolerance):
                return
            time.sleep(0.2)
        raise AssertionError("%d,%d never showed %r (shows %r)" % (x, y, colour, pixel(screenshot(), x, y)))

    def click(self, x, y):
        xdotool("mousemove", x, y, "click", 1)
        time.sleep(0.7)  # apart from the next click: no double click

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def wait_for_dialog(title, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        found = subprocess.run(["xdotool", "search", "--name", title], stdout=subprocess.PIPE).stdout.split()
        if found:
            return found[0]
        time.sleep(0.2)
    raise AssertionError("no dialog " + title)


def wait_until_gone(title, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        if not subprocess.run(["xdotool", "search", "--name", title], stdout=subprocess.PIPE).stdout.split():
            return
        time.sleep(0.2)
    raise AssertionError("dialog stays: " + title)


class InstallerInput(unittest.TestCase):
    def test_options_panel_options_folder_and_close(self):
        app = Installer("tavrin-setup.exe")
        try:
            panel_top = app.top + 750 - 250
            screenshot(os.path.join(ARTIFACTS, "installer_input_install_page.png"))
            # 自定义选项 on the main window opens the panel over its bottom.
            app.click(*app.at(11 + 47 + 41, 11 + 685 + 16))
            app.wait_for(app.left + 26 + 5, panel_top + 74 + 3, FIELD)
            screenshot(os.path.join(ARTIFACTS, "installer_input_options_panel.png"))

            mark, frame_edge = (app.left + 44, panel_top + 208), (app.left + 34, panel_top + 208)

            def option_is(on):
                shot = screenshot()
                self.assertTrue(close_to(pixel(shot, *mark), ACCENT if on else FIELD), pixel(shot, *mark))
                self.assertTrue(close_to(pixel(shot, *frame_edge), ACCENT if on else GREY), pixel(shot, *frame_edge))

            option_is(True)
            app.click(app.left + 36, panel_top + 200)  # the frame
            option_is(False)
            app.click(app.left + 36, panel_top + 200)
            option_is(True)
            app.click(*mark)  # the mark
            option_is(False)
            app.click(app.left + 140, panel_top + 208)  # the caption button
            option_is(True)

            # The folder icon opens the dialog; Escape leaves the default folder.
            field = (app.left + 26 + 13, panel_top + 74 + 5, 600, 42)
            before = region(screenshot(), *field)
            icon = (app.left + 26 + 1123 + 12, panel_top + 74 + 14 + 12)
            app.click(*icon)
            wait_for_dialog("选择安装路径")
            time.sleep(1)
            xdotool("key", "Escape")
            wait_until_gone("选择安装路径")
            time.sleep(0.5)
            self.assertEqual(region(screenshot(), *field), before)
            # A typed folder lands in the field.
            app.click(*icon)
            wait_for_dialog("选择安装路径")
            time.sleep(1)
            xdotool("type", "--delay", "50", "C:\\windows")
            xdotool("key", "Return")
            wait_until_gone("选择安装路径")
            time.sleep(0.5)
            shot = screenshot(os.path.join(ARTIFACTS, "installer_input_folder_typed.png"))
            self.assertNotEqual(region(shot, *field), before)

            # The panel's chevron closes it again.
            app.click(app.left + 22 + 16, panel_top + 16 + 16)
            time.sleep(0.5)
            self.assertFalse(close_to(pixel(screenshot(), app.left + 26 + 5, panel_top + 74 + 3), FIELD))

            # The close button ends the program.
            app.click(*app.at(1168 + 16, 16 + 16))
            self.assertEqual(app.process.wait(timeout=20), 0)
        finally:
            app.stop()

    def test_a_copy_named_uninstall_opens_on_the_uninstall_page(self):
        button = (491 + 11 + 20, 581 + 11 + 10, 180, 40)
        banner = (200, 200, 100, 60)
        app = Installer("tavrin-setup.exe")
        try:
            install = screenshot()
            install_button = region(install, app.left + button[0], app.top + button[1], *button[2:])
            install_banner = region(install, app.left + banner[0], app.top + banner[1], *banner[2:])
        finally:
            app.stop()
        app = Installer("卸载.exe")
        try:
            shot = screenshot(os.path.join(ARTIFACTS, "installer_input_uninstall_page.png"))
            self.assertNotEqual(region(shot, app.left + button[0], app.top + button[1], *button[2:]), install_button)
            # The same banner, where its box was laid out (only the install
            # page's banner is moved to 8, 39 at start-up: 11 left and 35 up of it).
            self.assertEqual(region(shot, app.left + banner[0] - 11, app.top + banner[1] - 35, *banner[2:]), install_banner)
        finally:
            app.stop()


if __name__ == "__main__":
    unittest.main(verbosity=2)
