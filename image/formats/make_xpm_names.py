#!/usr/bin/env python3
"""Writes xpmnames.inc, the X11 colour names (x11-common's rgb.txt) for the
XPM reader: lower case, blanks removed, sorted, one entry per name.

usage: make_xpm_names.py [rgb.txt] > image/formats/xpmnames.inc
"""
import sys

path = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/X11/rgb.txt"
names = {}
for line in open(path, encoding="latin-1"):
    if not line.strip() or line.startswith("!"):
        continue
    r, g, b, *words = line.split()
    key = "".join(words).lower()
    names.setdefault(key, (int(r) << 16) | (int(g) << 8) | int(b))
print("// Made by make_xpm_names.py from %s; do not edit." % path)
for key in sorted(names):
    print('{"%s", 0x%06X},' % (key, names[key]))
