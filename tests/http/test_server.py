#!/usr/bin/env python3
"""Local HTTPS (or, with --plain, HTTP) server for the request engine's tests and benchmark.

Listens on 127.0.0.1 on a free port, prints "PORT <n>" on stdout and nothing else there. Speaks
HTTP/1.1 with keep-alive, parses requests itself so that it can echo them byte for byte, and
acts as a forward proxy too: an absolute-URI request line is answered like any other, and a
CONNECT request opens a TLS tunnel to this same server.

Routes (query parameters in brackets):
  / and /echo...           200, the body is the raw request received (after the CONNECT request
                           that opened the tunnel, if any)
Every complete response names its connection in "X-Connection: <n>" (n counts connections).
  /respond [status, h (repeatable raw header line), body, close, interim]
                           a response built from the parameters; close=1 closes afterwards;
                           interim=1 sends "100 Continue" first
  /chunked [t (repeatable raw trailer line)]
                           "chunked" sent in two chunks, then the trailer lines
  /redirect/<n>            302 to /redirect/<n-1>; /redirect/0 answers 200 "arrived"
  /loop                    302 to itself
  /cut [total, sent]       announces total bytes, sends sent bytes of the body, closes
  /never                   reads the request and never answers
  /empty                   closes without answering
  /slow [delay]            answers after delay seconds
  /trickle [count, every]  announces count bytes and sends one every `every` seconds
  /big [size]              size bytes of body
  /manyheaders [n]         n extra header lines
  /gzip                    a gzip-compressed body sent unasked
  /fixture/<name>          the file tests/fixtures/http/<name> as the body
  /page/<anything>         a 100 KB GBK page (the benchmark's)
"""

import gzip
import os
import socket
import socketserver
import ssl
import sys
import threading
import time
from http import HTTPStatus
from urllib.parse import parse_qs, unquote_to_bytes, urlsplit

HERE = os.path.dirname(os.path.abspath(__file__))
TLS_DIR = os.path.join(HERE, "..", "fixtures", "tls")
FIXTURE_DIR = os.path.join(HERE, "..", "fixtures", "http")
MAX_LINE = 1 << 20


def make_gbk_page(size):
    head = ('<html><head><meta http-equiv="Content-Type" content="text/html; charset=gbk">'
            "<title>职位搜索</title></head><body>\n").encode("gbk")
    row = "<p>软件工程师 济南 8千-1.2万/月 本科 3-4年经验 某某信息技术有限公司</p>\n".encode("gbk")
    tail = b"</body></html>\n"
    body = bytearray(head)
    while len(body) + len(row) + len(tail) <= size:
        body += row
    body += b" " * (size - len(body) - len(tail)) + tail
    return bytes(body)


PAGE_100K = make_gbk_page(100 * 1024)


def query_bytes(query):
    """Query parameters with their values as raw bytes (percent-decoded)."""
    params = {}
    for part in query.split("&"):
        if not part:
            continue
        name, _, value = part.partition("=")
        params.setdefault(unquote_to_bytes(name).decode("latin-1"), []).append(
            unquote_to_bytes(value.replace("+", " ")))
    return params


class Request:
    def __init__(self, method, target, raw_head, headers, body):
        self.method = method
        self.target = target
        self.raw_head = raw_head
        self.headers = headers
        self.body = body


