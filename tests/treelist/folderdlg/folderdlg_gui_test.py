#!/usr/bin/env python3
"""The folder dialog and the path combo worked as a person would: real X
input with xdotool on the Wine display, screenshots read by pixels, the
registry read back with `wine reg export`, the outcome from the demo's file."""
import atexit
import contextlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "tests", "support"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fixture  # noqa: E402
import xshot  # noqa: E402

EXE = sys.argv[1]
BUILD = os.environ["ORV_BINARY_DIR"]
WINE_RUN = os.environ["ORV_WINE_RUN"]
ENV = dict(os.environ, DISPLAY=xshot.display())
PREFIX = os.path.join(xshot.wine_state(), "prefix")
ROOT = fixture.build(os.path.join(os.getcwd(), "folderdlg_tree"))
# each demo's files in a folder of their own below one that stays collapsed in
# the trees shown: new folders beside the fixture would move its rows under the mouse
RUNS = os.path.join(os.getcwd(), "runs")
shutil.rmtree(RUNS, ignore_errors=True)
os.makedirs(RUNS)
WROOT = fixture.wine_path(ROOT)
# no window manager on the test display: Wine would wait 2 s for one at each
# window it hides, so the demo's windows are left unmanaged
subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine\\AppDefaults\\" + os.path.basename(EXE) + "\\X11 Driver",
                "/v", "Managed", "/d", "N", "/f"], capture_output=True,
               env=dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all"))
errors = []


def check(cond, what):
    if not cond:
        errors.append(what)
        print("FAIL:", what, flush=True)
    return cond


def xdo(*args):
    subprocess.run(["xdotool", *map(str, args)], env=ENV, check=True)


def poll(cond, timeout, every=0.03):
    """cond()'s first true value within timeout seconds, else None."""
    end = time.time() + timeout
    while True:
        v = cond()
        if v:
            return v
        if time.time() > end:
            return None
        time.sleep(every)


def value_when(fn, ok, timeout=3):
    """fn() once ok holds for its value, or its last value after timeout seconds."""
    end = time.time() + timeout
    while True:
        got = fn()
        if ok(got) or time.time() > end:
            return got
        time.sleep(0.05)


def at(shot, x, y):
    """The colour at x, y of a screenshot."""
    w, h, px = shot
    return tuple(px[(y * w + x) * 3:(y * w + x) * 3 + 3])


def find_window(title, timeout=10):
    return poll(lambda: subprocess.run(["xdotool", "search", "--name", title], env=ENV, capture_output=True,
                                       text=True).stdout.strip(), timeout)


def close_window(title):
    subprocess.run([WINE_RUN, os.path.join(BUILD, "tests", "e2e", "postclose.exe"), title], env=ENV)


def cp(text):
    """Windows-1252 bytes of a text, as hex (the program's 8-bit form)."""
    return text.encode("cp1252").hex()


# root reads every folder unless these capabilities are dropped
CAPSH = ["capsh", "--drop=cap_dac_override,cap_dac_read_search", "--", "-c", 'exec "$0" "$@"'] \
    if os.geteuid() == 0 else []


