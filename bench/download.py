#!/usr/bin/env python3
"""The download engine (tavrin-fetch) against programs under the same Wine
and natively, from nginx on loopback over HTTP and HTTPS:

- unthrottled, 128 MiB: the ceiling program (bench/recv_ceiling.cpp: one
  connection, receives of 20480 bytes into a mapped view, nothing else; over
  TLS, ciphertext received as the engine's TLS layer receives it), the
  WinHTTP downloader (bench/winhttp_fetch.cpp), tavrin-fetch with 1 and 4
  connections, and curl and aria2c (1, 4 and 8 connections) natively;
- with nginx limiting each connection to 8 MB/s: tavrin-fetch with 1, 2, 4
  and 8 connections, and aria2c with 1, 4 and 8, first all with one file of
  64 MiB, then each with 32 MiB per connection. With one file, N connections
  finish N times sooner but pay the process's fixed start (under Wine, TLS
  imports and checks the host's root certificates) all the same, so the
  ratio falls with N even where the connections share perfectly. With a
  size per connection every run lasts as long as the others, the fixed start
  weighs the same in each, and the ratio shows what N connections cost;
- over the tests' wide-area relay (100 ms round trip, 4 MB/s per
  connection), 32 MiB, as a share of the ideal time.

Every program is timed the same way, as a whole process from start to exit;
the Wine programs less Wine's bare process start, measured in the same run
(a program that ends at once). Each figure is the median of 5 runs (3 over
the relay), each file checked by its digest. CPU seconds (user and system of
the program and of wineserver) are given per 100 MiB for the Wine programs.
Needs a Wine session in the environment (bench/run sets one up), the test
authority's trust tool (TAVRIN_TRUST_ROOT) and the programs' paths
(TAVRIN_FETCH, TAVRIN_CEILING, TAVRIN_WINHTTP, TAVRIN_BARE)."""
import os
import statistics
import subprocess
import sys
import tempfile
import time
import urllib.parse

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "download"))
from certificates import make_test_certificates, trust_in_wine_prefix  # noqa: E402
from peers import Nginx, make_file, sha256, windows_path  # noqa: E402
from wan_relay import WanRelay  # noqa: E402

SIZE = 128 << 20
THROTTLED_SIZE = 64 << 20
PER_CONNECTION_SIZE = 32 << 20
CONNECTION_COUNTS = (1, 2, 4, 8)
RUNS = 5
WINE = os.environ.get("TAVRIN_WINE", "wine")
# Which build of the Wine programs is measured: i686 on hosts that run 32-bit
# code, x86_64 under 64-bit Wine elsewhere (bench/run says which).
ARCH = os.environ.get("TAVRIN_BENCH_ARCH", "i686")
TICK = os.sysconf("SC_CLK_TCK")


def wineserver_cpu():
    """CPU seconds the session's wineserver has used so far (Debian names it
    wineserver32 or wineserver64)."""
    found = subprocess.run(["pgrep", "^wineserver"], capture_output=True, text=True).stdout.split()
    total = 0.0
    for pid in found:
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += (int(fields[11]) + int(fields[12])) / TICK
        except OSError:
            pass
    return total


def run_whole(command):
    """Wall seconds, CPU seconds of the process (and of wineserver meanwhile),
    and the exit code."""
    server = wineserver_cpu()
    began = time.perf_counter()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - began
    process.returncode = os.waitstatus_to_exitcode(status)
    cpu = usage.ru_utime + usage.ru_stime + wineserver_cpu() - server
    return wall, cpu, process.returncode


class Program:
    def __init__(self, name, command, wine):
        self.name, self.command, self.wine = name, command, wine


