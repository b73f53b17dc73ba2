"""An HTTP server on 127.0.0.1 that misbehaves on request, for the download
engine's tests. Runs in a thread of the test process; every request's header
is recorded. Paths:

  /file/NAME                 the file, with Range support
  /drop/N/K/NAME             the first K requests of this path drop the
                             connection after N body bytes
  /stall/MS/K/NAME           the first K requests send the header, then
                             stall MS milliseconds before the body
  /pieces/NAME               the header in 1-byte pieces
  /norange/NAME              Range ignored: always 200 with the whole file
  /bigheader/NAME            a header over 4096 bytes
  /nolength/NAME             200 without Content-Length
  /chunked/NAME              200 with chunked transfer coding
  /partial/NAME              the first answer is 206 without Content-Range
  /status/CODE               that status, no body
  /chain/N/NAME              N redirects, alternating 301/302, with relative
                             and absolute locations and a Set-Cookie, then
                             /needcookie/NAME
  /needcookie/NAME           403 unless the request carries Cookie: a=1
  /disposition/SAVED/NAME    the file, named SAVED by Content-Disposition
  /huge                      Content-Length: 2147483648
  /slow/BPS/NAME             the file at about BPS bytes per second
  /cut/N/NAME                cut short for good: every request drops the
                             connection after N body bytes, and a request
                             for a range is refused (416)
  /badrange/KIND/NAME        ranged requests answered wrongly by KIND: "200"
                             (the whole file), "other" (a 206 of another
                             range), "total" (a 206 of the range asked for
                             but of another file size), "once" (the first
                             ranged request a 200, later ones right); the
                             first request without a range drops the
                             connection after a third of the body
  /redirect/CODE/NAME        CODE (303, 307, 308) to the file: 303 by an
                             absolute path, 307 relative to the folder
                             (/redirect/307/r/NAME), 308 by a whole URL
  /lower/NAME                the file, with lower-case header names
  /hang/PERCENT/NAME         stalls for good: the whole length announced,
                             PERCENT per cent of the body sent in pieces of
                             256 bytes (one receive each), then nothing while
                             the connection stays open; a request for a range
                             is refused (416)
"""
import http.server
import os
import re
import socket
import ssl
import threading
import time
import urllib.parse


