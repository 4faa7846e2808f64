#!/usr/bin/env python3
"""Synthesises the short demo piece that scripts/run plays when given no files.

Eight seconds of a plucked-string arpeggio over a soft pad, 44.1 kHz stereo, written
as 16-bit WAV; scripts/compose-demo turns it into assets/demo.flac.
"""
import math
import random
import struct
import sys
import wave

RATE = 44100
SECONDS = 8.0
BEAT = 0.25  # seconds per arpeggio note

# Am - F - C - G, two bars each half.
CHORDS = [
    [57, 60, 64, 69],
    [53, 57, 60, 65],
    [48, 52, 55, 60],
    [55, 59, 62, 67],
]


def frequency(midi):
    return 440.0 * 2 ** ((midi - 69) / 12)


def pluck(freq, seconds, rng):
    """Karplus-Strong string: a noise burst in a lossy delay line."""
    period = max(2, int(RATE / freq))
    line = [rng.uniform(-1, 1) for _ in range(period)]
    out = []
    for i in range(int(seconds * RATE)):
        j = i % period
        value = line[j]
        line[j] = 0.996 * 0.5 * (line[j] + line[(j + 1) % period])
        out.append(value)
    return out


def main(path):
    rng = random.Random(1835)
    total = int(SECONDS * RATE)
    left = [0.0] * total
    right = [0.0] * total

    # Arpeggio: each note panned a little differently.
    step = 0
    t = 0.0
    while t < SECONDS - 1.0:
        chord = CHORDS[int(t / 2.0) % len(CHORDS)]
        note = chord[step % len(chord)] + (12 if step % 8 >= 4 else 0)
        string = pluck(frequency(note), 1.2, rng)
        start = int(t * RATE)
        pan = 0.5 + 0.35 * math.sin(step * 0.9)
        for i, v in enumerate(string):
            if start + i >= total:
                break
            left[start + i] += 0.32 * v * (1 - pan)
            right[start + i] += 0.32 * v * pan
        step += 1
        t += BEAT

    # Pad: soft sines on the chord roots, slowly swelling.
    for n in range(total):
        time = n / RATE
        chord = CHORDS[int(time / 2.0) % len(CHORDS)]
        envelope = min(1.0, time / 1.5) * min(1.0, (SECONDS - time) / 1.5)
        pad = sum(math.sin(2 * math.pi * frequency(m - 12) * time) for m in chord[:3])
        left[n] += 0.05 * envelope * pad
        right[n] += 0.05 * envelope * pad * 0.9

    peak = max(max(abs(v) for v in left), max(abs(v) for v in right))
    scale = 0.7 / peak
    frames = bytearray()
    for l, r in zip(left, right):
        frames += struct.pack("<hh", round(l * scale * 32767), round(r * scale * 32767))
    with wave.open(path, "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(bytes(frames))


if __name__ == "__main__":
    main(sys.argv[1])
