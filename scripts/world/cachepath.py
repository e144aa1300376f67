#!/usr/bin/python3
"""The folder of the offline world map below the fixed cache: the
first-start host as the program names it, read from the one header that
holds it, and made safe the way the tile cache makes a path component safe.

    cachepath.py game/tileserver_defaults.h   -> prints the folder name"""
import re
import sys

MACRO = "ORV_FIRST_START_HOST"
DEVICES = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"}


def first_start_host(header_text):
    m = re.search(r'^\s*#\s*define\s+%s\s+"([^"\\]*)"' % MACRO, header_text, re.M)
    if not m:
        raise ValueError("%s not defined" % MACRO)
    return m.group(1)


def safe_component(comp):
    """One component as the cache writes it: wildcards, separators of
    drives, "?" and "&" and control codes become "_", a trailing dot or
    blank too, and a device name gets a leading "_"."""
    raw = comp.encode("cp1252")
    out = bytearray(ord("_") if c < 0x20 or c == 0x7F or chr(c) in '?&:*"<>|' else c for c in raw)
    i = len(out)
    while i > 0 and out[i - 1] in b". ":
        out[i - 1] = ord("_")
        i -= 1
    text = out.decode("cp1252")
    base = text.split(".", 1)[0].upper()
    device = base in DEVICES or (len(base) == 4 and base[:3] in ("COM", "LPT") and base[3] in "0123456789¹²³")
    return ("_" if device else "") + text


def host_folder(host):
    """The host as folders below the fixed cache (a plain name is one)."""
    parts = [p for p in re.split(r"[/\\]", host) if p]
    if not parts:
        raise ValueError("empty host")
    return "/".join(safe_component(p) for p in parts)


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        print(host_folder(first_start_host(f.read())))


if __name__ == "__main__":
    main()
