"""What the GUI tests share: the test display, screenshots of it, and the
spherical Mercator world of the map (2^30 units at zoom 22), computed here
independently of the program."""
import math
import os
import subprocess


def wine_state():
    """The folder of the Wine fixture: prefix, display, sound switch (a
    second one when the window tests run on two displays)."""
    return os.environ.get("ORV_WINE_STATE") or os.path.join(os.environ["ORV_BINARY_DIR"], "wine")


def display():
    """The private X display of the build's Wine fixture."""
    return open(os.path.join(wine_state(), "display")).read().strip()


def read_ppm(data):
    """(width, height, RGB bytes) of a binary PPM."""
    parts, pos = [], 0
    while len(parts) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        parts.append(data[pos:end])
        pos = end
    assert parts[0] == b"P6" and parts[3] == b"255", parts
    return int(parts[1]), int(parts[2]), data[pos + 1:]


def screenshot():
    """The whole test display as (width, height, RGB bytes)."""
    out = subprocess.run(["import", "-display", display(), "-window", "root", "-depth", "8", "ppm:-"],
                         check=True, capture_output=True).stdout
    return read_ppm(out)


def world_x(lon):
    return (int(lon * 2**30 / 360) + 2**29) % 2**30


def world_y(lat):
    # Gudermannian form of the Mercator ordinate
    m = math.log(math.tan(math.pi / 4 + math.radians(lat) / 2))
    return 2**29 - m * 2**30 / (2 * math.pi)


def lon_of(x):
    return (x - 2**29) * 360 / 2**30


def lat_of(y):
    return math.degrees(math.atan(math.sinh((2**29 - y) * 2 * math.pi / 2**30)))
