#!/usr/bin/env python3
"""A tile server on 127.0.0.1 for the tile worker tests: real PNG tiles made
here with zlib (and JPEG ones with ImageMagick), the ways tile servers fail,
and a log of every request path. Prints its port on stdout.

Tiles of zoom z, column x, row y are one colour (tile_colour). Paths:
  /t/z/x/y.png            PNG                 /e/z/y/x.png   column and row swapped
  /d/z-x-y.png            dashes              /q?l=map&x=&y=&z=  query values
  /jpg/z/x/y.jpg          JFIF JPEG           /redir/...     302 to /t/...
  /jpgbig/z/x/y.jpg       JPEG, frame header behind a 20 kB comment
  /chunk/...              chunked PNG         /slow/...      waits 30 s
  /html/...  HTML, status 200   /trunc/...  cut short   /huge/...  20000x20000 header
  /small/... 128x128 PNG        /missing/... 404
  /delay/... PNG after 0.25 s   /alt/...    the same, blue 250 (another source)
  /rgba/...  RGBA PNG (layer_rgba)   /keyed/...  RGB PNG, part key colour (layer_keyed)
  /pal/...   palette PNG with transparency, written by Pillow (layer_palette)
A second port, the gate, refuses connections until /gate/open (and again
after /gate/close) is asked of the first; open, it serves the same paths.
"""
import argparse, http.server, os, re, socketserver, struct, subprocess, sys, tempfile, threading, time, zlib


def tile_colour(z, x, y):
    return (40 + (x % 5) * 40, 40 + (y % 5) * 40, 30 + (z % 6) * 30)


def png(w, h, rgb):
    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
    row = b"\x00" + bytes(rgb) * w
    raw = row * h
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def png_rows(w, h, rows, colour_type):
    """A PNG of the given raw rows (bytes each, without filter bytes)."""
    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + r for r in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, colour_type, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


KEY = (255, 0, 255)


