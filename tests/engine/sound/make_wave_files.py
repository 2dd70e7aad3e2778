#!/usr/bin/python3
"""Writes WAV files with Python's own wave module, for the WAV reader's tests.

Every file's bytes come from a writer that is not ours, so the reader is checked
against someone else's idea of the format. Next to each playable file the frames
written into it are kept as NAME.raw. manifest.txt has one line per file:

    ok NAME CHANNELS RATE BITS          the reader must give these and NAME.raw
    refused NAME TEXT...                the reader must refuse it, its reason holding TEXT

Usage: make_wave_files.py OUTPUT_FOLDER
"""
import math
import os
import struct
import sys
import wave


def frames(channels, width, count):
    """A tone, a different one in each channel: 8-bit unsigned or 16-bit signed."""
    out = bytearray()
    for i in range(count):
        for c in range(channels):
            v = math.sin(i * (0.05 + 0.03 * c)) * (0.9 - 0.2 * c)
            if width == 1:
                out.append(int(128 + 127 * v))
            elif width == 2:
                out += struct.pack("<h", int(32767 * v))
            else:
                out += int(v * (2 ** (8 * width - 1) - 1)).to_bytes(width, "little", signed=True)
    return bytes(out)


def write(path, channels, width, rate, data):
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(width)
        w.setframerate(rate)
        w.writeframes(data)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    lines = []

    # Playable: every layout, rates from the smallest to the largest accepted, and
    # frame counts that leave an odd-sized data chunk (wave does not pad it).
    playable = [
        ("mono8-8000", 1, 1, 8000, 1001),
        ("mono8-4000", 1, 1, 4000, 333),
        ("stereo8-11025", 2, 1, 11025, 700),
        ("mono16-22050", 1, 2, 22050, 1500),
        ("stereo16-44100", 2, 2, 44100, 2205),
        ("stereo16-48000", 2, 2, 48000, 10),
        ("mono16-192000", 1, 2, 192000, 1),
    ]
    for name, channels, width, rate, count in playable:
        data = frames(channels, width, count)
        write(os.path.join(folder, name + ".wav"), channels, width, rate, data)
        with open(os.path.join(folder, name + ".raw"), "wb") as raw:
            raw.write(data)
        lines.append(f"ok {name} {channels} {rate} {width * 8}")

    # A file cut short in its data, as a writer that died leaves it: the header still
    # claims every frame, the reader takes the whole frames that are there.
    data = frames(2, 2, 400)
    whole = os.path.join(folder, "cut-stereo16.wav")
    write(whole, 2, 2, 22050, data)
    with open(whole, "rb") as f:
        cut = f.read()[:-101]
    with open(whole, "wb") as f:
        f.write(cut)
    kept = (len(data) - 101) // 4 * 4
    with open(os.path.join(folder, "cut-stereo16.raw"), "wb") as raw:
        raw.write(data[:kept])
    lines.append("ok cut-stereo16 2 22050 16")

    refused = [
        ("mono24", 1, 3, 44100, 10, "24 bits per sample"),
        ("stereo32", 2, 4, 44100, 10, "32 bits per sample"),
        ("three-channels", 3, 2, 44100, 10, "3 channels"),
        ("six-channels", 6, 1, 8000, 10, "6 channels"),
        ("no-frames", 1, 2, 22050, 0, "no samples"),
        ("rate-2000", 1, 1, 2000, 10, "rate 2000 Hz"),
        ("rate-384000", 2, 2, 384000, 10, "rate 384000 Hz"),
    ]
    for name, channels, width, rate, count, reason in refused:
        write(os.path.join(folder, name + ".wav"), channels, width, rate,
              frames(channels, width, count))
        lines.append(f"refused {name} {reason}")

    with open(os.path.join(folder, "manifest.txt"), "w") as manifest:
        manifest.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
