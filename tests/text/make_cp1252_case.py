#!/usr/bin/env python3
"""Writes the Windows-1252 case table by Python's own codec: 256 upper-case
bytes followed by 256 lower-case bytes. A letter whose other case is not a
single Windows-1252 character (ß, µ) maps to itself."""
import sys


def other(b, fn):
    try:
        c = bytes([b]).decode("cp1252")
    except UnicodeDecodeError:
        return b
    o = fn(c)
    if len(o) != 1:
        return b
    try:
        e = o.encode("cp1252")
    except UnicodeEncodeError:
        return b
    return e[0]


table = bytes(other(b, str.upper) for b in range(256)) + bytes(other(b, str.lower) for b in range(256))
with open(sys.argv[1], "wb") as f:
    f.write(table)
