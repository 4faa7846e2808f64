#!/usr/bin/env python3
"""Writes the test tone that the input mode loops while it calibrates the input level.

A 16-bit stereo WAV of 44.1 kHz, 17,676 bytes in all: a 44-byte header and 4,408
frames, just under 0.1 s. The sine completes exactly 44 periods in that time
(about 440 Hz), so the loop has no seam. Its peak sits at 0.15 of full scale: the
coarse steps of the calibration (one tenth of the level at a time, ten times the
level on the Test loop) then climb in steps of 0.15 and back off to 0.9, and the
fine steps end between 0.9 and 0.98.
"""
import math
import struct
import sys

RATE = 44100
FRAMES = 4408
PERIODS = 44
PEAK = 0.15


def samples():
    for n in range(FRAMES):
        value = round(PEAK * 32767 * math.sin(2 * math.pi * PERIODS * n / FRAMES))
        yield value, value


def main(path):
    data = b"".join(struct.pack("<hh", left, right) for left, right in samples())
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 2, RATE, RATE * 4, 4, 16)
    header += b"data" + struct.pack("<I", len(data))
    with open(path, "wb") as out:
        out.write(header + data)


if __name__ == "__main__":
    main(sys.argv[1])
