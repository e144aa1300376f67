"""What the game's window tests share: Orvalo.exe under Wine on the test
display with a game folder of its own, X input, the player boxes and the
"Fehler" boxes (read by gamewin.exe, the first argument of every test)."""
import ctypes
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "tests", "support"))
import xshot  # noqa: E402

GAMEWIN = sys.argv[1]
BIN = os.environ["ORV_BINARY_DIR"]
WINE_RUN = os.environ["ORV_WINE_RUN"]
EXE = os.path.join(BIN, "game", "Orvalo.exe")
CLOSER = os.path.join(BIN, "tests", "e2e", "postclose.exe")
os.environ["DISPLAY"] = xshot.display()
WIDTH, HEIGHT = 1590, 960  # the frame's size on the screen
failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)
    return cond


def wine(*args):
    return subprocess.run([WINE_RUN, *args], capture_output=True, text=True, stdin=subprocess.DEVNULL)


def page(folder, n, body):
    d = os.path.join(folder, "Game%03d" % n)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "Info.html"), "w", encoding="cp1252") as f:
        f.write("<html>" + body + "<body>Ziel %d</body></html>" % n)


def target(lon, lat, name=None):
    s = "<!--REFX %s --><!--REFY %s -->" % (lon, lat)
    return s + ('<!--NAME "%s" -->' % name if name else "")


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def cursor_image():
    """The pointer's shape as the X server shows it: (hot x, hot y, width,
    height, ARGB pixels), read through XFixes."""
    x11, xfixes = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(os.environ["DISPLAY"].encode())
    try:
        img = xfixes.XFixesGetCursorImage(dpy)[0]
        pixels = [img.pixels[i] & 0xFFFFFFFF for i in range(img.width * img.height)]
        return img.xhot, img.yhot, img.width, img.height, pixels
    finally:
        x11.XCloseDisplay(dpy)


def cursor_at(x, y):
    """The pointer's shape once it rests at (x, y) on the screen."""
    xdo("mousemove", str(x), str(y))
    time.sleep(0.4)
    return cursor_image()


