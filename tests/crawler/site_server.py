"""A local stand-in for the job site, over HTTPS on 127.0.0.1.

Result pages:  /list/120000,000000,0000,00,9,99,<keyword>,2,<n>.html?<query>
    served from fixtures/crawler/list/<keyword>/<n>.html when the keyword names a folder there,
    otherwise from fixtures/crawler/list/default/. A page number without a file gives a result
    page without postings. The keyword "missing" answers 404; page 2 of "slow" answers after a
    few seconds.
Posting pages: /job/<name>.html from fixtures/crawler/job/<name>.html; /slow/<name>.html the
    same after a few seconds; /big/<n>.html the page "full" padded to about 60 KB.
Anything else answers 404.

Fixture files are UTF-8; "{BASE}" in them becomes https://127.0.0.1:<port>. They are sent in GBK
unless their name contains "utf8". Every request line received is appended (as raw bytes, one per
line) to the file named by --requests, before the answer is sent.

Prints "PORT <n>" on stdout once listening, nothing else.
"""

import argparse
import http.server
import os
import re
import socketserver
import ssl
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "..", "fixtures", "crawler")
TLS = os.path.join(HERE, "..", "fixtures", "tls")

LIST_PATH = re.compile(rb"^/list/120000,000000,0000,00,9,99,(.*),2,(\d+)\.html(\?.*)?$", re.S)
SLOW_SECONDS = 3
BIG_PAGE_BYTES = 60 * 1024

EMPTY_RESULT_PAGE = ('<html>\r\n<head>\r\n<meta http-equiv="Content-Type" '
                     'content="text/html; charset=gbk">\r\n</head>\r\n<body>\r\n'
                     '<div class="dw_table" id="resultList">\r\n</div>\r\n</body>\r\n</html>\r\n')


def percent_decode(raw):
    return re.sub(rb"%([0-9A-Fa-f]{2})", lambda m: bytes([int(m.group(1), 16)]), raw)


class Site:
    def __init__(self, requests_file):
        self.requests_file = requests_file
        self.lock = threading.Lock()
        self.base = ""

    def record(self, request_line):
        if not self.requests_file:
            return
        with self.lock, open(self.requests_file, "ab") as f:
            f.write(request_line + b"\n")

    def page(self, *parts):
        path = os.path.join(FIXTURES, *parts)
        if not os.path.isfile(path):
            return None
        with open(path, encoding="utf-8", newline="") as f:
            text = f.read().replace("{BASE}", self.base)
        return text.encode("utf-8" if "utf8" in parts[-1] else "gbk")

    def big_page(self):
        page = self.page("job", "full.html")
        filler_line = ('<div class="tCompany_text">业务开发 software development and '
                       'maintenance, 软件测试 and support</div>\r\n').encode("gbk")
        half = (BIG_PAGE_BYTES - len(page)) // 2
        filler = filler_line * max(1, half // len(filler_line))
        cut = page.index(b"<body>") + len(b"<body>\r\n")
        end = page.index(b"</body>")
        return page[:cut] + filler + page[cut:end] + filler + page[end:]

    def answer(self, raw_path):
        """(status, body) for a request target, as raw bytes."""
        m = LIST_PATH.match(raw_path)
        if m:
            keyword = percent_decode(m.group(1))
            number = m.group(2).decode()
            name = keyword.decode("utf-8", errors="replace")
            if name == "missing":
                return 404, b""
            if name == "slow" and number == "2":
                time.sleep(SLOW_SECONDS)
            folder = name if re.fullmatch(r"[a-z0-9]+", name) and \
                os.path.isdir(os.path.join(FIXTURES, "list", name)) else "default"
            body = self.page("list", folder, number + ".html")
            return 200, body if body is not None else EMPTY_RESULT_PAGE.encode("gbk")
        m = re.match(rb"^/(job|slow|big)/([A-Za-z0-9_]+)\.html$", raw_path)
        if m:
            kind = m.group(1).decode()
            if kind == "big":
                return 200, self.big_page()
            if kind == "slow":
                time.sleep(SLOW_SECONDS)
            body = self.page("job", m.group(2).decode() + ".html")
            if body is not None:
                return 200, body
        return 404, b""


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    disable_nagle_algorithm = True
    site = None

    def do_GET(self):
        self.site.record(self.raw_requestline.rstrip(b"\r\n"))
        raw_path = self.raw_requestline.split(b" ")[1] if b" " in self.raw_requestline else b""
        status, body = self.site.answer(raw_path)
        try:
            self.send_response(status)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            self.close_connection = True

    def log_message(self, format, *args):
        pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # clients that hang up early are expected


def exit_with_parent():
    """Ends the server when the test that started it is gone, even after a crash."""
    parent = os.getppid()
    while os.getppid() == parent:
        time.sleep(0.5)
    os._exit(0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--requests", default="")
    args = parser.parse_args()

    Handler.site = Site(args.requests)
    server = Server(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(TLS, "cert.pem"), os.path.join(TLS, "key.pem"))
    server.socket = context.wrap_socket(server.socket, server_side=True)
    port = server.server_address[1]
    Handler.site.base = "https://127.0.0.1:%d" % port
    threading.Thread(target=exit_with_parent, daemon=True).start()
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()
    server.serve_forever()


if __name__ == "__main__":
    main()
