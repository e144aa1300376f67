#!/usr/bin/env python3
"""The serial slots and the key box's thread under Wine against socat pty
pairs: one end of each pair is mapped to COM5 / COM6 / COM256 in the prefix's Ports
key, Python writes records into the other end.

    serial_test.py SERIAL_PROBE.exe
"""
import os
import random
import subprocess
import sys
import threading
import time

PROBE = sys.argv[1]
WINE_RUN = os.environ["ORV_WINE_RUN"]
STATE = os.path.join(os.environ["ORV_BINARY_DIR"], "wine")
PREFIX = os.path.join(STATE, "prefix")
failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def wine_env():
    env = dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all")
    disp = os.path.join(STATE, "display")
    if os.path.exists(disp):
        env["DISPLAY"] = open(disp).read().strip()
    return env


def map_port(n):
    dev = os.path.join(STATE, "com%d-dev" % n)
    subprocess.run(["wine", "reg", "add", r"HKLM\Software\Wine\Ports", "/v", "COM%d" % n, "/t", "REG_SZ",
                    "/d", dev, "/f"], env=wine_env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    link = os.path.join(PREFIX, "dosdevices", "com%d" % n)
    if os.path.lexists(link):
        os.unlink(link)
    os.symlink(dev, link)


class Pty:
    def __init__(self, n):
        self.dev = os.path.join(STATE, "com%d-dev" % n)
        self.host = os.path.join(STATE, "com%d-host" % n)
        self.proc = None

    def start(self):
        self.proc = subprocess.Popen(["socat", "pty,raw,echo=0,link=" + self.dev, "pty,raw,echo=0,link=" + self.host],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(self.dev) and os.path.exists(self.host):
                break
            time.sleep(0.05)
        self.fd = os.open(self.host, os.O_WRONLY | os.O_NOCTTY)

    def stop(self):
        if self.proc:
            os.close(self.fd)
            self.proc.terminate()
            self.proc.wait()
            self.proc = None

    def send(self, data):
        os.write(self.fd, data)


class Probe:
    def __init__(self, mode, port, seconds, *more):
        self.lines = []
        self.cond = threading.Condition()
        self.proc = subprocess.Popen([WINE_RUN, PROBE, mode, str(port), str(seconds)] + [str(m) for m in more],
                                     stdin=subprocess.DEVNULL,
                                     stdout=subprocess.PIPE, text=True)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            with self.cond:
                self.lines.append((time.monotonic(), line.split(None, 1)[1].strip()))
                self.cond.notify_all()

    def wait_line(self, prefix, timeout, start=0):
        end = time.monotonic() + timeout
        with self.cond:
            while True:
                for i in range(start, len(self.lines)):
                    if self.lines[i][1].startswith(prefix):
                        return i
                left = end - time.monotonic()
                if left <= 0:
                    return -1
                self.cond.wait(left)

    def commands_until(self, sentinel, timeout=3.0):
        """Commands posted since the last call, up to and including the sentinel's."""
        start = getattr(self, "_seen", 0)
        i = self.wait_line("command %d" % sentinel, timeout, start)
        if i < 0:
            return None
        self._seen = i + 1
        return [int(l.split()[1]) for _, l in self.lines[start:i] if l.startswith("command")]

    def finish(self):
        self.proc.wait(timeout=60)
        return [l for _, l in self.lines]


SENTINEL = b"8D00000000\r"  # key 8: posted every time, never compared


def step(probe, pty, what, chunks, expected, pause=0.0):
    for c in chunks:
        pty.send(c)
        if pause:
            time.sleep(pause)
    pty.send(SENTINEL)
    got = probe.commands_until(33028)
    check(got == expected, "%s: %s" % (what, got))


def main():
    map_port(5)
    map_port(6)
    com5, com6 = Pty(5), Pty(6)

    out = subprocess.run([WINE_RUN, PROBE, "slots"], capture_output=True, text=True)
    check("slots ok" in out.stdout, "bad and closed slots give -1 or 0, a closed slot does not wait")

    # raw reading, and an idle open port costs no CPU
    com5.start()
    p = Probe("read", 4, 11)
    check(p.wait_line("open", 10) >= 0, "COM5 opens")
    com5.send(b"Hallo\r\n")
    i = p.wait_line("data", 5)
    check(i >= 0 and p.lines[i][1] == "data 48616c6c6f0d0a", "bytes arrive as sent")
    lines = p.finish()
    cpu = float([l for l in lines if l.startswith("cpu")][0].split()[1])
    check(cpu < 1.0, "waiting 10 s with the port open costs %.3f s of CPU (under a tenth of a core)" % cpu)

    # the key box's thread
    p = Probe("remote", 4, 40, 5, 30000)  # COM6 after 30 s
    time.sleep(1.5)
    step(p, com5, "a repeated record posts once", [b"0D00000200\r\n", b"0D00000200\r\n"], [32805])
    step(p, com5, "+100 posts nothing, +101 posts", [b"0D00000264\r", b"0D00000265\n"], [32805])
    step(p, com5, "falling back by 48 posts, by 10 not", [b"1D00000235\r", b"2D0000022B\r"], [32806])
    step(p, com5, "keys 4..8 post every time", [b"5D12345678\n", b"5D12345678\n"], [33025, 33025])
    step(p, com5, "kinds U and S and key 3 post nothing", [b"0S00000900\r0U00000900\r3D00000900\r"], [])
    step(p, com5, "junk before a record", [b"xy6D00000000\r\n"], [33026])
    step(p, com5, "nine digits are dropped", [b"4D123456789\r", b"7D00000000\r"], [33027])
    step(p, com5, "a record split over reads", [b"6D00", b"0000", b"00\r"], [33026], pause=0.35)
    rnd = random.Random(5)
    junk = bytes(b for b in (rnd.randrange(256) for _ in range(12000)) if b not in (10, 13))[:10240]
    com5.send(junk)
    t0 = time.monotonic()
    com5.send(b"\r\n4D00000000\r\n")
    i = p.wait_line("command 33024", 3)
    check(i >= 0 and p.lines[i][0] - t0 < 1.0, "10 KB of garbage, then a record acts within a second")
    p._seen = i + 1 if i >= 0 else p._seen

    # the pty goes away and comes back
    com5.stop()
    time.sleep(1.0)
    com5.start()
    time.sleep(1.0)
    step(p, com5, "socat restarted: the port is reopened", [b"5D00000000\r"], [33025])

    # another port takes over
    com6.start()
    check(p.wait_line("port 5", 30) >= 0, "the port is changed")
    time.sleep(1.0)
    com5.send(b"4D00000000\r")
    step(p, com6, "a changed port takes over", [b"7D00000000\r"], [33027])
    lines = p.finish()
    stop = [l for l in lines if l.startswith("stopped")]
    check(bool(stop) and stop[0].split()[1] == "1" and int(stop[0].split()[3]) < 400,
          "the thread acknowledges its stop at once: %s" % stop)
    com6.stop()

    # started before the pty exists
    com5.stop()
    p = Probe("remote", 4, 8)
    time.sleep(1.5)
    com5.start()
    time.sleep(0.8)
    step(p, com5, "a port that appears later is opened", [b"6D00000000\r"], [33026])
    p.finish()
    com5.stop()

    # the highest port the settings accept opens too
    map_port(256)
    com256 = Pty(256)
    com256.start()
    p = Probe("remote", 255, 5)
    time.sleep(1.5)
    step(p, com256, "COM256 is opened", [b"6D00000000\r"], [33026])
    p.finish()
    com256.stop()

    if failures:
        print("%d failed" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
