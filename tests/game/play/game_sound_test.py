#!/usr/bin/env python3
"""The game's sounds as they leave the program: Wine's ALSA driver on, HOME
holding an .asoundrc whose default device is ALSA's file plugin
(format "wav", truncate false), so that every PlaySound leaves a WAV file of
its own, in order. The five sounds one by one (played while Orvalo.exe
starts, with a HOME of their own), and a two-player round with a 10-s limit
in Orvalo.exe: NEXT, six TICK, LAST, NEXT, six TICK, LAST, DONE, then LAST
for the farther bar and TADA for the winner's. Each file's samples are its
resource's.

    game_sound_test.py GAMEMEDIA.exe GAMEWIN.exe
"""
import os
import re
import subprocess
import sys
import tempfile
import time
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
GAMEMEDIA = sys.argv[1]
sys.argv = [sys.argv[0], sys.argv[2]]
import gameplay as gp  # noqa: E402
from gameplay import check, close, finish, make_folder, start, target, xdo  # noqa: E402

MEDIA = os.path.join(gp.BIN, "resources", "game")
WINE_ENV = os.path.join(os.environ["ORV_SOURCE_DIR"], "scripts", "wine-env")


def samples(path):
    with wave.open(path, "rb") as w:
        return (w.getframerate(), w.getnchannels(), w.getsampwidth()), w.readframes(w.getnframes())


def wait_played(home, n, timeout=60):
    """Until the n-th sound has played to its end (the next would cut it
    short): its file holds all of some resource's samples."""
    end = time.time() + timeout
    while time.time() < end:
        files = played(home)
        try:
            if len(files) >= n and identify(files[n - 1]):
                return
        except (EOFError, wave.Error):  # its header not written yet
            pass
        time.sleep(0.1)


def played(home):
    """The sound files in the order they were opened."""
    names = [n for n in os.listdir(home) if re.fullmatch(r"out\.wav(\.\d+)?", n)]
    names.sort(key=lambda n: int(n.split(".")[-1]) if n.count(".") == 2 else -1)
    return [os.path.join(home, n) for n in names]


def identify(path, cut=False):
    """Which resource a file holds (None when its samples match none). With
    cut, a sound the next one stopped counts by its beginning: on a loaded
    machine the timer's steps can come close together after a stall, and the
    LAST cuts the last TICK short, as a player would hear it too."""
    fmt, data = samples(path)
    for name in ("tick", "last", "next", "done", "tada"):
        want_fmt, want = samples(os.path.join(MEDIA, name + ".wav"))
        if fmt == want_fmt and (data == want or (cut and data and want.startswith(data))):
            return name.upper()
    return None


def sound_home(prefix):
    """A HOME whose .asoundrc writes the sounds to files."""
    home = tempfile.mkdtemp(prefix=prefix)
    with open(os.path.join(home, ".asoundrc"), "w") as f:
        f.write('pcm.!default {\n  type file\n  slave.pcm "null"\n  file "%s/out.wav"\n'
                '  format "wav"\n  truncate false\n}\n' % home)
    return home


def main():
    home, media_home = sound_home("orv-sound-"), sound_home("orv-media-")
    # sound on for this test (the prefix's switch), HOME with the file plugin
    os.environ["HOME"] = home
    subprocess.run([WINE_ENV, "sound", "on", gp.BIN], check=True)
    folder = make_folder("orv-soundgame-", {1: target(13.377704, 52.516275, "Berlin")})
    try:
        media = subprocess.Popen([gp.WINE_RUN, GAMEMEDIA, "play", "TICK", "LAST", "NEXT", "DONE", "TADA"],
                                 env=dict(os.environ, HOME=media_home), stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        g = start(folder, [("GamersCount", 2), ("MaximalTime", 10)])
        try:
            g.key("F5", wait=0)
            # the guesses fall where the pointer stands when the time runs out
            # (LAST, after NEXT and six TICK): near the target for player 1,
            # far off for player 2, so that the bars finish ticks apart
            g.turn_key("F5")
            xdo("mousemove", str(g.mx + g.mw // 2 + 45), str(g.my + g.mh // 2 - 120))
            wait_played(home, 8)
            g.turn_key("F4")
            xdo("mousemove", str(g.mx + g.mw // 2 - 200), str(g.my + g.mh // 2 + 150))
            wait_played(home, 16)
            g.key("F4", wait=0)
            # the winner's bar, the shortest, finishes last
            wait_played(home, 19)
        finally:
            close(g)
        media.wait(timeout=60)
        got = [identify(p) for p in played(media_home)]
        check(got == ["TICK", "LAST", "NEXT", "DONE", "TADA"], "each sound leaves its own samples: %s" % got)
        files = played(home)
        got = [identify(p, cut=i + 1 < len(files)) for i, p in enumerate(files)]
        want = ["NEXT"] + ["TICK"] * 6 + ["LAST", "NEXT"] + ["TICK"] * 6 + ["LAST", "DONE", "LAST", "TADA"]
        check(got == want, "a round's sounds in order: %s" % got)
    finally:
        subprocess.run([WINE_ENV, "sound", "off", gp.BIN])
    return finish(home, media_home, folder)


if __name__ == "__main__":
    sys.exit(main())
