#!/usr/bin/env python3
"""Throughput of tavrin-fetch (1 and 4 connections) against curl and aria2c
(1 and 4 connections) on a 256 MiB file from nginx on loopback, over HTTP
and over HTTPS, unthrottled and with nginx limiting each connection to
8 MB/s. Every figure is printed as a ratio to curl's over the same scheme in
the same run. Needs a Wine session in the environment (bench/run sets one
up) and the test authority's trust tool (TAVRIN_TRUST_ROOT)."""
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "download"))
from certificates import make_test_certificates, trust_in_wine_prefix  # noqa: E402
from peers import Nginx, make_file, sha256, windows_path  # noqa: E402

SIZE = 256 << 20
# Which build of tavrin-fetch is measured: i686 on hosts that run 32-bit code,
# x86_64 under 64-bit Wine elsewhere (bench/run says which).
ARCH = os.environ.get("TAVRIN_BENCH_ARCH", "i686")


def timed(command):
    began = time.perf_counter()
    run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return time.perf_counter() - began, run


def tavrin(url, target, connections):
    seconds, run = timed([os.environ.get("TAVRIN_WINE", "wine"), os.environ["TAVRIN_FETCH"], url, windows_path(target),
                          "--connections", str(connections)])
    inner = re.search(rb"finished in ([0-9.]+) ms", run.stdout)
    # The program's own figure leaves out Wine's start-up; the others run natively.
    return (float(inner.group(1)) / 1000 if inner else seconds), run.returncode


def curl(url, target, authority):
    run = subprocess.run(["curl", "-s", "--cacert", authority, "-o", target, "-w", "%{time_total}", url],
                         stdout=subprocess.PIPE)
    return float(run.stdout or 0), run.returncode


def aria2c(url, target, connections, authority):
    folder, name = os.path.split(target)
    seconds, run = timed(["aria2c", "-q", "--allow-overwrite=true", "--file-allocation=none", "-x", str(connections),
                          "-s", str(connections), "--min-split-size=1M", f"--ca-certificate={authority}", "-d",
                          folder, "-o", name, url])
    return seconds, run.returncode


def main():
    served = tempfile.mkdtemp(prefix="tavrin-bench-")
    saved = tempfile.mkdtemp(prefix="tavrin-bench-saved-")
    source = make_file(served, "big.bin", SIZE)
    expected = sha256(source)
    certificates = make_test_certificates(tempfile.mkdtemp(prefix="tavrin-bench-certificates-"))
    trust_in_wine_prefix(certificates["authority"])
    authority = certificates["authority"][:-len(".der")] + ".pem"
    with Nginx(served, rate="8m", tls={"good": certificates["good"]}) as nginx:
        cases = [(f"{scheme}, {label}", nginx.url(path, tls=tls))
                 for scheme, tls in (("HTTP", None), ("HTTPS", "good"))
                 for label, path in (("unthrottled", "/big.bin"), ("8 MB/s per connection", "/slow/big.bin"))]
        for label, url in cases:
            figures = {}
            for name, run in (("curl", lambda t: curl(url, t, authority)),
                              ("tavrin-fetch 1", lambda t: tavrin(url, t, 1)),
                              ("tavrin-fetch 4", lambda t: tavrin(url, t, 4)),
                              ("aria2c 1", lambda t: aria2c(url, t, 1, authority)),
                              ("aria2c 4", lambda t: aria2c(url, t, 4, authority))):
                target = os.path.join(saved, name.replace(" ", "-") + ".bin")
                if os.path.exists(target):
                    os.remove(target)
                seconds, code = run(target)
                ok = code == 0 and sha256(target) == expected
                figures[name] = SIZE / seconds / 1e6 if ok else 0.0
                os.remove(target) if os.path.exists(target) else None
            base = figures["curl"] or 1.0
            print(f"{label}:")
            for name, mbps in figures.items():
                built = f"  ({ARCH} build)" if name.startswith("tavrin") else ""
                print(f"  {name:<16} {mbps:9.1f} MB/s   {mbps / base:5.2f} x curl{built}")
            one, four = figures["tavrin-fetch 1"], figures["tavrin-fetch 4"]
            if one:
                print(f"  tavrin-fetch 4 / 1: {four / one:.2f}")
    subprocess.run(["rm", "-rf", served, saved, os.path.dirname(authority)])


if __name__ == "__main__":
    main()
