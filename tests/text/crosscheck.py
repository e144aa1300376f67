#!/usr/bin/env python3
"""Checks the text library against tools nobody here wrote: Python's float()
and %-formatting, GNU date, iconv and Python's UTF-8 decoder.

usage: crosscheck.py PROBE   (PROBE ending in .exe runs under $ORV_WINE_RUN)
"""
import decimal
import os
import random
import struct
import subprocess
import sys

PROBE = sys.argv[1]
WINDOWS = PROBE.endswith(".exe")
rnd = random.Random(20240307)
failures = []


def probe(lines, env=None):
    path = "probe_in_%d.txt" % os.getpid()
    with open(path, "w", encoding="latin-1", newline="\n") as f:
        f.write("".join("\t".join(l) + "\n" for l in lines))
    cmd = [PROBE, path]
    if WINDOWS:
        cmd = [os.environ["ORV_WINE_RUN"], PROBE, path]
    e = dict(os.environ)
    if env:
        e.update(env)
    out = subprocess.run(cmd, stdout=subprocess.PIPE, check=True, env=e).stdout
    os.unlink(path)
    res = out.decode("latin-1").replace("\r", "").split("\n")[: len(lines)]
    if len(res) != len(lines):
        sys.exit("probe returned %d of %d lines" % (len(res), len(lines)))
    return res


def check(what, inp, got, want):
    if got != want:
        failures.append("%s %r: got %r, want %r" % (what, inp, got, want))


def bits(x):
    return "%016x" % struct.unpack("<Q", struct.pack("<d", x))[0]


# ---------------------------------------------------------------- numbers
def number_cases():
    cases = []  # (flags, text, consumed, value)
    for _ in range(1500):
        sign = rnd.choice(["", "", "-", "+"])
        ip = "".join(rnd.choice("0123456789") for _ in range(rnd.randint(0, 25)))
        fp = "".join(rnd.choice("0123456789") for _ in range(rnd.randint(0, 25)))
        if not ip and not fp:
            ip = "7"
        lit = ip + ("." + fp if fp or rnd.random() < 0.2 else "")
        exp = ""
        if rnd.random() < 0.6:
            exp = rnd.choice("eE") + rnd.choice(["", "+", "-"]) + str(rnd.randint(0, 340))
        canon = sign + lit + exp
        flags = 0x3
        text = canon
        if rnd.random() < 0.3 and len(ip) > 3:  # digit group separators
            k = rnd.randint(1, len(ip) - 1)
            text = sign + ip[:k] + rnd.choice(" _") + ip[k:] + text[len(sign) + len(ip):]
        if rnd.random() < 0.3 and "." in text:
            text = text.replace(".", ",")
            flags |= 4
        lead = rnd.choice(["", " ", "\t ", "\r\n "])
        # a blank behind the fraction, a letter or ";" ends the number
        tail = rnd.choice(["", ";x", " ;12", "abc", "x1"])
        cases.append((flags, lead + text + tail, len(lead) + len(text), float(canon)))
    # correctly rounded halfway and near-halfway cases
    D = decimal.Decimal
    decimal.getcontext().prec = 1200
    for _ in range(600):
        x = struct.unpack("<d", struct.pack("<Q", rnd.getrandbits(63)))[0]
        if x != x or x in (float("inf"),):
            continue
        nxt = struct.unpack("<d", struct.pack("<Q", struct.unpack("<Q", struct.pack("<d", x))[0] + 1))[0]
        if nxt == float("inf"):
            continue
        mid = (D(x) + D(nxt)) / 2
        for delta in (0, D(10) ** (mid.adjusted() - 60), -(D(10) ** (mid.adjusted() - 60))):
            s = format(mid + delta, "e")
            cases.append((0x3, s, len(s), float(s)))
    for s in ["0", "0.0", "5.", ".5", "1e400", "-1e400", "1e-400", "2.2250738585072011e-308",
              "4.9406564584124654e-324", "2.4703282292062327e-324", "2.4703282292062328e-324",
              "1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308",
              "9007199254740993", "0.1", "123456789012345678901234567890"]:
        cases.append((0x3, s, len(s), float(s)))
    return cases


