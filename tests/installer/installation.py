"""Runs the installer under Wine as a user would and looks at what it left:
files in the prefix, the registry, shortcuts, the started client. Shared by
the flow tests and the shipped-executable tier. Needs a Wine session
(scripts/wine-env) and the display it runs on."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from contextlib import contextmanager

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "frame"))
from input_test import close_to, pixel, screenshot, xdotool  # noqa: E402

WINE = os.environ.get("TAVRIN_WINE", "wine")
PREFIX = os.environ.get("WINEPREFIX", "")
SKIN = (24, 26, 33)
NOTICE_COLOURS = {"green": (69, 185, 124), "red": (196, 66, 52), "orange": (250, 167, 85)}
# Where the list of installed programs reads a 32-bit program's entry: on
# 64-bit Windows the 32-bit view's copy under WOW6432Node, on 32-bit Windows
# the one key there is.
UNINSTALL_KEY = (r"HKLM\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\tavrin"
                 if os.environ.get("WINEARCH") == "win64" else
                 r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\tavrin")
DEFAULT_FOLDER = r"C:\Program Files (x86)\tavrin"
SHORTCUT = "Tavrin 端口映射.lnk"
TEXTS = os.path.join(os.path.dirname(__file__), "..", "..", "installer", "texts")

# Where the installer's controls are, from the main window's corner.
INSTALL_BUTTON = (11 + 491 + 108, 11 + 581 + 32)
OPTIONS_BUTTON = (11 + 47 + 41, 11 + 685 + 16)
CLOSE_BUTTON = (1168 + 16, 16 + 16)
PANEL_TOP = 750 - 250
FOLDER_FIELD = (26 + 13 + 300, PANEL_TOP + 74 + 5 + 21)
DESKTOP_MARK, START_MENU_MARK = (44, PANEL_TOP + 208), (202, PANEL_TOP + 208)
PANEL_CHEVRON = (22 + 16, PANEL_TOP + 16 + 16)


def host_path(windows_path):
    """The host path of a path on the prefix's drive C:."""
    assert windows_path[:3].upper() == "C:\\", windows_path
    return os.path.join(PREFIX, "drive_c", *[p for p in windows_path[3:].split("\\") if p])


