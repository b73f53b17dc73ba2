#!/usr/bin/env python3
"""Where the installer's start goes: each step from starting the process to
the main window mapped, median of 10 warm starts.

The steps are told apart by the first call of a system function that each
step makes, as Wine's relay trace times them (only those functions are
traced, so the rest of the program runs as usual), and by the main window
appearing on the display (xdotool). Wine's trace and this script read the
same clock (the system's raw monotonic clock). Tracing slows every step a
little: bench/run prints the untraced start (bench/startup.py) just before,
so that the difference shows. The main window is shown before its creation
handler runs, so the window appears in the middle of the list. Needs a Wine
session with a display in the environment (bench/run sets one up) and
TAVRIN_SETUP."""
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(__file__))
from startup import RUNS, WINE, visible_window  # noqa: E402

# The moments of the start: (what has happened by then, the call that marks
# it, which of that function's calls, a text its arguments must hold).
MARKS = [
    ("C runtime started, program code begins", "kernel32.SetDefaultDllDirectories", 1, ""),
    ("frame ready: OLE, hidden owner, layout read", "user32.CreateWindowExW", 2, ""),
    ("main window and controls made and shown", "shell32.IsUserAnAdmin", 1, ""),
    ("administrator check done", "advapi32.CryptAcquireContextA", 1, ""),
    ("single-instance check done", "kernel32.LoadLibraryExW", 1, "d2d1"),
    ("shadow class, Direct2D probe, main window's shadow", "kernel32.GetPrivateProfileStringA", 1, ""),
    ("up.ini read, banner placed, companion windows made", "user32.SetProcessDPIAware", 1, ""),
]
MAPPED = "main window mapped on the display"
# kernel32 forwards some functions to kernelbase; the relay names the entry
# either way, so both are included.
FORWARDED = ("kernelbase.SetDefaultDllDirectories", "kernelbase.LoadLibraryExW")
CALL = re.compile(r"^(\d+\.\d+):[0-9a-f]+:Call ([\w.]+)\((.*)$")


def set_relay_include():
    functions = ";".join(sorted({function for _, function, _, _ in MARKS} | set(FORWARDED)))
    subprocess.run([WINE, "reg", "add", r"HKCU\Software\Wine\Debug", "/v", "RelayInclude", "/t", "REG_SZ", "/d",
                    functions, "/f"], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def now():
    # Wine's trace timestamps are this clock in seconds (milliseconds shown).
    return time.clock_gettime(time.CLOCK_MONOTONIC_RAW)


def read_calls(trace_path):
    seen = {}
    with open(trace_path, errors="replace") as trace:
        for line in trace:
            found = CALL.match(line)
            if found:
                # Wine names some modules in capitals (KERNEL32).
                module, function = found.group(2).split(".", 1)
                module = "kernel32" if module.lower() == "kernelbase" else module.lower()
                name = f"{module}.{function}"
                seen.setdefault(name, []).append((float(found.group(1)), found.group(3)))
    return seen


def traced_start(folder, trace_path):
    """Seconds from the start to each mark and to the window mapped, or None
    when one was missing. The main window is shown before its creation
    handler runs, so the program is ended only once both are seen."""
    environment = dict(os.environ, WINEDEBUG="+timestamp,+relay")
    last = MARKS[-1][1]
    with open(trace_path, "w") as trace:
        began = now()
        process = subprocess.Popen([WINE, os.path.join(folder, "tavrin-setup.exe")], stdout=subprocess.DEVNULL,
                                   stderr=trace, env=environment)
        mapped, handled = None, False
        while now() - began < 60 and process.poll() is None and not (mapped and handled):
            if mapped is None and visible_window(process.pid):
                mapped = now()
            handled = handled or last in read_calls(trace_path)
        process.kill()
        process.wait()
    time.sleep(0.5)  # the single-instance check must not find the ended one
    seen = read_calls(trace_path)
    found = {}
    for name, function, nth, holds in MARKS:
        calls = [t for t, arguments in seen.get(function, []) if holds in arguments]
        if len(calls) < nth:
            print(f"  no call {nth} of {function}" + (f" with {holds}" if holds else ""))
            return None
        found[name] = calls[nth - 1] - began
    if mapped is None:
        print("  the main window did not appear")
        return None
    found[MAPPED] = mapped - began
    return found


def main():
    folder = tempfile.mkdtemp(prefix="tavrin-steps-")
    shutil.copy(os.environ["TAVRIN_SETUP"], os.path.join(folder, "tavrin-setup.exe"))
    trace_path = os.path.join(folder, "trace.txt")
    set_relay_include()
    traced_start(folder, trace_path)  # warm
    runs = [r for r in (traced_start(folder, trace_path) for _ in range(RUNS)) if r is not None]
    shutil.rmtree(folder, ignore_errors=True)
    if not runs:
        print("  no start gave every moment")
        return
    order = list(runs[0])
    moments = sorted((statistics.median(r[name] for r in runs), order.index(name), name) for name in order)
    print(f"  (traced, median of {len(runs)} warm starts: time since the start, and since the moment before)")
    before = 0.0
    for at, _, name in moments:
        print(f"  {name:<52} {at * 1000:6.0f} ms  {(at - before) * 1000:+6.0f} ms")
        before = at


if __name__ == "__main__":
    main()
