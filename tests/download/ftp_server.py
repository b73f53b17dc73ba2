"""A small FTP server on 127.0.0.1 for the behaviours vsftpd cannot be made
to show. Runs in threads of the test process and records every command.

Options: greeting (the first line), users ({name: password}; None for
anyone), rest (the reply to REST, "{n}" replaced by the offset), pasv
("ok", "refuse" or "closed": a 227 naming a port where nothing listens),
size_missing (SIZE answered 550), drop_after and drops (the first `drops`
transfers stop after `drop_after` bytes)."""
import os
import socket
import socketserver
import threading


class FtpServer:
    def __init__(self, root, greeting="220 ready", users=None, rest="350 Restarting at {n}. Send STORE or RETRIEVE.",
                 pasv="ok", size_missing=False, drop_after=None, drops=0):
        self.root = root
        self.greeting = greeting
        self.users = users
        self.rest = rest
        self.pasv = pasv
        self.size_missing = size_missing
        self.drop_after = drop_after
        self.drops = drops
        self.commands = []  # every command line received, in order
        self.lock = threading.Lock()
        server = self

        class Handler(socketserver.StreamRequestHandler):
            def handle(self):
                try:
                    server.session(self)
                except OSError:
                    pass  # the client went away: nothing to answer

        socketserver.ThreadingTCPServer.allow_reuse_address = True
        self.tcp = socketserver.ThreadingTCPServer(("127.0.0.1", 0), Handler)
        self.tcp.daemon_threads = True
        self.port = self.tcp.server_address[1]

    def __enter__(self):
        threading.Thread(target=self.tcp.serve_forever, daemon=True).start()
        return self

    def __exit__(self, *exc):
        self.tcp.shutdown()
        self.tcp.server_close()

    def url(self, path, login=""):
        return f"ftp://{login}127.0.0.1:{self.port}{path}"

    def sent(self):
        with self.lock:
            return list(self.commands)

    def take_drop(self):
        with self.lock:
            if self.drops > 0:
                self.drops -= 1
                return True
            return False

    def session(self, h):
        def reply(line):
            h.wfile.write((line + "\r\n").encode("latin-1"))
            h.wfile.flush()

        reply(self.greeting)
        user, offset, passive, active = None, 0, None, None
        while True:
            raw = h.rfile.readline()
            if not raw:
                return
            line = raw.decode("latin-1").rstrip("\r\n")
            with self.lock:
                self.commands.append(line)
            verb, _, argument = line.partition(" ")
            verb = verb.upper()
            if verb == "USER":
                user = argument
                reply("331 password please")
            elif verb == "PASS":
                ok = self.users is None or self.users.get(user) == argument
                reply("230 logged in" if ok else "530 Login incorrect.")
            elif verb == "REST":
                wanted = int(argument) if argument.isdigit() else 0
                if self.rest.startswith("350"):  # only an accepting server keeps the marker
                    offset = wanted
                reply(self.rest.format(n=wanted))
            elif verb == "SIZE":
                path = os.path.join(self.root, argument.lstrip("/"))
                if self.size_missing or not os.path.exists(path):
                    reply("550 No such file.")
                else:
                    reply(f"213 {os.path.getsize(path)}")
            elif verb == "TYPE":
                reply("200 Type set.")
            elif verb == "PASV":
                if self.pasv == "refuse":
                    reply("502 No passive mode here.")
                    continue
                passive = socket.socket()
                passive.bind(("127.0.0.1", 0))
                port = passive.getsockname()[1]
                if self.pasv == "closed":
                    passive.close()
                    passive = None
                else:
                    passive.listen(1)
                reply(f"227 Entering Passive Mode (127,0,0,1,{port // 256},{port % 256}).")
            elif verb == "PORT":
                numbers = [int(x) for x in argument.split(",")]
                active = (".".join(map(str, numbers[:4])), numbers[4] * 256 + numbers[5])
                reply("200 PORT command successful.")
            elif verb == "RETR":
                path = os.path.join(self.root, argument.lstrip("/"))
                with open(path, "rb") as f:
                    f.seek(offset)
                    data = f.read()
                reply("150 Opening data connection.")
                if passive is not None:
                    passive.settimeout(10)
                    channel, _ = passive.accept()
                    passive.close()
                    passive = None
                else:
                    channel = socket.create_connection(active, timeout=10)
                if self.drop_after is not None and self.take_drop():
                    data = data[:self.drop_after]
                try:
                    channel.sendall(data)
                    reply("226 Transfer complete.")
                except OSError:
                    reply("426 Connection closed; transfer aborted.")
                finally:
                    channel.close()
                offset = 0
            elif verb == "QUIT":
                reply("221 bye")
                return
            else:
                reply("502 Command not implemented.")
