#!/usr/bin/python3
"""Makes the BMP, ICO/CUR, PNM, XPM and XWD fixtures: files written by
ImageMagick, Pillow and xwd (dumping Xvfb), and variants neither peer
writes built here from those and read by both peers before use. Each
NAME.EXT comes with its maker's decode as 8-bit RGBA (NAME.raw) and its
size (NAME.size: "W H"); list.txt names them.

usage: make_fixtures_raster.py OUTDIR          (make)
       make_fixtures_raster.py --check OUTDIR  (check what the tests saved)
Needs Debian's python3 with Pillow, ImageMagick, xwd (x11-apps) and Xvfb.
"""
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

from PIL import Image

Image.MAX_IMAGE_PIXELS = None
CONVERT = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"


def run(*args, **kw):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, **kw).stdout


def magick_rgba(path):
    w, h = map(int, run("identify", "-format", "%w %h\n", path).split()[:2])
    return w, h, run(CONVERT, path + "[0]", "-depth", "8", "rgba:-")


def pillow_rgba(path):
    im = Image.open(path)
    return im.size[0], im.size[1], im.convert("RGBA").tobytes()


def same(a, b, tol=0):
    """Two RGBA dumps agree; pixels of alpha 0 by alpha alone."""
    if a[:2] != b[:2] or len(a[2]) != len(b[2]):
        return False
    x, y = a[2], b[2]
    for i in range(0, len(x), 4):
        if x[i + 3] == 0 and y[i + 3] == 0:
            continue
        if max(abs(x[i + k] - y[i + k]) for k in range(4)) > tol:
            return False
    return True


# the picture of the other image fixtures: smooth areas, edges, every hue
BASE = ["-size", "67x45", "gradient:#ff2000-#0030ff", "-fill", "#20c040",
        "-draw", "circle 30,22 30,8", "-fill", "#ffff80", "-draw", "rectangle 50,5 62,40"]
ALPHA = BASE + ["-alpha", "set", "-region", "20x10+5+5", "-alpha", "transparent", "+region",
                "-channel", "A", "-fx", "i<10 ? i/10 : u.a", "+channel"]

MAGICK = [
    ("bmp_pal1", BASE + ["-monochrome"], "BMP3:", "bmp"),
    ("bmp_pal4", BASE + ["-colors", "12", "-type", "palette"], "BMP3:", "bmp"),
    ("bmp_pal8", BASE + ["-colors", "200", "-type", "palette"], "BMP3:", "bmp"),
    ("bmp_rle8", BASE + ["-colors", "40", "-type", "palette", "-compress", "RLE"], "BMP3:", "bmp"),
    ("bmp_rgb24", BASE, "BMP3:", "bmp"),
    ("bmp_os2v1", BASE + ["-colors", "30", "-type", "palette"], "BMP2:", "bmp"),
    ("bmp_565", BASE + ["-alpha", "off", "-define", "bmp:subtype=RGB565"], "BMP:", "bmp"),
    ("bmp_555", BASE + ["-alpha", "off", "-define", "bmp:subtype=RGB555"], "BMP:", "bmp"),
    ("bmp_rgba", ALPHA, "BMP:", "bmp"),
    ("ico_multi", BASE + ["-define", "icon:auto-resize=48,32,16"], "ICO:", "ico"),
    ("ico_alpha", ALPHA + ["-resize", "40x40!"], "ICO:", "ico"),
    ("ico_png256", ["-size", "256x256", "gradient:#ff0000-#0000ff", "-alpha", "set", "-channel", "A",
                    "-fx", "j/255", "+channel"], "ICO:", "ico"),
    ("pnm_p1", BASE + ["-monochrome", "-compress", "none"], "PBM:", "pbm"),
    ("pnm_p2", BASE + ["-colorspace", "Gray", "-depth", "8", "-compress", "none"], "PGM:", "pgm"),
    ("pnm_p3", BASE + ["-depth", "8", "-compress", "none"], "PPM:", "ppm"),
    ("pnm_p4", BASE + ["-monochrome"], "PBM:", "pbm"),
    ("pnm_p5", BASE + ["-colorspace", "Gray", "-depth", "8"], "PGM:", "pgm"),
    ("pnm_p6", BASE + ["-depth", "8"], "PPM:", "ppm"),
    ("pnm_p5_16", BASE + ["-colorspace", "Gray", "-depth", "16"], "PGM:", "pgm"),
    ("pnm_p6_16", BASE + ["-depth", "16"], "PPM:", "ppm"),
    ("xpm_pal", BASE + ["-colors", "60"], "XPM:", "xpm"),
    ("xpm_many", BASE + ["-colors", "250"], "XPM:", "xpm"),
    ("xpm_alpha", ALPHA + ["-colors", "50"], "XPM:", "xpm"),
    ("xwd_rgb", BASE, "XWD:", "xwd"),
    ("xwd_pal", BASE + ["-colors", "40", "-type", "palette"], "XWD:", "xwd"),
    ("xwd_grey", BASE + ["-colorspace", "Gray", "-type", "grayscale"], "XWD:", "xwd"),
]


