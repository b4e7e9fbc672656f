#!/usr/bin/env python3
"""The local servers of the tests: an HTTP/1.1 server (plain, or TLS with --cert and --key)
whose paths play the answers a download meets, or (--files DIR) that serves a folder's files
with Range requests as media servers do, or (--release DOWNLOADER) the downloader's release
site with its proxy; and a line server for the connection commands. Listens on 127.0.0.1
(or ::1 with --ipv6, or --address) at a free port (or --port), prints "PORT n", and ends by
itself after --lifetime seconds."""
import argparse
import http.server
import os
import socket
import socketserver
import ssl
import sys
import threading
import time


def pattern(start, count):
    """The bytes of the test files: byte i is (i * 7 + i // 256) % 256."""
    return bytes(((i * 7) + (i >> 8)) & 255 for i in range(start, start + count))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    log_file = None
    log_lines = False  # one line a request ("GET PATH USER-AGENT") instead of whole heads
    files = None  # the folder served by --files
    release = None  # the release site's settings, with --release

    def log_message(self, *args):
        pass

    def record(self):
        if not Handler.log_file:
            return
        with open(Handler.log_file, "a", encoding="latin-1") as f:
            if Handler.log_lines:
                agent = " " + self.headers.get("User-Agent", "") if self.command != "CONNECT" else ""
                f.write(f"{self.command} {self.path}{agent}\n")
                return
            f.write(self.requestline + "\n")
            for name, value in self.headers.items():
                f.write(f"{name}: {value}\n")
            f.write("\n")

    def send_body(self, code, body, ctype="text/plain", extra=()):
        self.send_response(code)
        if ctype:
            self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        # "?cabecas=N" adds N header lines of 300 bytes, for heads near the client's bounds.
        query = self.path.partition("?")[2]
        if query.startswith("cabecas="):
            for i in range(int(query[8:])):
                self.send_header(f"X-Cabeca-{i:03}", "c" * 300)
        self.end_headers()
        self.wfile.write(body)

    def send_closed(self, ctype, body, length=None):
        """A 200 answer whose body ends where the connection does (or is cut short of
        `length`)."""
        self.send_response(200)
        self.send_header("Content-Type", ctype)
        if length is not None:
            self.send_header("Content-Length", str(length))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.close_connection = True

    def origin(self):
        return ("https://" if isinstance(self.connection, ssl.SSLSocket) else "http://") + self.headers.get("Host", "")

    def range_start(self):
        value = self.headers.get("Range", "")
        if value.startswith("bytes=") and value.endswith("-"):
            return int(value[6:-1])
        return None

    def do_GET(self):
        self.record()
        if Handler.files is not None:
            Handler.files.serve(self)
        elif Handler.release is not None:
            Handler.release.serve(self)
        else:
            self.play()

    def do_CONNECT(self):
        """The release site's proxy: the tunnel ends at the site itself."""
        self.record()
        self.send_response(200, "Connection established")
        self.end_headers()
        self.wfile.flush()
        tls = Handler.release.context.wrap_socket(self.connection, server_side=True)
        self.connection = tls
        self.rfile = tls.makefile("rb")
        self.wfile = tls.makefile("wb")
        self.close_connection = False
        self.handle_one_request()
        self.close_connection = True

    def play(self):
        """The answers a download meets, by the path's first part."""
        parts = self.path.split("?")[0].strip("/").split("/")
        route, arg = parts[0], (parts[1] if len(parts) > 1 else "")
        n = int(arg) if arg.isdigit() else 0
        if route == "data":
            start = self.range_start()
            if start is None:
                self.send_body(200, pattern(0, n), "application/octet-stream")
            elif start >= n:
                self.send_body(416, b"", extra=[("Content-Range", f"bytes */{n}")])
            else:
                self.send_body(206, pattern(start, n - start), "application/octet-stream",
                               [("Content-Range", f"bytes {start}-{n - 1}/{n}")])
        elif route == "full":
            self.send_body(200, pattern(0, n), "application/octet-stream")
        elif route == "wrongrange":
            self.send_body(206, pattern(0, n), "application/octet-stream", [("Content-Range", f"bytes 0-{n - 1}/{n}")])
        elif route == "short":
            self.send_closed("application/octet-stream", pattern(0, n - 1), n)
        elif route == "mute":
            time.sleep(30)  # accepts the request and never answers
            self.close_connection = True
        elif route == "redirect":
            target = f"/redirect/{n - 1}" if n > 0 else "/data/1000"
            self.send_body(302, b"", extra=[("Location", self.origin() + target)])
        elif route == "dir":
            self.send_body(301, b"", extra=[("Location", "../../data/300")])
        elif route == "abs":
            self.send_body(307, b"", extra=[("Location", "/data/200")])
        elif route == "loop":
            self.send_body(302, b"", extra=[("Location", "/loop")])
        elif route == "noloc":
            self.send_body(302, b"")
        elif route == "status":
            self.send_body(n, b"corpo de erro\n")
        elif route == "empty":
            self.send_body(200, b"")
        elif route == "echo":
            self.send_body(200, (self.requestline + "\n" + str(self.headers)).encode("latin-1"))
        elif route == "page":
            self.send_closed("text/html", b"linha 1\nlinha 2\r\nlinha\r3\nfim sem quebra")
        elif route == "chunked-page":
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for piece in (b"<p>um\n", b"dois</p>\n", b"x" * 300 + b"\n"):
                self.wfile.write(b"%x;ext=1\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\nTrailer: 1\r\n\r\n")
        elif route == "audio":
            self.send_closed("audio/mpeg", pattern(0, n))
        elif route == "audio-chunked":
            self.send_response(200)
            self.send_header("Content-Type", "Audio/MPEG")
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            data = pattern(0, n)
            for i in range(0, n, 1000):
                piece = data[i:i + 1000]
                self.wfile.write(b"%X\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\n\r\n")
        elif route in ("audio-endless", "stall", "slow"):
            self.trickle(route, n)
        elif route in HOSTILE:
            self.hostile(route, arg)
        else:
            self.send_body(404, b"nada\n")

    def is_fallback(self):
        return "Accept-Language" in self.headers

    def hostile(self, route, arg):
        """Answers as a careless or hostile server writes them: heads without end, chunk
        sizes that are no sizes, bodies cut short, answers without a body. How each ended is
        appended to the log file's ".fim" companion: "ROUTE cliente" when the client went
        away first, "ROUTE servidor" when the server wrote all it meant to (or its time ran
        out)."""
        self.close_connection = True
        out = self.wfile
        deadline = time.time() + 30
        page_head = b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n"
        try:
            if route == "endless-headers" or (route == "fallback-endless-headers" and self.is_fallback()):
                out.write(b"HTTP/1.1 200 OK\r\n")
                i = 0
                while time.time() < deadline:
                    out.write(b"X-Mais-%d: valor\r\n" % i)
                    i += 1
            elif route == "fallback-endless-headers":
                out.write(page_head + b"pagina\n")
            elif route == "endless-header-line":
                out.write(b"HTTP/1.1 200 OK\r\nX-Longo: ")
                while time.time() < deadline:
                    out.write(b"a" * 4096)
            elif route == "endless-status":
                out.write(b"HTTP/1.1 200 ")
                while time.time() < deadline:
                    out.write(b"a" * 4096)
            elif route in ("slow-headers", "slow-status"):
                out.write(b"HTTP/1.1 200 OK\r\n" if route == "slow-headers" else b"HTTP/1.1 200 ")
                end = time.time() + 10
                i = 0
                while time.time() < end:
                    out.write(b"X-Devagar-%d: sim\r\n" % i if route == "slow-headers" else b"a")
                    out.flush()
                    i += 1
                    time.sleep(0.1)
            elif route in ("bad-chunk", "bad-chunk-audio"):
                ctype = b"audio/mpeg" if route == "bad-chunk-audio" else b"text/html"
                out.write(b"HTTP/1.1 200 OK\r\nContent-Type: " + ctype + b"\r\nTransfer-Encoding: chunked\r\n\r\n")
                out.write(b"5\r\nantes\r\n")
                if arg == "zz":
                    out.write(b"zz\r\nxx\r\n0\r\n\r\n")
                elif arg == "long":
                    out.write(b"1" + b"0" * 21 + b"\r\n" + b"x" * 5000 + b"\r\n0\r\n\r\n")
                else:  # cut: a chunk of 0x1000 announced, 100 bytes sent
                    out.write(b"1000\r\n" + b"x" * 100)
            elif route == "audio-chunked-endless":
                out.write(b"HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\nTransfer-Encoding: chunked\r\n\r\n")
                i = 0
                while time.time() < deadline:
                    out.write(b"1000\r\n" + pattern(i, 4096) + b"\r\n")
                    i += 4096
                    time.sleep(0.02)
            elif route == "cut-page":
                if self.is_fallback():
                    out.write(b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100000\r\n\r\n")
                    out.write(b"linha\n" * 833 + b"li")  # 5000 bytes
                else:
                    out.write(page_head + b"pagina\n")
            elif route == "empty-page":
                out.write(page_head)
            elif route == "nobody":
                out.write(b"HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                          b"Content-Length: %d\r\n\r\n" % int(arg))
            out.flush()
            ended = "servidor"
        except OSError:
            ended = "cliente"
        if Handler.log_file:
            with open(Handler.log_file + ".fim", "a", encoding="latin-1") as f:
                f.write(f"{route} {ended}\n")

    def trickle(self, route, n):
        """Bodies that take their time: an endless audio stream, a body that stops half
        way (stall) and one that comes in small pieces (slow). Each ends within 30 s."""
        self.send_response(200)
        self.send_header("Content-Type", "audio/mpeg" if route == "audio-endless" else "application/octet-stream")
        if route != "audio-endless":
            self.send_header("Content-Length", str(n))
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        deadline = time.time() + 30
        try:
            if route == "stall":
                self.wfile.write(pattern(0, n // 2))
                self.wfile.flush()
                while time.time() < deadline:
                    time.sleep(0.1)
            elif route == "slow":
                for i in range(0, n, 4096):
                    self.wfile.write(pattern(i, min(4096, n - i)))
                    self.wfile.flush()
                    time.sleep(0.02)
            else:
                i = 0
                while time.time() < deadline:
                    self.wfile.write(pattern(i, 4096))
                    self.wfile.flush()
                    i += 4096
                    time.sleep(0.02)
        except OSError:
            pass


HOSTILE = ("endless-headers", "fallback-endless-headers", "endless-header-line", "endless-status",
           "slow-headers", "slow-status", "bad-chunk", "bad-chunk-audio", "audio-chunked-endless", "cut-page",
           "empty-page", "nobody")


class Files:
    """The files of one folder at /NAME (anything else is 404), with Range requests honoured.
    On demand the server never answers (never), or sends at --rate bytes a second and cuts
    the stream after --stop-fraction of a file, after which it answers nobody (stop)."""

    def __init__(self, folder, behaviour, stop_fraction, rate):
        self.folder, self.behaviour, self.stop_fraction, self.rate = folder, behaviour, stop_fraction, rate
        self.cut = False

    def serve(self, handler):
        if self.behaviour == "never":
            time.sleep(3600)  # until the test ends the server
        if self.cut:
            handler.close_connection = True
            return
        name = handler.path.split("?")[0].lstrip("/")
        path = os.path.join(self.folder, name)
        if "/" in name or name in ("", ".", "..") or not os.path.isfile(path):
            handler.send_body(404, b"", None)
            return
        with open(path, "rb") as f:
            body = f.read()
        size = len(body)
        first, last = 0, size - 1
        wanted = handler.headers.get("Range", "")
        partial = wanted.startswith("bytes=")
        if partial:
            start, _, end = wanted[6:].partition("-")
            first = int(start)
            if end:
                last = min(int(end), size - 1)
            if first >= size:
                handler.send_body(416, b"", None, [("Content-Range", f"bytes */{size}")])
                return
        handler.send_response(206 if partial else 200)
        handler.send_header("Content-Type", "application/octet-stream")
        handler.send_header("Accept-Ranges", "bytes")
        handler.send_header("Content-Length", str(last - first + 1))
        if partial:
            handler.send_header("Content-Range", f"bytes {first}-{last}/{size}")
        handler.end_headers()
        end = last + 1
        stop_at = int(size * self.stop_fraction)
        if self.behaviour == "stop" and end > stop_at:
            end = max(first, stop_at)
            self.cut = True
        piece = self.rate // 50 if self.rate else end - first
        try:
            for at in range(first, end, max(piece, 1)):
                handler.wfile.write(body[at:min(at + piece, end)])
                handler.wfile.flush()
                if self.rate:
                    time.sleep(0.02)
        except OSError:
            handler.close_connection = True
        if self.cut:
            handler.close_connection = True


class Release:
    """The downloader's release site (reached as github.com): the releases page, the latest
    downloader (a redirect to its tagged address) and deno's archive."""
    TAG = "2026.08.19"
    BASE = "/yt-dlp/yt-dlp/releases"

    def __init__(self, downloader, deno_zip, context):
        self.downloader, self.deno_zip, self.context = downloader, deno_zip, context

    def serve(self, handler):
        def send(status, body=b"", headers=()):
            handler.send_body(status, body, dict(headers).get("Content-Type"),
                              [h for h in headers if h[0] != "Content-Type"] + [("Connection", "close")])
            handler.close_connection = True

        base, tag = self.BASE, self.TAG
        if handler.path.rstrip("/") == base:
            page = "<html><head><title>Releases</title></head><body>\n"
            for each in (tag, "2026.07.04.1", "2026.06.30"):
                page += (f'<h2 class="sr-only"><a href="{base}/tag/{each}" data-view-component="true" '
                         f'class="Link--primary Link">yt-dlp {each}</a></h2>\n')
            send(200, (page + "</body></html>\n").encode(), [("Content-Type", "text/html; charset=utf-8")])
        elif handler.path == f"{base}/latest/download/yt-dlp_linux":
            send(302, b"", [("Location", f"https://github.com{base}/download/{tag}/yt-dlp_linux")])
        elif handler.path == f"{base}/download/{tag}/yt-dlp_linux":
            with open(self.downloader, "rb") as f:
                send(200, f.read(), [("Content-Type", "application/octet-stream")])
        elif self.deno_zip and handler.path == "/denoland/deno/releases/latest/download/deno-x86_64-unknown-linux-gnu.zip":
            with open(self.deno_zip, "rb") as f:
                send(200, f.read(), [("Content-Type", "application/zip")])
        else:
            send(404, b"Not Found")


class LineHandler(socketserver.StreamRequestHandler):
    """A line protocol: "OLA" on arrival, then one answer per line received."""

    def handle(self):
        try:
            self.wfile.write(b"OLA\r\n")
            for raw in self.rfile:
                line = raw.rstrip(b"\r\n")
                word, _, rest = line.partition(b" ")
                if word == b"ECO":
                    self.wfile.write(rest + b"\r\n")
                elif word == b"LF":
                    self.wfile.write(rest + b"\n")
                elif word == b"CR":
                    self.wfile.write(b"a\rb\r\n")
                elif word == b"LONGA":
                    self.wfile.write(b"a" * int(rest) + b"\n")
                elif word == b"DEMORA":
                    time.sleep(float(rest))
                    self.wfile.write(b"pronto\r\n")
                elif word == b"SEMFIM":
                    self.wfile.write(b"abc")
                    return
                elif word == b"TCHAU":
                    self.wfile.write(b"ate logo\r\n")
                    return
                elif word == b"MUDO":
                    pass
                elif word == b"LIXO" and isinstance(self.request, ssl.SSLSocket):
                    # Bytes that are no TLS record, written under the link.
                    raw = socket.socket(fileno=os.dup(self.request.fileno()))
                    raw.sendall(b"\x17\x03\x03\x00\x20" + b"\x00" * 32)
                    raw.close()
                    time.sleep(1)
                    return
                else:
                    self.wfile.write(b"? " + line + b"\r\n")
                self.wfile.flush()
        except OSError:
            pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--mode", choices=["http", "lines"], default="http")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--log")
    parser.add_argument("--log-lines", action="store_true")
    parser.add_argument("--ipv6", action="store_true")
    parser.add_argument("--address")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--lifetime", type=float, default=120)
    parser.add_argument("--files")
    parser.add_argument("--behaviour", choices=["normal", "never", "stop"], default="normal")
    parser.add_argument("--stop-fraction", type=float, default=0.5)
    parser.add_argument("--rate", type=int, default=0)
    parser.add_argument("--release")
    parser.add_argument("--deno-zip", default="")
    parser.add_argument("--proxy-port", type=int)
    parser.add_argument("--ready")
    args = parser.parse_args()
    Handler.log_file = args.log
    Handler.log_lines = args.log_lines

    base = http.server.ThreadingHTTPServer if args.mode == "http" else socketserver.ThreadingTCPServer
    handler = Handler if args.mode == "http" else LineHandler

    context = None
    if args.cert:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(args.cert, args.key)
    if args.files:
        Handler.files = Files(args.files, args.behaviour, args.stop_fraction, args.rate)
    if args.release:
        Handler.release = Release(args.release, args.deno_zip, context)

    class Server(base):
        daemon_threads = True
        allow_reuse_address = True
        address_family = socket.AF_INET6 if args.ipv6 else socket.AF_INET
        tls = True

        def finish_request(self, request, client_address):
            # The handshake runs in the connection's own thread, so that a client that
            # never starts one holds up nobody else.
            if context and self.tls:
                try:
                    request.settimeout(30)
                    request = context.wrap_socket(request, server_side=True)
                    request.settimeout(None)
                except (OSError, ssl.SSLError):
                    return
            super().finish_request(request, client_address)

    address = args.address or ("::1" if args.ipv6 else "127.0.0.1")
    server = Server((address, args.port), handler)
    if args.proxy_port is not None:
        # The plain proxy beside it, whose CONNECT tunnels end at the same site.
        proxy = Server((address, args.proxy_port), handler)
        proxy.tls = False
        threading.Thread(target=proxy.serve_forever, daemon=True).start()
    threading.Timer(args.lifetime, lambda: os._exit(0)).start()
    print("PORT", server.server_address[1], flush=True)
    if args.ready:
        open(args.ready, "w").close()
    server.serve_forever()


if __name__ == "__main__":
    main()
