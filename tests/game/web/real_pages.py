#!/usr/bin/env python3
"""Real pages in the web window, driven by real X input: pages written by
hand in UTF-8 and Windows-1252, made by markdown_py and docutils' rst2html,
and the sample game's pages when they are built. Checked by screen pixels
(pictures made by ImageMagick at their place and size, text in the text
area, rewrapping, scrolling), by the text Ctrl+C puts on the clipboard (read
with xclip) against what Python's html.parser extracts, and by the events
the host logs (link hover, link click, the frame's F5)."""
import html.parser
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.environ["ORV_SOURCE_DIR"], "tests", "support"))
import xshot  # noqa: E402

HOST = sys.argv[1]
BIN = os.environ["ORV_BINARY_DIR"]
WINE_RUN = os.environ["ORV_WINE_RUN"]
CLOSER = os.path.join(BIN, "tests", "e2e", "postclose.exe")
os.environ["DISPLAY"] = xshot.display()
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


def winpath(path):
    return "Z:" + path.replace("/", "\\")


class PageText(html.parser.HTMLParser):
    """The text a reader sees: data outside head, title, script and style."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.parts, self.skip = [], 0

    def handle_starttag(self, tag, attrs):
        if tag in ("script", "style", "title", "head"):
            self.skip += 1

    def handle_endtag(self, tag):
        if tag in ("script", "style", "title", "head"):
            self.skip = max(0, self.skip - 1)

    def handle_data(self, data):
        if not self.skip:
            self.parts.append(data)


def python_text(data, encoding):
    p = PageText()
    p.feed(data.decode(encoding))
    p.close()
    return "".join("".join(p.parts).split())


class Host:
    """The host program over one page; its log lines as they come."""

    def __init__(self, page, work):
        self.log = os.path.join(work, "host.log")
        if os.path.exists(self.log):
            os.remove(self.log)
        self.proc = subprocess.Popen([WINE_RUN, HOST, winpath(self.log), winpath(page)],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        self.wait_for("DocumentComplete")
        self.origin = tuple(int(v) for v in self.last("Origin").split()[1:3])
        self.window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Webseiten-Test$"],
                                     capture_output=True, text=True).stdout.split()[0]
        time.sleep(0.5)

    def lines(self):
        try:
            with open(self.log, encoding="cp1252") as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def last(self, prefix):
        found = [line for line in self.lines() if line.startswith(prefix)]
        return found[-1] if found else ""

    def wait_for(self, prefix, count=1, seconds=20):
        end = time.time() + seconds
        while time.time() < end:
            if len([line for line in self.lines() if line.startswith(prefix)]) >= count:
                return True
            time.sleep(0.1)
        return False

    def images(self):
        out = []
        for line in self.lines():
            if line.startswith("Image"):
                out.append(tuple(int(v) for v in line.split()[1:]))
        return out

    def click(self, x, y, button=1):
        subprocess.run(["xdotool", "mousemove", str(self.origin[0] + x), str(self.origin[1] + y),
                        "click", str(button)], check=True)
        time.sleep(0.3)

    def key(self, *keys):
        subprocess.run(["xdotool", "key"] + list(keys), check=True)
        time.sleep(0.4)

    def copied_text(self):
        self.click(600, 3)  # into the page, on no link
        subprocess.run(["xclip", "-selection", "clipboard", "-i", "/dev/null"])
        # Wine takes the emptied X clipboard into its own a moment later; when
        # that lands after the copy, the copy is lost: a person presses again
        out = ""
        for _ in range(3):
            self.key("ctrl+c")
            for _ in range(15):
                out = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"],
                                     capture_output=True).stdout.decode("utf-8", "replace")
                if out.strip():
                    return "".join(out.split())
                time.sleep(0.2)
        return "".join(out.split())

    def close(self):
        subprocess.run([WINE_RUN, CLOSER, "Webseiten-Test"], stdin=subprocess.DEVNULL)
        try:
            self.proc.wait(20)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def shot():
    w, h, rgb = xshot.screenshot()
    return lambda x, y: tuple(rgb[(y * w + x) * 3:(y * w + x) * 3 + 3])


def box_of(px, colour, x0, y0, x1, y1, tolerance=24):
    """Bounding box (x, y, w, h) of the pixels near colour within a region."""
    xs, ys = [], []
    for y in range(y0, y1):
        for x in range(x0, x1):
            if all(abs(a - b) <= tolerance for a, b in zip(px(x, y), colour)):
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def dark_pixels(px, x0, y0, x1, y1):
    return sum(1 for y in range(y0, y1) for x in range(x0, x1) if sum(px(x, y)) < 200)


FILLER = "".join("<p>Absatz %d mit etwas Text, damit die Seite l\u00e4nger als das Fenster wird.</p>\n" % i
                 for i in range(60))


def hand_written(work):
    subprocess.run(["convert", "-size", "30x20", "xc:#ff0000", os.path.join(work, "rot.png")], check=True)
    subprocess.run(["convert", "-size", "60x40", "xc:#0000ff", "-quality", "95", os.path.join(work, "blau.jpg")],
                   check=True)
    page = ("<html><head><meta charset=\"utf-8\"><title>Seite Eins</title></head><body>\n"
            "<p><a href=\"zwei.html\">Weiter zur zweiten Seite</a></p>\n"
            "<p><img src=\"rot.png\" width=\"100\" height=\"50\"> <img src=\"blau.jpg\"> "
            "<img src=\"fehlt.gif\" alt=\"Karte fehlt\"></p>\n"
            "<p>Gr\u00f6\u00dfe &amp; \u00dcberma\u00df: ein langer Absatz, der umbrochen wird, wenn das Fenster "
            "schmaler wird. Noch mehr W\u00f6rter folgen hier, und noch einige mehr, bis die Zeile voll ist.</p>\n"
            "<p style=\"background-color:#00ff00\">Marke</p>\n" + FILLER + "</body></html>\n")
    path = os.path.join(work, "eins.html")
    with open(path, "w", encoding="utf-8") as f:
        f.write(page)
    with open(os.path.join(work, "zwei.html"), "w", encoding="utf-8") as f:
        f.write("<title>Seite Zwei</title><p>Angekommen.</p>")
    return path


def test_hand_written_page(work):
    path = hand_written(work)
    h = Host(path, work)
    try:
        ox, oy = h.origin
        px = shot()
        imgs = h.images()
        check(len(imgs) == 2, "two pictures laid out (the GIF gets its alt text): %r" % (imgs,))
        red = box_of(px, (255, 0, 0), ox, oy, ox + 400, oy + 200)
        blue = box_of(px, (0, 0, 255), ox, oy, ox + 400, oy + 200, 10)  # not the link's blue
        check(red == (ox + imgs[0][0], oy + imgs[0][1], 100, 50), "PNG scaled to 100 x 50 at its place: %r" % (red,))
        check(blue == (ox + imgs[1][0], oy + imgs[1][1], 60, 40), "JPEG at 60 x 40 at its place: %r" % (blue,))
        check(red[1] + red[3] == blue[1] + blue[3], "pictures stand on one baseline")
        text_top = red[1] + red[3] + 4
        check(dark_pixels(px, ox, text_top, ox + 600, text_top + 40) > 200, "text pixels below the pictures")
        green = box_of(px, (0, 255, 0), ox, oy, ox + 800, oy + 400)
        check(green is not None, "the marked paragraph's background")

        want = python_text(open(path, "rb").read(), "utf-8")
        got = h.copied_text()
        check(got == want, "Ctrl+C text equals html.parser's (%d and %d characters)" % (len(got), len(want)))
        if got != want:
            print("  got :", got[:200], "\n  want:", want[:200])
        h.key("F5")
        check(h.wait_for("Command F5", 1, 5), "F5 with the page focused reaches the frame's accelerators")

        # hovering the link shows its address in the status bar
        subprocess.run(["xdotool", "mousemove", str(ox + 30), str(oy + 32)], check=True)
        check(h.wait_for("Status file:///", 1, 5) and h.last("Status").endswith("/zwei.html"),
              "hover over the link: status text " + h.last("Status"))

        # zoom 200 (F6 in the host): the picture doubles at its new place,
        # the text takes more lines than twice its height; F6 again goes back
        h.key("F6")
        check(h.wait_for("Zoom 200", 1, 5), "zoom 200 set: " + h.last("Zoom"))
        time.sleep(0.5)
        px2 = shot()
        zimg = h.images()[-2]
        red2 = box_of(px2, (255, 0, 0), ox, oy, ox + 880, oy + 600)
        check(red2 is not None and abs(red2[2] - 200) <= 1 and abs(red2[3] - 100) <= 1 and
              abs(red2[0] - ox - zimg[0]) <= 1 and abs(red2[1] - oy - zimg[1]) <= 1,
              "at zoom 200 the 100 x 50 picture measures 200 x 100 at its place: %r %r" % (red2, zimg))
        green_z = box_of(px2, (0, 255, 0), ox, oy, ox + 880, oy + 640)
        check(green_z is not None and green_z[1] - oy > 2 * (green[1] - oy) + 20,
              "text rewrapped at zoom 200: mark %r -> %r" % (green, green_z))
        h.key("F6")
        check(h.wait_for("Zoom 100", 1, 5), "back to zoom 100")
        time.sleep(0.5)
        check(box_of(shot(), (255, 0, 0), ox, oy, ox + 400, oy + 200) == red, "the picture back at 100 x 50")

        # narrower: the long paragraph takes more lines, the mark moves down
        subprocess.run(["xdotool", "windowsize", h.window, "420", "700"], check=True)
        h.wait_for("Size", 2, 5)
        time.sleep(1)
        green2 = box_of(shot(), (0, 255, 0), ox, oy, ox + 420, oy + 600)
        check(green2 is not None and green2[1] > green[1], "rewrapped on resize: %r -> %r" % (green, green2))

        # the wheel scrolls the page up
        before = box_of(shot(), (255, 0, 0), ox, oy, ox + 420, oy + 300)
        h.click(200, 300, 5)
        time.sleep(0.5)
        after = box_of(shot(), (255, 0, 0), ox, oy - 200, ox + 420, oy + 300)
        check(after is None or after[1] < before[1], "the wheel scrolled: %r -> %r" % (before, after))
        h.key("Home")
        home = box_of(shot(), (255, 0, 0), ox, oy, ox + 420, oy + 300)
        check(home == before, "Home scrolls back to the top: %r" % (home,))
        h.key("Next")
        paged = box_of(shot(), (255, 0, 0), ox, oy, ox + 420, oy + 300)
        h.key("Down")
        check(paged is None, "Page Down moves a window's height: %r" % (paged,))
        h.key("Home")

        h.click(30, 32)
        check(h.wait_for("DocumentComplete", 2, 10) and h.last("DocumentComplete").endswith("/zwei.html"),
              "a clicked link navigates: " + h.last("DocumentComplete"))
    finally:
        h.close()


def save_as_by_hand(h, work, data, what):
    """Ctrl+S, the Save-As dialog on screen, a typed name and Enter: the
    file holds the page's bytes as they were read."""
    target = os.path.join(work, "gesichert.html")
    h.key("ctrl+s")
    found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "Save|Speichern"],
                           capture_output=True, text=True, timeout=20).stdout.split()
    check(bool(found), what + ": the Save-As dialog is shown")
    if not found:
        return
    time.sleep(0.5)
    subprocess.run(["xdotool", "type", "--delay", "30", winpath(target)], check=True)
    h.key("Return")
    check(h.wait_for("SaveAs ended", 1, 10), what + ": save-as returned")
    saved = open(target, "rb").read() if os.path.exists(target) else b""
    check(saved == data, what + ": the saved file equals the page byte for byte (%d of %d bytes)" %
          (len(saved), len(data)))


