"""A wide-area link between a client and a server on 127.0.0.1: every
connection to the relay is passed on to the server with a delay each way, a
bandwidth cap of its own, and (when asked) a cut at a random moment, as a
real network does to a long download. Runs in threads of the test process;
`seed` makes the cuts the same from run to run."""
import random
import socket
import threading
import time
from collections import deque

SLICE = 16 << 10


class WanRelay:
    def __init__(self, server_port, delay_ms=100, rate=4_000_000, cuts=0, cut_between=(256 << 10, 4 << 20),
                 seed=1):
        self.server_port = server_port
        self.delay = delay_ms / 1000  # each way
        self.rate = rate  # bytes per second and connection, each way
        self.cuts_left = cuts
        self.cut_between = cut_between
        self.random = random.Random(seed)
        self.cuts = 0  # connections cut so far
        self.connections = 0
        self.lock = threading.Lock()
        self.listener = socket.socket()
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(64)
        self.port = self.listener.getsockname()[1]
        self.running = True
        self.sockets = []

    def __enter__(self):
        threading.Thread(target=self.accept, daemon=True).start()
        return self

    def __exit__(self, *exc):
        self.running = False
        self.listener.close()
        with self.lock:
            for s in self.sockets:
                self.close(s)

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    @staticmethod
    def close(s):
        try:
            s.close()
        except OSError:
            pass

    def accept(self):
        while self.running:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            try:
                server = socket.create_connection(("127.0.0.1", self.server_port))
            except OSError:
                client.close()
                continue
            with self.lock:
                self.connections += 1
                self.sockets += [client, server]
                cut_after = None
                if self.cuts_left > 0:
                    self.cuts_left -= 1
                    cut_after = self.random.randint(*self.cut_between)
            link = _Link(self, client, server, cut_after)
            link.start()


class _Link:
    """One connection: two directions, each read at the capped rate and
    written after the delay."""

    def __init__(self, relay, client, server, cut_after):
        self.relay = relay
        self.client = client
        self.server = server
        self.cut_after = cut_after  # bytes towards the client, then a cut (None: never)
        self.closed = threading.Event()
        self.finished = 0  # directions that ended in order
    def start(self):
        for source, sink, downstream in ((self.client, self.server, False), (self.server, self.client, True)):
            queue, ready = deque(), threading.Condition()
            threading.Thread(target=self.read, args=(source, queue, ready, downstream), daemon=True).start()
            threading.Thread(target=self.write, args=(sink, queue, ready), daemon=True).start()

    def read(self, source, queue, ready, downstream):
        rate = self.relay.rate
        passed = 0
        began = None
        while not self.closed.is_set():
            try:
                data = source.recv(SLICE)
            except OSError:
                data = b""
            if began is None:
                began = time.monotonic()  # the cap counts from the first byte, not from the connect
            if downstream and self.cut_after is not None and passed + len(data) >= self.cut_after:
                self.cut()
                return
            with ready:
                queue.append((time.monotonic() + self.relay.delay, data))
                ready.notify()
            if not data:
                return
            passed += len(data)
            # The cap: no faster than `rate` since the connection began.
            ahead = began + passed / rate - time.monotonic()
            if ahead > 0:
                time.sleep(ahead)

    def write(self, sink, queue, ready):
        while True:
            with ready:
                while not queue and not self.closed.is_set():
                    ready.wait(0.5)
                if self.closed.is_set():
                    return
                due, data = queue.popleft()
            wait = due - time.monotonic()
            if wait > 0:
                time.sleep(wait)
            try:
                if not data:
                    sink.shutdown(socket.SHUT_WR)  # the other side's end, passed on
                    self.direction_ended()
                    return
                sink.sendall(data)
            except OSError:
                self.end()
                return

    def direction_ended(self):
        with self.relay.lock:
            self.finished += 1
            both = self.finished == 2
        if both:
            self.end()

    def cut(self):
        """Both sides go at once, with a reset: a link that broke."""
        if not self.closed.is_set():
            with self.relay.lock:
                self.relay.cuts += 1
        self.end(reset=True)

    def end(self, reset=False):
        if self.closed.is_set():
            return
        self.closed.set()
        for s in (self.client, self.server):
            try:
                if reset:
                    s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
                # Wakes the reader blocked on it; a close alone would not.
                s.shutdown(socket.SHUT_RD if reset else socket.SHUT_RDWR)
            except OSError:
                pass
            WanRelay.close(s)
