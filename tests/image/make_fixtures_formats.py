"""GIF, TIFF and EPS fixtures, each decoded by its maker (ImageMagick,
Pillow) to NAME.raw (8-bit RGBA) and NAME.size ("W H"). Called by
make_fixtures.py; returns the file names made."""
import os
import struct
import subprocess

from PIL import Image

BASE = ["-size", "67x45", "gradient:#ff2000-#0030ff", "-fill", "#20c040",
        "-draw", "circle 30,22 30,8", "-fill", "#ffff80", "-draw", "rectangle 50,5 62,40"]
ALPHA = BASE + ["-alpha", "set", "-region", "20x10+5+5", "-alpha", "transparent", "+region",
                "-channel", "A", "-fx", "i<10 ? i/10 : u.a", "+channel"]
# 8-bit samples unless a fixture asks for more (the gradient is 16 bits)
BASE = BASE + ["-alpha", "off", "-depth", "8"]
ALPHA = ALPHA + ["-depth", "8"]
# ImageMagick options before the output file, and its prefix
MAGICK = [
    ("gif_pal.gif", BASE + ["-colors", "200"], "GIF:"),
    ("gif_interlaced.gif", BASE + ["-colors", "64", "-interlace", "GIF"], "GIF:"),
    ("gif_trns.gif", ALPHA + ["-colors", "60"], "GIF:"),
    ("gif_table8.gif", BASE + ["-colors", "7"], "GIF:"),
    ("gif_mono.gif", BASE + ["-monochrome"], "GIF:"),
    ("tif_none.tif", BASE, "TIFF:"),
    ("tif_packbits.tif", BASE + ["-compress", "RLE"], "TIFF:"),
    ("tif_lzw.tif", BASE + ["-compress", "LZW"], "TIFF:"),
    ("tif_lzw_pred.tif", BASE + ["-compress", "LZW", "-define", "tiff:predictor=2"], "TIFF:"),
    ("tif_zip.tif", BASE + ["-compress", "Zip"], "TIFF:"),
    ("tif_zip_pred_msb.tif", BASE + ["-compress", "Zip", "-define", "tiff:predictor=2", "-define", "tiff:endian=msb"], "TIFF:"),
    ("tif_jpeg_rgb.tif", BASE + ["-compress", "JPEG", "-quality", "92"], "TIFF:"),
    ("tif_tiles.tif", BASE + ["-compress", "LZW", "-define", "tiff:tile-geometry=16x16"], "TIFF:"),
    ("tif_planar.tif", BASE + ["-compress", "LZW", "-interlace", "Plane"], "TIFF:"),
    ("tif_big.tif", BASE + ["-compress", "Zip"], "TIFF64:"),
    ("tif_big_msb.tif", ALPHA + ["-define", "tiff:endian=msb"], "TIFF64:"),
    ("tif_mono.tif", BASE + ["-monochrome", "-depth", "1"], "TIFF:"),
    ("tif_miniswhite.tif", BASE + ["-colorspace", "Gray", "-define", "quantum:polarity=min-is-white"], "TIFF:"),
    ("tif_mono_miniswhite.tif", BASE + ["-monochrome", "-depth", "1", "-define", "quantum:polarity=min-is-white",
                                        "-compress", "RLE"], "TIFF:"),
    ("tif_grey8.tif", BASE + ["-colorspace", "Gray", "-compress", "LZW", "-define", "tiff:predictor=2"], "TIFF:"),
    ("tif_grey4.tif", BASE + ["-colorspace", "Gray", "-depth", "4"], "TIFF:"),
    ("tif_grey2.tif", BASE + ["-colorspace", "Gray", "-depth", "2", "-compress", "LZW"], "TIFF:"),
    ("tif_grey6_deep.tif", BASE + ["-colorspace", "Gray", "-depth", "6"], "TIFF:"),
    ("tif_grey12_deep.tif", BASE + ["-colorspace", "Gray", "-depth", "12", "-compress", "Zip"], "TIFF:"),
    ("tif_grey16.tif", BASE + ["-colorspace", "Gray", "-depth", "16", "-compress", "LZW", "-define", "tiff:predictor=2"], "TIFF:"),
    ("tif_greyalpha.tif", ALPHA + ["-colorspace", "Gray", "-compress", "Zip"], "TIFF:"),
    ("tif_palette.tif", BASE + ["-colors", "100", "-type", "Palette"], "TIFF:"),
    ("tif_palette4.tif", BASE + ["-colors", "12", "-type", "Palette", "-depth", "4"], "TIFF:"),
    ("tif_rgb16.tif", BASE + ["-depth", "16", "-compress", "LZW", "-define", "tiff:predictor=2"], "TIFF:"),
    ("tif_rgba.tif", ALPHA + ["-compress", "LZW"], "TIFF:"),
    ("tif_rgba16.tif", ALPHA + ["-depth", "16", "-compress", "Zip"], "TIFF:"),
    ("tif_rgba_assoc.tif", ALPHA + ["-define", "tiff:alpha=associated", "-compress", "LZW"], "TIFF:"),
    ("tif_rgba_planar_tiles.tif", ALPHA + ["-interlace", "Plane", "-define", "tiff:tile-geometry=32x16"], "TIFF:"),
]


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)


