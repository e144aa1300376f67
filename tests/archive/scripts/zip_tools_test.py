#!/usr/bin/env python3
"""The ZIP library against real tools: archives made by 7-Zip, Info-ZIP,
bsdtar and Python are read and extracted byte-exactly; archives we write
pass unzip -t, 7zz t, bsdtar -tf and python -m zipfile -t; hostile archives
give their error codes and write nothing outside the target folder.

usage: zip_tools_test.py [wine-run] zipcheck[.exe]
"""
import os, random, shutil, struct, subprocess, sys, zipfile, zlib

PROG = [os.path.abspath(p) if os.path.exists(p) else p for p in sys.argv[1:]]
WORK = os.path.abspath("ziptools_work")
RESULTS = [0, 0]
FAST = os.environ.get("ORV_ZIP_FAST") == "1"


def check(ok, what):
    RESULTS[0 if ok else 1] += 1
    if not ok:
        print("FAIL:", what)
    return ok


def run(args, cwd=None):
    """Runs the driver; returns (exit code, output lines)."""
    p = subprocess.run(PROG + args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, cwd=cwd or WORK)
    return p.returncode, p.stdout.decode("latin-1").replace("\r", "").splitlines()


def tool(args, cwd=None, **kw):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, cwd=cwd or WORK, **kw)


def codes(lines):
    """Result codes of extract/test output: {name: code}."""
    out = {}
    for l in lines:
        parts = l.split(" ", 2)
        if len(parts) == 3 and parts[0].isdigit():
            out[parts[2]] = int(parts[1])
    return out


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def tree(root):
    out = set()
    for d, dirs, files in os.walk(root):
        for n in dirs + files:
            out.add(os.path.relpath(os.path.join(d, n), root))
    return out


# ------------------------------------------------------------------ sources
def make_sources():
    rnd = random.Random(7)
    src = os.path.join(WORK, "src")
    words = [b"alpha", b"beta", b"gamma", b"delta", b"track", b"point", b"\n"]
    write(os.path.join(src, "a.txt"), b"hello, world\n")
    write(os.path.join(src, "text.txt"), b" ".join(rnd.choice(words) for _ in range(60000)))
    write(os.path.join(src, "rand.bin"), bytes(rnd.getrandbits(8) for _ in range(70000)))
    write(os.path.join(src, "empty.txt"), b"")
    write(os.path.join(src, "sub/deep/n.txt"), b"nested\n" * 100)
    return ["a.txt", "text.txt", "rand.bin", "empty.txt", "sub/deep/n.txt"]


def expect_extract(archive, files, password=None, label=None):
    label = label or archive
    out = os.path.join(WORK, "x_" + os.path.basename(archive))
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    args = ["extract", archive, os.path.relpath(out, WORK)]
    if password:
        args.append(password)
    rc, lines = run(args)
    res = codes(lines)
    ok = check(rc == 0, "%s: extract exit %d %s" % (label, rc, lines[-3:]))
    for f in files:
        p = os.path.join(out, f)
        if not check(os.path.isfile(p), "%s: %s missing" % (label, f)):
            continue
        check(read(p) == read(os.path.join(WORK, "src", f)), "%s: %s differs" % (label, f))
    # the test command decompresses every entry as well
    args = ["test", archive] + ([password] if password else [])
    rc, lines = run(args)
    check(rc == 0, "%s: test exit %d %s" % (label, rc, lines[-3:]))
    return ok