def base_png(tmp):
    p = os.path.join(tmp, "base.png")
    if not os.path.exists(p):
        run(CONVERT, *BASE, "PNG32:" + p)
    return Image.open(p).convert("RGBA")


def pillow_files(tmp):
    """(name, ext, bytes) written by Pillow."""
    rgba = base_png(tmp)
    rgb = rgba.convert("RGB")
    out = []

    def save(name, ext, im, **kw):
        b = io.BytesIO()
        im.save(b, format={"bmp": "BMP", "ico": "ICO", "pbm": "PPM", "pgm": "PPM", "ppm": "PPM"}[ext], **kw)
        out.append((name, ext, b.getvalue()))

    save("bmp_pil_pal8", "bmp", rgb.quantize(100))
    save("bmp_pil_bw", "bmp", rgb.convert("1"))
    save("bmp_pil_grey", "bmp", rgb.convert("L"))
    save("bmp_pil_rgb", "bmp", rgb)
    save("ico_pil_bmp", "ico", rgba, sizes=[(32, 32)], bitmap_format="bmp")
    save("pnm_pil_p4", "pbm", rgb.convert("1"))
    save("pnm_pil_p5", "pgm", rgb.convert("L"))
    save("pnm_pil_p6", "ppm", rgb)
    return out


# --- variants neither peer writes ----------------------------------------

def bmp_file(info, palette, pixels):
    off = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", off + len(pixels), 0, 0, off) + info + palette + pixels


def info40(w, h, bits, comp, size, colours, hsize=40):
    return struct.pack("<IiiHHIIiiII", hsize, w, h, 1, bits, comp, size, 2835, 2835, colours, 0) + bytes(hsize - 40)


def palette_of(im, n, entry=4):
    pal = im.getpalette()[:3 * n]
    pal += [0] * (3 * n - len(pal))
    return b"".join(bytes([pal[3 * i + 2], pal[3 * i + 1], pal[3 * i]]) + b"\0" * (entry - 3) for i in range(n))


def rows_bottom_up(im):
    w, h = im.size
    px = im.load()
    out = []
    for y in range(h - 1, -1, -1):
        row = [px[x, y] for x in range(w)]
        out.append(row)
    return out


def pack_row(row, bits):
    b = bytearray()
    if bits == 4:
        for i in range(0, len(row), 2):
            b.append(row[i] << 4 | (row[i + 1] if i + 1 < len(row) else 0))
    else:
        b = bytearray(row)
    while len(b) % 4:
        b.append(0)
    return bytes(b)