ncases = number_cases()
res = probe([("num", "%x" % f, t.encode("latin-1").hex()) for f, t, _, _ in ncases])
for (f, t, n, v), r in zip(ncases, res):
    check("NumParseDoubleA flags %x" % f, t, r, "%d\t%s" % (n, bits(v)))

# ---------------------------------------------------------------- printf
fcases = []
for _ in range(1500):
    kind = rnd.random()
    if kind < 0.4:
        x = rnd.uniform(-1e6, 1e6)
    elif kind < 0.7:
        x = struct.unpack("<d", struct.pack("<Q", rnd.getrandbits(64)))[0]
        if x != x:
            x = 0.5
    else:
        x = rnd.randint(-99999, 99999) / rnd.choice([1, 2, 4, 8, 1000, 1e6]) + rnd.choice([0, 0.5, 0.25])
    conv = rnd.choice("feEgG")
    prec = rnd.randint(0, 20) if conv != "f" or abs(x) < 1e30 else rnd.randint(0, 3)
    fcases.append((conv, prec, x))
for x in (0.0, -0.0, 0.5, 1.5, 2.5, 0.125, 1e21, 123456789.0, float("inf"), -float("inf")):
    for conv in "feg":
        fcases.append((conv, 3, x))
res = probe([("fmt", c, str(p), bits(x)) for c, p, x in fcases])
for (c, p, x), r in zip(fcases, res):
    check("FmtPrintA %%.%d%s" % (p, c), repr(x), r, ("%." + str(p) + c) % x)

# ---------------------------------------------------------------- dates
secs = [rnd.randint(0, 4102444799) for _ in range(400)] + [0, 86399, 951782400, 951868800,
                                                           -86400, -1, 1709251199, 4102444799]
def gnu_date(values, fmt, tz="UTC"):
    path = "dates_%d.txt" % os.getpid()
    with open(path, "w") as f:
        f.write("".join("@%d\n" % s for s in values))
    out = subprocess.run(["date", "-f", path, "+" + fmt], stdout=subprocess.PIPE, check=True,
                         env=dict(os.environ, TZ=tz, LC_ALL="C")).stdout.decode()
    os.unlink(path)
    return out.split("\n")[: len(values)]

for flags, fmt in ((0x150, "%Y-%m-%d"), (0x122, "%H:%M:%S"), (0x102 | 0x100, "%H:%M"),
                   (0x172, "%Y-%m-%d %H:%M:%S"), (0x140, "%y-%m-%d")):
    want = gnu_date(secs, fmt)
    res = probe([("datefmt", "%x" % flags, str(s)) for s in secs])
    for s, r, w in zip(secs, res, want):
        check("DateFormatTimeA %x" % flags, s, r, w)

pos = [s for s in secs if 0 < s]
for tz, fmt, flags in (("UTC", "%Y-%m-%dT%H:%M:%SZ", 0x106),
                       ("Asia/Kolkata", "%Y-%m-%dT%H:%M:%S%:z", 0x106),
                       ("America/New_York", "%Y-%m-%dT%H:%M:%S%z", 0x106),
                       ("UTC", "%Y-%m-%d %H:%M:%S", 0x102 | 0x100),
                       ("UTC", "%d-%b-%y %H:%M:%S", 0x106),
                       ("UTC", "%d.%m.%Y %H:%M:%S", 0x106),
                       ("UTC", "%m/%d/%Y %H:%M:%S", 0x106)):
    vals = [s for s in pos if s < 3155760000] if "%y" in fmt else pos
    texts = gnu_date(vals, fmt, tz)
    if "%b" in fmt:
        texts = [t.upper() for t in texts]
    res = probe([("dateparse", "%x" % flags, (" " + t + "</time>").encode().hex()) for t in texts])
    for s, t, r in zip(vals, texts, res):
        check("DateParseTimeA %x" % flags, t, r.split("\t")[0], str(s))