def text_page(work, name, data, encoding, what, save=False):
    path = os.path.join(work, name)
    with open(path, "wb") as f:
        f.write(data)
    h = Host(path, work)
    try:
        px = shot()
        ox, oy = h.origin
        check(dark_pixels(px, ox, oy, ox + 700, oy + 300) > 300, what + ": text pixels")
        want = python_text(data, encoding)
        got = h.copied_text()
        check(got == want, what + ": Ctrl+C text equals html.parser's")
        if got != want:
            print("  got :", got[:300], "\n  want:", want[:300])
        if save:
            save_as_by_hand(h, work, data, what)
    finally:
        h.close()


MARKDOWN = """# Spielregeln

Ein *Quiz* mit **Karten**: jeder Spieler klickt seinen Tipp.

- Erster Punkt mit `Code`
- Zweiter Punkt &amp; Umlaute: äöü ß

1. eins
2. zwei

> Ein Zitat über *Grenzen*.

    vorformatiert   mit  Abständen

Ein [Verweis](seite.html) und ein Ende.
"""

RST = """Weltkarte
=========

Ein Absatz mit *Betonung* und ``Code``, Umlaute: Größe.

* Liste eins
* Liste zwei

=====  =====
Stadt  Land
=====  =====
Rom    Italien
Bern   Schweiz
=====  =====

Noch ein Absatz.
"""


