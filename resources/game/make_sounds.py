#!/usr/bin/env python3
"""Synthesises the game's five sounds as WAV files (22,050 Hz, mono, 16 bit):

    make_sounds.py OUTDIR

TICK a click, LAST a low tone, NEXT two rising notes, DONE three falling
notes, TADA a chord of about a second. Every length differs; the output is
the same on every run.
"""
import math
import os
import struct
import sys
import wave

RATE = 22050


def tone(freqs, seconds, attack=0.005, decay=6.0, level=0.5):
    n = int(RATE * seconds)
    out = []
    for i in range(n):
        t = i / RATE
        env = min(1.0, t / attack) * math.exp(-decay * t)
        v = sum(math.sin(2 * math.pi * f * t) for f in freqs) / len(freqs)
        out.append(level * env * v)
    return out


def click():
    # a short burst of deterministic noise through a decaying envelope
    n, seed, out = int(RATE * 0.03), 22050, []
    for i in range(n):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        noise = seed / 0x3FFFFFFF - 1.0
        out.append(0.6 * math.exp(-i / (RATE * 0.004)) * (0.5 * noise + 0.5 * math.sin(2 * math.pi * 2400 * i / RATE)))
    return out


def notes(freqs, each):
    out = []
    for f in freqs:
        out += tone([f, 2 * f], each, decay=5.0)
    return out


SOUNDS = {
    "tick": click(),
    "last": tone([196.0], 0.42, decay=3.0, level=0.6),
    "next": notes([659.25, 880.0], 0.14),
    "done": notes([880.0, 698.46, 523.25], 0.16),
    "tada": tone([523.25, 659.25, 783.99, 1046.5], 1.05, decay=2.2, level=0.7),
}


def write(path, samples):
    data = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(s * 32767))))) for s in samples)
    tmp = path + ".tmp"
    with wave.open(tmp, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)
    os.replace(tmp, path)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lengths = [len(s) for s in SOUNDS.values()]
    assert len(set(lengths)) == len(lengths), "each sound needs a length of its own"
    for name, samples in SOUNDS.items():
        write(os.path.join(out, name + ".wav"), samples)


if __name__ == "__main__":
    main()