# --------------------------------------------------------- foreign archives
def foreign(files):
    src = os.path.join(WORK, "src")
    rel = [os.path.join("src", f) for f in files]

    def z7(name, *opts):
        r = tool(["7zz", "a", "-tzip", "-bd", "-y"] + list(opts) + [os.path.join("..", name)] + files, cwd=src)
        return check(r.returncode == 0, "7zz %s: %s" % (name, r.stdout[-300:]))

    methods = ["Copy", "Deflate", "Deflate64", "BZip2", "LZMA", "XZ", "PPMd"]
    for m in methods:
        if z7("7z_%s.zip" % m.lower(), "-mm=" + m):
            expect_extract("7z_%s.zip" % m.lower(), files)
    for enc in ["AES128", "AES256", "ZipCrypto"]:
        if z7("7z_%s.zip" % enc.lower(), "-psecret word", "-mem=" + enc):
            expect_extract("7z_%s.zip" % enc.lower(), files, "secret word")
    # Info-ZIP: encrypted, and streamed with data descriptors
    r = tool(["zip", "-q", "-r", "-P", "pw123", os.path.join("..", "iz_enc.zip")] + files, cwd=src)
    if check(r.returncode == 0, "zip -P"):
        expect_extract("iz_enc.zip", files, "pw123")
    r = tool(["zip", "-q", "-fd", "-r", os.path.join("..", "iz_fd.zip")] + files, cwd=src)
    if check(r.returncode == 0, "zip -fd"):
        expect_extract("iz_fd.zip", files)
    with open(os.path.join(src, "text.txt"), "rb") as stdin, open(os.path.join(WORK, "iz_stream.zip"), "wb") as out:
        r = subprocess.run(["zip", "-q", "-", "-"], stdin=stdin, stdout=out)
    if check(r.returncode == 0, "zip - -"):
        rc, lines = run(["test", "iz_stream.zip"])
        check(rc == 0, "streamed Info-ZIP entry: %s" % lines[-2:])
        rc, lines = run(["one", "iz_stream.zip", "0", "streamed.out"])
        check(rc == 0 and read(os.path.join(WORK, "streamed.out")) == read(os.path.join(src, "text.txt")),
              "streamed Info-ZIP entry extracted: %s" % lines)
    # bsdtar: AES and traditional encryption, streamed (descriptors)
    for enc in ["aes128", "aes256", "traditional"]:
        name = "bt_%s.zip" % enc
        r = tool(["bsdtar", "--format", "zip", "--options", "zip:encryption=" + enc, "--passphrase", "bt pass",
                  "-cf", os.path.join("..", name)] + files, cwd=src)
        if check(r.returncode == 0, "bsdtar %s: %s" % (enc, r.stdout[-200:])):
            expect_extract(name, files, "bt pass")
    r = tool(["bsdtar", "--format", "zip", "-cf", os.path.join("..", "bt_plain.zip")] + files, cwd=src)
    if check(r.returncode == 0, "bsdtar plain"):
        expect_extract("bt_plain.zip", files)
    # Python: ZIP64 by entry count (the 32-bit offset stays real)
    count = 70000
    with zipfile.ZipFile(os.path.join(WORK, "py_many.zip"), "w", zipfile.ZIP_STORED) as zf:
        for i in range(count):
            zf.writestr("m/%05d.txt" % i, b"%d\n" % i)
    rc, lines = run(["list", "py_many.zip"])
    check(rc == 0 and ("count %d" % count) in lines, "python ZIP64 by count: %s" % lines[-1:])
    if rc == 0:
        rc, lines = run(["one", "py_many.zip", "69999", "many.out"])
        check(rc == 0 and read(os.path.join(WORK, "many.out")) == b"69999\n", "last of 70000: %s" % lines)


# ------------------------------------------------------------ our archives
def validate(archive, label):
    r = tool(["unzip", "-tqq", archive])
    check(r.returncode == 0, "%s: unzip -t: %s" % (label, r.stdout[-300:]))
    r = tool(["7zz", "t", "-bd", archive])
    check(r.returncode == 0, "%s: 7zz t: %s" % (label, r.stdout[-300:]))
    r = tool(["bsdtar", "-tf", archive])
    check(r.returncode == 0, "%s: bsdtar -tf: %s" % (label, r.stdout[-300:]))
    r = tool([sys.executable, "-m", "zipfile", "-t", archive])
    check(r.returncode == 0, "%s: python zipfile -t: %s" % (label, r.stdout[-300:]))