def magick_dump(path, outdir, name):
    stem = os.path.join(outdir, name.rsplit(".", 1)[0])
    run("convert", path + "[0]", "-depth", "8", "rgba:" + stem + ".raw")
    size = subprocess.run(["identify", "-format", "%w %h", path + "[0]"], check=True,
                          stdout=subprocess.PIPE).stdout.decode().strip()
    with open(stem + ".size", "w") as f:
        f.write(size + "\n")


def pillow_dump(im, outdir, name):
    stem = os.path.join(outdir, name.rsplit(".", 1)[0])
    im = im.convert("RGBA")
    with open(stem + ".raw", "wb") as f:
        f.write(im.tobytes())
    with open(stem + ".size", "w") as f:
        f.write("%d %d\n" % im.size)


def gif_local_table(src, dst):
    """The screen's table moved into the image descriptor."""
    d = open(src, "rb").read()
    flags = d[10]
    n = 3 * (2 << (flags & 7))
    table = d[13:13 + n]
    body = bytearray(d[:10] + bytes([flags & 0x70, d[11], d[12]]) + d[13 + n:])
    i = 13
    while body[i] != 0x2C:  # extensions
        i += 2
        while body[i]:
            i += body[i] + 1
        i += 1
    body[i + 9] = 0x80 | (flags & 7)
    open(dst, "wb").write(bytes(body[:i + 10]) + table + bytes(body[i + 10:]))


def gif_lzw(indices, min_bits):
    """GIF LZW codes (packed from the low bit up), cleared when the table fills."""
    clear = 1 << min_bits
    out, acc, count = bytearray(), 0, 0
    width, free, table, prefix = min_bits + 1, clear + 2, {}, None

    def put(code):
        nonlocal acc, count
        acc |= code << count
        count += width
        while count >= 8:
            out.append(acc & 255)
            acc >>= 8
            count -= 8
    put(clear)
    for s in indices:
        if prefix is None:
            prefix = s
        elif (prefix, s) in table:
            prefix = table[prefix, s]
        else:
            put(prefix)
            if free < 4096:
                table[prefix, s] = free
                free += 1
                if free > (1 << width) and width < 12:
                    width += 1
            else:
                put(clear)
                width, free, table = min_bits + 1, clear + 2, {}
            prefix = s
    put(prefix)
    put(clear + 1)
    return bytes(out) + (bytes([acc]) if count else b"")


def gif_code_size(im, min_bits, dst):
    """A palette picture as a GIF whose minimum code size is min_bits (above 8
    as some encoders write it)."""
    pal = bytes(im.getpalette()[:768])
    data = gif_lzw(list(im.getdata()), min_bits)
    blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255] for i in range(0, len(data), 255))
    w, h = im.size
    open(dst, "wb").write(b"GIF89a" + struct.pack("<HHBBB", w, h, 0xF7, 0, 0) + pal + bytes(768 - len(pal)) +
                          b"\x2c" + struct.pack("<HHHHB", 0, 0, w, h, 0) + bytes([min_bits]) + blocks + b"\x00\x3b")