class FaultServer:
    """With `tls` (certificate, key) it speaks HTTPS, as "localhost"; its
    dropped connections then end with a close notify."""

    def __init__(self, root, tls=None, address="127.0.0.1"):
        self.root = root
        self.address = address
        self.tls = tls
        self.requests = []  # (path, header text) in arrival order
        self.request_times = []  # when each of them arrived
        self.counts = {}
        self.lock = threading.Lock()
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def do_GET(self):
                with server.lock:
                    server.requests.append((self.path, str(self.headers)))
                    server.request_times.append(time.time())
                    server.counts[self.path] = server.counts.get(self.path, 0) + 1
                    count = server.counts[self.path]
                try:
                    server.answer(self, count)
                except (BrokenPipeError, ConnectionResetError):
                    pass

        self.httpd = http.server.ThreadingHTTPServer((address, 0), Handler)
        self.httpd.daemon_threads = True
        if tls:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(*tls)
            # The handshake happens in the request's own thread, on first read.
            self.httpd.socket = context.wrap_socket(self.httpd.socket, server_side=True,
                                                    do_handshake_on_connect=False)
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.httpd.shutdown()
        self.httpd.server_close()

    def url(self, path):
        if self.tls:
            return f"https://localhost:{self.port}{path}"
        return f"http://{self.address}:{self.port}{path}"

    def headers_of(self, prefix):
        with self.lock:
            return [h for p, h in self.requests if p.startswith(prefix)]

    # -- answers -----------------------------------------------------------

    def data(self, name):
        with open(os.path.join(self.root, name), "rb") as f:
            return f.read()

    @staticmethod
    def send_raw(handler, text):
        handler.wfile.write(text.encode("latin-1"))
        handler.wfile.flush()

    def send_file(self, h, data, honour_range=True, extra="", header_pieces=False, drop_after=None, stall_ms=0,
                  lower=False):
        start = 0
        match = re.search(r"bytes=(\d+)-", h.headers.get("Range", "") or "")
        if honour_range and match:
            start = int(match.group(1))
            body = data[start:]
            head = (f"HTTP/1.1 206 Partial Content\r\nContent-Length: {len(body)}\r\n"
                    f"Content-Range: bytes {start}-{len(data) - 1}/{len(data)}\r\n")
        else:
            body = data
            head = f"HTTP/1.1 200 OK\r\nContent-Length: {len(body)}\r\n"
        head += "Accept-Ranges: bytes\r\nConnection: close\r\n" + extra
        if lower:
            status, _, fields = head.partition("\r\n")
            head = status + "\r\n" + "".join(
                f"{name.lower()}:{value}\r\n" for name, value in
                (line.split(":", 1) for line in fields.split("\r\n") if line))
        head += "\r\n"
        if header_pieces:
            for ch in head:
                self.send_raw(h, ch)
                time.sleep(0.001)
        else:
            self.send_raw(h, head)
        if stall_ms:
            time.sleep(stall_ms / 1000)
        if drop_after is not None:
            h.wfile.write(body[:drop_after])
            h.wfile.flush()
            if isinstance(h.connection, ssl.SSLSocket):
                # The close notify, before the data's end; then the close
                # itself, without waiting for the client's notify (as nginx).
                h.connection.setblocking(False)
                try:
                    h.connection.unwrap()
                except (ssl.SSLError, OSError):
                    pass
            h.connection.shutdown(socket.SHUT_RDWR)
            h.close_connection = True
            return
        h.wfile.write(body)
        h.close_connection = True

    def send_bad_range(self, h, kind, data):
        match = re.search(r"bytes=(\d+)-", h.headers.get("Range", "") or "")
        key = (h.path, bool(match))  # ranged and whole requests are counted apart
        with self.lock:
            self.counts[key] = self.counts.get(key, 0) + 1
            nth = self.counts[key]
        if not match:
            self.send_file(h, data, honour_range=False, drop_after=len(data) // 3 if nth == 1 else None)
            return
        start = int(match.group(1))
        if kind == "200" or (kind == "once" and nth == 1):
            self.send_file(h, data, honour_range=False)
            return
        if kind == "once":
            self.send_file(h, data)
            return
        if kind == "other":
            first = max(0, start - 1000)  # the range before the one asked for
            body, total = data[first:], len(data)
        else:  # "total": the bytes asked for, as part of a larger file
            first, body, total = start, data[start:], len(data) * 2
        self.send_raw(h, f"HTTP/1.1 206 Partial Content\r\nContent-Length: {len(body)}\r\n"
                         f"Content-Range: bytes {first}-{first + len(body) - 1}/{total}\r\nConnection: close\r\n\r\n")
        h.wfile.write(body)
        h.close_connection = True

    def answer(self, h, count):
        parts = [urllib.parse.unquote(p) for p in h.path.split("/")[1:]]
        kind = parts[0]
        if kind == "file":
            self.send_file(h, self.data(parts[1]))
        elif kind == "drop":
            n, k, name = int(parts[1]), int(parts[2]), parts[3]
            self.send_file(h, self.data(name), drop_after=n if count <= k else None)
        elif kind == "stall":
            ms, k, name = int(parts[1]), int(parts[2]), parts[3]
            self.send_file(h, self.data(name), stall_ms=ms if count <= k else 0)
        elif kind == "pieces":
            self.send_file(h, self.data(parts[1]), header_pieces=True)
        elif kind == "norange":
            self.send_file(h, self.data(parts[1]), honour_range=False)
        elif kind == "bigheader":
            self.send_file(h, self.data(parts[1]), extra="X-Padding: " + "p" * 4200 + "\r\n")
        elif kind == "nolength":
            self.send_raw(h, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n")
            h.wfile.write(self.data(parts[1]))
            h.close_connection = True
        elif kind == "chunked":
            data = self.data(parts[1])
            self.send_raw(h, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n")
            h.wfile.write(b"%x\r\n" % len(data) + data + b"\r\n0\r\n\r\n")
            h.close_connection = True
        elif kind == "partial":
            self.send_raw(h, "HTTP/1.1 206 Partial Content\r\nConnection: close\r\n\r\n")
            h.close_connection = True
        elif kind == "status":
            self.send_raw(h, f"HTTP/1.1 {parts[1]} Whatever\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
            h.close_connection = True
        elif kind == "chain":
            # Relative locations pile up under the old path: the last number counts.
            n, name = (lambda m: (int(m.group(1)), m.group(2)))(re.search(r"/(\d+)/([^/]+)$", h.path))
            if n == 0:
                location = f"http://127.0.0.1:{self.port}/needcookie/{name}"
            elif n % 2:
                location = f"http://127.0.0.1:{self.port}/chain/{n - 1}/{name}"
            else:
                location = f"{n - 1}/{name}"
            code = 301 if n % 2 else 302
            self.send_raw(h, f"HTTP/1.1 {code} Moved\r\nLocation: {location}\r\nSet-Cookie: a=1; path=/\r\n"
                             "Content-Length: 0\r\nConnection: close\r\n\r\n")
            h.close_connection = True
        elif kind == "needcookie":
            if h.headers.get("Cookie") != "a=1":
                self.send_raw(h, "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
                h.close_connection = True
            else:
                self.send_file(h, self.data(parts[1]))
        elif kind == "disposition":
            self.send_file(h, self.data(parts[2]),
                           extra=f'Content-Disposition: attachment; filename="{parts[1]}"\r\n')
        elif kind == "slow":
            rate, data = int(parts[1]), self.data(parts[2])
            self.send_raw(h, f"HTTP/1.1 200 OK\r\nContent-Length: {len(data)}\r\nConnection: close\r\n\r\n")
            step = max(1, rate // 10)
            for at in range(0, len(data), step):
                h.wfile.write(data[at:at + step])
                h.wfile.flush()
                time.sleep(0.1)
            h.close_connection = True
        elif kind == "cut":
            if h.headers.get("Range"):
                self.send_raw(h, "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
                h.close_connection = True
            else:
                self.send_file(h, self.data(parts[2]), honour_range=False, drop_after=int(parts[1]))
        elif kind == "badrange":
            self.send_bad_range(h, parts[1], self.data(parts[2]))
        elif kind == "redirect":
            code, name = parts[1], parts[-1]
            if len(parts) == 4 or code not in ("303", "307", "308"):
                self.send_file(h, self.data(name))
                return
            location = {"303": f"/file/{name}", "307": f"r/{name}",
                        "308": f"http://127.0.0.1:{self.port}/file/{name}"}[code]
            self.send_raw(h, f"HTTP/1.1 {code} Moved\r\nLocation: {location}\r\nContent-Length: 0\r\n"
                             "Connection: close\r\n\r\n")
            h.close_connection = True
        elif kind == "lower":
            self.send_file(h, self.data(parts[1]), lower=True)
        elif kind == "hang":
            if h.headers.get("Range"):
                self.send_raw(h, "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
                h.close_connection = True
                return
            data = self.data(parts[2])
            self.send_raw(h, f"HTTP/1.1 200 OK\r\nContent-Length: {len(data)}\r\nConnection: close\r\n\r\n")
            sent = len(data) * int(parts[1]) // 100
            for at in range(0, sent, 256):
                h.wfile.write(data[at:min(at + 256, sent)])
                h.wfile.flush()
                time.sleep(0.002)
            # Open and silent until the client gives up (or the server ends).
            h.connection.settimeout(300)
            try:
                h.connection.recv(1)
            except OSError:
                pass
            h.close_connection = True
        elif kind == "huge":
            self.send_raw(h, "HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\nConnection: close\r\n\r\n")
            h.close_connection = True
        else:
            self.send_raw(h, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
            h.close_connection = True