def ours(files):
    src = os.path.join(WORK, "src")
    pairs = ["%s=%s" % (f, os.path.join("src", f)) for f in files]
    for method in ["-1", "0", "8"]:
        name = "our_%s.zip" % method.replace("-", "m")
        rc, lines = run(["create", name, method] + pairs)
        if check(rc == 0, "create %s: %s" % (name, lines)):
            validate(name, name)
            with zipfile.ZipFile(os.path.join(WORK, name)) as zf:
                for f in files:
                    check(zf.read(f) == read(os.path.join(src, f)), "%s: python reads %s" % (name, f))
    # a callback entry of unknown size keeps room for ZIP64 in its header
    shutil.copy(os.path.join(WORK, "our_m1.zip"), os.path.join(WORK, "our_stream.zip"))
    rc, lines = run(["stream", "our_stream.zip", "streamed.txt", os.path.join("src", "text.txt")])
    if check(rc == 0, "stream: %s" % lines):
        validate("our_stream.zip", "streamed entry")
        with zipfile.ZipFile(os.path.join(WORK, "our_stream.zip")) as zf:
            check(zf.read("streamed.txt") == read(os.path.join(src, "text.txt")), "streamed entry content")
            check(zf.read("a.txt") == read(os.path.join(src, "a.txt")), "update kept a.txt")
    # ZIP64 end records by entry count
    count = 70000
    rc, lines = run(["bulk", "our_many.zip", str(count)])
    if check(rc == 0, "bulk: %s" % lines[-2:]):
        validate("our_many.zip", "70000 entries")
        with zipfile.ZipFile(os.path.join(WORK, "our_many.zip")) as zf:
            names = zf.namelist()
            check(len(names) == count, "70000 entries: python sees %d" % len(names))
            check(zf.read("d069/f069999.txt") == b"entry 69999\n", "70000 entries: last content")
        data = read(os.path.join(WORK, "our_many.zip"))
        eocd = data.rfind(b"PK\x05\x06")
        check(struct.unpack("<H", data[eocd + 10:eocd + 12])[0] == 0xFFFF, "EOCD count capped at 65535")
        check(data[eocd - 20:eocd - 16] == b"PK\x06\x07", "ZIP64 locator written")

    # mode 2 keeps the archive; delete shrinks it; a failed replacement keeps the old entry
    shutil.copy(os.path.join(WORK, "our_8.zip"), os.path.join(WORK, "upd.zip"))
    before = os.path.getsize(os.path.join(WORK, "upd.zip"))
    rc, lines = run(["update", "upd.zip", "extra.txt=" + os.path.join("src", "a.txt")])
    check(rc == 0, "update: %s" % lines)
    with zipfile.ZipFile(os.path.join(WORK, "upd.zip")) as zf:
        check(sorted(zf.namelist()) == sorted(files + ["extra.txt"]), "update keeps entries: %s" % zf.namelist())
    rc, lines = run(["delete", "upd.zip", "text.txt", "extra.txt"])
    check(rc == 0, "delete: %s" % lines)
    validate("upd.zip", "after delete")
    with zipfile.ZipFile(os.path.join(WORK, "upd.zip")) as zf:
        left = [f for f in files if f != "text.txt"]
        check(sorted(zf.namelist()) == sorted(left), "delete: %s" % zf.namelist())
        for f in left:
            check(zf.read(f) == read(os.path.join(src, f)), "delete kept %s intact" % f)
    check(os.path.getsize(os.path.join(WORK, "upd.zip")) < before, "delete shrinks the file")
    rc, lines = run(["replace-fail", "upd.zip", "a.txt"])
    check("add 27" in lines and "close 0" in lines, "failed replacement: %s" % lines)
    with zipfile.ZipFile(os.path.join(WORK, "upd.zip")) as zf:
        check(zf.read("a.txt") == read(os.path.join(src, "a.txt")), "failed replacement keeps the old entry")
    # replacing with the search for names switched off still drops the old entry
    rc, lines = run(["update", "upd.zip", "-o0x10", "a.txt=" + os.path.join("src", "text.txt")])
    check(rc == 0, "replace without search: %s" % lines)
    validate("upd.zip", "replaced without search")
    with zipfile.ZipFile(os.path.join(WORK, "upd.zip")) as zf:
        check(zf.namelist().count("a.txt") == 1, "replace without search: %s" % zf.namelist())
        check(zf.read("a.txt") == read(os.path.join(src, "text.txt")), "replace without search: new content")
    # names that 8-bit text cannot hold survive an update unchanged
    foreign_names = ["\u03a9\u03bc\u03ad\u03b3\u03b1/\u0444\u0430\u0439\u043b.txt", "caf\u00e9.txt"]
    with zipfile.ZipFile(os.path.join(WORK, "names.zip"), "w", zipfile.ZIP_DEFLATED) as zf:
        for n in foreign_names:
            zf.writestr(n, n.encode("utf-8") * 20)
    rc, lines = run(["update", "names.zip", "added.txt=" + os.path.join("src", "a.txt")])
    check(rc == 0, "update of foreign names: %s" % lines)
    with zipfile.ZipFile(os.path.join(WORK, "names.zip")) as zf:
        check(sorted(zf.namelist()) == sorted(foreign_names + ["added.txt"]), "names kept: %s" % zf.namelist())
        for n in foreign_names:
            check(zf.read(n) == n.encode("utf-8") * 20, "content of %s" % n)
    validate("names.zip", "foreign names after update")
    rc, lines = run(["list", "names.zip"])
    check(rc == 0, "our reading after the update: %s" % lines)
    # "café" is 8-bit text in the program: a Latin-1 byte natively, the
    # character itself under Wine (the ANSI file calls)
    shutil.rmtree(os.path.join(WORK, "names_out"), ignore_errors=True)
    rc, lines = run(["extract", "names.zip", "names_out"])
    got = os.listdir(os.path.join(WORK, "names_out").encode())
    check(rc == 0 and (b"caf\xe9.txt" in got or "café.txt".encode() in got), "extracted names: %s %s" % (lines, got))
    # a folder tree, with patterns and a prefix; the archive inside it stays out
    shutil.copy(os.path.join(WORK, "our_8.zip"), os.path.join(src, "inside.zip"))
    rc, lines = run(["folder", os.path.join("src", "inside.zip"), "src", "0x1000", "*.txt;*.zip", "empty*", "pre\\fix"])
    # the same tree again without the search for names: replaced, not doubled
    rc, lines = run(["folder", os.path.join("src", "inside.zip"), "src", "0x1010", "*.txt;*.zip", "empty*", "pre\\fix"])
    want = sorted("pre/fix/" + f for f in files if f.endswith(".txt") and not f.startswith("empty"))
    want += sorted(f for f in files)  # the entries that were there
    with zipfile.ZipFile(os.path.join(src, "inside.zip")) as zf:
        got = zf.namelist()
        check(sorted(got) == sorted(want), "AddFolder: %s %s" % (lines, got))
        for f in files:
            if "pre/fix/" + f in got:
                check(zf.read("pre/fix/" + f) == read(os.path.join(src, f)), "AddFolder content of %s" % f)
    os.remove(os.path.join(src, "inside.zip"))
    # opening for update must not truncate (and a missing file is created)
    rc, lines = run(["update", "fresh.zip", "a.txt=" + os.path.join("src", "a.txt")])
    check(rc == 0, "update creates a missing archive: %s" % lines)
    validate("fresh.zip", "created by update")


