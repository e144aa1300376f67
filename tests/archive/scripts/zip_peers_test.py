#!/usr/bin/env python3
"""What other tools make of our archives and what ours makes of theirs, in
the cases users meet: folder entries, names with umlauts, empty files, a
folder standing where a file entry goes, device names, bsdtar's "./",
read-only entries and their times, self-extracting stubs, comments that
look like end records, extra-field times of Info-ZIP and 7-Zip, and the
first call that can know that an update will fail, names that would read
as folders or roots, and a foreign comment through an update.

usage: zip_peers_test.py [wine-run] zipcheck[.exe]
"""
import os, shutil, subprocess, sys, time, zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zip_tools_test as zt  # noqa: E402  (shares the driver and the checks)

zt.WORK = os.path.abspath("zippeers_work")
WINE = any("wine" in os.path.basename(p) for p in zt.PROG[:-1])
check, run, tool, read, write, tree = zt.check, zt.run, zt.tool, zt.read, zt.write, zt.tree
W = lambda *p: os.path.join(zt.WORK, *p)


def arg8(text):
    """8-bit text for the driver: Windows-1252 bytes natively, the text
    itself under Wine (which converts the command line)."""
    return text if WINE else text.encode("cp1252")


def run8(args):
    p = subprocess.run(zt.PROG + [a if isinstance(a, bytes) else a for a in args], cwd=zt.WORK,
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return p.returncode, p.stdout.decode("latin-1").replace("\r", "").splitlines()


def peers_accept(archive, label):
    """Every peer tests the archive without a warning."""
    r = tool(["unzip", "-t", archive])
    out = r.stdout.decode("latin-1")
    check(r.returncode == 0 and "mismatch" not in out and "warning" not in out.lower(),
          "%s: unzip -t: %s" % (label, out[-400:]))
    r = tool(["7zz", "t", "-bd", archive])
    out = r.stdout.decode("latin-1")
    check(r.returncode == 0 and "Error" not in out and "Warning" not in out, "%s: 7zz t: %s" % (label, out[-400:]))
    r = tool(["bsdtar", "-tvf", archive])
    check(r.returncode == 0, "%s: bsdtar: %s" % (label, r.stdout[-300:]))
    r = tool([sys.executable, "-m", "zipfile", "-t", archive])
    check(r.returncode == 0 and b"corrupt" not in r.stdout.lower(), "%s: python -t: %s" % (label, r.stdout[-300:]))


def folder_entries():
    write(W("src", "a.txt"), b"hello\n")
    write(W("src", "empty.txt"), b"")
    args = ["create", "dirs.zip", "8", "sub/", "sub/inner/", "sub/inner/x.txt=src/a.txt",
            "leer.txt=src/empty.txt", arg8("Größe/"), arg8("Größe/ä.txt=src/a.txt")]
    rc, lines = run8(args)
    if not check(rc == 0, "create with folder entries: %s" % lines):
        return
    peers_accept("dirs.zip", "folder entries")
    with zipfile.ZipFile(W("dirs.zip")) as zf:
        names = zf.namelist()
        check({"sub/", "sub/inner/", "Größe/"} <= set(names), "folder entries end in '/': %s" % names)
        for info in zf.infolist():
            # the local header carries the same name as the central one
            with open(W("dirs.zip"), "rb") as f:
                f.seek(info.header_offset + 26)
                n = int.from_bytes(f.read(2), "little")
                f.seek(info.header_offset + 30)
                check(f.read(n) == info.orig_filename.encode("cp437" if not info.flag_bits & 0x800 else "utf-8"),
                      "local name of %s" % info.orig_filename)
        check(zf.getinfo("sub/inner/").is_dir() and zf.read("leer.txt") == b"", "folder and empty entries")
        check(zf.read("Größe/ä.txt") == b"hello\n", "umlaut entry content")
    r = tool(["bsdtar", "-tvf", "dirs.zip"])
    dirs = [l for l in r.stdout.decode("latin-1").splitlines() if l.startswith("d")]
    check(any(l.endswith("sub/inner/") or l.endswith("sub/inner") for l in dirs), "bsdtar sees a folder: %s" % dirs)
    # each peer extracts the same files
    for name, cmd in [("unzip", ["unzip", "-qq", "-o", "dirs.zip", "-d", "out_unzip"]),
                      ("7zz", ["7zz", "x", "-bd", "-y", "-oout_7zz", "dirs.zip"]),
                      ("bsdtar", ["sh", "-c", "mkdir -p out_bsdtar && bsdtar -xf dirs.zip -C out_bsdtar"]),
                      ("python", [sys.executable, "-m", "zipfile", "-e", "dirs.zip", "out_python"])]:
        r = tool(cmd)
        out = W("out_" + name)
        ok = r.returncode == 0 and os.path.isdir(os.path.join(out, "sub", "inner"))
        ok = ok and read(os.path.join(out, "sub", "inner", "x.txt")) == b"hello\n"
        ok = ok and read(os.path.join(out, "leer.txt")) == b""
        check(ok, "%s extracts our folder entries: %s %s" % (name, r.stdout[-200:], sorted(tree(out))))


def folder_under_file():
    with zipfile.ZipFile(W("docs.zip"), "w") as zf:
        zf.writestr("docs", b"a file named like the user's folder")
    write(W("t1", "docs", "thesis.txt"), b"THESIS")
    rc, lines = run(["extract", "docs.zip", "t1"])
    check(zt.codes(lines).get("docs") == 25, "file entry over a folder gives 25: %s" % lines)
    check(read(W("t1", "docs", "thesis.txt")) == b"THESIS", "the folder and its file stay")
    check(tree(W("t1")) == {"docs", os.path.join("docs", "thesis.txt")}, "nothing moved aside: %s" % tree(W("t1")))
    with zipfile.ZipFile(W("dfirst.zip"), "w") as zf:
        zf.writestr("d/x.txt", b"inside")
        zf.writestr("d", b"a file after the folder was made")
    rc, lines = run(["extract", "dfirst.zip", "t2"])
    res = zt.codes(lines)
    check(res.get("d/x.txt") == 0 and res.get("d") == 25, "folder then file of its name: %s" % lines)
    check(read(W("t2", "d", "x.txt")) == b"inside", "the first entry's file stays")


def device_names():
    names = ["COM¹.txt", "lpt²", "LPT³.log", "NUL .txt", "aux .", "con.tar.gz", "ok.txt"]
    zt.write(W("dev.zip"), zt.build([dict(name=n.encode("utf-8"), data=b"D", flags=0x800, local=dict(flags=0x800))
                                     for n in names]))
    rc, lines = run(["extract", "dev.zip", "devout"])
    res = zt.codes(lines)
    check(len(res) == len(names) and all(c == 0 for c in res.values()), "device names extract: %s" % lines)
    got = {n.decode("utf-8", "replace") if isinstance(n, bytes) else n for n in os.listdir(W("devout"))}
    devices = [n for n in got if n != "ok.txt" and not n.startswith("_")]
    check(not devices and "ok.txt" in got, "device names get '_': %s" % sorted(got))


def bsdtar_root():
    write(W("rt", "a.txt"), b"root file")
    write(W("rt", "s", "b.txt"), b"sub file")
    r = tool(["sh", "-c", "cd rt && bsdtar --format zip -cf ../root.zip ."])
    names = zipfile.ZipFile(W("root.zip")).namelist()
    check(r.returncode == 0 and names[0] == "./", "bsdtar writes './' first: %s" % names)
    rc, lines = run(["extract", "root.zip", "rtout"])
    check(rc == 0 and "failures 0" in lines, "'./' extracts without a failure: %s" % lines)
    check(read(W("rtout", "s", "b.txt")) == b"sub file", "bsdtar archive content")


def readonly_entry_time():
    stamp = (2001, 2, 3, 4, 5, 6)
    info = zipfile.ZipInfo("ro.txt", date_time=stamp)
    info.create_system = 0
    info.external_attr = 0x01  # DOS read-only
    with zipfile.ZipFile(W("ro.zip"), "w") as zf:
        zf.writestr(info, b"read only")
    rc, lines = run(["extract", "ro.zip", "roout"])
    st = os.stat(W("roout", "ro.txt"))
    want = time.mktime(stamp + (0, 0, -1))
    check(rc == 0 and abs(st.st_mtime - want) <= 2, "read-only entry keeps its time: %s vs %s" % (st.st_mtime, want))
    check(st.st_mode & 0o222 == 0, "read-only entry extracted read-only: %o" % st.st_mode)


def stub_and_comment():
    write(W("src", "a.txt"), b"hello\n")
    with zipfile.ZipFile(W("plain.zip"), "w", zipfile.ZIP_DEFLATED) as zf:
        zf.write(W("src", "a.txt"), "a.txt")
        zf.writestr("b/c.txt", b"c" * 1000)
    stub = b"MZ" + bytes(range(256)) * 20
    write(W("sfx.zip"), stub + read(W("plain.zip")))  # as "cat stub a.zip" makes it
    rc, lines = run(["list", "sfx.zip"])
    check(rc == 0 and "count 2" in lines, "concatenated stub: %s" % lines)
    rc, lines = run(["extract", "sfx.zip", "sfxout"])
    check(rc == 0 and read(W("sfxout", "b", "c.txt")) == b"c" * 1000, "stub archive extracts: %s" % lines)
    # a deletion moves the entries down, not over the stub
    rc, lines = run(["delete", "sfx.zip", "a.txt"])
    r = tool(["unzip", "-t", "sfx.zip"])
    check(rc == 0 and read(W("sfx.zip")).startswith(stub) and r.returncode == 0 and b"warning" not in r.stdout,
          "the stub stays after a deletion: %s %s" % (lines, r.stdout[-300:]))
    check(zipfile.ZipFile(W("sfx.zip")).namelist() == ["b/c.txt"], "the stub archive after a deletion")
    with zipfile.ZipFile(W("comment.zip"), "w") as zf:
        zf.writestr("x.txt", b"x")
        zf.comment = b"archive note PK\x05\x06"
    rc, lines = run(["list", "comment.zip"])
    check(rc == 0 and "count 1" in lines, "comment ending in PK56: %s" % lines)


def extra_field_times():
    write(W("tsrc", "t.txt"), b"timed\n")
    when = 1234567891
    os.utime(W("tsrc", "t.txt"), (when, when))
    tool(["sh", "-c", "cd tsrc && zip -q ../iz.zip t.txt"])  # UT field
    tool(["sh", "-c", "cd tsrc && 7zz a -bd -tzip -mtc=on ../7z.zip t.txt"])  # NTFS field
    for archive in ["iz.zip", "7z.zip"]:
        out = "tout_" + archive
        rc, lines = run(["extract", archive, out])
        st = os.stat(W(out, "t.txt"))
        check(rc == 0 and int(st.st_mtime) == when, "%s: time from the extra field: %s" % (archive, st.st_mtime))


def update_refused_early():
    zt.run(["create", "ro_arch.zip", "8", "a.txt=src/a.txt"])
    os.chmod(W("ro_arch.zip"), 0o444)
    before = read(W("ro_arch.zip"))
    rc, lines = run(["update", "ro_arch.zip", "b.txt=src/a.txt"])
    check(lines[:1] == ["open 18"], "a read-only archive is refused at Open: %s" % lines)
    check(read(W("ro_arch.zip")) == before, "read-only archive unchanged")
    os.chmod(W("ro_arch.zip"), 0o644)
    write(W("empty.zip"), b"")
    rc, lines = run(["update", "empty.zip", "b.txt=src/a.txt"])
    check(rc == 0 and lines[:1] == ["open 0"], "an empty file is a new archive: %s" % lines)
    peers_accept("empty.zip", "archive made from an empty file")


def full_disk():
    """A work copy that cannot be written (a file-size limit stands in for a
    full disk): the update fails and the archive keeps its bytes."""
    if WINE:
        return
    import resource, signal
    zt.run(["create", "full.zip", "0", "a.txt=src/a.txt"])
    write(W("src", "big.bin"), os.urandom(300000))
    before = read(W("full.zip"))

    def limit():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (100000, 100000))
    p = subprocess.run(zt.PROG + ["update", "full.zip", "big.bin=src/big.bin"], cwd=zt.WORK,
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, preexec_fn=limit)
    check(p.returncode != 0, "a full disk is reported: %s" % p.stdout[-200:])
    check(read(W("full.zip")) == before, "a full disk leaves the archive as it was")
    check(not [n for n in os.listdir(zt.WORK) if n.startswith("AF_")], "no temporary left behind")


