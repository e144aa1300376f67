#!/usr/bin/env python3
"""The directory tree with real X input and a second process: an item dragged
with the mouse into another program, WM_COPY sent from
another program and the clipboard read there and by xclip, and the folder of
10,000 subfolders kept whole through background refreshes."""
import os
import sys
import time
from urllib.parse import unquote

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import folderdlg_gui_test as g  # noqa: E402


def test_drag_to_another_program_and_copy():
    folder = os.path.join(g.ROOT, "deep", "l1")     # ASCII: Wine's uri-list export garbles other bytes
    wfolder = g.fixture.wine_path(folder)
    tree = g.Demo("tree", 0x1000, wfolder, 0, 60000, wait_pos=False)
    target = g.Demo("droptarget", 700, wait_pos=False)
    p = tree.wait(lambda p: "selrect" in p and g.text_of(p["current"].split()[0]).lower() == wfolder.lower(), 30)
    c = target.wait(lambda p: "target" in p, 30)
    if not g.check(p is not None and c is not None, "tree and drop target up"):
        return
    l, t, r, b = map(int, p["selrect"].split())
    x, y = (l + r) // 2, (t + b) // 2
    cx, cy = target.center("target")
    g.xdo("mousemove", x, y)
    time.sleep(0.3)
    g.xdo("mousedown", 1)
    for i in range(1, 21):                      # past the drag distance, then across
        g.xdo("mousemove", x + (cx - x) * i // 20, y + (cy - y) * i // 20)
        time.sleep(0.05)
    time.sleep(0.5)
    g.xdo("mouseup", 1)
    want = wfolder.encode("cp1252").hex()
    got = wait_file(target.out, "dropped " + want, 10)
    g.check(got, f"the other program got the dragged folder: {open(target.out).read()[-300:]}")
    # the drop arrives before the tree's drag loop has returned and told its parent
    end = time.time() + 10
    while (log := open(tree.out).read()).count("notify 1205 " + want) < 2 and time.time() < end:
        time.sleep(0.1)
    g.check(log.count("notify 1205 " + want) == 2, f"0x1205 before and after the drag: {log[-400:]}")
    # the other program copies the tree's folder
    cp = g.Demo("copyfrom", "-", wait_pos=False)
    res = cp.finish()
    g.check(res.get("copied") == "1" and res.get("hdrop") == want, f"WM_COPY from another process: {res}")
    uri = g.subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "text/uri-list"], env=g.ENV,
                           capture_output=True).stdout.decode("utf-8", "replace").strip()
    g.check(unquote(uri.replace("file://", "")) == folder, f"xclip reads the folder: {uri!r}")
    for d, title in ((tree, "Ordner"), (target, "Ziel")):
        close(title)
        d.finish(30)