def profile_folder(name):
    """Desktop or Start menu of the prefix's user (the session makes them real folders)."""
    users = os.path.join(PREFIX, "drive_c", "users")
    user = next(u for u in os.listdir(users) if u not in ("Public", "public"))
    base = os.path.join(users, user)
    return os.path.join(base, "Desktop") if name == "desktop" else \
        os.path.join(base, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu")


def wine_run(*args, timeout=120):
    return subprocess.run([WINE, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)


def registry_values(key=UNINSTALL_KEY):
    """The key's values as {name: text or int}; None when the key is missing."""
    handle, exported = tempfile.mkstemp(suffix=".reg")
    os.close(handle)
    try:
        run = wine_run("reg", "export", key, "Z:" + exported.replace("/", "\\"), "/y")
        if run.returncode != 0 or os.path.getsize(exported) == 0:
            return None
        with open(exported, "rb") as f:
            text = f.read().decode("utf-16")
    finally:
        os.unlink(exported)
    values = {}
    for name, data in re.findall(r'^"((?:[^"\\]|\\.)*)"=(.*)$', text, re.M):
        if data.startswith("dword:"):
            values[name] = int(data[6:], 16)
        else:
            values[name] = re.sub(r"\\(.)", r"\1", data.strip()[1:-1])
    return values


def delete_registry_key(key=UNINSTALL_KEY):
    wine_run("reg", "delete", key, "/f")


def thread_stacks(path):
    """Where every thread of the running Wine program at `path` stands
    (winedbg's backtraces), for a run that stalled; empty when none is found."""
    program = os.path.basename(path)
    try:
        listing = wine_run("winedbg", "--command", "info process", timeout=60).stdout.decode("utf-8", "replace")
        found = [line.split()[0].lstrip("=") for line in listing.splitlines() if f"'{program}'" in line]
        if not found:
            return ""
        # "bt all" walks every process; the program's own threads are kept.
        run = subprocess.run([WINE, "winedbg", "0x" + found[0]], input=b"bt all\ndetach\nquit\n",
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
    except subprocess.TimeoutExpired:
        return "winedbg did not answer"
    blocks = run.stdout.decode("utf-8", "replace").split("Backtracing for thread ")
    own = int(found[0], 16)
    stacks = "".join("Backtracing for thread " + b for b in blocks[1:]
                     if (m := re.match(r"\w+ in process (\w+) ", b)) and int(m.group(1), 16) == own)
    return named_frames(stacks, program, path)


def named_frames(stacks, program, path):
    """The program's frames that winedbg left without a name, named from the
    program's own debugging information."""
    module = os.path.splitext(program)[0]
    unnamed = re.compile(r"(0x([0-9a-f]+) in " + re.escape(module) + r") \(\+0x[0-9a-f]+\)")
    addresses = sorted(set(m.group(2) for m in unnamed.finditer(stacks)))
    if not addresses:
        return stacks
    tool = "x86_64-w64-mingw32-addr2line" if os.environ.get("WINEARCH") == "win64" else "i686-w64-mingw32-addr2line"
    try:
        lines = subprocess.run([tool, "-f", "-C", "-e", path, *("0x" + a for a in addresses)],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60).stdout.decode().split("\n")
    except (OSError, subprocess.TimeoutExpired):
        return stacks
    names = {a: f"{lines[2 * i]} [{lines[2 * i + 1]}]" for i, a in enumerate(addresses) if 2 * i + 1 < len(lines)}
    return unnamed.sub(lambda m: f"{m.group(1)} {names.get(m.group(2), '')}", stacks)


def strip_shown():
    """Whether the status strip is mapped: asked of the X server rather than
    read from the screen, where another window (the file manager the
    installer opens) may lie over it."""
    found = subprocess.run(["xdotool", "search", "--name", "^状态条$"], stdout=subprocess.PIPE).stdout.split()
    for window in found:
        info = subprocess.run(["xwininfo", "-id", window], stdout=subprocess.PIPE).stdout.decode()
        if "IsViewable" in info:
            return True
    return False


def end_leftover_programs():
    """Programs a failed test may leave behind (a relaunched copy, an
    uninstaller, the client): a running installer would make the next one
    end at once as a second instance."""
    subprocess.run(["pkill", "-f", r"tavrin-installer-|卸载\.exe|tavrin-setup|holder\.exe|\\tavrin\.exe"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(0.5)


def notice_colour(shot, left, top):
    colour = pixel(shot, left + 600, top + 8)
    return next((name for name, c in NOTICE_COLOURS.items() if close_to(colour, c, 6)), None)


_screen = []


def window_corner():
    """Where the centred main window's corner lies; the screen is measured once,
    so that two programs can be started a few milliseconds apart."""
    if not _screen:
        width, data = screenshot()
        _screen.append(((width - 1215) // 2, (len(data) // (3 * width) - 750) // 2))
    return _screen[0]


def folder_access(windows_path):
    """The folder's access list as the program reads it (SDDL)."""
    run = wine_run(os.environ["TAVRIN_FOLDER_ACCESS"], windows_path)
    return run.stdout.decode("utf-8", "replace").strip()


class Installer:
    """One run of a copy of the installer named `name` in a folder of its own
    (with an "up.ini" naming `url`, and `digest` when given)."""

    def __init__(self, setup, name="tavrin-setup.exe", url=None, folder=None, arguments=(), env=None,
                 start_timeout=60, digest=None, launch=True):
        self.folder = folder or tempfile.mkdtemp(prefix="tavrin-installer-")
        self.path = os.path.join(self.folder, name)
        if not os.path.exists(self.path):
            shutil.copy(setup, self.path)
        if url is not None:
            with open(os.path.join(self.folder, "up.ini"), "wb") as f:
                f.write(f"[更新信息]\r\n下载地址={url}\r\n".encode("gbk"))
                if digest is not None:
                    f.write(f"SHA256={digest}\r\n".encode("gbk"))
        # Standard error goes to a file: a pipe nobody reads fills up, and a
        # program writing to it (Wine's or qemu's warnings) would then hang.
        self.errors = tempfile.TemporaryFile()
        self.command = [WINE, self.path, *arguments]
        self.env = dict(os.environ, **(env or {}))
        self.process = None
        if launch:
            self.launch()
        self.start_timeout = start_timeout
        self.notices = []
        self.left, self.top = window_corner()

    def launch(self):
        self.process = subprocess.Popen(self.command, env=self.env, stdout=subprocess.DEVNULL, stderr=self.errors)

    def standard_error(self):
        self.errors.seek(0)
        return self.errors.read().decode("utf-8", "replace")

    def at(self, point):
        return self.left + point[0], self.top + point[1]

    def wait_for_window(self):
        self.wait_until(lambda shot: close_to(pixel(shot, *self.at((600, 30))), SKIN), self.start_timeout,
                        "the main window never appeared")
        time.sleep(1)

    def wait_until(self, condition, timeout, what):
        end = time.time() + timeout
        while time.time() < end:
            shot = screenshot()
            self.note(shot)
            if condition(shot):
                return shot
            if self.process.poll() is not None:
                raise AssertionError(f"{what}: the installer ended with {self.process.returncode}; "
                                     f"standard error: {self.standard_error()[-2000:]!r}")
            time.sleep(0.3)
        self.stalled(f"{what} (after {timeout} s; notice colours seen in turn: {self.notices})")

    def exit_code(self, timeout):
        """The program's exit code once it has ended, within `timeout` seconds."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.stalled(f"the installer did not end within {timeout} s "
                         f"(notice colours seen in turn: {self.notices})")

    def stalled(self, what):
        """Fails with `what` and where each of the program's threads waits."""
        stacks = thread_stacks(self.path)
        if stacks:
            with open(os.path.join(os.environ.get("TAVRIN_ARTIFACTS", tempfile.gettempdir()), "stalled-threads.txt"),
                      "a") as f:
                f.write(f"== {what}\n{stacks}\n")
        raise AssertionError(f"{what}; threads:\n{stacks[-12000:]}")

    def note(self, shot):
        colour = notice_colour(shot, self.left, self.top)
        if colour and (not self.notices or self.notices[-1] != colour):
            self.notices.append(colour)

    def wait_for_failure_notice(self, timeout):
        """A failure ends with its notice counting down on the strip while the
        program stays: waits for the strip to go with the program still there."""
        self.wait_until(lambda shot: strip_shown(), 30, "no notice at all")
        self.wait_until(lambda shot: not strip_shown(), timeout, "the strip stays")

    def click(self, point):
        xdotool("mousemove", *self.at(point), "click", 1)
        time.sleep(0.7)  # apart from the next click: no double click

    def type_folder(self, text):
        self.click(OPTIONS_BUTTON)
        time.sleep(0.5)
        self.click(FOLDER_FIELD)
        xdotool("key", "ctrl+a")
        xdotool("type", "--delay", "30", text)

    def wait_for_end(self, timeout=120, shots_to=None):
        """Watches the strip until the program ends; returns its exit code."""
        end = time.time() + timeout
        count = 0
        while self.process.poll() is None and time.time() < end:
            shot = screenshot(os.path.join(shots_to, f"stage-{count:02d}.png") if shots_to and count % 5 == 0 else None)
            count += 1
            self.note(shot)
            time.sleep(0.3)
        if self.process.poll() is None:
            raise AssertionError(f"still running after {timeout} s; notices {self.notices}")
        return self.process.returncode

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
        if self.process:
            self.process.wait()
        self.errors.close()


def same_bytes(a, b):
    with open(a, "rb") as x, open(b, "rb") as y:
        return x.read() == y.read()


def link_points_to(link, target):
    """The shell link names `target` (as the link stores it, UTF-16 or code page 936)."""
    with open(link, "rb") as f:
        data = f.read()
    return target.encode("utf-16-le") in data or target.encode("gbk") in data


def clean_installation(folder=DEFAULT_FOLDER):
    """Leaves the prefix as if nothing had been installed."""
    shutil.rmtree(host_path(folder), ignore_errors=True)
    delete_registry_key()
    for where in ("desktop", "start menu"):
        link = os.path.join(profile_folder(where), SHORTCUT)
        if os.path.exists(link):
            os.unlink(link)


@contextmanager
def file_held(setup_client, windows_path):
    """Another program (a copy of the demo client) holds the file open
    without sharing while the block runs; the file must exist."""
    folder = tempfile.mkdtemp(prefix="tavrin-holder-")
    holder = os.path.join(folder, "holder.exe")
    shutil.copy(setup_client, holder)
    held = subprocess.Popen([WINE, holder, "--hold", windows_path], stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        yield held
    finally:
        held.kill()
        held.wait()
        shutil.rmtree(folder, ignore_errors=True)