def rle(rows, four):
    """RLE8/RLE4 rows with runs and absolute runs, the end of bitmap
    straight after the last row."""
    out = bytearray()
    for y, row in enumerate(rows):
        x = 0
        while x < len(row):
            n = 1
            while x + n < len(row) and n < 255 and row[x + n] == row[x]:
                n += 1
            if n >= 3 or len(row) - x < 3:
                v = row[x] << 4 | row[x] if four else row[x]
                out += bytes([n, v])
                x += n
                continue
            m = 3
            while x + m < len(row) and m < 254 and not (x + m + 2 < len(row) and row[x + m] == row[x + m + 1] == row[x + m + 2]):
                m += 1
            chunk = row[x:x + m]
            data = pack_row(chunk, 4)[: (m + 1) // 2] if four else bytes(chunk)
            out += bytes([0, m]) + data + (b"\0" if len(data) & 1 else b"")
            x += m
        out += b"\0\1" if y == len(rows) - 1 else b"\0\0"
    return bytes(out)


# Measured with Debian 12's ImageMagick 6.9.11 and Pillow 9.4.
PEER_FAULTS = {
    ("bmp_rle4", "Pillow"): "absolute runs and the delta misplaced",
    ("bmp_rle8_delta", "Pillow"): "the delta misplaced",
    ("bmp_os2v2", "ImageMagick"): "the palette of a 64-byte header misread",
    ("pnm_p2_1000", "Pillow"): "greys of a maximum above 255 clipped, not scaled",
    ("bmp_rgb32", "ImageMagick"): "takes the padding byte of 32 bits without masks as alpha",
    ("ico_contradict", "ImageMagick"): "takes the first entry",
    ("ico_contradict", "Pillow"): "believes the directory's sizes",
}


def made_files(tmp):
    """(name, ext, bytes) built here."""
    rgb = base_png(tmp).convert("RGB")
    w, h = rgb.size
    out = []
    p16 = rgb.quantize(14)
    p64 = rgb.quantize(64)
    rows64 = rows_bottom_up(p64)
    # a delta skipping from row 10 to row 11 at x 20: the rest of row 10 and
    # the start of row 11 keep index 0
    # a delta from x 10 on row 10 to x 20 on row 11 (from the bottom): the
    # pixels it skips keep index 0
    for name, pal, four in (("bmp_rle4", p16, True), ("bmp_rle8_delta", p64, False)):
        rows = [list(r) for r in rows_bottom_up(pal)]
        rows[10], rows[11] = rows[10][:10], rows[11][20:]
        data = rle(rows[:11], four)[:-2] + bytes([0, 2, 10, 1]) + rle(rows[11:], four)
        n = 16 if four else 64
        rgb_pal = pal.getpalette()
        skipped = lambda x, y: (y == h - 11 and x >= 10) or (y == h - 12 and x < 20)
        want = b"".join(bytes(rgb_pal[3 * i:3 * i + 3]) + b"\xff" for i in
                        (0 if skipped(x, y) else pal.getpixel((x, y)) for y in range(h) for x in range(w)))
        out.append((name, "bmp", bmp_file(info40(w, h, 4 if four else 8, 2 if four else 1, len(data), n),
                                          palette_of(pal, n), data), (w, h, want)))
    # top-down rows, 24 and 8 bits
    px = rgb.load()
    rows24 = b"".join(pack_row(sum(([px[x, y][2], px[x, y][1], px[x, y][0]] for x in range(w)), []), 24)
                      for y in range(h))
    out.append(("bmp_topdown24", "bmp", bmp_file(info40(w, -h, 24, 0, len(rows24), 0), b"", rows24), None))
    pp = p64.load()
    rows8 = b"".join(pack_row([pp[x, y] for x in range(w)], 8) for y in range(h))
    out.append(("bmp_topdown8", "bmp", bmp_file(info40(w, -h, 8, 0, len(rows8), 64), palette_of(p64, 64), rows8), None))
    # OS/2 2.x: a 64-byte header, 4-byte palette entries
    pix = b"".join(pack_row(r, 8) for r in rows64)
    out.append(("bmp_os2v2", "bmp", bmp_file(info40(w, h, 8, 0, len(pix), 64, hsize=64), palette_of(p64, 64), pix),
                (w, h, p64.convert("RGBA").tobytes())))
    # 32 bits without alpha mask: the fourth byte is padding
    rows32 = b"".join(b"".join(bytes([px[x, y][2], px[x, y][1], px[x, y][0], 0x55]) for x in range(w))
                      for y in range(h - 1, -1, -1))
    out.append(("bmp_rgb32", "bmp", bmp_file(info40(w, h, 32, 0, len(rows32), 0), b"", rows32),
                (w, h, rgb.convert("RGBA").tobytes())))

    # icons of palette entries with AND masks; the cursor; a directory
    # that contradicts its entries
    def dib_entry(im, bits, mask_fn):
        iw, ih = im.size
        n = 1 << bits
        ipx = im.load()
        xor = b"".join(pack_row([ipx[x, y] for x in range(iw)], bits) if bits >= 4 else
                       pack_bits([ipx[x, y] for x in range(iw)]) for y in range(ih - 1, -1, -1))
        mask = b"".join(pack_bits([mask_fn(x, y) for x in range(iw)]) for y in range(ih - 1, -1, -1))
        return info40(iw, 2 * ih, bits, 0, len(xor) + len(mask), 0) + palette_of(im, n) + xor + mask

    def ico(entries, kind=1, dir_sizes=None):
        head = struct.pack("<HHH", 0, kind, len(entries))
        off = 6 + 16 * len(entries)
        body = b""
        for i, (ew, eh, bits, data) in enumerate(entries):
            dw, dh = dir_sizes[i] if dir_sizes else (ew, eh)
            head += struct.pack("<BBBBHHII", dw & 255, dh & 255, 0, 0, 1 if kind == 1 else 3,
                                bits if kind == 1 else 5, len(data), off + len(body))
            body += data
        return head + body

    small = rgb.resize((24, 20))
    ring = lambda x, y: 1 if (x - 12) ** 2 + (y - 10) ** 2 > 81 else 0
    e1 = dib_entry(small.quantize(2), 1, ring)
    e4 = dib_entry(small.quantize(16), 4, ring)
    e8 = dib_entry(small.quantize(200), 8, lambda x, y: 0)
    out.append(("ico_pal1", "ico", ico([(24, 20, 1, e1)]), None))
    out.append(("ico_pal4", "ico", ico([(24, 20, 4, e4)]), None))
    out.append(("cur_pal8", "cur", ico([(24, 20, 8, e8)], kind=2), None))
    big_pic = rgb.resize((40, 30)).quantize(16)
    big = dib_entry(big_pic, 4, ring)
    big_want = big_pic.convert("RGBA")
    big_want.putdata([c[:3] + (0 if ring(i % 40, i // 40) else 255,) for i, c in enumerate(big_want.getdata())])
    # the directory claims the small one is larger: the entry's own header wins
    out.append(("ico_contradict", "ico", ico([(24, 20, 4, e4), (40, 30, 4, big)], dir_sizes=[(64, 64), (16, 16)]),
                (40, 30, big_want.tobytes())))

    # PNM with maxval 1000 and comments in the header
    vals = [round(c * 1000 / 255) for p in rgb.getdata() for c in p]
    out.append(("pnm_p3_1000", "ppm", ("P3\n# made here\n%d # width\n%d\n1000\n" % (w, h)).encode() +
                " ".join(map(str, vals)).encode() + b"\n", None))
    out.append(("pnm_p6_1000", "ppm", ("P6 #a\n%d\n#b\n %d 1000\n" % (w, h)).encode() +
                b"".join(struct.pack(">H", v) for v in vals), None))
    grey = [round(v * 1000 / 255) for v in rgb.convert("L").getdata()]
    out.append(("pnm_p2_1000", "pgm", ("P2\n%d %d\n1000\n" % (w, h)).encode() +
                "\n".join(map(str, grey)).encode() + b"\n", None))

    # XPM: names, short and long hex, "None", three characters per pixel,
    # keys other than c
    colours = [("aaa", "c light slate blue"), ("aab", "c #F0A"), ("aac", "m white c #123456789ABC"),
               ("aba", "c None"), ("abb", "g grey40"), ("abc", "c   DarkOliveGreen  ")]
    rows = ['"' + "".join(colours[(x // 5 + y // 4) % len(colours)][0] for x in range(33)) + '"' for y in range(21)]
    text = ("/* XPM */\nstatic char * names_xpm[] = {\n/* a comment */\n\"33 21 %d 3\",\n" % len(colours) +
            "".join('"%s %s",\n' % c for c in colours) + ",\n".join(rows) + "};\n")
    out.append(("xpm_names", "xpm", text.encode(), None))

    # XWD bitmaps: an XY dump and a 1-bit ZPixmap, in units of 32 and 16
    # bits whose byte order differs from the bit order
    bw = rgb.convert("1")
    bits = [1 if v else 0 for v in bw.getdata()]
    for name, fmt, unit, byte_msb, bit_msb in (("xwd_xy1", 1, 32, 0, 1), ("xwd_z1", 2, 16, 1, 0)):
        line = (w + unit - 1) // unit * unit // 8
        data = bytearray()
        for y in range(h):
            row = bytearray(line)
            for x in range(w):
                if bits[y * w + x]:
                    u, b = divmod(x, unit)
                    byte = b // 8 if bool(bit_msb) == bool(byte_msb) else unit // 8 - 1 - b // 8
                    row[u * unit // 8 + byte] |= 0x80 >> (b % 8) if bit_msb else 1 << (b % 8)
            data += row
        head = struct.pack(">25I", 100, 7, fmt, 1, w, h, 0, byte_msb, unit, bit_msb, unit, 1, line, 0,
                           0, 0, 0, 1, 2, 2, w, h, 0, 0, 0)
        cmap = struct.pack(">IHHHBB", 0, 0, 0, 0, 7, 0) + struct.pack(">IHHHBB", 1, 65535, 65535, 65535, 7, 0)
        out.append((name, "xwd", head + cmap + bytes(data), (w, h, bw.convert("RGBA").tobytes())))
    return out


def pack_bits(bits):
    b = bytearray()
    for i in range(0, len(bits), 8):
        v = 0
        for k in range(8):
            v = v << 1 | (bits[i + k] if i + k < len(bits) else 0)
        b.append(v)
    while len(b) % 4:
        b.append(0)
    return bytes(b)


def swap_xwd(data):
    """The XWD with header and colour map in little-endian order."""
    hs, = struct.unpack(">I", data[:4])
    fields = struct.unpack(">25I", data[:100])
    ncolours = fields[19]
    out = bytearray(struct.pack("<25I", *fields) + data[100:hs])
    for i in range(ncolours):
        e = data[hs + 12 * i: hs + 12 * i + 12]
        pixel, r, g, b, flags, pad = struct.unpack(">IHHHBB", e)
        out += struct.pack("<IHHHBB", pixel, r, g, b, flags, pad)
    return bytes(out + data[hs + 12 * ncolours:])


def xvfb_dumps(tmp, picture):
    """xwd dumps of a private Xvfb at depths 8, 16 and 24, ImageMagick's
    display showing picture at the top left."""
    out = []
    for depth in (8, 16, 24):
        r, wfd = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(wfd), "-screen", "0", "72x50x%d" % depth, "-nolisten", "tcp"],
                                pass_fds=[wfd], stderr=subprocess.DEVNULL)
        os.close(wfd)
        shown = None
        try:
            num = os.read(r, 16).decode().strip()
            env = dict(os.environ, DISPLAY=":" + num)
            shown = subprocess.Popen(["display", "-geometry", "+0+0", "-immutable", picture], env=env)
            for _ in range(100):  # until the window is mapped and drawn
                time.sleep(0.1)
                if b"67x45+0+0" in run("xwininfo", "-root", "-children", env=env):
                    break
            time.sleep(0.5)
            path = os.path.join(tmp, "root%d.xwd" % depth)
            run("xwd", "-root", "-silent", "-out", path, env=env)
            out.append(("xwd_xvfb%d" % depth, "xwd", open(path, "rb").read()))
        finally:
            os.close(r)
            if shown:
                shown.terminate()
                shown.wait()
            xvfb.terminate()
            xvfb.wait()
    return out


def make(outdir):
    shutil.rmtree(outdir, ignore_errors=True)
    os.makedirs(os.path.join(outdir, "out"))
    tmp = tempfile.mkdtemp()
    names = []

    def keep(name, ext, data, dump):
        path = os.path.join(outdir, name + "." + ext)
        with open(path, "wb") as f:
            f.write(data)
        w, h, rgba = dump(path)
        with open(os.path.join(outdir, name + ".raw"), "wb") as f:
            f.write(rgba)
        with open(os.path.join(outdir, name + ".size"), "w") as f:
            f.write("%d %d\n" % (w, h))
        names.append(name + "." + ext)

    for name, opts, prefix, ext in MAGICK:
        path = os.path.join(tmp, name + "." + ext)
        run(CONVERT, "-seed", "7", *opts, prefix + path)
        data = open(path, "rb").read()
        if name.startswith("ico"):  # Pillow takes the largest entry, as we do; ImageMagick the first
            keep(name, ext, data, pillow_rgba)
        else:
            keep(name, ext, data, magick_rgba)
    for name, ext, data in pillow_files(tmp):
        keep(name, ext, data, pillow_rgba)
    # built here: each peer that reads the format must read what was meant
    # (the pixels written, else ImageMagick's reading), but for its known faults
    for name, ext, data, want in made_files(tmp):
        path = os.path.join(tmp, name + "." + ext)
        open(path, "wb").write(data)
        readers = [("ImageMagick", magick_rgba)] + ([("Pillow", pillow_rgba)] if ext not in ("xpm", "xwd") else [])
        read = {who: dump(path) for who, dump in readers}
        ref = want or read["ImageMagick"]
        for who, got in read.items():
            if (name, who) not in PEER_FAULTS and not same(got, ref, 1 if "1000" in name else 0):
                raise SystemExit("%s misreads %s" % (who, name))
        keep(name, ext, data, lambda _: ref)
    # neither peer reads a little-endian header: the pixels are the
    # big-endian original's
    original = os.path.join(outdir, "xwd_pal.xwd")
    keep("xwd_pal_le", "xwd", swap_xwd(open(original, "rb").read()), lambda _: magick_rgba(original))
    for name, ext, data in xvfb_dumps(tmp, os.path.join(tmp, "base.png")):
        keep(name, ext, data, magick_rgba)
    with open(os.path.join(outdir, "list.txt"), "w") as f:
        f.write("\n".join(names) + "\n")
    shutil.rmtree(tmp)
    print("made %d fixtures in %s" % (len(names), outdir))


def written_comment(path, ext):
    """The comment as the peers (or, where none reads it, the format's
    own place for it) give it back."""
    data = open(path, "rb").read()
    if ext == "xpm":  # a C comment after the mark; neither peer reads it
        rest = data[len(b"/* XPM */\n"):]
        if not rest.startswith(b"/* "):
            return b""
        return rest[3:rest.index(b" */")].replace(b"* /", b"*/")
    if ext == "xwd":  # the window name, which neither peer gives
        hsize, = struct.unpack(">I", data[:4])
        return data[100:hsize].rstrip(b"\0")
    text = run("identify", "-format", "%c", path + "[0]")
    return text.rstrip(b"\n") if ext in ("pbm", "pgm", "ppm") else text


def check(outdir):
    """The tests saved out/NAME.EXT with the pixels meant (NAME.rgba,
    NAME.size) and comment (NAME.comment): identify, compare -metric AE and
    Pillow must read the same."""
    d = os.path.join(outdir, "out")
    names = sorted(n[:-5] for n in os.listdir(d) if n.endswith(".size"))
    failed = 0
    tmp = tempfile.mkdtemp()
    for n in names:
        files = [f for f in os.listdir(d) if f.startswith(n + ".") and f.split(".")[-1] not in ("rgba", "size", "comment")]
        if len(files) != 1:
            print("FAIL %s: %d image files" % (n, len(files)))
            failed += 1
            continue
        path = os.path.join(d, files[0])
        ext = files[0].split(".")[-1]
        w, h = map(int, open(os.path.join(d, n + ".size")).read().split())
        want = (w, h, open(os.path.join(d, n + ".rgba"), "rb").read())
        tol = 1 if n.endswith("rgb16") else 0  # 5-bit samples widened apart
        problems = []
        if magick_rgba(path)[:2] != (w, h):
            problems.append("identify: size")
        if not same(magick_rgba(path), want, tol):
            problems.append("ImageMagick: pixels")
        # compare counts differing pixels; transparent ones made alike first
        a, b = os.path.join(tmp, "a.png"), os.path.join(tmp, "b.png")
        run(CONVERT, path + "[0]", "-background", "black", "-alpha", "background", "PNG32:" + a)
        run(CONVERT, "-size", "%dx%d" % (w, h), "-depth", "8", "rgba:" + os.path.join(d, n + ".rgba"),
            "-background", "black", "-alpha", "background", "PNG32:" + b)
        ae = subprocess.run(["compare", "-metric", "AE", "-fuzz", "%d" % tol, a, b, "null:"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE).stderr.decode().strip()
        # a 2-bit BMP: compare counts 0 to 5 of its pixels apart from one run
        # to the next, while ImageMagick's own read above gives each pixel meant
        if ae != "0" and not (ext == "bmp" and n.endswith("pal2")):
            problems.append("compare: %s pixels" % ae)
        one_char = ext != "xpm" or open(path, "rb").read().split(b"\n")[2].split()[3] == b'1"'
        if ext != "xwd" and one_char:  # Pillow reads no XWD, XPM of one character per pixel only
            if not same(pillow_rgba(path), want, tol):
                problems.append("Pillow: pixels")
        comment = written_comment(path, ext)
        meant = open(os.path.join(d, n + ".comment"), "rb").read()
        if ext in ("bmp", "ico", "cur"):
            meant = b""  # no place for it
        if comment != meant:
            problems.append("comment %r" % comment)
        print("%s %s %s" % ("FAIL" if problems else "ok", files[0], ", ".join(problems)))
        failed += bool(problems)
    shutil.rmtree(tmp)
    if not names:
        print("FAIL: the tests saved nothing")
        failed += 1
    print("%d checked, %d failed" % (len(names), failed))
    return 1 if failed else 0


if __name__ == "__main__":
    if sys.argv[1] == "--check":
        sys.exit(check(sys.argv[2]))
    make(sys.argv[1])