# ------------------------------------------------------------ hostile input
def local_header(name, data, method=0, flags=0, crc=None, csize=None, usize=None, raw=None, extra=b""):
    crc = zlib.crc32(raw if raw is not None else data) if crc is None else crc
    csize = len(data) if csize is None else csize
    usize = len(raw if raw is not None else data) if usize is None else usize
    return struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, method, 0, 0x21, crc, csize, usize,
                       len(name), len(extra)) + name + extra


def central_header(name, offset, data, method=0, flags=0, crc=None, csize=None, usize=None, raw=None, extra=b""):
    crc = zlib.crc32(raw if raw is not None else data) if crc is None else crc
    csize = len(data) if csize is None else csize
    usize = len(raw if raw is not None else data) if usize is None else usize
    return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, flags, method, 0, 0x21, crc, csize, usize,
                       len(name), len(extra), 0, 0, 0, 0, offset) + name + extra


def build(entries):
    """entries: dicts with name (bytes), data, and header overrides; returns bytes."""
    body, central = b"", b""
    for e in entries:
        e = dict(e)
        name, data = e.pop("name"), e.pop("data")
        offset = e.pop("offset", len(body))
        local_over = e.pop("local", {})
        if e.pop("write", True):
            lo = dict(e)
            lo.update(local_over)
            body += local_header(name, data, **lo) + data
        central += central_header(name, offset, data, **e)
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(central), len(body), 0)
    return body + central + end


def deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def hostile():
    outer = os.path.join(WORK, "outer")
    shutil.rmtree(outer, ignore_errors=True)
    target = os.path.join(outer, "target")
    os.makedirs(target)
    names = [b"../evil1.txt", b"..\\evil2.txt", b"/evil3_orvalo.txt", b"C:\\evil4.txt", b"C:evil5.txt",
             b"a/../../evil6.txt", b"sub/./../../evil7.txt", b"con", b"aux.txt", b"NUL", b"stream.txt:ads",
             b"ctl\x01name.txt", b". ./evil9.txt", b"..../evil10.txt", b"ok/normal.txt"]
    entries = [dict(name=n, data=b"EVIL") for n in names]
    # code points above 255 whose low bytes are "." and "/"
    uni = "\u022e\u022e/\u012fevil8.txt".encode("utf-8")
    entries.append(dict(name=uni, data=b"EVIL", flags=0x800, local=dict(flags=0x800)))
    write(os.path.join(outer, "trav.zip"), build(entries))
    rc, lines = run(["extract", os.path.join("outer", "trav.zip"), os.path.join("outer", "target")])
    res = codes(lines)
    check(len(res) == len(entries), "traversal: all entries tried: %s" % lines[-3:])
    check(all(c in (0, 20) for c in res.values()), "traversal: results %s" % res)
    outside = tree(outer) - {"trav.zip", "target"}
    outside = {p for p in outside if not p.startswith("target" + os.sep)}
    check(not outside, "traversal: written outside the target: %s" % outside)
    check(not os.path.exists("/evil3_orvalo.txt"), "traversal: absolute path written")
    if os.path.exists("/evil3_orvalo.txt"):
        os.remove("/evil3_orvalo.txt")
    check(os.path.isfile(os.path.join(target, "ok", "normal.txt")), "traversal: normal entry extracted")
    inside = tree(target)
    check(not any(p.lower().split(".")[0] in ("con", "aux", "nul") for p in inside), "device names: %s" % inside)
    check(not any(":" in p or "\x01" in p for p in inside), "colons/control characters: %s" % inside)

    text = b"overlap and bombs " * 6000
    packed = deflate(text)
    # two directory entries sharing one local header
    data = build([dict(name=b"one.txt", data=packed, method=8, raw=text),
                  dict(name=b"two.txt", data=packed, method=8, raw=text, offset=0, write=False)])
    write(os.path.join(WORK, "overlap.zip"), data)
    rc, lines = run(["list", "overlap.zip"])
    check("open 3" in lines, "overlapping entries: %s" % lines[:2])

    def one(archive, index, out, pw=None):
        args = ["one", archive, str(index), out] + ([pw] if pw else [])
        rc, lines = run(args)
        return int(lines[-1].split()[1]) if lines and lines[-1].startswith("result") else None

    # understated size (a bomb): fails at once, the target stays untouched
    write(os.path.join(WORK, "bomb.zip"), build([dict(name=b"bomb.txt", data=packed, method=8, raw=text,
                                                      usize=1000)]))
    write(os.path.join(WORK, "keep.txt"), b"OLD")
    check(one("bomb.zip", 0, "keep.txt") == 22, "understated size gives 22")
    check(read(os.path.join(WORK, "keep.txt")) == b"OLD", "understated size: existing file kept")
    # truncated stream
    cut = packed[:len(packed) // 2]
    write(os.path.join(WORK, "trunc.zip"), build([dict(name=b"t.txt", data=cut, method=8, raw=text)]))
    check(one("trunc.zip", 0, "keep.txt") == 22, "truncated stream gives 22")
    check(read(os.path.join(WORK, "keep.txt")) == b"OLD", "truncated stream: existing file kept")
    # CRC mismatch: 22 extracting, 21 testing
    write(os.path.join(WORK, "crc.zip"), build([dict(name=b"c.txt", data=b"crc data", crc=1234)]))
    check(one("crc.zip", 0, "keep.txt") == 22, "CRC mismatch gives 22")
    check(read(os.path.join(WORK, "keep.txt")) == b"OLD", "CRC mismatch: existing file kept")
    # a file that was not there before is not left half-written
    check(one("crc.zip", 0, "fresh.txt") == 22 and not os.path.exists(os.path.join(WORK, "fresh.txt")),
          "CRC mismatch: no new file left")
    check(not [n for n in os.listdir(WORK) if n.startswith("AF_")], "failed extractions leave no temporary file")
    rc, lines = run(["test", "crc.zip"])
    check(codes(lines).get("c.txt") == 21, "CRC mismatch tests as 21: %s" % lines)
    # strong encryption is not attempted
    write(os.path.join(WORK, "strong.zip"), build([dict(name=b"s.txt", data=b"x" * 40, flags=0x41)]))
    check(one("strong.zip", 0, "keep.txt", "pw") == 29, "strong encryption gives 29")
    # unknown method
    write(os.path.join(WORK, "m97.zip"), build([dict(name=b"m.txt", data=b"x" * 40, method=97)]))
    check(one("m97.zip", 0, "keep.txt") == 29, "method 97 gives 29")
    # LZMA with a 4 GiB dictionary
    lz = struct.pack("<BBH", 9, 20, 5) + bytes([0x5D]) + struct.pack("<I", 0xFFFFFFFF) + b"\x00" * 32
    write(os.path.join(WORK, "dict.zip"), build([dict(name=b"d.txt", data=lz, method=14, raw=b"y" * 100)]))
    r = one("dict.zip", 0, "keep.txt")
    check(r in (4, 22), "huge dictionary gives 4 or 22, got %s" % r)
    check(read(os.path.join(WORK, "keep.txt")) == b"OLD", "huge dictionary: existing file kept")

    # AES: wrong password, changed tag, changed data
    aes = os.path.join(WORK, "7z_aes256.zip")
    if os.path.exists(aes):
        check(one("7z_aes256.zip", 0, "keep.txt", "wrong") in (32, 22), "AES wrong password")
        check(read(os.path.join(WORK, "keep.txt")) == b"OLD", "AES wrong password: existing file kept")
        raw = bytearray(read(aes))
        with zipfile.ZipFile(aes) as zf:
            info = zf.getinfo("text.txt")
            index = zf.namelist().index("text.txt")
        nlen, xlen = struct.unpack("<HH", raw[info.header_offset + 26:info.header_offset + 30])
        start = info.header_offset + 30 + nlen + xlen
        end = start + info.compress_size
        for pos, what in [(end - 1, "tag"), ((start + end) // 2, "data")]:
            bad = bytearray(raw)
            bad[pos] ^= 0x55
            write(os.path.join(WORK, "aes_bad.zip"), bytes(bad))
            check(one("aes_bad.zip", index, "keep.txt", "secret word") == 22, "AES changed %s gives 22" % what)
            check(read(os.path.join(WORK, "keep.txt")) == b"OLD", "AES changed %s: file kept" % what)
    # traditional: wrong password
    if os.path.exists(os.path.join(WORK, "iz_enc.zip")):
        r = one("iz_enc.zip", 1, "keep.txt", "nope")
        check(r in (32, 22), "traditional wrong password gives 32/22, got %s" % r)
        check(read(os.path.join(WORK, "keep.txt")) == b"OLD", "traditional wrong password: file kept")


def damaged():
    """A wrong directory offset is tolerated; garbage in the directory and a
    missing local header need the tolerant mode."""
    one = dict(name=b"one.txt", data=b"first entry")
    two = dict(name=b"two.txt", data=b"second entry")
    data = bytearray(build([one, two]))
    eocd = data.rfind(b"PK\x05\x06")
    data[eocd + 16:eocd + 20] = struct.pack("<I", 12345)
    write(os.path.join(WORK, "badoffset.zip"), bytes(data))
    rc, lines = run(["list", "badoffset.zip"])
    check(rc == 0 and "count 2" in lines, "wrong directory offset, right size: %s" % lines)
    # garbage between the two central headers, and a third entry without data
    body = local_header(b"one.txt", b"first entry") + b"first entry"
    off2 = len(body)
    body += local_header(b"two.txt", b"second entry") + b"second entry"
    central = central_header(b"one.txt", 0, b"first entry") + b"GARBAGE!" * 3
    central += central_header(b"two.txt", off2, b"second entry")
    central += central_header(b"ghost.txt", 5, b"nothing here")
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 3, 3, len(central), len(body), 0)
    write(os.path.join(WORK, "garbage.zip"), body + central + end)
    rc, lines = run(["list", "garbage.zip"])
    check("open 3" in lines, "garbage in the directory is an error without the tolerant mode: %s" % lines)
    rc, lines = run(["tlist", "garbage.zip"])
    rows = {l.split("\t")[0]: l.split("\t") for l in lines if "\t" in l}
    check(rc == 0 and set(rows) == {"one.txt", "two.txt", "ghost.txt"}, "tolerant listing: %s" % lines)
    if "ghost.txt" in rows:
        check(rows["ghost.txt"][5] == "1" and rows["two.txt"][5] == "0", "tolerant mode marks the ghost bad")


def far_offsets():
    """An entry behind 4.5 GiB of hole: 64-bit offsets and sizes from the
    ZIP64 extra field, read without touching the hole (a sparse file)."""
    path = os.path.join(WORK, "far.zip")
    name, data = b"far/away.txt", b"far away entry\n" * 3
    at = 4608 * 1024 * 1024
    crc = zlib.crc32(data)
    with open(path, "wb") as f:
        f.truncate(at)
        f.seek(at)
        extra = struct.pack("<HHQQ", 1, 16, len(data), len(data))
        f.write(struct.pack("<IHHHHHIIIHH", 0x04034B50, 45, 0, 0, 0, 0x21, crc, 0xFFFFFFFF, 0xFFFFFFFF,
                            len(name), len(extra)) + name + extra + data)
        start = f.tell()
        cextra = struct.pack("<HHQQQ", 1, 24, len(data), len(data), at)
        f.write(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 45, 45, 0, 0, 0, 0x21, crc, 0xFFFFFFFF,
                            0xFFFFFFFF, len(name), len(cextra), 0, 0, 0, 0, 0xFFFFFFFF) + name + cextra)
        end = f.tell()
        f.write(struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, 1, 1, end - start, start))
        f.write(struct.pack("<IIQI", 0x07064B50, 0, end, 1))
        f.write(struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, end - start, 0xFFFFFFFF, 0))
    rc, lines = run(["list", "far.zip"])
    check(rc == 0 and "count 1" in lines, "entry behind 4.5 GiB: %s" % lines)
    rc, lines = run(["one", "far.zip", "0", "far.out"])
    check(rc == 0 and read(os.path.join(WORK, "far.out")) == data, "entry behind 4.5 GiB extracted: %s" % lines)
    with zipfile.ZipFile(path) as zf:  # the fixture itself is sound
        check(zf.read("far/away.txt") == data, "python reads the far entry")
    os.remove(path)


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    files = make_sources()
    foreign(files)
    ours(files)
    hostile()
    damaged()
    far_offsets()
    print("%d passed, %d failed" % tuple(RESULTS))
    return 1 if RESULTS[1] else 0


if __name__ == "__main__":
    sys.exit(main())