def masked_headers():
    zt.write(W("masked.zip"), zt.build([dict(name=b"m.txt", data=b"x" * 40, flags=0x2001)]))
    rc, lines = run(["one", "masked.zip", "0", "masked.out"])
    check(lines[-1:] == ["result 29"], "masked local headers give 29: %s" % lines)


def written_method(settings):
    """The method an entry must carry after SetLevel/SetMethod in this order
    ("l0,m8"): deflate only where the data were deflated."""
    method, level = -1, 9
    for s in settings.split(","):
        v = int(s[1:])
        if s[0] == "l":
            method, level = 0 if v == 0 else method, min(max(v, 0), 9)
        else:
            method = v if v in (-1, 0) else 8
    return zipfile.ZIP_DEFLATED if method == -1 or (method == 8 and level > 0) else zipfile.ZIP_STORED


def settings_orders():
    """Level and method set in either order, entries added directly (file,
    memory, callback) and deferred, into a disk archive and a caller's block,
    reopened for every setting: the peers read every entry."""
    data = b"level and method in any order\n" * 400
    write(W("src", "orders.txt"), data)
    levels, methods = ["l0", "l-1", "l9"], ["m-1", "m0", "m8"]
    seqs = ["%s,%s" % p for l in levels for m in methods for p in [(l, m), (m, l)]]
    for target, how in [("ord_direct.zip", "direct"), ("ord_deferred.zip", "deferred"),
                        ("mem:ord_memory.zip", "direct")]:
        rc, lines = run(["orders", target, os.path.join("src", "orders.txt"), how] + seqs)
        archive = target.split(":")[-1]
        if not check(rc == 0 and os.path.exists(W(archive)), "orders %s: %s" % (target, lines)):
            continue
        # a block's archive is as long as the size the library gives for it
        if not check(read(W(archive))[-22:-18] == b"PK\x05\x06", "%s ends with the end record" % target):
            continue
        peers_accept(archive, "settings orders " + target)
        with zipfile.ZipFile(W(archive)) as zf:
            infos = zf.infolist()
            check(len(infos) == len(seqs) * (1 if how == "deferred" else 3), "%s: %d entries" % (target, len(infos)))
            for info in infos:
                want = written_method(info.filename.rsplit(".", 1)[0].replace("_", ","))
                check(info.compress_type == want and zf.read(info) == data,
                      "%s %s: method %d, want %d" % (target, info.filename, info.compress_type, want))


