#!/usr/bin/env python3
"""The toolkit's dialogs worked as a person would: keys typed and a button
clicked with xdotool on the Wine display, the outcome read from the
program's file."""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "tests", "support"))
import xshot  # noqa: E402

EXE = sys.argv[1]
WINE_RUN = os.environ["ORV_WINE_RUN"]
ENV = dict(os.environ, DISPLAY=xshot.display())


def xdo(*args):
    subprocess.run(["xdotool", *args], env=ENV, check=True)


def run(mode, act):
    work = tempfile.mkdtemp(prefix="dialogs_gui_", dir=os.getcwd())
    out = os.path.join(work, "out.txt")
    proc = subprocess.Popen([WINE_RUN, EXE, "Z:" + out.replace("/", "\\"), mode],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.time() + 30
        while not os.path.exists(out + ".pos"):
            if proc.poll() is not None or time.time() > deadline:
                raise SystemExit(f"FAIL: {mode}: the dialog did not come up ({proc.returncode})")
            time.sleep(0.05)
        time.sleep(0.3)
        left, top, right, bottom = map(int, open(out + ".pos").read().split())
        act((left + right) // 2, (top + bottom) // 2)
        proc.wait(timeout=30)
    finally:
        if proc.poll() is None:
            proc.kill()
    values = dict(line.split(" ", 1) for line in open(out).read().splitlines())
    return proc.returncode, values


def type_and_confirm(x, y):
    # select the preset, type over it, confirm with Return
    xdo("mousemove", str(x), str(y))
    xdo("key", "ctrl+a")
    xdo("type", "--delay", "30", "Rathausplatz 12")
    xdo("key", "Return")


def click(x, y):
    xdo("mousemove", str(x), str(y))
    time.sleep(0.1)
    xdo("click", "1")


errors = []
rc, v = run("text", type_and_confirm)
# 16-byte buffer: the 15 characters fit exactly
if rc != 0 or v.get("result") != "1" or v.get("text") != "Rathausplatz 12":
    errors.append(f"text dialog: exit {rc}, {v}")

rc, v = run("progress", click)
want = {"result": "2", "cancelled": "1", "worker_ended": "1", "worker_result": "7"}
if rc != 0 or v != want:
    errors.append(f"progress dialog: exit {rc}, {v}, expected {want}")

for e in errors:
    print(e)
print("dialogs: " + ("ok" if not errors else f"{len(errors)} errors"))
sys.exit(1 if errors else 0)
