#!/usr/bin/env python3
"""Makes the image fixtures with ImageMagick: PNG and JPEG files of every
kind the decoder handles, each with ImageMagick's own decode as 8-bit RGBA
(NAME.raw) and its size (NAME.size: "W H"). GIF, TIFF and EPS files come
from ImageMagick, Pillow and tiffcp, each decoded by its maker (formats.txt
lists them). BMP, ICO/CUR, PNM, XPM and XWD have their own fixtures
(make_fixtures_raster.py).

usage: make_fixtures.py OUTDIR        (make)
       make_fixtures.py --check OUTDIR (check what the codec tests saved)
"""
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)


def out(*args):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE).stdout


# A picture with smooth areas, edges and every hue: a gradient with a
# circle and a rectangle drawn over it.
BASE = ["-size", "67x45", "gradient:#ff2000-#0030ff", "-fill", "#20c040",
        "-draw", "circle 30,22 30,8", "-fill", "#ffff80", "-draw", "rectangle 50,5 62,40"]
# Transparent areas: the same with a hole and a fading strip.
ALPHA = BASE + ["-alpha", "set", "-region", "20x10+5+5", "-alpha", "transparent", "+region",
                "-channel", "A", "-fx", "i<10 ? i/10 : u.a", "+channel"]

FIXTURES = [
    # name, options before the output, output prefix
    ("pal8", BASE + ["-colors", "200"], "PNG8:"),
    ("pal8_trns", ALPHA + ["-colors", "60"], "PNG8:"),
    ("pal4", BASE + ["-colors", "12", "-define", "png:bit-depth=4", "-define", "png:color-type=3"], "PNG:"),
    ("pal1", BASE + ["-monochrome", "-define", "png:bit-depth=1", "-define", "png:color-type=3"], "PNG:"),
    ("grey8", BASE + ["-colorspace", "Gray", "-define", "png:color-type=0", "-depth", "8"], "PNG:"),
    ("grey4", BASE + ["-colorspace", "Gray", "-define", "png:color-type=0", "-define", "png:bit-depth=4"], "PNG:"),
    ("grey1", BASE + ["-monochrome", "-define", "png:color-type=0", "-define", "png:bit-depth=1"], "PNG:"),
    ("grey16", BASE + ["-colorspace", "Gray", "-define", "png:color-type=0", "-depth", "16"], "PNG:"),
    ("greyalpha", ALPHA + ["-colorspace", "Gray", "-define", "png:color-type=4", "-depth", "8"], "PNG:"),
    ("greyalpha16", ALPHA + ["-colorspace", "Gray", "-define", "png:color-type=4", "-depth", "16"], "PNG:"),
    ("rgb", BASE, "PNG24:"),
    ("rgba", ALPHA, "PNG32:"),
    ("rgb16", BASE + ["-depth", "16"], "PNG48:"),
    ("rgba16", ALPHA + ["-depth", "16"], "PNG64:"),
    ("rgb_interlaced", BASE + ["-interlace", "PNG"], "PNG24:"),
    ("rgba_interlaced", ALPHA + ["-interlace", "PNG"], "PNG32:"),
    ("tile256", ["-size", "256x256", "plasma:", "-seed", "7", "-blur", "0x1"], "PNG24:"),
    ("jpeg_base", BASE + ["-quality", "90"], "JPEG:"),
    ("jpeg_444", BASE + ["-quality", "95", "-sampling-factor", "1x1"], "JPEG:"),
    ("jpeg_prog", BASE + ["-quality", "85", "-interlace", "JPEG"], "JPEG:"),
    ("jpeg_grey", BASE + ["-colorspace", "Gray", "-type", "Grayscale", "-quality", "90"], "JPEG:"),
    ("jpeg_cmyk", BASE + ["-colorspace", "CMYK", "-quality", "95"], "JPEG:"),
    ("jpeg_tile", ["-size", "256x256", "plasma:", "-seed", "7", "-quality", "85"], "JPEG:"),
]


