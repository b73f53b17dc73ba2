#!/usr/bin/env python3
"""Real input on the display: layout_program.exe under Wine, driven with
xdotool, looked at with screenshots of the root window (ImageMagick)."""
import os
import subprocess
import sys
import tempfile
import time
import unittest

PROGRAM = os.environ.get("TAVRIN_LAYOUT_PROGRAM", "")
ARTIFACTS = os.environ.get("TAVRIN_ARTIFACTS", tempfile.gettempdir())


def xdotool(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], check=True)


def screenshot(name=None):
    """The whole screen as rows of (r, g, b); kept as a PNG when named."""
    ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], check=True, stdout=subprocess.PIPE).stdout
    if name:
        subprocess.run(["convert", "ppm:-", os.path.join(ARTIFACTS, name)], input=ppm, check=True)
    parts = ppm.split(b"\n", 3)  # P6, size, maximum, pixels
    width, height = map(int, parts[1].split())
    assert parts[2] == b"255" and len(parts[3]) == width * height * 3, parts[:3]
    return width, parts[3]


def pixel(shot, x, y):
    width, data = shot
    at = (y * width + x) * 3
    return tuple(data[at:at + 3])


def close_to(actual, expected, tolerance=2):
    return all(abs(a - e) <= tolerance for a, e in zip(actual, expected))


def pixel_becomes(x, y, expected, timeout=3, name=None):
    """Whether the screen shows `expected` at x, y within `timeout` seconds
    (the pointer's leaving is noticed on a timer)."""
    end = time.time() + timeout
    while True:
        shot = screenshot()
        if close_to(pixel(shot, x, y), expected):
            if name:
                screenshot(name)
            return True
        if time.time() > end:
            return False
        time.sleep(0.1)


class Program:
    def __init__(self, mode):
        handle, self.log_path = tempfile.mkstemp(suffix=".log")
        os.close(handle)
        env = dict(os.environ, TAVRIN_TEST_MODE=mode, TAVRIN_EVENT_LOG="Z:" + self.log_path.replace("/", "\\"))
        self.process = subprocess.Popen([os.environ.get("TAVRIN_WINE", "wine"), PROGRAM], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def lines(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as log:
            return log.read().splitlines()

    def wait_for(self, predicate, timeout=20):
        end = time.time() + timeout
        while time.time() < end:
            found = [line for line in self.lines() if predicate(line)]
            if found:
                return found
            time.sleep(0.05)
        raise AssertionError("not in the log: %r" % self.lines())

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        os.unlink(self.log_path)


# Identifiers of the test layout's controls, in their order in the source.
PICTURE_BUTTON, CHECK_BUTTON, PAGE_ONE, BACKGROUND = 15, 16, 13, 1
OUT_COLOUR, IN_COLOUR = (0x30, 0x60, 0xD0), (0xE0, 0xB0, 0x20)


class RealInput(unittest.TestCase):
    def setUp(self):
        self.program = Program("input")
        self.program.wait_for(lambda line: line == "created")
        time.sleep(0.5)

    def tearDown(self):
        self.program.stop()

    def test_hover_click_toggle_drag_and_close(self):
        program = self.program
        xdotool("mousemove", 5, 470)
        self.assertTrue(pixel_becomes(360, 250, OUT_COLOUR, name="input_test_start.png"))

        # Under the mouse the button shows its second picture, and its first again once the mouse has left.
        xdotool("mousemove", 360, 250)
        self.assertTrue(pixel_becomes(360, 250, IN_COLOUR, name="input_test_hover.png"))
        xdotool("mousemove", 5, 470)
        self.assertTrue(pixel_becomes(360, 250, OUT_COLOUR))

        xdotool("mousemove", 360, 250, "click", 1)
        program.wait_for(lambda line: line == "event %d 0" % PICTURE_BUTTON)

        # Check-box mode: each click toggles the checked state once.
        xdotool("mousemove", 360, 306, "click", 1)
        program.wait_for(lambda line: line == "checked 0")
        time.sleep(0.6)  # not a double click
        xdotool("click", 1)
        program.wait_for(lambda line: line == "checked 1")

        # A press on a page control reaches its handler with the position in the control.
        xdotool("mousemove", 55, 305, "click", 1)
        pressed = program.wait_for(lambda line: line.startswith("event %d -1 " % PAGE_ONE))
        self.assertEqual(pressed[0].split()[3:5], ["25", "25"])

        # Pressing the background and dragging moves the window.
        xdotool("mousemove", 600, 400, "mousedown", 1)
        for step in range(1, 11):
            xdotool("mousemove", 600 + 5 * step, 400 + 4 * step)
            time.sleep(0.03)
        xdotool("mouseup", 1)
        program.wait_for(lambda line: line == "moved 50 40")
        self.assertTrue(pixel_becomes(410, 290, OUT_COLOUR, name="input_test_moved.png"))

        # The close button ends the program through the orderly end.
        xdotool("mousemove", 590 + 50, 446 + 40, "click", 1)
        self.assertEqual(program.process.wait(timeout=20), 0)
        self.assertIn("exit callback 1", program.lines())


if __name__ == "__main__":
    unittest.main(verbosity=2)
