#!/usr/bin/env python3
"""Screenshot test of the map window: positions set through the program,
every pixel along two lines of each screenshot compared with the tile that
the Mercator arithmetic here (not the program's) puts there."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xshot import display, lon_of, screenshot, world_x, world_y  # noqa: E402

EXE = sys.argv[1]
WINE_RUN = os.environ["ORV_WINE_RUN"]
DISPLAY = display()
BG = (0xE0, 0xE0, 0xE0)


def pattern(tx, ty, z):
    return (40 + (tx % 5) * 40, 40 + (ty % 5) * 40, 30 + (z % 6) * 30)


STEPS = [
    ("size", 800, 600), ("fill", 1), ("zoom", 9), ("geo", 11.25, 48.92249926375824), ("snap", "start"),
    ("geo", 13.4, 52.5), ("snap", "near"),
    ("geo", -73.98, 40.75), ("snap", "far"),
    ("fill", 0), ("zoom", 10), ("snap", "zin"),
    ("fill", 1), ("snap", "z10"),
    ("geo", 179.99, 0.5), ("zoom", 6), ("snap", "wrap"),
    ("zoom", 1), ("snap", "z1"),
    ("zoom", 0), ("snap", "z0"),
    ("zoom", 12), ("geo", 2.35, 48.85), ("large", 1), ("snap", "large"),
    ("zoom", 22), ("snap", "l22"),
    ("large", 0), ("area", 170, 10, -170, -10), ("snap", "area"),
    ("zoom", 9), ("geo", 11.25, 48.92249926375824), ("snap", "predrag"),
    ("snap", "postdrag"),
]

# what each snapshot must show: zoom, tile size, the geo point in the middle
# (None: not checked), and the zoom whose tiles a preview shows
EXPECT = {
    "start": dict(zoom=9, tile=256, geo=(11.25, 48.92249926375824)),
    "near": dict(zoom=9, tile=256, geo=(13.4, 52.5)),
    "far": dict(zoom=9, tile=256, geo=(-73.98, 40.75)),
    "zin": dict(zoom=10, tile=256, geo=(-73.98, 40.75), preview=9),
    "z10": dict(zoom=10, tile=256, geo=(-73.98, 40.75)),
    "wrap": dict(zoom=6, tile=256, geo=(179.99, 0.5)),
    "z1": dict(zoom=1, tile=256, geo=None),
    "z0": dict(zoom=0, tile=256, geo=None),
    "large": dict(zoom=11, tile=512, geo=(2.35, 48.85)),
    "l22": dict(zoom=22, tile=512, geo=(2.35, 48.85)),
    "area": dict(zoom=None, tile=256, geo=None),
    "predrag": dict(zoom=9, tile=256, geo=(11.25, 48.92249926375824)),
    "postdrag": dict(zoom=9, tile=256, geo=None),
}

# the drag between "predrag" and "postdrag": from, to (client pixels)
DRAG = ((400, 300), (300, 250))


def area_zoom(w, h):
    # independent of the program: the largest zoom at which the area is
    # narrower than the client less 30 pixels
    x1, x2 = world_x(170), world_x(-170)
    sx = x2 - x1 + 0x3FFFFFFF
    y1, y2 = world_y(10), world_y(-10)
    sy = int(y2) - int(y1)
    span, limit = (sx, w - 30) if sy * w <= sx * h else (sy, h - 30)
    z = 22
    while z > 0 and span >= limit:
        span //= 2
        z -= 1
    return z


def check(name, state, shot, errors):
    exp = EXPECT[name]
    sw, sh, px = shot
    zoom = state["zoom"][0]
    tile = state["tile"][0]
    cw, ch = state["client"]
    cx, cy = state["centre"]
    if exp["zoom"] is not None and zoom != exp["zoom"]:
        errors.append(f"{name}: zoom {zoom}, expected {exp['zoom']}")
    if tile != exp["tile"]:
        errors.append(f"{name}: tile size {tile}, expected {exp['tile']}")
    if name == "start" and (cx, cy) != (0x22000000, 0x16000000):
        errors.append(f"{name}: centre {cx:#x},{cy:#x}, expected 0x22000000,0x16000000")
    if exp["geo"]:
        gx, gy = world_x(exp["geo"][0]), world_y(exp["geo"][1])
        if abs(((cx - gx + 2**29) % 2**30) - 2**29) > 2 or abs(cy - gy) > 2:
            errors.append(f"{name}: centre {cx:#x},{cy:#x} is not {exp['geo']}")
    if name == "area":
        if abs(abs(lon_of(cx)) - 180) > 1e-4:
            errors.append(f"area: centre longitude {lon_of(cx)}, expected 180")
        if zoom != area_zoom(cw, ch):
            errors.append(f"area: zoom {zoom}, expected {area_zoom(cw, ch)}")

    s = 30 - tile.bit_length() + 1 - zoom  # world units to pixels
    cpx = cx >> s if s >= 0 else cx << -s
    cpy = cy >> s if s >= 0 else cy << -s
    world_px = (1 << zoom) * tile
    show_zoom = exp.get("preview", zoom)

    def expected(u, v):
        wy = cpy + v - ch // 2
        if wy < 0 or wy >= world_px:
            return BG
        wx = (cpx + u - cw // 2) % world_px
        # tile numbers of the zoom whose tiles are on show
        d = zoom - show_zoom
        return pattern((wx >> d) // tile % (1 << show_zoom), (wy >> d) // tile, show_zoom)

    points = [(u, ch // 2 + 3) for u in range(cw)] + [(cw // 2 + 5, v) for v in range(ch)]
    bad = 0
    for u, v in points:
        o = (v * sw + u) * 3
        got = tuple(px[o:o + 3])
        want = expected(u, v)
        if got != want:
            if bad < 5:
                errors.append(f"{name}: pixel ({u},{v}) is {got}, expected {want}")
            bad += 1
    if bad:
        errors.append(f"{name}: {bad} of {len(points)} pixels differ")
    return len(points) - bad


def drag():
    env = dict(os.environ, DISPLAY=DISPLAY)
    (x1, y1), (x2, y2) = DRAG
    steps = [["mousemove", str(x1), str(y1)], ["mousedown", "1"]]
    for i in range(1, 6):  # a hand moves in steps
        steps.append(["mousemove", str(x1 + (x2 - x1) * i // 5), str(y1 + (y2 - y1) * i // 5)])
    steps.append(["mouseup", "1"])
    for st in steps:
        subprocess.run(["xdotool", *st], env=env, check=True)
        time.sleep(0.05)


def main():
    work = tempfile.mkdtemp(prefix="mapwnd_gui_", dir=os.getcwd())
    win_dir = "Z:" + work.replace("/", "\\")
    args = [WINE_RUN, EXE, win_dir]
    for step in STEPS:
        args += [str(a) for a in step]
    proc = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    errors, checked, states = [], 0, {}
    try:
        for step in STEPS:
            if step[0] != "snap":
                continue
            name = step[1]
            ready = os.path.join(work, name + ".ready")
            deadline = time.time() + 60
            while not os.path.exists(ready):
                if proc.poll() is not None or time.time() > deadline:
                    raise SystemExit(f"FAIL: no snapshot {name} (program ended with {proc.returncode})")
                time.sleep(0.05)
            state = {}
            for line in open(os.path.join(work, name + ".txt")):
                k, *vals = line.split()
                state[k] = [int(x) for x in vals]
            checked += check(name, state, screenshot(), errors)
            states[name] = state
            if name == "predrag" and state["mouse"] == [1]:
                drag()
            if name == "postdrag" and state["mouse"] == [1]:
                # the point under the mouse stayed under it: the centre moved
                # by the drag's length the other way
                (x1, y1), (x2, y2) = DRAG
                bx, by = states["predrag"]["centre"]
                want = ((bx + ((x1 - x2) << 13)) % 2**30, by + ((y1 - y2) << 13))
                if tuple(state["centre"]) != want:
                    errors.append(f"drag: centre {state['centre']}, expected {list(want)}")
                else:
                    print("drag: the map followed the mouse")
            open(os.path.join(work, name + ".go"), "w").close()
        rc = proc.wait(timeout=60)
    finally:
        if proc.poll() is None:
            proc.kill()
    ended = open(os.path.join(work, "exit.txt")).read().split()
    if rc != 0 or ended != ["workers_ended", "8"]:
        errors.append(f"exit code {rc}, {' '.join(ended)}: the window did not wait for its workers")
    for e in errors:
        print(e)
    print(f"{checked} pixels matched, {len(errors)} errors")
    if not errors:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
