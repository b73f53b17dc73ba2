#!/usr/bin/env python3
"""The installer's main job, shown: a local update server on 127.0.0.1 serves
the demo client, the installer (with an "up.ini" naming that server) runs in
the Wine session's fresh prefix, and afterwards this prints what was
installed. With TAVRIN_DEMO_HEADLESS=1 it presses 快速安装 itself and keeps a
screenshot of each stage; otherwise the user clicks on their own display.
Usage (inside a Wine session, see scripts/demo): demo.py SETUP CLIENT SHOTS"""
import http.server
import os
import shutil
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "installer"))
import installation as inst  # noqa: E402


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(folder):
    handler = lambda *a, **k: QuietHandler(*a, directory=folder, **k)  # noqa: E731
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def report(shots):
    files = inst.host_path(inst.DEFAULT_FOLDER)
    print(f"demo: installed into {inst.DEFAULT_FOLDER}:")
    for name in sorted(os.listdir(files)) if os.path.isdir(files) else []:
        print(f"  {name:<24} {os.path.getsize(os.path.join(files, name)):>9} bytes")
    values = inst.registry_values()
    print(f"demo: registry {inst.UNINSTALL_KEY}:" if values else "demo: no registry entry")
    for name, value in (values or {}).items():
        print(f"  {name:<22} {value}")
    for where in ("desktop", "start menu"):
        link = os.path.join(inst.profile_folder(where), inst.SHORTCUT)
        print(f"demo: {where} shortcut: {'present' if os.path.exists(link) else 'missing'}")
    started = os.path.exists(os.path.join(files, "tavrin-started.txt"))
    print(f"demo: the client {'was started' if started else 'was not started'}")
    if shots:
        print(f"demo: screenshots of each stage in {shots}")
    return started and values is not None


def main():
    setup, client, shots = sys.argv[1], sys.argv[2], sys.argv[3]
    headless = os.environ.get("TAVRIN_DEMO_HEADLESS") == "1"
    served = tempfile.mkdtemp(prefix="tavrin-update-server-")
    shutil.copy(client, os.path.join(served, "tavrin.exe"))
    server = serve(served)
    url = f"http://127.0.0.1:{server.server_address[1]}/tavrin.exe"
    print(f"demo: the update server on 127.0.0.1 serves the demo client at {url}")
    run = inst.Installer(setup, url=url, env={"TAVRIN_DEMO_CLIENT_SECONDS": "10"} if headless else None,
                         start_timeout=240)
    try:
        if headless:
            run.wait_for_window()
            inst.screenshot(os.path.join(shots, "stage-0-start.png"))
            run.click(inst.INSTALL_BUTTON)
            print(f"demo: 快速安装 pressed; the installer ended with {run.wait_for_end(timeout=300, shots_to=shots)}")
            time.sleep(3)
            inst.screenshot(os.path.join(shots, "stage-99-client.png"))
        else:
            print("demo: the installer runs on your display: press 快速安装, or close it to end")
            print(f"demo: the installer ended with {run.process.wait()}")
            time.sleep(3)
    finally:
        run.stop()
        server.shutdown()
        shutil.rmtree(served, ignore_errors=True)
    return 0 if report(shots if headless else None) else 1


if __name__ == "__main__":
    sys.exit(main())
