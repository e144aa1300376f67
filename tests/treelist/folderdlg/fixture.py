#!/usr/bin/env python3
"""The folder tree the folder dialog's tests and benchmarks list: made once
per build folder by Python (names as the disk holds them, UTF-8)."""
import os
import sys

NAMES = ["Ärger", "café", "€uro", "Größe", "DOKUMENTE", "x 2", "x 10", "日本"]
TYPED = ["names", "€uro", "Größe", "café"]  # typed by xdotool, which cannot type "Ä"
DEEP = ["deep", "l1", "Ärger", "l3", "café", "l5", "€uro", "l7", "Größe", "l9", "l10", "l11"]


def build(root):
    """Makes the tree below root (kept when complete) and returns root."""
    done = os.path.join(root, ".complete")
    if os.path.exists(done):
        return root
    os.makedirs(root, exist_ok=True)
    deep = os.path.join(root, *DEEP)          # 12 nested levels
    os.makedirs(deep, exist_ok=True)
    for n in NAMES:
        os.makedirs(os.path.join(deep, n), exist_ok=True)
    open(os.path.join(deep, "liesmich.txt"), "w").write("kein Ordner\n")
    os.makedirs(os.path.join(root, *TYPED), exist_ok=True)
    many = os.path.join(root, "many")           # 10,000 subfolders in one folder
    os.makedirs(many, exist_ok=True)
    for i in range(10000):
        os.makedirs(os.path.join(many, "f%d" % i), exist_ok=True)
    files = os.path.join(root, "files")         # 20,000 files and 3 subfolders
    os.makedirs(files, exist_ok=True)
    for i in range(20000):
        open(os.path.join(files, "datei%05d.txt" % i), "w").close()
    for n in ("sub a", "sub b", "sub c"):
        os.makedirs(os.path.join(files, n), exist_ok=True)
    os.makedirs(os.path.join(root, "locked", "inside"), exist_ok=True)
    os.chmod(os.path.join(root, "locked"), 0)   # read only when run without root's capabilities
    open(done, "w").close()
    return root


def wine_path(path):
    """The path as the program sees it (drive Z:), in Windows-1252 bytes."""
    return ("Z:" + os.path.abspath(path).replace("/", "\\"))


if __name__ == "__main__":
    print(build(sys.argv[1]))
