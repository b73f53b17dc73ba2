#!/usr/bin/env python3
"""Throughput of tavrin-fetch (1 and 4 connections) against curl and aria2c
(1 and 4 connections) on a 256 MiB file from nginx on loopback, over HTTP
and over HTTPS, unthrottled and with nginx limiting each connection to
8 MB/s. Every figure is printed as a ratio to curl's over the same scheme in
the same run. Then a 32 MiB file over a wide-area link (the tests' relay:
100 ms round trip, 4 MB/s per connection), each program's median of three
runs as a share of the ideal time. Needs a Wine session in the environment
(bench/run sets one up) and the test authority's trust tool
(TAVRIN_TRUST_ROOT)."""
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "download"))
from certificates import make_test_certificates, trust_in_wine_prefix  # noqa: E402
from peers import Nginx, make_file, sha256, windows_path  # noqa: E402
from wan_relay import WanRelay  # noqa: E402

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
                          "--connections", str(connections), "--quiet", "yes"])
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


WAN_SIZE = 32 << 20
WAN_ROUND_TRIP = 0.1
WAN_RATE = 4_000_000  # bytes per second and connection
WAN_RUNS = 3


def wide_area(nginx, served, saved, authority):
    """The ideal time is the size over the bandwidth of all connections, plus
    the round trips the requests need: one for the first, and one more for
    the further connections, which start once the first answer has told the
    size. (The relay accepts a connection at once: only what is sent over
    it is delayed.)"""
    source = make_file(served, "wan.bin", WAN_SIZE)
    expected = sha256(source)
    print(f"over a wide-area link ({WAN_SIZE >> 20} MiB, {WAN_ROUND_TRIP * 1000:.0f} ms round trip, "
          f"{WAN_RATE / 1e6:.0f} MB/s per connection; median of {WAN_RUNS}; ideal / measured):")
    for name, connections, run in (("curl", 1, lambda url, t: curl(url, t, authority)),
                                   ("tavrin-fetch 1", 1, lambda url, t: tavrin(url, t, 1)),
                                   ("tavrin-fetch 4", 4, lambda url, t: tavrin(url, t, 4)),
                                   ("aria2c 1", 1, lambda url, t: aria2c(url, t, 1, authority)),
                                   ("aria2c 4", 4, lambda url, t: aria2c(url, t, 4, authority))):
        ideal = WAN_SIZE / (connections * WAN_RATE) + (1 if connections == 1 else 2) * WAN_ROUND_TRIP
        times = []
        for _ in range(WAN_RUNS):
            target = os.path.join(saved, "wan-" + name.replace(" ", "-") + ".bin")
            if os.path.exists(target):
                os.remove(target)
            with WanRelay(nginx.port, delay_ms=WAN_ROUND_TRIP * 500, rate=WAN_RATE) as relay:
                seconds, code = run(relay.url("/wan.bin"), target)
            whole = code == 0 and sha256(target) == expected
            times.append(seconds if whole else float("inf"))
            os.remove(target) if os.path.exists(target) else None
        median = sorted(times)[len(times) // 2]
        built = f"  ({ARCH} build)" if name.startswith("tavrin") else ""
        share = ideal / median if median != float("inf") else 0.0
        print(f"  {name:<16} {median:7.2f} s   ideal {ideal:6.2f} s   {share:5.2f}{built}")


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
        wide_area(nginx, served, saved, authority)
    subprocess.run(["rm", "-rf", served, saved, os.path.dirname(authority)])


if __name__ == "__main__":
    main()