def layer_rgba(z, x, y):
    """256 x 256 RGBA rows: blocks of 16 pixels, colour by tile, alpha by
    block from 0 to 255 (both ends included)."""
    r, g, b = tile_colour(z, x, y)
    rows = []
    for v in range(256):
        row = bytearray()
        for u in range(256):
            a = min(255, ((u // 16) * 16 + (v // 16)) * 255 // 255)
            row += bytes(((r + 90) % 256, b, (g + u // 16 * 8) % 256, a))
        rows.append(bytes(row))
    return rows


def layer_keyed(z, x, y):
    """256 x 256 RGB rows: a checkerboard of 32-pixel squares, the key colour
    and a colour by tile."""
    c = tile_colour(z, x, y)
    other = bytes((c[2], 200, c[0]))
    rows = []
    for v in range(256):
        rows.append(b"".join(bytes(KEY) * 32 if ((u + v // 32) & 1) else other * 32 for u in range(8)))
    return rows


def layer_palette(z, x, y):
    """A palette PNG as Mapnik's png8 writes them, made by Pillow: stripes of
    16 pixels of a transparent entry, a half transparent and an opaque one."""
    import io
    from PIL import Image
    r, g, b = tile_colour(z, x, y)
    img = Image.new("P", (256, 256))
    img.putpalette([0, 0, 0, 250, r, 20, 10, g, 250])
    img.putdata([(u // 16 + v // 64) % 3 for v in range(256) for u in range(256)])
    out = io.BytesIO()
    img.save(out, "PNG", transparency=bytes((0, 128)))
    return out.getvalue()


def huge_png_header():
    # a valid start that announces 20000 x 20000 pixels, then a little data
    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 20000, 20000, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"\x00" * 1000)))


_jpeg_cache = {}
_jpeg_lock = threading.Lock()


def jpeg(rgb, comment=0):
    """comment: bytes of a comment segment that puts the frame header far
    behind the start"""
    with _jpeg_lock:
        if (rgb, comment) not in _jpeg_cache:
            extra = ["-set", "comment", "c" * comment] if comment else []
            out = subprocess.run(["convert", "-size", "256x256", "xc:rgb(%d,%d,%d)" % rgb] + extra +
                                 ["-quality", "95", "jpg:-"], check=True, capture_output=True).stdout
            _jpeg_cache[(rgb, comment)] = out
        return _jpeg_cache[(rgb, comment)]


def numbers(path, query):
    """(z, x, y) of a request, by its scheme."""
    if "z" in query:
        return int(query["z"]), int(query["x"]), int(query["y"])
    nums = [int(n) for n in re.findall(r"\d+", path)]
    if len(nums) < 3:
        return None
    z, a, b = nums[-3:]
    if path.startswith("/e/"):
        return z, b, a
    return z, a, b


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, fmt, *args):
        pass

    def reply(self, body, status=200, ctype="image/png", length=None):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        with self.server.log_lock:
            with open(self.server.log_path, "a") as f:
                f.write(self.path + "\n")
        path, _, qs = self.path.partition("?")
        if path in ("/gate/open", "/gate/close"):
            self.server.gate.set(path == "/gate/open")
            return self.reply(b"ok", 200, "text/plain")
        query = dict(kv.partition("=")[::2] for kv in qs.split("&") if kv)
        zxy = numbers(path, query)
        if zxy is None:
            return self.reply(b"no tile", 404, "text/plain")
        rgb = tile_colour(*zxy)
        kind = path.split("/")[1]
        if kind == "redir":
            self.send_response(302)
            self.send_header("Location", "/t" + path[len("/redir"):])
            self.end_headers()
        elif kind == "chunk":
            body = png(256, 256, rgb)
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for i in range(0, len(body), 97):
                part = body[i:i + 97]
                self.wfile.write(b"%x\r\n" % len(part) + part + b"\r\n")
            self.wfile.write(b"0\r\n\r\n")
        elif kind == "slow":
            self.send_response(200)
            self.send_header("Content-Length", "5000")
            self.end_headers()
            self.wfile.write(png(256, 256, rgb)[:100])
            self.wfile.flush()
            time.sleep(30)
        elif kind in ("delay", "alt"):
            # a slow but sound server; "alt" is another source: blue 250,
            # a value no tile_colour has
            time.sleep(0.25)
            self.reply(png(256, 256, rgb if kind == "delay" else (rgb[0], rgb[1], 250)))
        elif kind == "rgba":
            self.reply(png_rows(256, 256, layer_rgba(*zxy), 6))
        elif kind == "pal":
            self.reply(layer_palette(*zxy))
        elif kind == "keyed":
            self.reply(png_rows(256, 256, layer_keyed(*zxy), 2))
        elif kind == "html":
            self.reply(b"<html><body>Rate limit exceeded</body></html>", 200, "text/html")
        elif kind == "trunc":
            body = png(256, 256, rgb)
            self.reply(body[:len(body) // 2], length=len(body))
        elif kind == "huge":
            self.reply(huge_png_header())
        elif kind == "bloated":
            # a real tile with 5 MiB behind its end: no tile needs so much
            self.reply(png(256, 256, rgb) + bytes(5 << 20))
        elif kind == "small":
            self.reply(png(128, 128, rgb))
        elif kind == "missing":
            self.reply(b"not found", 404, "text/plain")
        elif kind == "jpg":
            self.reply(jpeg(rgb), ctype="image/jpeg")
        elif kind == "jpgbig":
            self.reply(jpeg(rgb, 20000), ctype="image/jpeg")
        else:
            self.reply(png(256, 256, rgb))


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    # the map's workers and a pre-caching dialog's connect at once: the
    # default queue of 5 drops connections on a loaded machine
    request_queue_size = 64

    def handle_error(self, request, client_address):
        pass  # clients that hang up (aborted downloads) are expected


class Gate:
    """A port that refuses connections while closed: nothing listens on it."""

    def __init__(self, main):
        self.main, self.srv, self.lock = main, None, threading.Lock()
        probe = Server(("127.0.0.1", 0), Handler)
        self.port = probe.server_address[1]
        probe.server_close()

    def set(self, open_):
        with self.lock:
            if open_ and not self.srv:
                self.srv = Server(("127.0.0.1", self.port), Handler)
                self.srv.log_path, self.srv.log_lock, self.srv.gate = self.main.log_path, self.main.log_lock, self
                threading.Thread(target=self.srv.serve_forever, daemon=True).start()
            elif not open_ and self.srv:
                self.srv.shutdown()
                self.srv.server_close()
                self.srv = None


def start(log_path):
    """Starts a server in this process (for the Python-driven tests)."""
    srv = Server(("127.0.0.1", 0), Handler)
    srv.log_path = log_path
    srv.log_lock = threading.Lock()
    srv.gate = Gate(srv)
    threading.Thread(target=srv.serve_forever, daemon=True).start()
    return srv


if __name__ == "__main__":
    ap = argparse.ArgumentParser()
    ap.add_argument("--log", required=True)
    a = ap.parse_args()
    srv = start(a.log)
    print("%d\n%d" % (srv.server_address[1], srv.gate.port), flush=True)
    try:
        while True:
            time.sleep(3600)
    except KeyboardInterrupt:
        pass
