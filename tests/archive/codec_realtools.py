#!/usr/bin/env python3
"""Checks the codecs against real ZIP tools.

Decoding: archives made by 7-Zip (7zz), Info-ZIP zip and Python's zipfile;
the raw method data of each entry is cut out of the archive and decoded by
codec_tool, which must give the tool's bytes and CRC. Truncated and corrupted
method data must fail.

Encoding: codec_tool compresses; the result is wrapped into a minimal ZIP
written here, which 7zz t, unzip -t and python -m zipfile -t must accept.

usage: codec_realtools.py TOOL [WORKDIR]   (TOOL may be prefixed by the
Wine runner through the environment variable ORV_WINE_RUN)
"""
import hashlib
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

TOOL = sys.argv[1]
WORK = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkdtemp(prefix="codec_rt_")
RUNNER = [os.environ["ORV_WINE_RUN"]] if TOOL.endswith(".exe") and os.environ.get("ORV_WINE_RUN") else []
# CODEC_RT_QUICK=1: a smaller set (a smoke run).
QUICK = os.environ.get("CODEC_RT_QUICK") == "1"
os.makedirs(WORK, exist_ok=True)

failures = []
passed = 0


def check(cond, what):
    global passed
    if cond:
        passed += 1
    else:
        failures.append(what)
        print("FAIL:", what, flush=True)


def tool(*args):
    p = subprocess.run(RUNNER + [TOOL] + [str(a) for a in args], capture_output=True, encoding="cp1252",
                       errors="replace")
    return p.returncode, p.stdout.strip(), p.stderr.strip()


def inputs():
    rnd = random.Random(1234)
    words = [b"karte", b"quiz", b"ort", b"spieler", b"stern", b"zeit", b"Z\xfcrich", b"M\xfcnchen", b"\n"]
    text = b" ".join(rnd.choice(words) for _ in range(60000))
    binary = bytes(rnd.getrandbits(8) for _ in range(70000))
    mixed = bytearray()
    for i in range(3000):
        mixed += struct.pack("<IdH", i, i * 0.37, i % 17) + rnd.choice(words)
    mixed = bytes(mixed) + binary[:5000] + text[:30000]
    runs = b"A" * 200000 + b"B" * 70000 + bytes(range(256)) * 300
    if QUICK:
        return {"one": b"x", "text": text, "mixed": mixed}
    return {
        "empty": b"",
        "one": b"x",
        "text": text,
        "binary": binary,
        "mixed": mixed,
        "runs": runs,
    }


def raw_entries(path):
    """Yields (info, raw method data) of each entry, found through the local headers."""
    with open(path, "rb") as f:
        blob = f.read()
    with zipfile.ZipFile(path) as z:
        for info in z.infolist():
            off = info.header_offset
            sig, = struct.unpack_from("<I", blob, off)
            assert sig == 0x04034B50, "local header"
            nlen, elen = struct.unpack_from("<HH", blob, off + 26)
            start = off + 30 + nlen + elen
            yield info, blob[start:start + info.compress_size]


def make_archives(data):
    """Archives by real tools: list of (label, method, zip path)."""
    out = []
    src = os.path.join(WORK, "src")
    shutil.rmtree(src, ignore_errors=True)
    os.makedirs(src)
    for name, content in data.items():
        with open(os.path.join(src, name + ".bin"), "wb") as f:
            f.write(content)
    names = sorted(n + ".bin" for n in data)
    seven = [("Deflate64", 9, []), ("Deflate", 8, []), ("BZip2", 12, []), ("LZMA", 14, []),
             ("PPMd", 98, []), ("PPMd", 98, ["-mx=9"]), ("PPMd", 98, ["-mo=4", "-mmem=1m"]),
             ("PPMd", 98, ["-mo=16", "-mmem=1m", "-mx=9"]), ("XZ", 95, [])]
    # the restoration methods when the model's memory is full: 0 restart, 1 cut off
    seven += [("PPMd", 98, ["-mo=16", "-mmem=1m", "-mm=PPMd:a=%d" % a]) for a in (0, 1)]
    if QUICK:
        seven = [s for s in seven if s[1] != 8]
    for label, method, extra in seven:
        zp = os.path.join(WORK, "7z-%s-%d.zip" % (label, len(out)))
        if os.path.exists(zp):
            os.remove(zp)
        subprocess.run(["7zz", "a", "-tzip", "-mm=" + label] + extra + [zp] + names, cwd=src,
                       check=True, capture_output=True)
        out.append(("7zz " + label + " " + " ".join(extra), method, zp))
    if QUICK:
        return out
    zp = os.path.join(WORK, "infozip.zip")
    if os.path.exists(zp):
        os.remove(zp)
    subprocess.run(["zip", "-q", "-9", zp] + names, cwd=src, check=True)
    out.append(("zip -9", 8, zp))
    for label, comp, method in [("python bzip2", zipfile.ZIP_BZIP2, 12), ("python lzma", zipfile.ZIP_LZMA, 14)]:
        zp = os.path.join(WORK, label.replace(" ", "_") + ".zip")
        with zipfile.ZipFile(zp, "w", compression=comp) as z:
            for n in names:
                z.write(os.path.join(src, n), n)
        out.append((label, method, zp))
    return out


