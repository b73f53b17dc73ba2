#!/usr/bin/env python3
"""Start-up: the time from starting the installer to its main window mapped on
the display, beside the start and end of a program that does nothing, both
whole processes under the same Wine session, median of 10 warm starts (one
start of each before, unmeasured). Needs a Wine session with a display in the
environment (bench/run sets one up), TAVRIN_SETUP and TAVRIN_BARE."""
import os
import shutil
import statistics
import subprocess
import tempfile
import time

WINE = os.environ.get("TAVRIN_WINE", "wine")
RUNS = 10
TITLE = "Ostry"


def bare_start():
    began = time.perf_counter()
    subprocess.run([WINE, os.environ["TAVRIN_BARE"]], check=True)
    return time.perf_counter() - began


def visible_window(pid):
    run = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", TITLE],
                         capture_output=True)
    return run.returncode == 0 and run.stdout.strip() != b""


def installer_start(folder):
    """Seconds to the main window mapped; the program is ended afterwards."""
    began = time.perf_counter()
    process = subprocess.Popen([WINE, os.path.join(folder, "tavrin-setup.exe")], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    mapped = None
    while time.perf_counter() - began < 60:
        # Wine's process is the program itself: its pid names the window.
        if visible_window(process.pid):
            mapped = time.perf_counter() - began
            break
        if process.poll() is not None:
            print(f"  the installer ended with {process.returncode} before its window appeared")
            break
    process.kill()
    process.wait()
    # The single-instance check must not find the ended one.
    time.sleep(0.5)
    return mapped


def main():
    folder = tempfile.mkdtemp(prefix="tavrin-start-")
    shutil.copy(os.environ["TAVRIN_SETUP"], os.path.join(folder, "tavrin-setup.exe"))
    bare_start(), installer_start(folder)  # warm: files cached, Wine's libraries loaded once
    bare, mapped = [], []
    for _ in range(RUNS):
        bare.append(bare_start())
        mapped.append(installer_start(folder))
    shutil.rmtree(folder, ignore_errors=True)
    if None in mapped:
        print(f"  the main window did not appear in {mapped.count(None)} of {RUNS} starts")
        mapped = [m for m in mapped if m is not None] or [float("nan")]
    b, m = statistics.median(bare), statistics.median(mapped)
    print(f"  a program that does nothing, start to end:   {b * 1000:7.0f} ms")
    print(f"  the installer, start to main window mapped:  {m * 1000:7.0f} ms")
    print(f"  the installer after a bare start would have ended: {(m - b) * 1000:6.0f} ms")


if __name__ == "__main__":
    main()
