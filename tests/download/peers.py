"""Real peers on 127.0.0.1 for the download tests (nginx, tinyproxy) and the
runner of tavrin-fetch under Wine. Every peer gets a free port and a private
configuration, and is stopped whatever happens."""
import hashlib
import os
import shutil
import socket
import struct
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

    def __init__(self, root, rate="8m", tls=None, ipv6=False, tls_protocols="TLSv1.2 TLSv1.3"):
        self.root = root
        self.tls_protocols = tls_protocols
        self.rate = rate
        self.tls = tls or {}
        self.ipv6 = ipv6  # listen on [::1] too, on a port of its own
        self.dir = tempfile.mkdtemp(prefix="tavrin-nginx-")
        self.port = free_port()
        self.tls_ports = {name: free_port() for name in self.tls}
        self.ipv6_port = free_port() if ipv6 else None

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
    ssl_protocols {self.tls_protocols};
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
{f"    listen [::1]:{self.ipv6_port};" if self.ipv6 else ""}
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


class Haproxy(Peer):
    """HAProxy in front of a server on 127.0.0.1: HTTP/1.1 answers with the
    lower-case header names it sends by default."""

    def __init__(self, backend_port):
        self.dir = tempfile.mkdtemp(prefix="tavrin-haproxy-")
        self.port = free_port()
        self.backend_port = backend_port

    def __enter__(self):
        conf = os.path.join(self.dir, "haproxy.cfg")
        with open(conf, "w") as f:
            f.write(f"""global
  maxconn 256
defaults
  mode http
  timeout connect 5s
  timeout client 60s
  timeout server 60s
frontend front
  bind 127.0.0.1:{self.port}
  default_backend back
backend back
  server origin 127.0.0.1:{self.backend_port}
""")
        self.process = subprocess.Popen(["haproxy", "-db", "-f", conf],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_port(self.port)
        return self

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"


class Squid(Peer):
    """squid on 127.0.0.1 that knows names of its own (`hosts`: hosts-file
    text), so that an address the machine cannot resolve is reachable
    through it only. With `credentials` ("user:password") it asks for Basic
    authentication."""

    def __init__(self, hosts, credentials=None):
        self.dir = tempfile.mkdtemp(prefix="tavrin-squid-")
        self.port = free_port()
        self.hosts = hosts
        self.credentials = credentials

    def __enter__(self):
        hosts = os.path.join(self.dir, "hosts")
        with open(hosts, "w") as f:
            f.write(self.hosts)
        access = "http_access allow localhost\n"
        if self.credentials:
            user, password = self.credentials.split(":", 1)
            hashed = subprocess.run(["openssl", "passwd", "-1", password], check=True, stdout=subprocess.PIPE,
                                    text=True).stdout.strip()
            with open(os.path.join(self.dir, "passwords"), "w") as f:
                f.write(f"{user}:{hashed}\n")
            access = (f"auth_param basic program /usr/lib/squid/basic_ncsa_auth {self.dir}/passwords\n"
                      "auth_param basic realm tavrin\n"
                      "acl authenticated proxy_auth REQUIRED\n"
                      "http_access allow localhost authenticated\n")
        conf = os.path.join(self.dir, "squid.conf")
        with open(conf, "w") as f:
            f.write(f"""http_port 127.0.0.1:{self.port}
hosts_file {hosts}
acl localhost src 127.0.0.1/32 ::1
acl CONNECT method CONNECT
{access}http_access deny all
cache deny all
cache_mem 8 MB
access_log none
cache_log {self.dir}/cache.log
pid_filename none
netdb_filename none
pinger_enable off
coredump_dir {self.dir}
shutdown_lifetime 0 seconds
""")
        # squid started as root works as the "proxy" user.
        shutil.chown(self.dir, "proxy")
        for name in os.listdir(self.dir):
            shutil.chown(os.path.join(self.dir, name), "proxy")
        self.process = subprocess.Popen(["squid", "-N", "-f", conf],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for_port(self.port, 30)
        return self


def internet_options(proxy="", bypass="", pac_url="", detect=False):
    """The Wine prefix's internet options (what Windows keeps for the user's
    connection settings): a fixed proxy with its bypass list, a PAC script's
    address, automatic detection; with none of them, a direct connection
    (as the test session's prefix has it)."""
    key = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Connections"
    # direct, fixed proxy, PAC script, automatic detection
    flags = 1 | (2 if proxy else 0) | (4 if pac_url else 0) | (8 if detect else 0)

    def counted(text):
        data = text.encode("ascii")
        return struct.pack("<I", len(data)) + data

    blob = struct.pack("<III", 0x46, 0, flags) + counted(proxy) + counted(bypass) + counted(pac_url) + bytes(32)
    subprocess.run([wine(), "reg", "add", key, "/v", "DefaultConnectionSettings", "/t", "REG_BINARY", "/d",
                    blob.hex(), "/f"], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


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


def fetch(url, save_path, *options, timeout=600, hosts=None):
    """With `hosts`, the program runs in a mount namespace of its own where
    that text is /etc/hosts: names the machine's resolver does not know."""
    exe = os.environ["TAVRIN_FETCH"]
    command = [wine(), exe, url, save_path, *[str(o) for o in options]]
    hosts_file = None
    if hosts is not None:
        hosts_file = tempfile.NamedTemporaryFile("w", prefix="tavrin-hosts-", delete=False)
        hosts_file.write(hosts)
        hosts_file.close()
        command = ["unshare", "-m", "sh", "-c", 'mount --bind "$0" /etc/hosts && exec "$@"', hosts_file.name,
                   *command]
    try:
        run = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
    finally:
        if hosts_file:
            os.remove(hosts_file.name)
    lines = run.stdout.decode("utf-8", "replace").splitlines()
    if not lines:
        raise ProgramDidNotStart(f"tavrin-fetch printed nothing and ended with {run.returncode}; "
                                 f"standard error: {run.stderr.decode('utf-8', 'replace')[-2000:]!r}")
    return FetchResult(run.returncode, lines)