def make(outdir):
    made = []
    for name, opts, prefix in MAGICK:
        path = os.path.join(outdir, name)
        run("convert", "-seed", "7", *opts, prefix + path)
        magick_dump(path, outdir, name)
        made.append(name)
    j = os.path.join
    src = j(outdir, "src.png")
    run("convert", *BASE, "PNG24:" + src)
    base = Image.open(src).convert("RGB")
    # GIF by Pillow: 87a, a transparent index (interlaced), a moved table
    pal = base.quantize(40)
    pal.save(j(outdir, "gif_pillow87.gif"), interlace=False)
    pal.save(j(outdir, "gif_pillow_trns.gif"), transparency=3, interlace=True)
    gif_local_table(j(outdir, "gif_pillow87.gif"), j(outdir, "gif_local.gif"))
    for name in ("gif_pillow87.gif", "gif_pillow_trns.gif", "gif_local.gif"):
        pillow_dump(Image.open(j(outdir, name)), outdir, name)
        made.append(name)
    # an image smaller than its screen, with and without a transparent index
    for name, extra in (("gif_offset.gif", []), ("gif_offset_trns.gif", ["-transparent", "#ffff80"])):
        run("convert", *BASE, "-colors", "30", *extra, "-repage", "90x70+10+8", "GIF:" + j(outdir, name))
        pillow_dump(Image.open(j(outdir, name)), outdir, name)
        made.append(name)
    # TIFF by Pillow and tiffcp
    for name, comp in (("tif_pillow_lzw.tif", "tiff_lzw"), ("tif_pillow_deflate.tif", "tiff_adobe_deflate"),
                       ("tif_pillow_packbits.tif", "packbits")):
        base.save(j(outdir, name), compression=comp)
        pillow_dump(Image.open(j(outdir, name)), outdir, name)
        made.append(name)
    rgba = Image.open(src).convert("RGBA")
    rgba.putalpha(Image.linear_gradient("L").resize(rgba.size))
    rgba.save(j(outdir, "tif_pillow_rgba.tif"), compression="tiff_lzw")
    pillow_dump(Image.open(j(outdir, "tif_pillow_rgba.tif")), outdir, "tif_pillow_rgba.tif")
    made.append("tif_pillow_rgba.tif")
    run("convert", *BASE, "TIFF:" + j(outdir, "plain.tif"))
    run("tiffcp", "-c", "jpeg:90", "-r", "16", j(outdir, "plain.tif"), j(outdir, "tif_jpeg_ycbcr.tif"))
    run("tiffcp", "-c", "jpeg:90", "-t", "-w", "32", "-l", "32", j(outdir, "plain.tif"), j(outdir, "tif_jpeg_tiles.tif"))
    for name in ("tif_jpeg_ycbcr.tif", "tif_jpeg_tiles.tif"):
        magick_dump(j(outdir, name), outdir, name)
        made.append(name)
    # strips and fill order as tiffcp rewrites them: 128 rows at 21 a strip
    # leave a last strip of 2 rows; bits filled from the lowest
    run("convert", *BASE[:1], "67x128", *BASE[2:], "TIFF:" + j(outdir, "plain.tif"))
    tiffcp = [("tif_strips21.tif", "plain.tif", ["-c", "none", "-r", "21"]),
              ("tif_strips21_planar.tif", "plain.tif", ["-c", "none", "-r", "21", "-p", "separate"]),
              ("tif_fill2_rgb.tif", "plain.tif", ["-c", "none", "-f", "lsb2msb"]),
              ("tif_fill2_lzw.tif", "plain.tif", ["-c", "lzw", "-f", "lsb2msb", "-r", "21"]),
              ("tif_fill2_grey2.tif", "tif_grey2.tif", ["-c", "none", "-f", "lsb2msb"]),
              ("tif_fill2_grey4.tif", "tif_grey4.tif", ["-c", "none", "-f", "lsb2msb"]),
              ("tif_fill2_grey16.tif", "tif_grey16.tif", ["-c", "zip", "-f", "lsb2msb"])]
    for name, source, opts in tiffcp:
        run("tiffcp", *opts, j(outdir, source), j(outdir, name))
        magick_dump(j(outdir, name), outdir, name)
        made.append(name)
    os.remove(j(outdir, "plain.tif"))
    # palette with an alpha sample, by ImageMagick and Pillow (ImageMagick
    # rounds the 16-bit colour map apart by one: Pillow decodes both)
    run("convert", *ALPHA, "-colors", "50", "-type", "PaletteAlpha", "TIFF:" + j(outdir, "tif_palette_alpha.tif"))
    # with up to 16 colours ImageMagick writes 4-bit index and alpha samples
    # (its colours reduced to 8 bits first: none rounded apart)
    run("convert", *ALPHA, "-colors", "12", "PNG32:" + j(outdir, "pa4.png"))
    run("convert", j(outdir, "pa4.png"), "-type", "PaletteAlpha", "TIFF:" + j(outdir, "tif_palette_alpha4.tif"))
    os.remove(j(outdir, "pa4.png"))
    magick_dump(j(outdir, "tif_palette_alpha4.tif"), outdir, "tif_palette_alpha4.tif")
    made.append("tif_palette_alpha4.tif")
    pa = pal.convert("PA")
    pa.putalpha(Image.linear_gradient("L").resize(pa.size))
    pa.save(j(outdir, "tif_pillow_pa.tif"))
    # GIF with minimum code sizes above 8 (no tool here writes one; Pillow reads it)
    gif_code_size(pal, 9, j(outdir, "gif_codesize9.gif"))
    gif_code_size(pal, 11, j(outdir, "gif_codesize11.gif"))
    for name in ("tif_palette_alpha.tif", "tif_pillow_pa.tif", "gif_codesize9.gif", "gif_codesize11.gif"):
        pillow_dump(Image.open(j(outdir, name)), outdir, name)
        made.append(name)
    # EPS: DOS-EPS with a TIFF preview by ImageMagick, picture data by Pillow
    run("convert", *BASE, "EPT2:" + j(outdir, "eps_dos.eps"))
    d = open(j(outdir, "eps_dos.eps"), "rb").read()
    at, n = struct.unpack("<II", d[20:28])
    open(j(outdir, "preview.tif"), "wb").write(d[at:at + n])
    magick_dump(j(outdir, "preview.tif"), outdir, "eps_dos.eps")
    os.remove(j(outdir, "preview.tif"))
    made.append("eps_dos.eps")
    for name, im in (("eps_pillow_rgb.eps", base), ("eps_pillow_grey.eps", base.convert("L"))):
        im.save(j(outdir, name))
        pillow_dump(im, outdir, name)
        made.append(name)
    os.remove(src)
    return made