def decode_tests(data):
    ppmd = {}
    for label, method, zp in make_archives(data):
        for info, raw in raw_entries(zp):
            expect = data[info.filename[:-4]]
            ppmd[label, info.filename] = raw
            if info.compress_type != method:
                # tools store what does not shrink
                check(info.compress_type == 0, "%s %s: method %d" % (label, info.filename, info.compress_type))
                continue
            rin = os.path.join(WORK, "raw.in")
            rout = os.path.join(WORK, "raw.out")
            with open(rin, "wb") as f:
                f.write(raw)
            rc, so, se = tool("decode", method, info.file_size, rin, rout)
            with open(rout, "rb") as f:
                got = f.read()
            ok = rc == 0 and got == expect and so.startswith("crc=%08X" % info.CRC)
            check(ok, "decode %s %s rc=%d %s %s" % (label, info.filename, rc, so, se))
            if not raw or not expect or (QUICK and info.filename != "text.bin"):
                continue
            # cut off: must fail, never deliver a short result as success
            with open(rin, "wb") as f:
                f.write(raw[: len(raw) * 2 // 3])
            rc, so, se = tool("decode", method, info.file_size, rin, rout)
            check(rc == 2, "truncated %s %s rc=%d %s" % (label, info.filename, rc, so))
            # unknown size (LZMA with end mark, XZ, bzip2, deflate): still an error
            if method in (8, 9, 12, 95) or (method == 14 and info.flag_bits & 2):
                rc, so, se = tool("decode", method, -1, rin, rout)
                check(rc == 2, "truncated, size unknown %s %s rc=%d %s" % (label, info.filename, rc, so))
            # a corrupted byte in the middle: error, or a CRC that tells
            bad = bytearray(raw)
            bad[len(bad) // 2] ^= 0x55
            with open(rin, "wb") as f:
                f.write(bytes(bad))
            rc, so, se = tool("decode", method, info.file_size, rin, rout)
            check(rc == 2 or not so.startswith("crc=%08X" % info.CRC),
                  "corrupt %s %s rc=%d %s" % (label, info.filename, rc, so))
    # both were decoded above; the header says which, and the data part
    # where the memory filled up
    restart, cut = [ppmd.get(("7zz PPMd -mo=16 -mmem=1m -mm=PPMd:a=%d" % a, "text.bin"), b"") for a in (0, 1)]
    check(restart[1:2] == b"\x00" and cut[1:2] == b"\x10" and restart[2:] != cut[2:],
          "7zz writes PPMd with restoration 0 and 1: %r %r" % (restart[:2], cut[:2]))


def dos_time():
    return 0x5A21, 0x6000  # date 2025-01-01, time 12:00


def write_zip(path, entries):
    """entries: list of (name, method, raw data, crc, size, flags, extra) -> a minimal ZIP."""
    blob = bytearray()
    central = bytearray()
    for name, method, raw, crc, size, flags, version in entries:
        nb = name.encode()
        off = len(blob)
        d, t = dos_time()
        blob += struct.pack("<IHHHHHIIIHH", 0x04034B50, version, flags, method, t, d, crc, len(raw), size, len(nb), 0)
        blob += nb + raw
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 63, version, flags, method, t, d, crc, len(raw),
                               size, len(nb), 0, 0, 0, 0, 0, off)
        central += nb
    cd = len(blob)
    blob += central
    blob += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(central), cd, 0)
    with open(path, "wb") as f:
        f.write(blob)


def encode_tests(data):
    plan = [(8, 1), (8, 6), (8, 9), (12, 9), (12, 1), (14, 5), (95, 6), (98, 1), (98, 4), (98, 7)]
    if QUICK:
        plan = [(8, 6), (12, 9), (14, 5), (95, 6), (98, 1)]
    for method, level in plan:
        entries = []
        for name, content in sorted(data.items()):
            rin = os.path.join(WORK, "enc.in")
            rout = os.path.join(WORK, "enc.out")
            with open(rin, "wb") as f:
                f.write(content)
            rc, so, se = tool("encode", method, level, rin, rout)
            check(rc == 0, "encode %d/%d %s rc=%d %s" % (method, level, name, rc, se))
            if rc != 0:
                continue
            with open(rout, "rb") as f:
                raw = f.read()
            crc = zlib.crc32(content)
            check(so.startswith("crc=%08X" % crc), "encode crc %d %s %s" % (method, name, so))
            flags = 2 if method == 14 else 0  # our LZMA writes an end mark
            version = {8: 20, 12: 46, 14: 63, 95: 63, 98: 63}[method]
            entries.append((name + ".bin", method, raw, crc, len(content), flags, version))
            # our own decoder takes it back as well
            rc, so, se = tool("decode", method, len(content), rout, rin + ".back")
            with open(rin + ".back", "rb") as f:
                back = f.read()
            check(rc == 0 and back == content, "round trip %d/%d %s %s" % (method, level, name, se))
        zp = os.path.join(WORK, "ours-%d-%d.zip" % (method, level))
        write_zip(zp, entries)
        p = subprocess.run(["7zz", "t", zp], capture_output=True, text=True)
        check(p.returncode == 0 and "Everything is Ok" in p.stdout, "7zz t %s\n%s" % (zp, p.stdout[-800:]))
        if method in (8, 12):
            p = subprocess.run(["unzip", "-t", zp], capture_output=True, text=True)
            check(p.returncode == 0, "unzip -t %s\n%s" % (zp, p.stdout[-800:]))
        if method in (8, 12, 14):
            p = subprocess.run([sys.executable, "-m", "zipfile", "-t", zp], capture_output=True, text=True)
            check(p.returncode == 0 and not p.stderr, "python zipfile -t %s\n%s" % (zp, p.stdout + p.stderr))
            with zipfile.ZipFile(zp) as z:
                for name, content in data.items():
                    check(z.read(name + ".bin") == content, "python reads %s from %s" % (name, zp))


def ppmd_bit_exact(data):
    """Our PPMd output must be 7-Zip's, byte for byte, for the same order and memory.

    The large input fills the model's memory, so the restarts must match too.
    7-Zip lowers the memory of small inputs in the header; the coded data
    do not depend on it as long as the memory does not fill."""
    rnd = random.Random(99)
    words = [bytes(rnd.getrandbits(8) for _ in range(rnd.randint(2, 9))) for _ in range(3000)]
    big = bytearray()
    while len(big) < 1300000:
        big += rnd.choice(words)
    with open(os.path.join(WORK, "src", "big.bin"), "wb") as f:
        f.write(big)
    for name in ("text", "big") if QUICK else ("text", "mixed", "big"):
        for level in (1,) if QUICK else (1, 7):
            order, mem = 16 - level, level + 7
            src = os.path.join(WORK, "src", name + ".bin")
            zp = os.path.join(WORK, "ppmd-exact.zip")
            if os.path.exists(zp):
                os.remove(zp)
            subprocess.run(["7zz", "a", "-tzip", "-mm=PPMd", "-mx=5", "-mo=%d" % order, "-mmem=%dm" % mem, zp, src],
                           check=True, capture_output=True)
            info, raw = next(raw_entries(zp))
            check(info.compress_type == 98, "7zz used PPMd for %s" % name)
            out = os.path.join(WORK, "ppmd-exact.out")
            rc, so, se = tool("encode", 98, level, src, out)
            with open(out, "rb") as f:
                ours = f.read()
            head = (order - 1) | ((mem - 1) << 4)
            check(rc == 0 and ours[:2] == struct.pack("<H", head), "PPMd header %s level %d" % (name, level))
            if name == "big":
                check(raw[:2] == ours[:2], "7zz header %s level %d" % (name, level))
            check(ours[2:] == raw[2:],
                  "PPMd bytes %s level %d: ours %d bytes, 7zz %d bytes, first difference at %s" % (
                      name, level, len(ours), len(raw),
                      next((i for i in range(min(len(ours), len(raw))) if ours[i] != raw[i]), "end")))


def main():
    data = inputs()
    decode_tests(data)
    encode_tests(data)
    ppmd_bit_exact(data)
    print("%d passed, %d failed" % (passed, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