def main():
    work = tempfile.mkdtemp(prefix="realpages-")
    try:
        test_hand_written_page(work)
        text_page(work, "ansi.html",
                  "<html><head><title>Alt</title></head><body><h1>Überschrift</h1><p>Grüße aus Köln – "
                  "„Anführung“ € 5</p><table border=1><tr><td>Straße<td>Maß</table></body></html>"
                  .encode("cp1252"), "cp1252", "Windows-1252 page", save=True)
        md = subprocess.run(["markdown_py"], input=MARKDOWN.encode("utf-8"), capture_output=True,
                            check=True).stdout
        text_page(work, "markdown.html",
                  b"<html><head><meta charset=\"utf-8\"><title>Markdown</title></head><body>\n" + md +
                  b"</body></html>\n", "utf-8", "markdown_py page")
        src = os.path.join(work, "welt.rst")
        with open(src, "w", encoding="utf-8") as f:
            f.write(RST)
        rst = subprocess.run(["rst2html", src], capture_output=True, check=True).stdout
        text_page(work, "rst.html", rst, "utf-8", "rst2html page")
        sample = os.path.join(BIN, "sample-game")
        for folder in ("Main", "Game001"):
            page = os.path.join(sample, folder, "Info.html")
            if os.path.exists(page):
                data = open(page, "rb").read()
                enc = "utf-8" if b"utf-8" in data[:1024].lower() else "cp1252"
                shutil.copytree(os.path.join(sample, folder), os.path.join(work, folder))
                text_page(os.path.join(work, folder), "Info.html", data, enc, "sample page " + folder)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d failed" % len(failures))
        sys.exit(1)
    print("PASS")


main()
