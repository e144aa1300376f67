#!/usr/bin/env python3
"""Screenshot test of a map window filled by its tile workers from a local
tile server: every pixel along a row and a column through the middle of the
window must have the colour of the tile that the Mercator arithmetic here
puts there, the start centre's tile in the middle; then again one zoom
level deeper, and once more after a zoom during a fill. The server's log must hold no tile twice."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tileserver  # noqa: E402
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xshot import display, screenshot  # noqa: E402

EXE = sys.argv[1]
WINE_RUN = os.environ["ORV_WINE_RUN"]
DISPLAY = display()


def check(state, shot, errors, name):
    zoom = state["zoom"][0]
    cx, cy = state["centre"]
    cw, ch = state["client"]
    sw, sh, px = shot
    s = 22 - zoom
    cpx, cpy = cx >> s, cy >> s  # the centre in world pixels at this zoom
    if name == "start" and ((cpx >> 8), (cpy >> 8)) != (272, 176):
        errors.append(f"start centre tile {(cpx >> 8, cpy >> 8)}, expected (272, 176)")
    points = [(u, ch // 2 + 7) for u in range(cw)] + [(cw // 2 + 3, v) for v in range(ch)]
    bad = 0
    for u, v in points:
        wx, wy = cpx + u - cw // 2, cpy + v - ch // 2
        want = tileserver.tile_colour(zoom, wx >> 8, wy >> 8)
        o = (v * sw + u) * 3
        got = tuple(px[o:o + 3])
        if got != want:
            if bad < 5:
                errors.append(f"{name}: pixel ({u},{v}) is {got}, expected {want}")
            bad += 1
    if bad:
        errors.append(f"{name}: {bad} of {len(points)} pixels differ")
    # the middle of the window shows the centre's tile
    o = ((ch // 2) * sw + cw // 2) * 3
    if tuple(px[o:o + 3]) != tileserver.tile_colour(zoom, cpx >> 8, cpy >> 8):
        errors.append(f"{name}: the middle pixel is not the centre tile's colour")
    return len(points) - bad


def wait_for(path, proc):
    deadline = time.time() + 60
    while not os.path.exists(path):
        if proc.poll() is not None or time.time() > deadline:
            raise SystemExit(f"FAIL: no {os.path.basename(path)} (program ended with {proc.returncode})")
        time.sleep(0.05)


def read_state(path):
    state = {}
    for line in open(path):
        k, *vals = line.split()
        state[k] = [int(x) for x in vals]
    return state


def main():
    work = tempfile.mkdtemp(prefix="tileworker_gui_", dir=os.getcwd())
    log = os.path.join(work, "server.log")
    open(log, "w").close()
    srv = tileserver.start(log)
    win_dir = "Z:" + work.replace("/", "\\")
    proc = subprocess.Popen([WINE_RUN, EXE, win_dir, str(srv.server_address[1])],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    errors, checked = [], 0
    try:
        for name, ready, state, go in (("start", "ready", "state.txt", "go"),
                                       ("zoomed", "ready2", "state2.txt", "go2"),
                                       ("zoomed during a fill", "ready3", "state3.txt", "go3")):
            wait_for(os.path.join(work, ready), proc)
            checked += check(read_state(os.path.join(work, state)), screenshot(), errors, name)
            open(os.path.join(work, go), "w").close()
        rc = proc.wait(timeout=60)
        if rc != 0:
            errors.append(f"exit code {rc}")
    finally:
        if proc.poll() is None:
            proc.kill()
        srv.shutdown()
    lines = [l for l in open(log).read().split("\n") if l]
    dup = {l for l in lines if lines.count(l) > 1}
    if dup:
        errors.append(f"tiles requested twice: {sorted(dup)[:5]}")
    for e in errors:
        print(e)
    print(f"{checked} pixels matched, {len(lines)} requests, {len(errors)} errors")
    if not errors:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