def test_many_folders_after_refreshes():
    many = g.fixture.wine_path(os.path.join(g.ROOT, "many"))
    d = g.Demo("tree", 0, many, 0, 45000, wait_pos=False)
    p = d.wait(lambda p: len(p.get("children", "").split()) == 10000, 40)
    g.check(p is not None, f"10,000 children listed: {len(d.pos().get('children', '').split())}")
    for _ in range(3):                          # a click lost on a busy display is tried again
        l, t, r, b = map(int, d.pos()["tree"].split())
        d.click((l + r) // 2, b + 8)            # beside the tree: the keys to it, the selection kept
        g.xdo("key", "Right")                   # expanded: re-listed in the background
        p = d.wait(lambda p: int(p.get("state", "0"), 16) & 0x20, 10)
        if p is not None:
            break
    g.check(p is not None, f"Right expands the folder: {dict((k, v[:80]) for k, v in d.pos().items())}")
    time.sleep(8)                               # several refresh rounds
    kids = g.tree_children(d)
    g.check(len(kids) == 10000 and len(set(kids)) == 10000, f"still 10,000 distinct: {len(kids)}")
    g.check(kids[:3] == ["f0", "f1", "f2"] and kids[-1] == "f9999", f"natural order: {kids[:3]} {kids[-1:]}")
    t0 = time.time()
    before = os.path.getmtime(d.out + ".pos")
    ok = d.wait(lambda p: os.path.getmtime(d.out + ".pos") > before, 3)
    g.check(ok is not None, f"the window keeps answering ({time.time() - t0:.1f} s)")
    close("Ordner")
    d.finish(30)


def test_selection_copy_cell_and_checks():
    # "Feld kopieren" from the right-click menu puts the clicked cell on the clipboard
    d = g.Demo("treesel", 0, wait_pos=False)
    p = d.wait(lambda p: "header1" in p and len(g.sel_rows(d)) == 3, 30)
    if not g.check(p is not None, f"the table: {d.pos()}"):
        return
    rows = {r[0]: (int(r[1]), int(r[2])) for r in g.sel_rows(d)}
    l, t, r, b = map(int, p["header1"].split())
    d.click((l + r) // 2, rows["c"][1], button=3)
    time.sleep(0.5)
    g.xdo("key", "Down", "Return")
    time.sleep(0.5)
    got = g.subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=g.ENV, capture_output=True).stdout
    g.check(got == b"10", f"the cell of row c, column 2 copied: {got!r}")
    g.Demo.apart()
    d.click(*rows["b"], repeat=2)                 # options 0: a double-click is OK
    res = d.finish(20)
    g.check(res.get("result") == "1" and res.get("text") == "b", f"double-click chose b: {res}")
    # several check boxes (options 1 and 2) and rows deleted (32): Space checks the caret row
    d = g.Demo("treesel", 3 | 32, wait_pos=False)
    if not g.check(d.wait(lambda p: len(g.sel_rows(d)) == 3, 30) is not None, "the checked table"):
        return
    rows = {r[0]: (int(r[1]), int(r[2])) for r in g.sel_rows(d)}
    for name in ("a", "b"):
        d.click(*rows[name])
        time.sleep(0.3)
        g.xdo("key", "space")
        time.sleep(0.3)
    checked = lambda p: sorted(r[0] for r in g.sel_rows(d) if r[3] == "1")  # noqa: E731
    g.check(d.wait(lambda p: checked(p) == ["a", "b"], 5) is not None, f"a and b checked: {g.sel_rows(d)}")
    # "&Alles abwählen", the menu's last entry, unchecks them; Space checks b again
    d.click(*rows["b"], button=3)
    time.sleep(0.5)
    g.xdo("key", "Up", "Return")
    g.check(d.wait(lambda p: checked(p) == [], 5) is not None, f"none checked: {g.sel_rows(d)}")
    g.xdo("key", "space")
    d.wait(lambda p: checked(p) == ["b"], 5)
    # "Zeile löschen", the menu's second entry, on c: c goes, not the caret's b
    d.click(*rows["c"], button=3)
    time.sleep(0.5)
    g.xdo("key", "Down", "Down", "Return")
    d.wait(lambda p: len(g.sel_rows(d)) == 2, 5)
    l, t, r, b = map(int, d.pos()["ok"].split())
    d.click((l + r) // 2, (t + b) // 2)
    res = d.finish(20)
    g.check(res.get("result") == "1" and res.get("checked", "").split() == ["b"],
            f"b checked again after all were unchecked: {res}")
    g.check(res.get("cells", "").split() == ["b=0", "a=20"], f"the right-clicked row c deleted: {res}")


def test_ctrl_enter_shows_the_typed_folder_in_the_tree():
    # tree mode, the path typed into the text field: Ctrl+Enter selects it in
    # the tree and the dialog stays open; Enter in the tree is OK; opened at a
    # drive's root, the tree shows the root
    d = g.Demo("pathdlg", 1 | 16, "CtrlKey", "C:\\", 0, 0, "C:\\windows")
    d.click(*d.center("treemode"))
    if not g.check(d.wait(lambda p: "treeitem" in p, 30) is not None, "tree mode on"):
        return
    time.sleep(1)                               # the worker's listings settle
    item = g.text_of(d.pos().get("treeitem", ""))
    g.check(item == "C:", f"the root stays the root, not C:'s current folder: {item}")
    d.click(*d.center("path"))
    g.enter_text(g.WROOT + "\\deep\\l1")
    g.xdo("key", "ctrl+Return")
    p = d.wait(lambda p: g.text_of(p.get("treeitem", "")) == "l1", 15)
    g.check(p is not None, f"Ctrl+Enter selects the typed folder in the tree: {d.pos().get('treeitem')}")
    g.check(d.proc.poll() is None, "the dialog stays open")
    # a key in the tree, then at once Aufwärts, list mode or Enter: they start
    # from the tree's folder, not the one the path field shows until the tree
    # reports
    l, t, r, b = map(int, d.pos()["selrect"].split())
    d.click((l + r) // 2, (t + b) // 2)
    g.xdo("key", "Up")                          # to deep
    d.click(*d.center("up"))
    top = os.path.basename(g.ROOT)
    p = d.wait(lambda p: g.text_of(p.get("treeitem", "")) == top, 15)
    g.check(p is not None, f"Aufwärts goes up from the tree's folder: {g.text_of(d.pos().get('treeitem', ''))}")
    l, t, r, b = map(int, d.pos()["selrect"].split())
    d.click((l + r) // 2, (t + b) // 2)
    g.xdo("key", "Down")                        # to deep, its first folder
    d.click(*d.center("treemode"))              # list mode at once: it lists deep
    g.check(g.wait_listed(d, "deep", 15), f"list mode takes the tree's folder: {d.rows()}")
    d.click(*d.center("treemode"))
    p = d.wait(lambda p: g.text_of(p.get("treeitem", "")) == "deep", 15)
    if p:
        l, t, r, b = map(int, p["selrect"].split())
        d.click((l + r) // 2, (t + b) // 2)
    g.xdo("key", "Down", "Return")              # to l1
    res = d.finish(20)
    g.check(res.get("result") == "1" and g.text_of(res.get("path", "")).lower() == (g.WROOT + "\\deep\\l1").lower(),
            f"Enter right after a key in the tree takes its folder: {res}")
    g.delete_tree_mode()


def test_selection_cells_edited():
    # editable columns with the empty add row: a cell changed, a row added
    d = g.Demo("treesel", 0x100 | 16, wait_pos=False)
    p = d.wait(lambda p: "header1" in p and len(g.sel_rows(d)) == 4, 30)
    if not g.check(p is not None, f"the editable table: {d.pos()}"):
        return
    rows = {r[0]: (int(r[1]), int(r[2])) for r in g.sel_rows(d)}
    l, t, r, b = map(int, p["header1"].split())
    for row, text in (("c", "77"), ("-", "neu")):
        x = (l + r) // 2 if row == "c" else rows["-"][0]
        d.click(x, rows[row][1], repeat=2)
        time.sleep(0.5)
        g.xdo("key", "End", "shift+Home")
        g.xdo("type", "--delay", 40, text)
        g.xdo("key", "Return")
        time.sleep(0.5)
    l, t, r, b = map(int, d.pos()["ok"].split())
    d.click((l + r) // 2, (t + b) // 2)
    res = d.finish(20)
    cells = res.get("cells", "").split()
    g.check("c=77" in cells and "neu=" in cells and len(cells) == 4, f"the edited cells: {res}")


def wait_file(path, text, timeout):
    end = time.time() + timeout
    while time.time() < end:
        if text in open(path).read():
            return True
        time.sleep(0.1)
    return False


def close(title):
    g.subprocess.run([g.WINE_RUN, os.path.join(g.BUILD, "tests", "e2e", "postclose.exe"), title], env=g.ENV)


for test in (test_drag_to_another_program_and_copy, test_many_folders_after_refreshes,
             test_selection_copy_cell_and_checks, test_selection_cells_edited, test_ctrl_enter_shows_the_typed_folder_in_the_tree):
    print("--", test.__name__, flush=True)
    try:
        test()
    except Exception as e:  # one broken case must not hide the other
        g.check(False, f"{test.__name__}: {e!r}")
if g.errors:
    print(f"directory tree: {len(g.errors)} errors")
    sys.exit(1)
