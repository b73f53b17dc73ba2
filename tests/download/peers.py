"""Real peers on 127.0.0.1 for the download tests (nginx, tinyproxy) and the
runner of tavrin-fetch under Wine. Every peer gets a free port and a private
configuration, and is stopped whatever happens."""
import hashlib
import os
import shutil
import socket
import subprocess
import tempfile
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_port(port, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.2):
                return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError(f"nothing listens on 127.0.0.1:{port}")


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def make_file(folder, name, size):
    path = os.path.join(folder, name)
    with open(path, "wb") as f:
        f.write(os.urandom(size))
    return path


class Peer:
    """A server process of ours, stopped and cleaned up on leaving."""

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait(10)
        shutil.rmtree(self.dir, ignore_errors=True)


class Nginx(Peer):
    """Static files from `root`, Range support, /slow/ limited per connection,
    /moved a 302 to /moved-target. With `tls` (name: (certificate, key)),
    one HTTPS server per name on a port of its own, serving the same, and
    /to-https/ on the plain server redirecting to the "good" one."""

    def __init__(self, root, rate="8m", tls=None):
        self.root = root
        self.rate = rate
        self.tls = tls or {}
        self.dir = tempfile.mkdtemp(prefix="tavrin-nginx-")
        self.port = free_port()
        self.tls_ports = {name: free_port() for name in self.tls}

    def locations(self):
        return f"""    root {self.root};
    location /slow/ {{ alias {self.root}/; limit_rate {self.rate}; }}
    location = /moved {{ return 302 /moved-target; }}
"""

    def __enter__(self):
        conf = os.path.join(self.dir, "nginx.conf")
        tmp = os.path.join(self.dir, "tmp")
        os.makedirs(tmp)
        secure = "".join(f"""  server {{
    listen 127.0.0.1:{self.tls_ports[name]} ssl;
    ssl_certificate {certificate};
    ssl_certificate_key {key};
    absolute_redirect off;
{self.locations()}  }}
""" for name, (certificate, key) in self.tls.items())
        upgrade = (f"    location /to-https/ {{ rewrite ^/to-https/(.*)$ https://localhost:{self.tls_ports['good']}/$1 "
                   f"redirect; }}\n" if "good" in self.tls else "")
        with open(conf, "w") as f:
            f.write(f"""
worker_processes 1;
daemon off;
master_process off;
error_log {self.dir}/error.log;
pid {self.dir}/nginx.pid;
events {{ worker_connections 512; }}
http {{
  access_log off;
  client_body_temp_path {tmp}; proxy_temp_path {tmp}; fastcgi_temp_path {tmp};
  uwsgi_temp_path {tmp}; scgi_temp_path {tmp};
  sendfile on;
  server {{
    listen 127.0.0.1:{self.port};
    absolute_redirect off;
{self.locations()}{upgrade}  }}
{secure}}}
""")
        self.process = subprocess.Popen(["nginx", "-c", conf, "-p", self.dir],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_port(self.port)
        for port in self.tls_ports.values():
            wait_for_port(port)
        return self

    def url(self, path, tls=None):
        if tls:
            return f"https://localhost:{self.tls_ports[tls]}{path}"
        return f"http://127.0.0.1:{self.port}{path}"


class Tinyproxy(Peer):
    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="tavrin-proxy-")
        self.port = free_port()

    def __enter__(self):
        conf = os.path.join(self.dir, "tinyproxy.conf")
        with open(conf, "w") as f:
            f.write(f"Port {self.port}\nListen 127.0.0.1\nTimeout 60\nMaxClients 64\n"
                    f"Allow 127.0.0.1\nLogLevel Critical\n")
        self.process = subprocess.Popen(["tinyproxy", "-d", "-c", conf],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_port(self.port)
        return self


def windows_path(path):
    """The Wine view of a host path (drive Z: is the host's root)."""
    return "Z:" + path.replace("/", "\\")


class FetchResult:
    def __init__(self, code, lines):
        self.code = code
        self.lines = lines
        self.events = [tuple(int(x) for x in l.split()[1:]) for l in lines if l.startswith("event ")]
        self.messages = [(int(l.split(" ", 2)[1]), l.split(" ", 2)[2] if l.count(" ") >= 2 else "")
                         for l in lines if l.startswith("message ")]

    def texts(self, level=None):
        return [t for lv, t in self.messages if level is None or lv == level]

    def codes(self):
        return [e[0] for e in self.events]

    def received(self):
        return sum(e[2] for e in self.events if e[0] == 16)


def wine():
    """The Wine loader of the session (the architecture's own, see scripts/wine-env)."""
    return os.environ.get("TAVRIN_WINE", "wine")


class ProgramDidNotStart(Exception):
    """The program printed nothing: Wine failed to start it, not the download."""


def fetch(url, save_path, *options, timeout=600):
    exe = os.environ["TAVRIN_FETCH"]
    run = subprocess.run([wine(), exe, url, save_path, *[str(o) for o in options]],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
    lines = run.stdout.decode("utf-8", "replace").splitlines()
    if not lines:
        raise ProgramDidNotStart(f"tavrin-fetch printed nothing and ended with {run.returncode}; "
                                 f"standard error: {run.stderr.decode('utf-8', 'replace')[-2000:]!r}")
    return FetchResult(run.returncode, lines)