class Demo:
    def __init__(self, *args, wait_pos=True, unprivileged=False):
        self.work = tempfile.mkdtemp(prefix="folderdlg_", dir=RUNS)
        self.out = os.path.join(self.work, "out.txt")
        wrap = CAPSH if unprivileged else []
        with open(self.out + ".err", "wb") as err:
            self.proc = subprocess.Popen([*wrap, WINE_RUN, EXE, fixture.wine_path(self.out), *map(str, args)],
                                         stdout=subprocess.DEVNULL, stderr=err)
        if wait_pos:
            p = self.wait(lambda p: "dialog" in p or "combo" in p, 40)
            if p and "up" in p:
                # a click on an empty spot gives the dialog the keyboard (no window manager here)
                l, t, r, b = self.rect("up")
                self.click((l + r) // 2, b + 40)

    def log(self):
        try:
            return open(self.out).read()
        except OSError:
            return ""

    def pos(self):
        try:
            lines = open(self.out + ".pos").read().splitlines()
        except OSError:
            return {}
        out = {}
        for line in lines:
            k, _, v = line.partition(" ")
            out[k] = v
        return out

    def rect(self, name):
        return tuple(map(int, self.pos()[name].split()[:4]))

    def center(self, name):
        l, t, r, b = self.rect(name)
        return (l + r) // 2, (t + b) // 2

    def wait(self, cond, timeout=20):
        end = time.time() + timeout
        while time.time() < end:
            p = self.pos()
            if p and cond(p):
                return p
            if self.proc.poll() is not None:
                break
            time.sleep(0.03)
        return None

    def settle(self, timeout=10):
        """Returns once the demo's timer has written its file twice more: timer
        messages come last, so the input sent before has been handled."""
        def stamp():
            try:
                st = os.stat(self.out + ".pos")
                return st.st_ino, st.st_mtime_ns
            except OSError:
                return None
        seen = [stamp()]

        def twice():
            now = stamp()
            if now and now != seen[-1]:
                seen.append(now)
            return len(seen) > 2
        return poll(twice, timeout, 0.01)

    def rows(self):
        p = self.pos()
        listed = p.get("listed", "").split()
        return [bytes.fromhex(x.split(":")[0]).decode("cp1252") for x in listed], int(p.get("current", -1))

    last_click = 0.0

    def click(self, x, y, button=1, repeat=1):
        xdo("mousemove", x, y, "sleep", 0.15, "click", "--repeat", repeat, "--delay", 80, button)
        Demo.last_click = time.time()

    @staticmethod
    def apart():
        """Waits until a click now cannot make a double-click with the last one."""
        time.sleep(max(0.0, Demo.last_click + 0.6 - time.time()))

    def finish(self, timeout=30):
        try:
            self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            check(False, "the demo did not end")
        # a file, not a pipe: Wine's desktop process holds it open a second longer
        err = open(self.out + ".err", "rb").read().decode(errors="replace")
        check("page fault" not in err, "Wine reported a page fault: " + err[-300:])
        res = {}
        for line in open(self.out).read().splitlines():
            k, _, v = line.partition(" ")
            res.setdefault(k, v)
            if k == "recent":
                res.setdefault("recents", []).append(bytes.fromhex(v).decode("cp1252"))
        return res


# Wine's desktop process ends a second after the last window and starts again
# with the next demo; a window kept off the screen for the run spares that
KEEPER = Demo("combo", 0, "C:\\windows", 0, 3600 * 1000, 2000, wait_pos=False)
atexit.register(lambda: (KEEPER.proc.kill(), KEEPER.proc.wait()))


def text_of(hexstr):
    return bytes.fromhex(hexstr).decode("cp1252")


def enter_text(text, d=None):
    """Replaces the focused edit field's text by typing."""
    xdo("key", "End", "shift+Home")
    for run in re.findall(r"[\x20-\x7e]+|[^\x20-\x7e]", text):
        if run.isascii():
            xdo("type", "--delay", 10, run)
            continue
        # xdotool maps a character not on the keyboard to a spare key for half
        # its delay: Wine must have caught up to read the mapping in time
        if d:
            d.settle()
        xdo("type", "--delay", 200, run)


def type_path(d, path):
    """Starts editing the path combo by a click on its icon, then enters the path."""
    l, t, r, b = d.rect("path")
    d.click(l + 8, (t + b) // 2)
    enter_text(path, d)


def active(d, title):
    """Waits until the dialog's thread has the window title active: keys sent before could go to the old one."""
    return d.wait(lambda p: text_of(p.get("active", "")) == title, 10)


def wait_listed(d, path_rows_last, timeout=20):
    return d.wait(lambda p: p.get("current", "-1") != "-1" and
                  d.rows()[0] and d.rows()[0][int(p["current"])] == path_rows_last, timeout)


DEEP = os.path.join(ROOT, *fixture.DEEP)
WDEEP = fixture.wine_path(DEEP)


def test_rows_of_a_deep_path():
    d = Demo("pathdlg", 1, "-", WDEEP)
    check(wait_listed(d, "l11"), "deep path listed")
    rows, cur = d.rows()
    comps = ["Z:\\"] + WDEEP[3:].split("\\")
    check(rows[:cur + 1] == comps, f"component rows {rows[:cur + 1]}")
    subs = rows[cur + 1:]
    check("x 2" in subs and "x 10" in subs and subs.index("x 2") < subs.index("x 10"), f"natural order {subs}")
    check("liesmich.txt" not in subs, "folders only")
    check("??" in subs, "a name outside Windows-1252 comes as '??'")
    indents = [int(x.split(":")[1]) for x in d.pos()["listed"].split()]
    check(indents[:cur + 1] == [5 * i for i in range(cur + 1)] and set(indents[cur + 1:]) == {5 * (cur + 1)},
          f"indents {indents}")
    # the current row: a quarter of the button face over three quarters of the window colour
    p = d.pos()
    win, hi, face = (int(x, 16) for x in p["colors"].split())
    def rgb(c):  # COLORREF is 0x00BBGGRR
        return (c & 255, (c >> 8) & 255, (c >> 16) & 255)
    want = tuple(a // 4 + b // 4 * 3 for a, b in zip(rgb(face), rgb(win)))
    l, t, r, b = d.rect("list")
    rh, sel, top = int(p["rowheight"]), int(p["sel"]), int(p["top"])
    w, h, px = xshot.screenshot()
    y = t + 2 + (sel - top) * rh + rh // 2
    x = r - 30
    got = tuple(px[(y * w + x) * 3:(y * w + x) * 3 + 3])
    check(got == want, f"current row colour {got}, expected {want}")
    xdo("key", "Escape")
    res = d.finish()
    check(res.get("result") == "2", f"Escape cancels: {res}")


def test_typed_path_lists_then_closes():
    # breadcrumb mode, then text mode (option 16)
    for flags, mouse in ((1, False), (17, False), (17, True)):
        d = Demo("pathdlg", flags, "-", WROOT)
        wait_listed(d, os.path.basename(ROOT))
        target = fixture.wine_path(os.path.join(ROOT, *fixture.TYPED))
        if flags == 1:
            type_path(d, target)
        else:
            d.click(*d.center("path"))
            enter_text(target, d)
        # the last round in text mode with the mouse: OK takes the typed text
        press = (lambda: d.click(*d.center("ok"))) if mouse else (lambda: xdo("key", "Return"))
        press()
        check(wait_listed(d, "café"), f"Enter or OK lists the typed path ({flags})")
        check(d.proc.poll() is None, "the first Enter or OK does not close")
        Demo.apart()  # two clicks, not a double-click
        press()
        res = d.finish()
        check(res.get("result") == "1", f"the second Enter closes with OK: {res}")
        check(res.get("path") == cp(target), f"bytes {res.get('path')} != {cp(target)}")
        check(res.get("chosen") == cp(target + "\\"), "chosen path with separator")


def test_drive_alone_gives_root():
    d = Demo("pathdlg", 1, "-", WROOT, 0, 0, "C:\\windows")  # "C:" alone is not C:'s current folder
    wait_listed(d, os.path.basename(ROOT))
    type_path(d, "C:")
    xdo("key", "Return")
    wait_listed(d, "C:\\")
    xdo("key", "Return")
    res = d.finish()
    check(res.get("chosen") == cp("C:\\"), f"C: gives C:\\ ({res})")


def test_file_as_start_path():
    d = Demo("pathdlg", 1, "-", WDEEP + "\\liesmich.txt")
    check(wait_listed(d, "l11"), "a file opens its folder")
    # the breadcrumb has the keyboard: a letter is no path, Left and Enter go
    # up one folder, Enter on the last segment is OK
    xdo("key", "x", "Left", "Return")
    up = WDEEP.rsplit("\\", 1)[0]
    check(wait_listed(d, up.rsplit("\\", 1)[1]), "Enter on the breadcrumb goes to that folder")
    check(d.proc.poll() is None, "Enter on the breadcrumb does not close")
    xdo("key", "Return")
    res = d.finish()
    check(res.get("chosen") == cp(up + "\\"), f"closed with the folder above: {res}")


def test_create_nested_folder():
    made = os.path.join(ROOT, "neu", "a", "b")
    if os.path.exists(made):
        for p in (made, os.path.dirname(made), os.path.dirname(os.path.dirname(made))):
            os.rmdir(p)
    d = Demo("pathdlg", 3, "-", WROOT)
    wait_listed(d, os.path.basename(ROOT))
    type_path(d, fixture.wine_path(made))
    xdo("key", "Return")
    if not check(wait_listed(d, "b"), "a missing path lists its components"):
        subprocess.run(["import", "-display", xshot.display(), "-window", "root", os.path.join(d.work, "fail.png")])
    xdo("key", "Return")
    res = d.finish()
    check(res.get("result") == "1" and os.path.isdir(made), f"options 1+2 create the folder: {res}")


def test_folder_under_a_file_cannot_be_made():
    d = Demo("pathdlg", 2, "-", WROOT)              # 2 alone: the only box is the one of creating
    wait_listed(d, os.path.basename(ROOT))
    type_path(d, fixture.wine_path(os.path.join(ROOT, "files", "datei00000.txt", "neu")))
    xdo("key", "Return")                             # listed first (nothing there)
    wait_listed(d, "neu")
    xdo("key", "Return")
    found = find_window("^Fehler$")
    check(found, "'Der Pfad kann nicht erzeugt werden !' in a box 'Fehler'")
    if found:
        active(d, "Fehler")
        xdo("key", "Return")
    time.sleep(0.5)
    check(d.proc.poll() is None, "the dialog stays open")
    active(d, "Ordner für den Test")
    xdo("key", "Escape")
    check(d.finish().get("result") == "2", "then Cancel")


def test_missing_folder_refused():
    gone = os.path.join(ROOT, "verschwindet")
    os.makedirs(gone, exist_ok=True)
    d = Demo("pathdlg", 1, "-", fixture.wine_path(gone))
    wait_listed(d, "verschwindet")
    os.rmdir(gone)
    xdo("mousemove", *d.center("ok"))
    xdo("click", 1)
    found = find_window("^Fehler$")
    check(found, "'Der Pfad existiert nicht !' shown in a box 'Fehler'")
    if found:
        active(d, "Fehler")
        xdo("key", "Return")
    time.sleep(0.5)
    check(d.proc.poll() is None, "the dialog stays open")
    active(d, "Ordner für den Test")
    xdo("key", "Escape")
    res = d.finish()
    check(res.get("result") == "2", f"then Cancel: {res}")


def test_type_ahead_double_click_and_up():
    d = Demo("pathdlg", 1, "-", WDEEP)
    wait_listed(d, "l11")
    rows, cur = d.rows()
    l, t, r, b = d.rect("list")
    rh = int(d.pos()["rowheight"])

    def row_y(row):
        return t + 2 + (row - int(d.pos()["top"])) * rh + rh // 2
    d.click(r - 30, row_y(cur))
    xdo("type", "--delay", 100, "xx")
    d.settle()
    sel = int(d.pos()["sel"])
    check(rows[sel] == "x 10", f"x typed twice cycles to the second x row: {rows[sel]}")
    time.sleep(1.1)  # longer than letters typed together may lie apart
    xdo("type", "--delay", 50, "gr")
    d.settle()
    sel = int(d.pos()["sel"])
    check(rows[sel] == "Größe", f"typed 'gr' finds Größe: {rows[sel]}")
    # double-click on a subfolder row lists it
    row = rows.index("x 2")
    d.click(r - 30, row_y(row), repeat=2)
    check(wait_listed(d, "x 2"), "double-click lists the folder")
    d.click(*d.center("up"))
    check(wait_listed(d, "l11"), "Aufwärts goes to the parent")
    Demo.apart()
    d.click(r - 30, row_y(int(d.pos()["current"])), repeat=2)  # the current row: as OK
    res = d.finish()
    check(res.get("result") == "1" and res.get("path") == cp(WDEEP), f"double-click on the current row: {res}")


def test_wheel_one_row_per_notch():
    d = Demo("pathdlg", 1, "-", fixture.wine_path(os.path.join(ROOT, "many")))
    check(d.wait(lambda p: int(p.get("rows", 0)) > 10000, 40), "10,000 rows in the list")
    l, t, r, b = d.rect("list")
    xdo("mousemove", (l + r) // 2, (t + b) // 2)
    d.settle()
    top0 = int(d.pos()["top"])
    xdo("click", "--repeat", 3, "--delay", 100, 5)
    d.settle()
    check(int(d.pos()["top"]) == top0 + 3, f"three notches, three rows: {top0} -> {d.pos()['top']}")
    xdo("key", "Escape")
    d.finish()


def test_network_root_and_plain_paths():
    for flags, want in ((0, "Netzwerkumgebung"), (4, None)):
        d = Demo("pathdlg", flags, "-", WROOT)
        wait_listed(d, os.path.basename(ROOT))
        type_path(d, "\\\\")
        xdo("key", "Return")
        if want:
            check(d.wait(lambda p: d.rows()[0][:1] == [want], 15), f"\\\\ lists {want} first: {d.rows()}")
        else:
            time.sleep(2)
            check(d.rows()[0][0] == "Z:\\", f"with option 4 \\\\ is refused: {d.rows()[0][:2]}")
        xdo("key", "Escape")
        xdo("key", "Escape")
        d.finish()


def network_share():
    """\\\\srv\\share: Wine's dosdevices\\unc\\srv\\share linked to a folder made here."""
    share = os.path.join(os.getcwd(), "netshare")
    for sub in (("sub", "deep", "inner"), ("sub", "deep", "zweig"), ("sub", "other"), ("oben",), ("leer",)):
        os.makedirs(os.path.join(share, *sub), exist_ok=True)
    open(os.path.join(share, "leer", "datei.txt"), "w").close()  # files only: no subfolder
    unc = os.path.join(PREFIX, "dosdevices", "unc", "srv")
    os.makedirs(unc, exist_ok=True)
    link = os.path.join(unc, "share")
    if not os.path.islink(link):
        os.symlink(share, link)
    return "\\\\srv\\share"


def test_network_share_rows_up_and_combo():
    share = network_share()
    d = Demo("pathdlg", 1, "-", share + "\\sub\\deep")
    p = wait_listed(d, share + "\\sub\\deep")
    rows, cur = d.rows()
    check(p and rows[:cur + 1] == ["Netzwerkumgebung", "srv", share, share + "\\sub", share + "\\sub\\deep"]
          and rows[cur + 1:] == ["inner", "zweig"], f"network rows {rows} ({cur})")
    for want, sub in ((share + "\\sub", ["deep", "other"]), (share, ["leer", "oben", "sub"])):
        d.click(*d.center("up"))
        p = d.wait(lambda p: d.rows()[1] >= 0 and d.rows()[0][d.rows()[1]] == want and
                   d.rows()[0][d.rows()[1] + 1:] == sub, 15)
        check(p, f"Aufwärts gives {want} with {sub}: {d.rows()}")
    xdo("key", "Escape")
    d.finish()
    # a share folder holding only files: the drive box gets its own entry (kind 2)
    leer = os.path.join(os.getcwd(), "netshare", "leer")
    start = share + "\\leer"
    shutil.rmtree(os.path.join(leer, "neu"), ignore_errors=True)
    d = Demo("pathdlg", 1, "-", start)
    wait_listed(d, start)
    os.makedirs(os.path.join(leer, "neu"), exist_ok=True)  # after the start: the share's entry is made
    Demo.apart()
    d.click(*d.center("drives"))
    xdo("key", "End")
    xdo("key", "Return")
    p = d.wait(lambda p: d.rows()[0][:2] == [start, "neu"], 15)
    if check(p, f"the entry lists its folder: {d.rows()}"):
        l, t, r, b = d.rect("list")
        rh = int(d.pos()["rowheight"])
        d.click(r - 30, t + 2 + (1 - int(d.pos()["top"])) * rh + rh // 2, repeat=2)
        check(wait_listed(d, "neu"), f"a subfolder of the chosen entry: {d.rows()}")
        d.click(*d.center("up"))
        check(d.wait(lambda p: d.rows()[0][d.rows()[1]] == start, 15), f"up returns to the entry: {d.rows()}")
    rows = d.rows()[0]
    xdo("key", "Escape")
    res = d.finish()
    check(all(not x.startswith("\\\\\\") for x in rows + [text_of(res.get("path", ""))]),
          f"never three separators: {rows} {res}")
    # the combo's last arrow of \\srv\share\sub: "deep" gives its full path
    d = Demo("combo", 0, share + "\\sub")
    d.wait(lambda p: "e6" in p)
    d.click(*d.center("e6"))
    p = d.wait(lambda p: "popup" in p, 10)
    xdo("key", "Home")
    xdo("key", "Return")
    check(d.wait(lambda p: p.get("path") == cp(share + "\\sub\\deep"), 10), f"deep chosen: {d.pos().get('path')}")
    d.click(*d.center("e1"))                         # the server's segment
    check(d.wait(lambda p: p.get("path") == cp("\\\\srv"), 10), f"the server chosen: {d.pos().get('path')}")
    d.proc.kill()
    d.proc.wait()


def test_unreadable_folder_shows_only_components():
    locked = os.path.join(ROOT, "locked")
    d = Demo("pathdlg", 1, "-", fixture.wine_path(locked), unprivileged=True)
    p = wait_listed(d, "locked")
    rows, cur = d.rows()
    check(p and cur == len(rows) - 1 and "inside" not in rows, f"unreadable folder: component rows only {rows}")
    xdo("key", "Escape")
    res = d.finish()
    check(res.get("exit") == "0", f"nothing hangs: {res}")


def test_other_drive_and_back():
    d = Demo("pathdlg", 1, "-", WDEEP)
    wait_listed(d, "l11")
    Demo.apart()
    d.click(*d.center("drives"))
    xdo("key", "Up")
    xdo("key", "Return")
    check(d.wait(lambda p: d.rows()[0][:1] == ["C:\\"], 15), f"the drive before Z: is C: {d.rows()[0][:3]}")
    Demo.apart()
    d.click(*d.center("drives"))
    xdo("key", "Down")
    xdo("key", "Return")
    check(wait_listed(d, "l11"), "back on Z: the folder last shown there")
    # the entry after the drives: the desktop's own folder, and it stays chosen
    zsel = int(d.pos()["drivesel"])
    Demo.apart()
    d.click(*d.center("drives"))
    xdo("key", "Down")
    xdo("key", "Return")
    p = d.wait(lambda p: d.rows()[0][d.rows()[1]] == "Desktop", 15)
    time.sleep(0.5)
    check(p and d.rows()[0][0] == "C:\\" and int(d.pos()["drivesel"]) == zsel + 1,
          f"Desktop lists its folder and stays chosen: {d.rows()} {d.pos().get('drivesel')}")
    xdo("key", "Escape")
    d.finish()


def test_anchors_and_saved_rectangle():
    delete_tree_mode()
    d = Demo("pathdlg", 0x101, "-", WDEEP)
    wait_listed(d, "l11")
    d.click(*d.center("treemode"))  # the tree shown; the list, hidden, follows too
    d.wait(lambda p: "selrect" in p, 10)
    before = {k: d.rect(k) for k in ("dialog", "ok", "list", "drives", "up", "tree")}
    check(find_window("^Ordner für den Test$", 5), "the dialog's window found")
    w0, h0 = before["dialog"][2] - before["dialog"][0], before["dialog"][3] - before["dialog"][1]
    x, y = before["dialog"][2] - 2, before["dialog"][3] - 2  # the sizing corner, dragged
    xdo("mousemove", x, y)
    time.sleep(0.15)
    xdo("mousedown", 1)
    for i in range(1, 11):
        xdo("mousemove", x + 12 * i, y + 8 * i)
    xdo("mouseup", 1)
    d.settle()
    after = {k: d.rect(k) for k in before}
    dx = (after["dialog"][2] - after["dialog"][0]) - w0
    dy = (after["dialog"][3] - after["dialog"][1]) - h0
    check(dx > 50 and dy > 30, f"the dialog grew: {dx}, {dy}")
    check(after["ok"][0] - before["ok"][0] == dx and after["ok"][1] == before["ok"][1], "OK moves right only")
    check(after["list"][2] - before["list"][2] == dx and after["list"][3] - before["list"][3] == dy
          and after["list"][1] == before["list"][1], f"the list grows both ways, its top stays: {before} {after}")
    check(after["drives"][1] - before["drives"][1] == dy and after["drives"][2] - before["drives"][2] == dx,
          "the drive combo moves down and grows in width")
    t0, t1 = before["tree"], after["tree"]
    check(t1[2] - t0[2] == dx and t1[3] - t0[3] == dy and t1[:2] == t0[:2], f"the tree grows: {t0} -> {t1}")
    # painted in the tree's colour where it grew
    x, y = t0[2] + dx // 2, t0[3] + dy // 2
    wincol = int(d.pos()["colors"].split()[0], 16)
    want = (wincol & 255, (wincol >> 8) & 255, (wincol >> 16) & 255)
    got = at(value_when(xshot.screenshot, lambda s: at(s, x, y) == want), x, y)
    check(got == want, f"the tree's colour in its new strip: {got}")
    saved = after["dialog"]
    xdo("key", "Escape")
    # the second opening in the same process takes the saved rectangle
    p = poll(lambda: "result" in d.log(), 20) and d.settle() and d.pos()  # written after the first closed
    check(p and d.rect("dialog") == saved, f"saved rectangle {d.rect('dialog') if p else None} vs {saved}")
    active(d, "Ordner für den Test")
    xdo("key", "Escape")
    d.finish()
    delete_tree_mode()


def reg_export(key):
    f = os.path.join(tempfile.mkdtemp(dir=RUNS), "r.reg")
    env = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all")
    subprocess.run(["wine", "reg", "export", key, "Z:" + f.replace("/", "\\"), "/y"], env=env,
                   capture_output=True)
    if not os.path.exists(f):
        return ""
    return open(f, "rb").read().decode("utf-16")


def reg_values(text, key_tail):
    """The values of the key ending in key_tail: name -> str or list."""
    out, cur, lines = {}, None, text.replace("\\\r\n", "").replace("\\\n", "").splitlines()
    for line in lines:
        line = line.strip()
        if line.startswith("["):
            cur = line[1:-1]
            continue
        if cur and cur.endswith(key_tail) and "=" in line:
            name, _, val = line.partition("=")
            name = name.strip('"')
            if val.startswith("hex(7):"):
                data = bytes(int(x, 16) for x in val[7:].replace(" ", "").split(",") if x)
                out[name] = [s for s in data.decode("utf-16-le").split("\0") if s]
            elif val.startswith('"'):
                out[name] = val[1:-1].replace("\\\\", "\\")
            else:
                out[name] = val
    return out


def delete_tree_mode():
    subprocess.run(["wine", "reg", "delete", r"HKCU\Software\Vexa\Common", "/v", "PathDlgTreeMode", "/f"],
                   env=dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all"),
                   capture_output=True)


def test_recent_list_in_registry():
    key = "HKEY_CURRENT_USER\\Software\\Vexa"
    chosen = []
    delete_tree_mode()
    for sub in ("café", "€uro", "Ärger"):
        target = WDEEP[:0] + fixture.wine_path(os.path.join(ROOT, *fixture.DEEP[:3])) if sub == "Ärger" else \
            fixture.wine_path(os.path.join(DEEP, sub))
        d = Demo("pathdlg", 1 | 8, "GameOptions\\InfoDirs", target)   # 8: no tree
        wait_listed(d, os.path.basename(target.replace("\\", "/")))
        xdo("mousemove", *d.center("ok"))
        xdo("click", 1)
        d.finish()
        chosen.insert(0, target)
    exported = reg_export(key)
    vals = reg_values(exported, "GameOptions")
    check(vals.get("InfoDirs") == chosen[0], f"InfoDirs {vals.get('InfoDirs')!r}")
    last = vals.get("InfoDirsLast", [])
    check(last[:3] == chosen, f"InfoDirsLast newest first: {last[:3]} vs {chosen}")
    check(len(last) <= 16, "16 at most")
    check("PathDlgBreadCrumb" in reg_values(exported, "Common"), "breadcrumb mode written")
    check("PathDlgTreeMode" not in reg_values(exported, "Common"), "no tree mode written with option 8")


def test_stored_list_with_junk_loads_cleanly():
    entries = [fixture.wine_path(os.path.join(DEEP, n)) for n in ("x 2", "x 10")] * 15
    entries[3] = "C:\\" + "y" * 300
    entries[5] = "".join(c if c == "ß" else c.upper() for c in entries[0])  # "ß" has no capital here
    entries[7] = ""
    data = "".join(e + "\0" for e in entries) + "\0"
    hexdata = ",".join("%02x" % b for b in data.encode("utf-16-le"))
    reg = ("Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\Vexa\\Stored]\r\n"
           f'"ListLast"=hex(7):{hexdata}\r\n')
    f = os.path.join(tempfile.mkdtemp(dir=RUNS), "in.reg")
    open(f, "wb").write(b"\xff\xfe" + reg.encode("utf-16-le"))
    env = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all")
    subprocess.run(["wine", "reg", "import", "Z:" + f.replace("/", "\\")], env=env, capture_output=True)
    d = Demo("pathdlg", 1, "#Software\\Vexa\\Stored\\List", WDEEP)
    wait_listed(d, "l11")
    xdo("key", "Escape")
    res = d.finish()
    recents = res.get("recents", [])
    check(len(recents) == 2 and recents[0].endswith("x 2") and recents[1].endswith("x 10"),
          f"40 entries with duplicates and junk load as 2: {recents}")


def test_close_while_listing_slowed():
    d = Demo("pathdlg", 1, "-", fixture.wine_path(os.path.join(ROOT, "many")), 10)
    time.sleep(1.5)
    xdo("mousemove", *d.center("cancel"))
    t0 = time.time()
    xdo("click", 1)
    res = d.finish(timeout=20)
    took = time.time() - t0
    check(res.get("exit") == "0" and took < 7, f"closed while listing in {took:.1f} s ({res})")


def test_owner_destroyed_while_listing():
    d = Demo("pathdlg", 1, "-", fixture.wine_path(os.path.join(ROOT, "many")), 10, 1500)
    t0 = time.time()
    res = d.finish(timeout=20)
    took = time.time() - t0
    check(res.get("exit") == "0" and took < 10, f"owner destroyed mid-listing: {took:.1f} s ({res})")


def clipboard():
    return subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=ENV,
                          capture_output=True).stdout.decode("utf-8", "replace")


def combo_notifications(res_text):
    return [l for l in res_text.splitlines() if l.startswith("notify")]


def test_path_combo():
    deep40 = "C:\\" + "\\".join("d%02d" % i for i in range(40))
    d = Demo("combo", 0, deep40)
    check(d.wait(lambda p: p.get("segments") == "32"), "40 components give 32 segments")
    xdo("key", "Escape")
    d.proc.kill()
    d.proc.wait()

    with visual_styles(False):  # the plain marks: highlight fill, black frame
        d = Demo("combo", 0x3, WDEEP)
    parts = WDEEP.split("\\")
    segs = len(parts)
    p = d.wait(lambda p: p.get("segments") == str(segs) and ("e%d" % (2 * segs)) in p)
    check(p, "the deep path's last arrow shows")
    # the hot pair: the button under the mouse filled with the highlight colour,
    # the pair framed in black, the arrow beside it in the window colour
    e = 2 * (segs - 2) + 1
    l, t, r, b = d.rect("e%d" % e)
    al, at_, ar, ab = d.rect("e%d" % (e + 1))
    xdo("mousemove", (l + r) // 2, b - 3)
    win, hi = (int(x, 16) for x in d.pos()["colors"].split())
    rgb = lambda c: (c & 255, (c >> 8) & 255, (c >> 16) & 255)  # noqa: E731
    shot = value_when(xshot.screenshot, lambda s: at(s, l + 3, t + 4) == rgb(hi) and at(s, l, (t + b) // 2) == (0, 0, 0)
                      and at(s, ar - 3, at_ + 4) == rgb(win))

    def pixel(x, y):
        return at(shot, x, y)
    check(pixel(l + 3, t + 4) == rgb(hi), f"hot button {pixel(l + 3, t + 4)} != {rgb(hi)}")
    check(pixel(l, (t + b) // 2) == (0, 0, 0), f"black frame {pixel(l, (t + b) // 2)}")
    check(pixel(ar - 3, at_ + 4) == rgb(win), f"arrow in window colour {pixel(ar - 3, at_ + 4)}")
    # a segment click cuts the path, with one notification
    e = 2 * (segs - 2) + 1  # the text button of the last segment but one
    d.click(*d.center("e%d" % e))
    cut = "\\".join(parts[:segs - 1])
    check(d.wait(lambda p: p.get("path") == cp(cut)), "segment click cuts the path")
    # the last arrow opens the subfolders (folders only)
    last_arrow = "e%d" % (2 * (segs - 1))
    d.wait(lambda p: last_arrow in p)
    d.click(*d.center(last_arrow))
    p = d.wait(lambda p: "popup" in p, 10)
    names = [text_of(x) for x in p["popup"].split()[1:]] if p else []
    check(names == ["l11"], f"the arrow's list holds the subfolders: {names}")
    xdo("key", "Escape")
    d.wait(lambda p: "popup" not in p, 5)
    # copy the path, then a segment, from the right-click menu
    button = "e%d" % (2 * (segs - 1) - 1)
    for key, want in (("p", cut), ("a", parts[segs - 2])):
        Demo.apart()
        d.click(*d.center(button), button=3)
        xdo("key", key)
        got = value_when(clipboard, lambda t: t == want, 5)
        check(got == want, f"copied {got!r}, expected {want!r}")
    # a typed 300-character path is refused and the text stays
    before = d.pos()["path"]
    l, t, r, b = d.rect("combo")
    d.click(l + 8, (t + b) // 2)
    d.wait(lambda p: p.get("editing") == "1", 5)
    xdo("key", "ctrl+a")
    xdo("type", "--delay", 2, "C:\\" + "z" * 297)
    xdo("key", "Return")
    d.settle()
    check(d.pos()["path"] == before, "300 characters refused")
    xdo("key", "Escape")
    d.proc.kill()
    d.proc.wait()
    notes = combo_notifications(open(d.out).read())
    check(len(notes) == 1, f"one notification for the segment click: {notes}")
    check(all(n.endswith("thread 1") for n in notes), "notified on the UI thread")


@contextlib.contextmanager
def visual_styles(on):
    """Wine's prefix comes with its "Light" style on; the processes started
    inside see it on or off, and the value is put back afterwards."""
    key = r"HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager"
    env = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all")
    q = subprocess.run(["wine", "reg", "query", key, "/v", "ThemeActive"], env=env, capture_output=True).stdout
    old = [l.split()[-1] for l in q.decode(errors="replace").splitlines() if "ThemeActive" in l]
    reg = lambda *a: subprocess.run(["wine", "reg", *a, "/f"], env=env, capture_output=True)  # noqa: E731
    reg("add", key, "/v", "ThemeActive", "/d", "1" if on else "0")
    try:
        yield
    finally:
        if old:
            reg("add", key, "/v", "ThemeActive", "/d", old[0])
        else:
            reg("delete", key, "/v", "ThemeActive")


def test_path_combo_visual_styles():
    # with a visual style the hot pair is drawn as the style's header items:
    # the colour the style itself paints, no black frame
    with visual_styles(True):
        d = Demo("combo", 0x3, WDEEP)
        e = 2 * (len(WDEEP.split("\\")) - 2) + 1  # the last segment but one
        p = d.wait(lambda p: "theme" in p and "e%d" % e in p)
        check(p, "the demo sees the visual style")
        if not p:
            return
        hot = int(p["theme"].split()[0], 16)
        l, t, r, b = d.rect("e%d" % e)
        xdo("mousemove", (l + r) // 2, b - 3)
        y = (t + b) // 2
        want = (hot & 255, (hot >> 8) & 255, (hot >> 16) & 255)
        shot = value_when(xshot.screenshot, lambda s: at(s, l + 3, y) == want)
        got = at(shot, l + 3, y)
        check(got == want, f"hot item in the style's colour {got} != {want}")
        left = at(shot, l, y)
        check(left != (0, 0, 0), "no black frame with a visual style")
        d.proc.kill()
        d.proc.wait()


def dark_runs(shot, box, by_row):
    """Per row (or column) of box, how many pixels are dark; empty ones left out."""
    w, h, px = shot
    l, t, r, b = box
    outer, inner = (range(t, b), range(l, r)) if by_row else (range(l, r), range(t, b))
    def dark(x, y):
        return sum(px[(y * w + x) * 3:(y * w + x) * 3 + 3]) < 200
    runs = [sum(dark(i, o) if by_row else dark(o, i) for i in inner) for o in outer]
    return [n for n in runs if n]


def is_triangle(runs):
    # widest first, then never wider, down to a point; a digit has a stem
    return len(runs) >= 2 and runs[0] >= 3 and runs[-1] <= 2 and all(a >= b for a, b in zip(runs, runs[1:]))


def test_path_combo_popup_keys_and_slow_list():
    d = Demo("combo", 0, WDEEP)
    segs = len(WDEEP.split("\\"))
    last = "e%d" % (2 * segs)
    d.wait(lambda p: last in p)
    # arrows, not Marlett's digits where that font is missing: right between
    # two segments, down on the drop-down button
    xdo("mousemove", 1, 1)
    l, t, r, b = d.rect("e%d" % (2 * segs - 2))
    between = (l + 1, t + 2, r - 1, b - 2)
    l, t, r, b = d.rect("combo")
    on_button = (r - 15, t + 3, r - 3, b - 3)
    shot = value_when(xshot.screenshot, lambda s: is_triangle(dark_runs(s, between, False))
                      and is_triangle(dark_runs(s, on_button, True)))
    cols = dark_runs(shot, between, False)
    check(is_triangle(cols), f"a right-pointing arrow between segments: {cols}")
    rows = dark_runs(shot, on_button, True)
    check(is_triangle(rows), f"a down-pointing arrow on the button: {rows}")
    d.click(*d.center(last))
    p = d.wait(lambda p: "popup" in p, 10)
    names = [text_of(x) for x in p["popup"].split()[1:]] if p else []
    check("Größe" in names and "??" in names and names.index("x 2") < names.index("x 10"),
          f"subfolders in natural order: {names}")
    xdo("type", "g")
    xdo("key", "Return")
    check(d.wait(lambda p: p.get("path") == cp(WDEEP + "\\Größe"), 10), "typed 'g' and Enter choose Größe")
    # several characters belong together, a space among them
    d.wait(lambda p: "popup" not in p and last in p)
    d.click(*d.center(last))                         # the same arrow: the subfolders of l11 again
    d.wait(lambda p: "popup" in p, 10)
    xdo("type", "--delay", 100, "x 1")
    xdo("key", "Return")
    check(d.wait(lambda p: p.get("path") == cp(WDEEP + "\\x 10"), 10), f"typed 'x 1' chooses x 10: {d.pos().get('path')}")
    d.proc.kill()
    d.proc.wait()
    # a list still being read: the click waits, the list opens when it is ready
    many = fixture.wine_path(os.path.join(ROOT, "many"))
    d = Demo("combo", 0, many, 1)
    segs = len(many.split("\\"))
    last = "e%d" % (2 * segs)
    d.wait(lambda p: last in p)
    t0 = time.time()
    d.click(*d.center(last))
    time.sleep(0.5)
    check("popup" not in d.pos(), "not open before the listing is done")
    p = d.wait(lambda p: "popup" in p, 60)
    check(p and int(p["popup"].split()[0]) == 10000, f"opened with all 10,000 after {time.time() - t0:.1f} s")
    d.proc.kill()
    d.proc.wait()


def test_path_combo_own_list():
    d = Demo("combo", 0x4, "C:\\windows")
    d.wait(lambda p: "items" in p)
    l, t, r, b = d.rect("combo")
    typed = ["C:\\w%d" % i for i in range(18)] + ["c:\\W3"]
    for i, path in enumerate(typed):
        d.click(l + 5 + 6 * (i % 2), (t + b) // 2)  # on the icon, never twice on one spot: no double-click
        xdo("key", "ctrl+a", "type", "--delay", 10, path)
        xdo("key", "Return")
        d.wait(lambda p: p.get("path") == cp(path), 5)
    p = d.wait(lambda p: p.get("path") == cp("c:\\W3"), 10)
    items = [text_of(x) for x in d.pos()["items"].split()[1:]]
    check(len(items) == 16, f"the own list keeps 16: {len(items)}")
    check(items[:2] == ["c:\\W3", "C:\\w17"], f"newest first: {items[:3]}")
    check("C:\\w3" not in items, "the same path in other letter case is merged")
    d.click(l + 11, (t + b) // 2)                    # the same path again: no news
    xdo("key", "ctrl+a")
    xdo("type", "--delay", 10, "c:\\W3")
    xdo("key", "Return")
    d.settle()
    # the drop-down button: its colour under the mouse, its glyph 2 px lower
    # while the own list is down, all back once the list is up and the mouse gone
    normal, hot = (int(x, 16) for x in d.pos()["buttoncolors"].split())
    cl, ct, cr, cb = d.rect("combo")
    box = (cr - 15, ct + 3, cr - 3, cb - 3)
    rgb = lambda c: (c & 255, (c >> 8) & 255, (c >> 16) & 255)  # noqa: E731

    def look(expect):
        """The button's colour and its glyph's top row, once they are as expected (3 s at most)."""
        end = time.time() + 3
        while True:
            w, h, px = xshot.screenshot()
            dark = [y for y in range(box[1], box[3]) if any(sum(px[(y * w + x) * 3:(y * w + x) * 3 + 3]) < 200
                                                             for x in range(box[0], box[2]))]
            got = (tuple(px[((ct + 3) * w + cr - 4) * 3:((ct + 3) * w + cr - 4) * 3 + 3]), dark[0] if dark else None)
            if got == expect or (expect is None and got[1] is not None) or time.time() > end:
                return got
            time.sleep(0.1)
    away = (cl + 100, cb + 60)  # inside the window: the keys go where the mouse is
    xdo("mousemove", *away)
    y0 = look(None)[1]
    steps = [(lambda: xdo("mousemove", cr - 8, (ct + cb) // 2), (rgb(hot), y0)),
             (lambda: xdo("click", 1), (rgb(hot), y0 + 2)),
             (lambda: (xdo("mousemove", *away), time.sleep(0.3)), (rgb(hot), y0 + 2)),  # stays while down
             (lambda: xdo("key", "Escape"), (rgb(normal), y0))]
    looks, want = [], [w for _, w in steps]
    for act, expect in steps:
        act()
        looks.append(look(expect))
    check(y0 is not None and looks == want, f"drop-down button states {looks}, expected {want}")
    # typed text stays when the own list closes with nothing chosen; Enter commits it
    kept = "C:\\windows\\system32"                    # no entry begins so: none selected
    Demo.apart()
    d.click(l + 5, (t + b) // 2)
    d.wait(lambda p: p.get("editing") == "1", 5)
    xdo("key", "ctrl+a", "type", "--delay", 10, kept)
    xdo("mousemove", cr - 8, (ct + cb) // 2, "click", 1)
    d.wait(lambda p: p.get("dropped") == "1", 5)
    xdo("key", "Escape")
    p = d.wait(lambda p: p.get("dropped") == "0", 5) and d.settle() and d.pos()
    check(p and p.get("editing") == "1" and p.get("edittext") == cp(kept),
          f"the typed text kept after the list closed: {p and (p.get('editing'), text_of(p.get('edittext', '')))}")
    xdo("key", "Return")
    check(d.wait(lambda p: p.get("path") == cp(kept), 5), f"Enter commits it: {d.pos().get('path')}")
    d.proc.kill()
    d.proc.wait()
    notes = combo_notifications(open(d.out).read())
    check(len(notes) == len(typed) + 1, f"one notification per changed path: {len(notes)} for {len(typed) + 1}")
    # option 16: a missing folder typed is refused, the editing ends, the path stays
    d = Demo("combo", 0x10, "C:\\windows")
    d.wait(lambda p: "e1" in p)
    l, t, r, b = d.rect("combo")
    d.click(l + 8, (t + b) // 2)
    d.wait(lambda p: p.get("editing") == "1", 5)
    xdo("key", "ctrl+a")
    xdo("type", "--delay", 10, "C:\\fehlt\\nirgends")
    xdo("key", "Return")
    p = d.wait(lambda p: p.get("editing") == "0", 5)
    check(p and p.get("path") == cp("C:\\windows"), f"refused, editing ended: {d.pos()}")
    d.proc.kill()
    d.proc.wait()
    check(not combo_notifications(open(d.out).read()), "nothing notified for a refused path")


def test_path_combo_sees_a_new_drive():
    # a drive another process defines while the combo is shown is in list 0
    d = Demo("combo", 0, "C:\\windows")
    d.wait(lambda p: "e0" in p)
    drive = Demo("drive", "Q:", 8000, wait_pos=False)  # removed again when it ends
    poll(lambda: "defined" in drive.log(), 20)
    d.click(*d.center("e0"))
    p = d.wait(lambda p: "popup" in p, 10)
    names = [text_of(x) for x in p["popup"].split()[1:]] if p else []
    check("Q:" in names and "C:" in names, f"the new drive in the drive list: {names}")
    xdo("key", "Escape")
    d.proc.kill()
    d.proc.wait()
    open(drive.out + ".stop", "w").close()
    check(drive.finish().get("defined") == "1", "the drive was defined")


def test_path_combo_text_mode_drags_from_its_icon():
    d = Demo("combo", 0x201, WDEEP)                  # drag out, text mode
    target = Demo("droptarget", 800, wait_pos=False)
    p, c = d.wait(lambda p: "combo" in p), target.wait(lambda p: "target" in p, 30)
    if not check(p and c, "combo and drop target up"):
        return
    l, t, r, b = d.rect("combo")
    x, y = l + 8, (t + b) // 2
    cx, cy = target.center("target")
    xdo("mousemove", x, y)
    time.sleep(0.3)
    xdo("mousedown", 1)
    for i in range(1, 21):
        xdo("mousemove", x + (cx - x) * i // 20, y + (cy - y) * i // 20)
        time.sleep(0.05)
    poll(lambda: "enter" in target.log(), 5)
    xdo("mouseup", 1)
    poll(lambda: "dropped" in target.log(), 10)
    check("dropped " + cp(WDEEP) in open(target.out).read(), f"the path dragged out: {open(target.out).read()}")
    close_window("Ziel")
    target.finish()
    d.proc.kill()
    d.proc.wait()


def test_combo_destroyed_mid_listing():
    d = Demo("combo", 0, fixture.wine_path(os.path.join(ROOT, "many")), 10, 1500)
    res = d.finish(timeout=20)
    check(res.get("exit") == "0" and int(res.get("destroyed", "99999")) < 6000,
          f"a path combo destroyed mid-listing stops in bound: {res}")


# ---------------------------------------------------------------- directory tree

def tree_notes(res_text, code):
    return [line.split() for line in res_text.splitlines() if line.startswith("notify " + code)]


def tree_children(d):
    return [text_of(x) for x in d.pos().get("children", "").split()]


def test_tree_select_refresh_and_activate():
    deep = os.path.join(ROOT, *fixture.DEEP)
    wdeep = fixture.wine_path(deep)
    start = fixture.wine_path(ROOT).upper() + wdeep[len(fixture.wine_path(ROOT)):] + "\\"  # other case, separator
    d = Demo("tree", 0, start, 0, 40000, wait_pos=False)
    want = wdeep.lower()
    p = d.wait(lambda p: text_of(p.get("current", "x").split()[0]).lower() == want and "selrect" in p, 30)
    check(p is not None, f"the deep path's item becomes current: {d.pos()}")
    log = open(d.out).read()
    check("select 2 1 missing 0" in log, f"SelectPath gives 2, then 1; a missing path 0: {log[:200]}")
    names = [n if n != "日本" else "??" for n in fixture.NAMES]
    p = d.wait(lambda p: set(names) <= set(tree_children(d)), 20)
    kids = tree_children(d)
    check(p is not None and "fehlt" not in kids, f"listed children, missing path added nothing: {kids}")
    check(kids.index("x 2") < kids.index("x 10") and len(kids) == len(set(kids)), f"natural order: {kids}")
    l, t, r, b = map(int, d.pos()["selrect"].split())
    d.click((l + r) // 2, (t + b) // 2, repeat=2)        # double-click the selected item
    check(d.wait(lambda p: "notify 1206" in open(d.out).read(), 10) is not None, "double-click reports 0x1206")
    xdo("key", "Right")                                  # expanded: refreshed in the background
    check(d.wait(lambda p: int(p["state"], 16) & 0x20, 5) is not None, "Right expands the item")
    made = os.path.join(deep, "neu 5")
    os.makedirs(made, exist_ok=True)
    try:
        check(d.wait(lambda p: "neu 5" in tree_children(d), 15) is not None, "a folder made on disk appears")
    finally:
        os.rmdir(made)
    check(d.wait(lambda p: "neu 5" not in tree_children(d), 15) is not None, "a removed folder goes")
    xdo("key", "Down")                                   # keyboard: reported a second after the key
    poll(lambda: any(text_of(n[2]).lower().startswith(want + "\\") for n in tree_notes(d.log(), "1204")),
         10)
    close_window("Ordner")
    d.finish(timeout=60)
    log = open(d.out).read()
    sel = tree_notes(log, "1204")
    check(sel and text_of(sel[0][2]).lower() == want, f"0x1204 with the deep path: {sel}")
    check(len(sel) >= 2 and text_of(sel[-1][2]).lower().startswith(want + "\\"), f"Down to a child, reported by 0x1204: {sel}")
    act = tree_notes(log, "1206")
    check(act and text_of(act[0][2]).lower() == want, f"0x1206 with the activated path: {act}")
    check("thread 0" not in log, "no tree WM_NOTIFY from a thread but the UI thread")


def test_tree_closed_while_listing():
    d = Demo("tree", 0, fixture.wine_path(os.path.join(ROOT, "many")), 10, 2500, wait_pos=False)
    res = d.finish(timeout=30)
    check(res.get("exit") == "0" and int(res.get("destroyed", "99999")) < 6000,
          f"a tree closed mid-listing stops in bound: {res}")


def test_tree_mode_double_click_closes():
    deep = os.path.join(ROOT, *fixture.DEEP)
    d = Demo("pathdlg", 1, "TreeKey", fixture.wine_path(deep))
    before = reg_export(r"HKEY_CURRENT_USER\Software\Vexa\Common")
    d.click(*d.center("treemode"))                       # "Baum anzeigen"
    p = d.wait(lambda p: "selrect" in p, 30)
    check(p is not None, "the tree shows the start folder's item")
    if p:
        time.sleep(1)                                    # the worker's listings settle
        l, t, r, b = map(int, d.pos()["selrect"].split())
        # the row above, one indent to the left: its label ends before this one's
        d.click(r - 2, t - (b - t) // 2, repeat=2)
    res = d.finish(timeout=30)
    parent = fixture.wine_path(os.path.dirname(deep)).lower()
    check(res.get("result") == "1" and text_of(res.get("path", "")).lower() == parent,
          f"a double-click beside a tree item's label closes with its path: {res}")
    after = reg_values(reg_export(r"HKEY_CURRENT_USER\Software\Vexa\Common"), "Common")
    delete_tree_mode()  # the other tests open in list mode
    check(after.get("PathDlgTreeMode") == "dword:00000001", f"tree mode kept in the registry: {after}")
    crumb = reg_values(before, "Common").get("PathDlgBreadCrumb", "dword:00000001")
    check(after.get("PathDlgBreadCrumb") == crumb, f"a tree double-click leaves the breadcrumb mode: {after}")


# ---------------------------------------------------------------- tree selection dialog

def sel_rows(d):
    return [x.split(":") for x in d.pos().get("rows", "").split()]


def test_tree_select_sort_keeps_add_row_last_and_ok():
    d = Demo("treesel", 16, wait_pos=False)
    check(d.wait(lambda p: "header0" in p and len(sel_rows(d)) == 4, 30) is not None, f"the table: {d.pos()}")
    orders = []
    for _ in range(2):                                   # a sort and its reverse
        Demo.apart()                                     # not a double-click
        l, t, r, b = map(int, d.pos()["header0"].split())
        d.click((l + r) // 2, (t + b) // 2)
        d.settle()
        orders.append([x[0] for x in sel_rows(d)])
    check(orders[0] == ["a", "b", "c", "-"] and orders[1] == ["c", "b", "a", "-"],
          f"sorted both ways, the add row last: {orders}")
    row_b = [x for x in sel_rows(d) if x[0] == "b"][0]
    d.click(int(row_b[1]), int(row_b[2]))
    xdo("key", "Return")                                 # Enter on the table: as OK
    if not poll(lambda: "result" in d.log(), 10):
        close_window("Auswahl")
    res = d.finish(timeout=20)
    check(res.get("result") == "1" and res.get("text") == "b" and res.get("value") == "2" and res.get("chosen") == "0",
          f"Enter on the table returns the selected row: {res}")



def test_tree_select_double_click_checks_one_row():
    # check boxes for one row (options 2) over five rows, "e" (row 3) found as
    # the initial row; three dialogs in one process, the last two sorted by
    # a click on the first header: the direction is kept from one to the next
    d = Demo("treesel", 2 | 0x200 | 0x400, wait_pos=False)
    orders = []
    for run, sort in enumerate((False, True, True)):
        p = d.wait(lambda p: "header0" in p and len(sel_rows(d)) == 5, 30)
        if not check(p is not None, f"dialog {run} open: {d.pos()}"):
            break
        check([x[0] for x in sel_rows(d) if x[3] == "1"] == ["e"], f"the initial row checked: {sel_rows(d)}")
        if sort:
            Demo.apart()
            l, t, r, b = map(int, d.pos()["header0"].split())
            before = [x[0] for x in sel_rows(d)]
            d.click((l + r) // 2, (t + b) // 2)
            d.wait(lambda p: [x[0] for x in sel_rows(d)] != before, 5)
        orders.append([x[0] for x in sel_rows(d)])
        row_c = [x for x in sel_rows(d) if x[0] == "c"][0]
        Demo.apart()
        d.click(int(row_c[1]), int(row_c[2]), repeat=2)   # row 1
        poll(lambda: d.log().count("text ") > run, 10)
    d.finish(20)
    log = d.log().splitlines()
    texts = [x[5:] for x in log if x.startswith("text ")]
    chosen = [x[7:] for x in log if x.startswith("chosen ")]
    check(texts == ["c"] * 3 and chosen == ["1"] * 3, f"the double-clicked row returned: {texts} {chosen}")
    check(orders == [list("bcaed"), list("abcde"), list("edcba")], f"unsorted, up, then down: {orders}")


if __name__ == "__main__":  # the tree's own script borrows the helpers
    TESTS = [v for k, v in list(globals().items()) if k.startswith("test_")]
    only = sys.argv[2:]
    for t in TESTS:
        if only and t.__name__ not in only:
            continue
        print("--", t.__name__, flush=True)
        try:
            t()
        except Exception as e:  # one broken case must not hide the others
            check(False, f"{t.__name__}: {e!r}")
    print("folder dialog: " + ("ok" if not errors else f"{len(errors)} errors"))
    sys.exit(1 if errors else 0)
