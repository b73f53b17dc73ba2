"""A TCP relay on 127.0.0.1 in front of a TLS server, for the faults a TLS
client must live with: records that arrive a few bytes at a time, a
connection cut in the middle of a record, and a record altered on the way.
It reads the record headers of what the server sends (type, version, 16-bit
length)."""
import socket
import struct
import threading
import time

APPLICATION_DATA = 23


def shut_down(*sockets):
    for s in sockets:
        try:
            s.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass


class TlsRelay:
    def __init__(self, target_port, piece=None, piece_bytes=0, cut_after=None, cuts=1, tamper=False):
        """`piece`: forward the server's first `piece_bytes` bytes in pieces of
        that many bytes, a millisecond apart. `cut_after`: on the first `cuts`
        connections, once that many bytes went to the client, cut the
        connection halfway through the next application-data record; with
        `tamper`, invert the byte there instead and go on relaying."""
        self.target_port = target_port
        self.piece, self.piece_bytes = piece, piece_bytes
        self.cut_after, self.cuts_left = cut_after, cuts
        self.tamper = tamper
        self.cut_records = []  # (record start, length) of each record cut through
        self.lock = threading.Lock()
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(16)
        self.port = self.listener.getsockname()[1]
        self.running = True

    def __enter__(self):
        threading.Thread(target=self.accept_loop, daemon=True).start()
        return self

    def __exit__(self, *exc):
        self.running = False
        self.listener.close()

    def url(self, path):
        return f"https://localhost:{self.port}{path}"

    def accept_loop(self):
        while self.running:
            try:
                client, _ = self.listener.accept()
            except OSError:
                return
            server = socket.create_connection(("127.0.0.1", self.target_port))
            with self.lock:
                cut = self.cut_after is not None and self.cuts_left > 0
                self.cuts_left -= 1 if cut else 0
            threading.Thread(target=self.pump, args=(client, server), daemon=True).start()
            threading.Thread(target=self.pump_to_client, args=(server, client, cut), daemon=True).start()

    @staticmethod
    def pump(source, sink):
        try:
            while data := source.recv(65536):
                sink.sendall(data)
        except OSError:
            pass
        finally:
            shut_down(source, sink)

    def pump_to_client(self, server, client, cut):
        client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        stream = bytearray()  # everything the server sent, for the record headers
        sent = 0
        cut_at = None
        record = 0  # where the next record header begins
        try:
            while True:
                data = server.recv(65536)
                if not data:
                    break
                stream += data
                while cut and cut_at is None and record + 5 <= len(stream):
                    kind, _, length = struct.unpack(">BHH", stream[record:record + 5])
                    if kind == APPLICATION_DATA and record >= self.cut_after:
                        cut_at = record + 5 + length // 2
                        with self.lock:
                            self.cut_records.append((record, length))
                    else:
                        record += 5 + length
                if self.tamper and cut_at is not None and cut_at < len(stream) and sent <= cut_at:
                    stream[cut_at] ^= 0xFF
                    cut, cut_at = False, None  # the rest goes through as it comes
                limit = len(stream) if cut_at is None else min(len(stream), cut_at)
                while sent < limit:
                    step = limit - sent
                    if self.piece and sent < self.piece_bytes:
                        step = min(step, self.piece)
                    client.sendall(stream[sent:sent + step])
                    sent += step
                    if self.piece and sent < self.piece_bytes:
                        time.sleep(0.001)
                if cut_at is not None and sent >= cut_at and not self.tamper:
                    break
        except OSError:
            pass
        finally:
            shut_down(server, client)
            server.close()
            client.close()
