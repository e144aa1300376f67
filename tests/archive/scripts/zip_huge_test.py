#!/usr/bin/env python3
"""An entry over 4 GiB: the library compresses a 4.5 GiB sparse file and the
archive must carry its sizes in ZIP64 fields that 7-Zip, Info-ZIP, bsdtar
and Python accept, with the right CRC over every byte.

usage: zip_huge_test.py zipcheck
"""
import os, shutil, subprocess, sys, zipfile, zlib

PROG = [os.path.abspath(p) if os.path.exists(p) else p for p in sys.argv[1:]]
WORK = os.path.abspath("ziphuge_work")
SIZE = 4608 * 1024 * 1024
MARKS = {1 << 30: b"one GiB", (4 << 30) + 100: b"beyond 32 bits", SIZE - 5: b"end\n!"}
RESULTS = [0, 0]


def check(ok, what):
    RESULTS[0 if ok else 1] += 1
    if not ok:
        print("FAIL:", what)
    return ok


def tool(args):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, cwd=WORK)


def expected_crc():
    # zeros between the marks, computed in blocks
    crc, pos, zero = 0, 0, bytes(1 << 24)
    for at in sorted(MARKS) + [SIZE]:
        while pos < at:
            n = min(len(zero), at - pos)
            crc = zlib.crc32(zero[:n], crc)
            pos += n
        if at in MARKS:
            crc = zlib.crc32(MARKS[at], crc)
            pos += len(MARKS[at])
    return crc


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    src = os.path.join(WORK, "big.bin")
    with open(src, "wb") as f:
        f.truncate(SIZE)
        for at, data in MARKS.items():
            f.seek(at)
            f.write(data)
    p = subprocess.run(PROG + ["create", "huge.zip", "8", "big.bin=" + src], stdout=subprocess.PIPE,
                       stderr=subprocess.STDOUT, cwd=WORK)
    out = p.stdout.decode("latin-1")
    os.remove(src)
    if not check(p.returncode == 0, "create: %s" % out):
        return 1
    path = os.path.join(WORK, "huge.zip")
    with zipfile.ZipFile(path) as zf:
        info = zf.getinfo("big.bin")
        check(info.file_size == SIZE, "python: size %d" % info.file_size)
        check(info.CRC == expected_crc(), "python: CRC %08x" % info.CRC)
        check(zf.testzip() is None, "python: every byte decompresses to its CRC")
    r = tool(["unzip", "-t", "huge.zip"])
    check(r.returncode == 0 and b"No errors detected" in r.stdout, "unzip -t: %s" % r.stdout[-300:])
    r = tool(["7zz", "t", "huge.zip"])
    check(r.returncode == 0 and b"Everything is Ok" in r.stdout, "7zz t: %s" % r.stdout[-300:])
    r = tool(["bsdtar", "-tvf", "huge.zip"])
    check(r.returncode == 0 and str(SIZE).encode() in r.stdout, "bsdtar -tvf: %s" % r.stdout[-300:])
    shutil.rmtree(WORK, ignore_errors=True)
    print("%d passed, %d failed" % tuple(RESULTS))
    return 1 if RESULTS[1] else 0


if __name__ == "__main__":
    sys.exit(main())