class Handler(socketserver.StreamRequestHandler):
    disable_nagle_algorithm = True

    def setup(self):
        with self.server.lock:
            self.server.connections += 1
            self.connection_number = self.server.connections
        if self.server.tls_context is not None:
            self.request.settimeout(30)
            self.request.do_handshake()
            self.request.settimeout(None)
        super().setup()

    # ---- reading ----

    def read_request(self):
        raw = b""
        while True:
            line = self.rfile.readline(MAX_LINE)
            if not line:
                return None
            raw += line
            if line in (b"\r\n", b"\n"):
                break
        lines = raw.split(b"\n")
        parts = lines[0].strip().split(b" ")
        if len(parts) < 3:
            return None
        headers = {}
        for line in lines[1:]:
            name, sep, value = line.partition(b":")
            if sep:
                headers[name.strip().lower()] = value.strip()
        length = int(headers.get(b"content-length", b"0") or b"0")
        body = self.rfile.read(length) if length > 0 else b""
        return Request(parts[0].decode("latin-1"), parts[1].decode("latin-1"), raw, headers, body)

    # ---- writing ----

    def send(self, request, status, headers=(), body=b"", length=None, close=False):
        reason = HTTPStatus(status).phrase if status in HTTPStatus._value2member_map_ else "Other"
        out = [b"HTTP/1.1 %d %s\r\n" % (status, reason.encode("latin-1"))]
        out += [h + b"\r\n" for h in headers]
        out.append(b"X-Connection: %d\r\n" % self.connection_number)
        out.append(b"Content-Length: %d\r\n" % (len(body) if length is None else length))
        if close:
            out.append(b"Connection: close\r\n")
        out.append(b"\r\n")
        self.wfile.write(b"".join(out))
        if request.method != "HEAD":
            self.wfile.write(body)
        self.wfile.flush()
        return not close and request.headers.get(b"connection", b"").lower() != b"close"

    # ---- the routes ----

    def handle(self):
        self.tunnel = b""
        try:
            while True:
                request = self.read_request()
                if request is None or not self.dispatch(request):
                    return
        except (ConnectionError, ssl.SSLError, OSError):
            return

    def open_tunnel(self, request):
        self.wfile.write(b"HTTP/1.1 200 Connection established\r\n\r\n")
        self.wfile.flush()
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(os.path.join(TLS_DIR, "cert.pem"), os.path.join(TLS_DIR, "key.pem"))
        self.connection = context.wrap_socket(self.connection, server_side=True)
        self.rfile = self.connection.makefile("rb", self.rbufsize)
        self.wfile = socketserver._SocketWriter(self.connection)
        self.tunnel = request.raw_head
        return True

    def dispatch(self, request):
        if request.method == "CONNECT":
            return self.open_tunnel(request)
        url = urlsplit(request.target)
        path = url.path
        params = query_bytes(url.query)

        def number(name, default):
            return int(params.get(name, [str(default).encode()])[0])

        if path == "/" or path.startswith("/echo"):
            return self.send(request, 200, [b"Content-Type: text/plain"],
                             self.tunnel + request.raw_head + request.body)
        if path == "/respond":
            headers = params.get("h", [])
            if number("interim", 0) == 1:
                self.wfile.write(b"HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\n")
            return self.send(request, number("status", 200), headers, params.get("body", [b""])[0],
                             close=number("close", 0) == 1)
        if path.startswith("/redirect/"):
            hops = int(path.rsplit("/", 1)[1])
            if hops <= 0:
                return self.send(request, 200, [b"X-Hop: last"], b"arrived")
            return self.send(request, 302, [b"Location: /redirect/%d" % (hops - 1)], b"moving on")
        if path == "/loop":
            return self.send(request, 302, [b"Location: /loop"], b"again")
        if path == "/cut":
            total, sent = number("total", 1000), number("sent", 500)
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % total)
            self.wfile.write(b"x" * sent)
            self.wfile.flush()
            return False
        if path == "/chunked":
            trailer = b"".join(line + b"\r\n" for line in params.get("t", []))
            self.wfile.write(b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"
                             b"X-Connection: %d\r\n\r\n4\r\nchun\r\n3\r\nked\r\n0\r\n%s\r\n"
                             % (self.connection_number, trailer))
            self.wfile.flush()
            return True
        if path == "/never":
            while self.connection.recv(4096):
                pass
            return False
        if path == "/empty":
            return False
        if path == "/slow":
            time.sleep(float(params.get("delay", [b"2"])[0]))
            return self.send(request, 200, [], b"late")
        if path == "/trickle":
            count, every = number("count", 10), float(params.get("every", [b"0.25"])[0])
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % count)
            self.wfile.flush()
            for _ in range(count):
                time.sleep(every)
                self.wfile.write(b"t")
                self.wfile.flush()
            return True
        if path == "/big":
            size = number("size", 1 << 20)
            block = bytes(range(1, 256)) * 4096
            self.wfile.write(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % size)
            left = size
            while left > 0:
                piece = block[:left]
                self.wfile.write(piece)
                left -= len(piece)
            self.wfile.flush()
            return True
        if path == "/manyheaders":
            count = number("n", 1000)
            headers = [b"X-Line-%d: value %d" % (i, i) for i in range(count)]
            return self.send(request, 200, headers, b"many")
        if path == "/gzip":
            return self.send(request, 200, [b"Content-Encoding: gzip", b"Content-Type: text/html"],
                             gzip.compress(b"<html>compressed</html>", mtime=0))
        if path.startswith("/fixture/"):
            name = os.path.basename(path)
            with open(os.path.join(FIXTURE_DIR, name), "rb") as f:
                return self.send(request, 200, [b"Content-Type: text/html"], f.read())
        if path.startswith("/page/"):
            return self.send(request, 200, [b"Content-Type: text/html"], PAGE_100K)
        return self.send(request, 404, [], b"not found")


class Server(socketserver.ThreadingMixIn, socketserver.TCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, tls):
        super().__init__(("127.0.0.1", 0), Handler)
        self.lock = threading.Lock()
        self.connections = 0
        self.tls_context = None
        if tls:
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(os.path.join(TLS_DIR, "cert.pem"), os.path.join(TLS_DIR, "key.pem"))
            self.tls_context = context

    def get_request(self):
        sock, address = self.socket.accept()
        if self.tls_context is not None:
            sock = self.tls_context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False)
        return sock, address

    def handle_error(self, request, client_address):
        pass  # a client that went away is no news


def main():
    server = Server(tls="--plain" not in sys.argv[1:])
    print("PORT %d" % server.server_address[1], flush=True)
    sys.stdout.close()
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