def programs(url, authority, connections_list, with_peers):
    parts = urllib.parse.urlsplit(url)
    tls = parts.scheme == "https"
    found = []
    if with_peers:
        found.append(Program("recv-ceiling", lambda t: [WINE, os.environ["TAVRIN_CEILING"], str(parts.port),
                                                        parts.path, windows_path(t)] +
                             (["--tls"] if tls else []), True))
        found.append(Program("winhttp-fetch", lambda t: [WINE, os.environ["TAVRIN_WINHTTP"], url, windows_path(t)],
                             True))
    for n in connections_list:
        found.append(Program(f"tavrin-fetch {n}", lambda t, n=n: [WINE, os.environ["TAVRIN_FETCH"], url,
                                                                  windows_path(t), "--connections", str(n),
                                                                  "--quiet", "yes"], True))
    if with_peers:
        found.append(Program("curl", lambda t: ["curl", "-s", "--cacert", authority, "-o", t, url], False))
    for n in (1, 4, 8):
        found.append(Program(f"aria2c {n}", lambda t, n=n: [
            "aria2c", "-q", "--allow-overwrite=true", "--file-allocation=none", "-x", str(n), "-s", str(n),
            "--min-split-size=1M", f"--ca-certificate={authority}", "-d", os.path.dirname(t), "-o",
            os.path.basename(t), url], False))
    return found


def measure(program, target, expected, bare, runs=RUNS):
    """Median wall seconds (Wine's bare start taken off for Wine programs) and
    median CPU seconds; infinity when a run did not give the whole file."""
    walls, cpus = [], []
    for _ in range(runs):
        if os.path.exists(target):
            os.remove(target)
        wall, cpu, code = run_whole(program.command(target))
        whole = code == 0 and os.path.exists(target) and sha256(target) == expected
        walls.append(max(wall - (bare if program.wine else 0.0), 1e-6) if whole else float("inf"))
        cpus.append(cpu)
        if os.path.exists(target):
            os.remove(target)
    return statistics.median(walls), statistics.median(cpus)


def bare_start():
    return statistics.median(run_whole([WINE, os.environ["TAVRIN_BARE"]])[0] for _ in range(RUNS))


def unthrottled(label, url, authority, saved, expected, bare):
    print(f"{label}, unthrottled ({SIZE >> 20} MiB; median of {RUNS}):")
    figures = {}
    for program in programs(url, authority, (1, 4), True):
        wall, cpu = measure(program, os.path.join(saved, "out.bin"), expected, bare)
        figures[program.name] = (SIZE / wall / 1e6, cpu)
    ceiling, ceiling_cpu = figures["recv-ceiling"]
    for name, (rate, cpu) in figures.items():
        line = f"  {name:<16} {rate:8.1f} MB/s   {rate / ceiling if ceiling else 0:5.2f} x ceiling"
        if name in ("recv-ceiling", "winhttp-fetch") or name.startswith("tavrin"):
            per = cpu * (100 << 20) / SIZE
            line += f"   CPU {per:5.2f} s per 100 MiB ({per / (ceiling_cpu * (100 << 20) / SIZE):4.2f} x ceiling)"
            line += f"  [{ARCH} build]"
        print(line)


def throttled(label, url, authority, saved, expected, bare):
    print(f"{label}, 8 MB/s per connection, one file ({THROTTLED_SIZE >> 20} MiB; median of {RUNS}):")
    figures = {}
    for program in programs(url, authority, CONNECTION_COUNTS, False):
        wall, _ = measure(program, os.path.join(saved, "out.bin"), expected, bare)
        figures[program.name] = THROTTLED_SIZE / wall / 1e6
    print_scaling(figures)


def throttled_per_connection(label, urls, authority, saved, expected, bare):
    """urls and expected: by connection count, the file of that many times
    PER_CONNECTION_SIZE and its digest."""
    print(f"{label}, 8 MB/s per connection, {PER_CONNECTION_SIZE >> 20} MiB per connection (median of {RUNS}):")
    figures = {}
    for n, url in urls.items():
        for program in programs(url, authority, (n,), False):
            if int(program.name.split()[-1]) != n:
                continue
            wall, _ = measure(program, os.path.join(saved, "out.bin"), expected[n], bare)
            figures[program.name] = n * PER_CONNECTION_SIZE / wall / 1e6
    print_scaling(figures)


