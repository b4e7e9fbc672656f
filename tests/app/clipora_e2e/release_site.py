#!/usr/bin/env python3
"""The downloader's release site for the end-to-end cases, on this machine: an HTTPS server
for github.com (the runtime reaches it through FONIX_RESOLVE and trusts its throw-away
authority through SSL_CERT_FILE) and an HTTP proxy that wget reaches through https_proxy,
whose CONNECT tunnels end at the same site. Requests are logged one a line.

Usage: release_site.py ADDRESS CERT KEY NEW_DOWNLOADER LOG READY_FILE [DENO_ZIP]
(serves ADDRESS:443 and ADDRESS:8080 until killed; READY_FILE appears once both listen)."""
import http.server
import socketserver
import ssl
import sys
import threading

address, cert, key, new_downloader, log_path, ready = sys.argv[1:7]
deno_zip = sys.argv[7] if len(sys.argv) > 7 else ""
TAG = "2026.08.19"
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(cert, key)


def log(line):
    with open(log_path, "a") as f:
        f.write(line + "\n")


class Site(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.close_connection = True

    def do_GET(self):
        log("GET " + self.path + " " + self.headers.get("User-Agent", ""))
        base = "/yt-dlp/yt-dlp/releases"
        if self.path.rstrip("/") == base:
            page = "<html><head><title>Releases</title></head><body>\n"
            for tag in (TAG, "2026.07.04.1", "2026.06.30"):
                page += (f'<h2 class="sr-only"><a href="{base}/tag/{tag}" data-view-component="true" '
                         f'class="Link--primary Link">yt-dlp {tag}</a></h2>\n')
            self.send(200, (page + "</body></html>\n").encode(), [("Content-Type", "text/html; charset=utf-8")])
        elif self.path == f"{base}/latest/download/yt-dlp_linux":
            self.send(302, b"", [("Location", f"https://github.com{base}/download/{TAG}/yt-dlp_linux")])
        elif self.path == f"{base}/download/{TAG}/yt-dlp_linux":
            with open(new_downloader, "rb") as f:
                self.send(200, f.read(), [("Content-Type", "application/octet-stream")])
        elif deno_zip and self.path == "/denoland/deno/releases/latest/download/deno-x86_64-unknown-linux-gnu.zip":
            with open(deno_zip, "rb") as f:
                self.send(200, f.read(), [("Content-Type", "application/zip")])
        else:
            self.send(404, b"Not Found")

    def do_CONNECT(self):
        log("CONNECT " + self.path)
        self.send_response(200, "Connection established")
        self.end_headers()
        self.wfile.flush()
        tls = context.wrap_socket(self.connection, server_side=True)
        self.connection = tls
        self.rfile = tls.makefile("rb")
        self.wfile = tls.makefile("wb")
        self.close_connection = False
        self.handle_one_request()
        self.close_connection = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


https = Server((address, 443), Site)
https.socket = context.wrap_socket(https.socket, server_side=True)
proxy = Server((address, 8080), Site)
threading.Thread(target=proxy.serve_forever, daemon=True).start()
open(ready, "w").close()
https.serve_forever()