def odd_names_and_comment():
    """Names peers would read as folders, roots or drives are stored as
    relative file names; an update keeps a foreign comment byte for byte."""
    write(W("src", "n.txt"), b"named content\n")
    given = {"trail/": "trail", "//abs.txt": "abs.txt", "\\\\server\\share\\x.txt": "server/share/x.txt",
             "c:\\d:e.txt": "e.txt"}
    rc, lines = run(["create", "names.zip", "8"] + ["%s=src/n.txt" % g for g in given])
    if check(rc == 0, "odd names: %s" % lines):
        peers_accept("names.zip", "odd names")
        with zipfile.ZipFile(W("names.zip")) as zf:
            if check(sorted(zf.namelist()) == sorted(given.values()), "odd names stored: %s" % zf.namelist()):
                check(all(zf.read(n) == b"named content\n" for n in given.values()), "odd names: content")
        r = tool(["7zz", "x", "-bd", "-onames_out", "names.zip"])
        check(r.returncode == 0 and os.path.isfile(W("names_out", "trail")), "7zz extracts trail as a file")
    comment = ("Σχόλιο του αρχείου με πολλές λέξεις. " * 36).encode("utf-8")[:1260]
    with zipfile.ZipFile(W("greek.zip"), "w") as zf:
        zf.writestr("x.txt", b"x")
        zf.comment = comment
    rc, lines = run(["update", "greek.zip", "added.txt=src/n.txt"])
    if check(rc == 0, "update under a long comment: %s" % lines):
        peers_accept("greek.zip", "updated under a long comment")
        with zipfile.ZipFile(W("greek.zip")) as zf:
            check(zf.comment == comment, "comment kept: %r" % zf.comment[:40])
            check(zf.namelist() == ["x.txt", "added.txt"], "updated under a comment: %s" % zf.namelist())


def main():
    shutil.rmtree(zt.WORK, ignore_errors=True)
    os.makedirs(zt.WORK)
    for t in [folder_entries, folder_under_file, device_names, bsdtar_root, readonly_entry_time,
              stub_and_comment, extra_field_times, update_refused_early, full_disk, masked_headers,
              settings_orders, odd_names_and_comment]:
        t()
    print("%d passed, %d failed" % tuple(zt.RESULTS))
    return 1 if zt.RESULTS[1] else 0


if __name__ == "__main__":
    sys.exit(main())
