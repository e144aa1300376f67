#!/usr/bin/env python3
"""Every resource script below the source tree is UTF-8, and one that is
compiled on its own (no other script includes it) and holds more than ASCII
says so with "#pragma code_page(65001)": rc would read its bytes in another
code page and a label's umlaut would come out wrong or cut the text.

usage: rc_utf8_test.py SOURCE-DIR
"""
import os
import re
import sys


def scripts(root):
    for top, dirs, files in os.walk(root):
        # build folders and hidden ones hold no sources of ours
        dirs[:] = [d for d in dirs if not d.startswith(".") and not d.startswith("build")]
        for f in files:
            if f.lower().endswith(".rc"):
                yield os.path.join(top, f)


def main(root):
    texts, faults = {}, []
    paths = sorted(scripts(root))
    for path in paths:
        data = open(path, "rb").read()
        rel = os.path.relpath(path, root)
        try:
            texts[rel] = data.decode("utf-8")
        except UnicodeDecodeError as e:
            line = data[:e.start].count(b"\n") + 1
            faults.append("%s:%d: byte 0x%02X is not UTF-8" % (rel, line, data[e.start]))
    included = set()
    for text in texts.values():
        for name in re.findall(r'^\s*#\s*include\s+"([^"]+\.rc)"', text, re.M | re.I):
            included.add(os.path.basename(name).lower())
    for rel, text in texts.items():
        if os.path.basename(rel).lower() in included or text.isascii():
            continue
        if not re.match(r"\s*#\s*pragma\s+code_page\s*\(\s*65001\s*\)", text):
            faults.append("%s: not ASCII, yet it does not begin with #pragma code_page(65001)" % rel)
    for f in faults:
        print(f)
    print("%d resource scripts, %d faults" % (len(paths), len(faults)))
    return 1 if faults or not paths else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