def make(outdir):
    shutil.rmtree(outdir, ignore_errors=True)
    os.makedirs(os.path.join(outdir, "out"))
    for name, opts, prefix in FIXTURES:
        ext = "jpg" if prefix == "JPEG:" else "png"
        path = os.path.join(outdir, name + "." + ext)
        seed = ["-seed", "7"]
        run("convert", *seed, *opts, prefix + path)
        run("convert", path, "-depth", "8", "rgba:" + os.path.join(outdir, name + ".raw"))
        size = out("identify", "-format", "%w %h", path).decode().strip()
        with open(os.path.join(outdir, name + ".size"), "w") as f:
            f.write(size + "\n")
    # ImageMagick's box filter halving the tile: plain 2 x 2 averages
    run("convert", os.path.join(outdir, "tile256.png"), "-filter", "Box", "-resize", "128x128",
        "-depth", "8", "rgba:" + os.path.join(outdir, "tile256_half.rgba"))
    # and composing the transparent picture onto white
    run("convert", os.path.join(outdir, "rgba.png"), "-background", "white", "-alpha", "remove",
        "-depth", "8", "rgba:" + os.path.join(outdir, "rgba_on_white.rgba"))
    with open(os.path.join(outdir, "list.txt"), "w") as f:
        for name, _, prefix in FIXTURES:
            f.write("%s.%s\n" % (name, "jpg" if prefix == "JPEG:" else "png"))
    print("made %d fixtures in %s" % (len(FIXTURES), outdir))
    import make_fixtures_formats
    made = make_fixtures_formats.make(outdir)
    with open(os.path.join(outdir, "formats.txt"), "w") as f:
        f.write("".join(n + "\n" for n in made))
    print("made %d fixtures of the other formats" % len(made))


def pillow_rgba(img):
    from PIL import Image
    im = Image.open(img)
    return im.convert("RGBA").tobytes(), im.info.get("comment", b"")


def ghostscript_rgba(img):
    png = img + ".render.png"
    run("gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m", "-r72", "-dEPSCrop",
        "-sOutputFile=" + png, img)
    from PIL import Image  # ImageMagick's policy here refuses sides past 16384
    im = Image.open(png).convert("RGBA")
    got, size = im.tobytes(), [str(v) for v in im.size]
    os.remove(png)
    return got, size


def eps_title(img):
    for line in open(img, "rb"):
        if line.startswith(b"%%Title: "):
            return line[9:].rstrip(b"\r\n")
    return b""


def check(outdir):
    """The codec tests saved out/NAME.EXT with a comment and a raw RGBA dump
    of what they saved (NAME.rgba, NAME.size, NAME.comment): ImageMagick
    (Ghostscript for EPS, Pillow too for GIF and TIFF) must read the same
    pixels (those of alpha 0 by alpha alone) and comment."""
    d = os.path.join(outdir, "out")
    names = sorted(n[:-5] for n in os.listdir(d) if n.endswith(".size"))
    passed = failed = 0
    for n in names:
        files = [f for f in os.listdir(d) if f.startswith(n + ".") and
                 f.split(".")[-1] in ("png", "jpg", "gif", "tif", "eps")]
        if len(files) != 1:
            print("FAIL %s: %d image files" % (n, len(files)))
            failed += 1
            continue
        img = os.path.join(d, files[0])
        ext = img.rsplit(".", 1)[1]
        w, h = open(os.path.join(d, n + ".size")).read().split()
        want = open(os.path.join(d, n + ".rgba"), "rb").read()
        want_comment = open(os.path.join(d, n + ".comment"), "rb").read()
        readers = []
        if ext == "eps":
            got, size = ghostscript_rgba(img)
            readers.append(("Ghostscript", got, eps_title(img)))
        else:
            size = out("identify", "-format", "%w %h", img).decode().split()
            readers.append(("ImageMagick", out("convert", img, "-depth", "8", "rgba:-"),
                            out("identify", "-format", "%c", img)))
            if ext in ("gif", "tif"):
                readers.append(("Pillow",) + pillow_rgba(img))
                if ext == "tif":  # Pillow keeps the description under its tag
                    from PIL import Image
                    readers[-1] = readers[-1][:2] + (Image.open(img).tag_v2.get(270, "").encode("cp1252"),)
        jpeg = ext == "jpg"
        tol = 24 if jpeg else 0  # lossy at the default quality, chroma halved
        for reader, got, comment in readers:
            worst = 999
            if len(got) == len(want):
                worst = 0
                for i in range(0, len(got), 4):
                    k0 = 3 if got[i + 3] == 0 and want[i + 3] == 0 else 0
                    for k in range(k0, 4):
                        worst = max(worst, abs(got[i + k] - want[i + k]))
            ok = size == [w, h] and worst <= tol and comment == want_comment
            if jpeg:  # written at the default quality of 75
                quality = out("identify", "-format", "%Q", img).decode().strip()
                ok = ok and quality == "75"
                comment += b" quality " + quality.encode()
            print("%s %s by %s: size %s, worst channel difference %d, comment %r" %
                  ("ok" if ok else "FAIL", files[0], reader, "x".join(size), worst, comment))
            passed += ok
            failed += not ok
    if not names:
        print("FAIL: the codec tests saved nothing")
        failed += 1
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    if sys.argv[1] == "--check":
        sys.exit(check(sys.argv[2]))
    make(sys.argv[1])