if not WINDOWS:  # local time through the C runtime, against date's zone rules
    env = {"TZ": "Europe/Berlin"}
    want = gnu_date(pos, "%Y-%m-%d %H:%M:%S", "Europe/Berlin")
    res = probe([("datefmt", "72", str(s)) for s in pos], env)
    for s, r, w in zip(pos, res, want):
        check("DateFormatTimeA local", s, r, w)
    back = probe([("dateparse", "2", w.encode().hex()) for w in want], env)
    again = probe([("datefmt", "72", b.split("\t")[0]) for b in back], env)
    for w, a in zip(want, again):
        check("DateParseTimeA local round trip", w, a, w)

# ---------------------------------------------------------------- iconv
def iconv(data, frm, to):
    return subprocess.run(["iconv", "-f", frm, "-t", to], input=data, stdout=subprocess.PIPE,
                          check=True).stdout

# LF joins the lines given to iconv, so it is left out of the samples
codes = [c for c in range(1, 256) if c != 10]
latin = [bytes(rnd.choice(codes) for _ in range(rnd.randint(1, 64))) for _ in range(150)]
latin.append(bytes(codes))
blob = b"\n".join(latin)
u8 = iconv(blob, "LATIN1", "UTF-8").split(b"\n")
u16 = [iconv(l, "LATIN1", "UTF-16LE") for l in latin[:40]]
res = probe([("l1u8", l.hex()) for l in latin])
for l, r, w in zip(latin, res, u8):
    check("UtfEncodeCharA", l.hex(), r, w.hex())
res = probe([("u8l1", w.hex()) for w in u8])
for l, r in zip(latin, res):
    check("Utf8ToLatin1N", l.hex(), r, l.hex())
res = probe([("l1u16", l.hex()) for l in latin[:40]])
for l, r, w in zip(latin, res, u16):
    check("UtfLatin1ToWide", l.hex(), r, w.hex())

cps = []
for _ in range(200):
    seq = []
    for _ in range(rnd.randint(1, 12)):
        c = rnd.choice([rnd.randint(1, 0x7F), rnd.randint(0x80, 0x7FF), rnd.randint(0x800, 0xFFFF),
                        rnd.randint(0x10000, 0x10FFFF)])
        if 0xD800 <= c <= 0xDFFF or c == 10:
            c = 0x41
        seq.append(c)
    cps.append(seq)
u8cp = [iconv(struct.pack("<%dI" % len(s), *s), "UTF-32LE", "UTF-8") for s in cps]
res = probe([("cpu8", ",".join("%x" % c for c in s)) for s in cps])
for s, r, w in zip(cps, res, u8cp):
    check("UtfEncodeCharA", s, r, w.hex())
res = probe([("u8cp", w.hex()) for w in u8cp])
for s, r in zip(cps, res):
    check("UtfDecodeCharA", s, r, ",".join("%x" % c for c in s))

# damaged UTF-8: every undecodable byte stands for itself, as Python's
# surrogateescape decoder reports it
bad = []
for w in u8cp[:150]:
    b = bytearray(w)
    for _ in range(rnd.randint(1, 3)):
        op = rnd.random() if len(b) > 1 else 0.9
        i = rnd.randrange(len(b))
        if op < 0.4:
            del b[i]
        elif op < 0.7:
            b[i] = rnd.randint(0x80, 0xFF)
        else:
            b.insert(i, rnd.choice([0xC0, 0xC1, 0xF5, 0xFF, 0xE0, 0xED, 0xF4, 0x80]))
    bad.append(bytes(b))
bad += [b"\xed\xa0\x80", b"\xc0\xaf", b"\xe0\x80\xaf", b"\xf4\x90\x80\x80", b"\xf0\x9f\x98"]
res = probe([("u8cp", b.hex()) for b in bad])
for b, r in zip(bad, res):
    want = ",".join("%x" % (ord(ch) - 0xDC00 if 0xDC80 <= ord(ch) <= 0xDCFF else ord(ch))
                    for ch in b.decode("utf-8", "surrogateescape"))
    check("UtfDecodeCharA damaged", b.hex(), r, want)

for f in failures[:40]:
    print("FAIL", f)
total = len(ncases) + len(fcases)
print("crosscheck: %d failures (%d number and format cases, dates, iconv)" % (len(failures), total))
sys.exit(1 if failures else 0)
