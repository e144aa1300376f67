#!/usr/bin/env python3
"""A tile server for the tests, on 127.0.0.1, with the ways real servers
misbehave. Prints its port on stdout; logs each request path to --log."""
import argparse, http.server, socketserver, sys, time, threading

def pattern(n):
    return bytes(((i * 7 + 13) & 0xFF) for i in range(n))

class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "TestTiles/1.0"

    def log_message(self, fmt, *args):
        pass

    def send_body(self, body, ctype="application/octet-stream", length=None):
        self.send_response(200)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        with self.server.log_lock:
            with open(self.server.log_path, "a") as f:
                f.write(self.path + "\n")
        p = self.path
        q = {}
        if "?" in p:
            p, qs = p.split("?", 1)
            for kv in qs.split("&"):
                k, _, v = kv.partition("=")
                q[k] = v
        port = self.server.server_address[1]
        if "/bytes/" in p:
            self.send_body(pattern(int(p.rsplit("/", 1)[1])))
        elif p.startswith("/redirect/"):
            n = int(p.split("/")[2])
            target = "/bytes/1000" if n <= 1 else "/redirect/%d" % (n - 1)
            self.send_response(302)
            self.send_header("Location", target)
            self.end_headers()
        elif p == "/redirect-abs":
            self.send_response(301)
            self.send_header("Location", "http://127.0.0.1:%d/bytes/777" % port)
            self.end_headers()
        elif p.endswith("/redirect-rel"):
            self.send_response(307)
            self.send_header("Location", "bytes/555")
            self.end_headers()
        elif p == "/redirect-badhost":
            self.send_response(302)
            self.send_header("Location", "http://127.0.0.1\x01x:%d/bytes/10" % port)
            self.end_headers()
        elif p == "/redirect-https":
            self.send_response(302)
            self.send_header("Location", "https://127.0.0.1:%d/bytes/10" % port)
            self.end_headers()
        elif p == "/chunked":
            n = int(q.get("n", "5000"))
            body = pattern(n)
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            i, step = 0, 1
            while i < n:
                part = body[i:i + step]
                self.wfile.write(b"%x;ext=1\r\n" % len(part) + part + b"\r\n")
                self.wfile.flush()
                i += len(part)
                step = step * 3 + 1
            self.wfile.write(b"0\r\nX-Trailer: 1\r\n\r\n")
        elif p == "/tinychunks":
            # one data byte per chunk behind a long extension: little body,
            # much framing
            n = int(q.get("n", "40000"))
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            rec = b"1;" + b"e" * 1000 + b"\r\nA\r\n"
            block = rec * 1000
            for _ in range(n // 1000):
                self.wfile.write(block)
            self.wfile.write(b"0\r\n\r\n")
        elif p == "/nostatus":
            # a status line without a code; a number in a later field
            if q.get("k") == "blank":
                self.wfile.write(b"HTTP/1.0 \r\n200: x\r\nContent-Length: 5\r\n\r\nhello")
            else:
                self.wfile.write(b"HTTP/1.0\r\nX-Count: 200 OK\r\nContent-Length: 5\r\n\r\nhello")
        elif p == "/badchunk":
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            self.wfile.write(b"zz\r\nhello\r\n0\r\n\r\n")
        elif p == "/slow":
            self.send_response(200)
            self.send_header("Content-Length", "100")
            self.end_headers()
            self.wfile.write(b"x" * 10)
            self.wfile.flush()
            time.sleep(float(q.get("s", "8")))
        elif p == "/html":
            self.send_body(b"<html><body>Fehler</body></html>", "text/html")
        elif p == "/trunc":
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(pattern(10))
        elif p == "/overlong":
            self.send_response(200)
            self.send_header("Content-Length", "10")
            self.end_headers()
            self.wfile.write(pattern(100))
        elif p == "/noclen":
            self.send_response(200)
            self.end_headers()
            self.wfile.write(pattern(3000))
        elif p == "/empty":
            self.send_body(b"")
        elif p == "/badlen":
            self.send_response(200)
            self.send_header("Content-Length", "-5")
            self.end_headers()
        else:
            self.send_error(404)

class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--log", required=True)
    a = ap.parse_args()
    srv = Server(("127.0.0.1", 0), Handler)
    srv.log_path = a.log
    srv.log_lock = threading.Lock()
    open(a.log, "w").close()
    print(srv.server_address[1], flush=True)
    srv.serve_forever()

if __name__ == "__main__":
    main()