def xdo(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.strip()


def pointer():
    return xdo("getmouselocation").split()[:2]  # "x:.. y:.."


class Game:
    def __init__(self, folder, args=()):
        self.proc = subprocess.Popen([WINE_RUN, EXE, *args], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, cwd=folder)
        self.win = ""
        for _ in range(150):
            self.win = xdo("search", "--onlyvisible", "--name", " - Orvalo$").split("\n")[0]
            if self.win:
                break
            time.sleep(0.2)
        assert self.win, "no main window"
        # wide enough that the web window (1024 px, centred) leaves the
        # player boxes at the left free
        xdo("windowmove", self.win, "0", "0")
        xdo("windowsize", self.win, str(WIDTH), str(HEIGHT))
        # the frame has taken the new size once the map spans its width
        end = time.time() + 15
        rect = self.map_rect()
        while time.time() < end and not (WIDTH - 40 < rect[2] and rect[0] + rect[2] <= WIDTH):
            time.sleep(0.1)
            rect = self.map_rect()
        self.mx, self.my, self.mw, self.mh = rect

    def map_rect(self):
        """The map's client area on the screen, once the frame holds it."""
        for _ in range(100):
            out = subprocess.run([WINE_RUN, GAMEWIN, "maprect"], capture_output=True, text=True).stdout.split()
            if out:
                return list(map(int, out))
            time.sleep(0.1)
        raise AssertionError("no map window")

    def command(self, cid):
        wine(GAMEWIN, "cmd", str(cid))

    def title(self):
        return xdo("getwindowname", self.win)

    def key(self, k, wait=0.6):
        """A key to the frame. The program takes input in order, so a wait is
        needed only before looking at what the key did (0 where a poll or
        more input follows)."""
        xdo("windowactivate", "--sync", self.win)
        xdo("key", "--window", self.win, k)
        time.sleep(wait)

    def turn_key(self, k, timeout=10):
        """A key that moves the turn on. The program nudges the pointer by a
        pixel then: a pointer move sent before that would be undone, so this
        waits for the nudge."""
        before = pointer()
        self.key(k, wait=0)
        end = time.time() + timeout
        while pointer() == before and time.time() < end:
            time.sleep(0.02)

    def click(self, x, y, wait=0.4):
        xdo("mousemove", str(self.mx + x), str(self.my + y), "click", "1")
        time.sleep(wait)

    def boxes(self):
        """The pixels inside the three player boxes, where the symbols go
        (the map behind the boxes' corners plays no part)."""
        w, h, rgb = xshot.screenshot()
        out = []
        for i in range(3):
            x0, y0 = self.mx + 10 + 52 * i + 8, self.my + 10 + 8
            out.append(bytes(b for y in range(y0, y0 + 26) for b in rgb[3 * (y * w + x0):3 * (y * w + x0 + 26)]))
        return out

    def marked(self, ref):
        """Indices of the boxes that differ from the reference (a symbol drawn in them)."""
        now = self.boxes()
        return [i for i in range(3) if sum(a != b for a, b in zip(now[i], ref[i])) > 40]

    def error(self, timeout=10):
        end = time.time() + timeout
        while time.time() < end:
            r = subprocess.run([WINE_RUN, GAMEWIN, "box", "Fehler"], capture_output=True, text=True, encoding="cp1252")
            if r.returncode == 0:
                return r.stdout.strip()
            time.sleep(0.1)
        return None

    def wait_title(self, want, timeout=25):
        end = time.time() + timeout
        while time.time() < end:
            if self.title() == want:
                return True
            time.sleep(0.1)
        return False


def make_folder(prefix, pages):
    """A game folder with its welcome page and {number: page body}."""
    folder = tempfile.mkdtemp(prefix=prefix)
    os.makedirs(os.path.join(folder, "Main"))
    with open(os.path.join(folder, "Main", "Info.html"), "w") as f:
        f.write("<html><body>Willkommen</body></html>")
    for n, body in pages.items():
        page(folder, n, body)
    return folder


def reg_value(name, value):
    if isinstance(value, int):
        return '"%s"=dword:%08x' % (name, value)
    return '"%s"="%s"' % (name, value.replace("\\", "\\\\"))


def start(folder, options, values=(), args=()):
    """Orvalo.exe on a fresh registry: "GameOptions" values (name, value) as
    numbers, the folder as the info path, view values (name, value)."""
    options = list(options)
    if not args:
        options.append(("HtmInfoPath", "Z:" + folder.replace("/", "\\")))
    # a tile server without tiles: the map stays blank, so that the game's
    # pixels can be measured whatever tiles the prefix holds
    server = [("Select", 0), ("Name00", "Leer"), ("Server00", "127.0.0.1"), ("Path00", "leer/*.png"),
              ("ZoomMin00", "2"), ("ZoomMax00", "6"), ("Fixed00", 1)]
    key = "HKEY_CURRENT_USER\\Software\\Vexa\\Orvalo"
    lines = ["REGEDIT4", "", "[-%s]" % key, "", "[%s]" % key] + [reg_value(n, v) for n, v in values]
    lines += ["", "[%s\\Server]" % key] + [reg_value(n, v) for n, v in server]
    lines += ["", "[%s\\GameOptions]" % key] + [reg_value(n, v) for n, v in options]
    # one regedit run instead of a Wine start per value
    fd, path = tempfile.mkstemp(suffix=".reg")
    with os.fdopen(fd, "w", encoding="cp1252") as f:
        f.write("\n".join(lines) + "\n")
    r = wine("regedit", "/S", "Z:" + path.replace("/", "\\"))
    os.unlink(path)
    assert r.returncode == 0, "regedit failed"
    return Game(folder, args)


def close(g):
    """WM_CLOSE as its user would; the seconds it took to end, None if it did not."""
    t0 = time.time()
    wine(CLOSER, g.title())
    try:
        g.proc.wait(timeout=20)
        return time.time() - t0 if g.proc.returncode == 0 else None
    except subprocess.TimeoutExpired:
        g.proc.kill()
        return None


def finish(*folders):
    for f in folders:
        shutil.rmtree(f, ignore_errors=True)
    if failures:
        print("%d failed" % len(failures))
        return 1
    return 0