def print_scaling(figures):
    one = {name.split()[0]: rate for name, rate in figures.items() if name.endswith(" 1")}
    for name, rate in figures.items():
        program, n = name.split()[0], int(name.split()[-1])
        base = one.get(program)
        scaling = f"   {rate / (n * base) if base else 0:4.2f} x N x one" if n > 1 else ""
        print(f"  {name:<16} {rate:8.1f} MB/s{scaling}")


WAN_SIZE = 32 << 20
WAN_ROUND_TRIP = 0.1
WAN_RATE = 4_000_000  # bytes per second and connection
WAN_RUNS = 3


def wide_area(nginx, served, saved, authority, bare):
    """The ideal time is the size over the bandwidth of all connections, plus
    the round trips the requests need: one for the first, and one more for
    the further connections, which start once the first answer has told the
    size. (The relay accepts a connection at once: only what is sent over
    it is delayed.)"""
    source = make_file(served, "wan.bin", WAN_SIZE)
    expected = sha256(source)
    print(f"over a wide-area link ({WAN_SIZE >> 20} MiB, {WAN_ROUND_TRIP * 1000:.0f} ms round trip, "
          f"{WAN_RATE / 1e6:.0f} MB/s per connection; median of {WAN_RUNS}; ideal / measured):")
    for name in ("curl", "tavrin-fetch 1", "tavrin-fetch 4", "aria2c 1", "aria2c 4"):
        connections = int(name.split()[-1]) if name != "curl" else 1
        ideal = WAN_SIZE / (connections * WAN_RATE) + (1 if connections == 1 else 2) * WAN_ROUND_TRIP
        times = []
        for _ in range(WAN_RUNS):
            with WanRelay(nginx.port, delay_ms=WAN_ROUND_TRIP * 500, rate=WAN_RATE) as relay:
                program = next(p for p in programs(relay.url("/wan.bin"), authority, (1, 4), True) if p.name == name)
                times.append(measure(program, os.path.join(saved, "wan.bin"), expected, bare, runs=1)[0])
        median = statistics.median(times)
        built = f"  [{ARCH} build]" if name.startswith("tavrin") else ""
        share = ideal / median if median != float("inf") else 0.0
        print(f"  {name:<16} {median:7.2f} s   ideal {ideal:6.2f} s   {share:5.2f}{built}")


def main():
    served = tempfile.mkdtemp(prefix="tavrin-bench-")
    saved = tempfile.mkdtemp(prefix="tavrin-bench-saved-")
    expected = sha256(make_file(served, "big.bin", SIZE))
    throttled_expected = sha256(make_file(served, "part.bin", THROTTLED_SIZE))
    per_connection_expected = {n: sha256(make_file(served, f"part-{n}.bin", n * PER_CONNECTION_SIZE))
                               for n in CONNECTION_COUNTS}
    certificates = make_test_certificates(tempfile.mkdtemp(prefix="tavrin-bench-certificates-"))
    trust_in_wine_prefix(certificates["authority"])
    authority = certificates["authority"][:-len(".der")] + ".pem"
    bare = bare_start()
    print(f"Wine's bare process start (a program that ends at once): {bare * 1000:.0f} ms, "
          f"taken off every Wine program's time")
    with Nginx(served, rate="8m", tls={"good": certificates["good"]}) as nginx:
        for scheme, tls in (("HTTP", None), ("HTTPS", "good")):
            unthrottled(scheme, nginx.url("/big.bin", tls=tls), authority, saved, expected, bare)
        for scheme, tls in (("HTTP", None), ("HTTPS", "good")):
            throttled(scheme, nginx.url("/slow/part.bin", tls=tls), authority, saved, throttled_expected, bare)
            throttled_per_connection(scheme, {n: nginx.url(f"/slow/part-{n}.bin", tls=tls) for n in CONNECTION_COUNTS},
                                     authority, saved, per_connection_expected, bare)
        wide_area(nginx, served, saved, authority, bare)
    subprocess.run(["rm", "-rf", served, saved, os.path.dirname(authority)])


if __name__ == "__main__":
    main()
