#!/usr/bin/python3
"""Draws the examples' pictures and makes their sounds, with the game's own writers.

    make_files.py --out FOLDER [--stamp FILE]

writes FOLDER/Images/*.tif (8-bit RGB, sprites with an alpha sample) and
FOLDER/Sounds/*.wav (16-bit PCM, mono). Deterministic: the same bytes on every run.
"""

import argparse
import math
import os
import sys

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets"))

from artlib.tiffio import write_tif  # noqa: E402
from soundlib import synth  # noqa: E402
from soundlib.wavio import write_wav  # noqa: E402


def grid(height, width):
    return np.mgrid[0:height, 0:width].astype(np.float64)


def disc(height, width, cx, cy, radius):
    y, x = grid(height, width)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius**2


def rgba(height, width):
    return np.zeros((height, width, 4), np.uint8)


def paint(picture, mask, colour):
    picture[mask] = colour + (255,) if picture.shape[2] == 4 else colour


def walker(step):
    """A round little walker, 48 x 56, its feet apart by the step (0 to 3)."""
    picture = rgba(56, 48)
    outline, body, belly = (40, 24, 16), (90, 150, 220), (230, 240, 250)
    paint(picture, disc(56, 48, 24, 24, 21), outline)
    paint(picture, disc(56, 48, 24, 24, 18), body)
    paint(picture, disc(56, 48, 24, 30, 10), belly)
    for eye in (17, 31):
        paint(picture, disc(56, 48, eye, 17, 4), (255, 255, 255))
        paint(picture, disc(56, 48, eye + 1, 17, 2), outline)
    swing = (-6, 0, 6, 0)[step]
    for foot, sign in ((16, 1), (32, -1)):
        paint(picture, disc(56, 48, foot + sign * swing, 48, 6), outline)
        paint(picture, disc(56, 48, foot + sign * swing, 48, 4), (240, 150, 60))
    return picture


def sky():
    """A 128 x 64 sky tile: a gradient with a puffy cloud, seamless across."""
    y, x = grid(64, 128)
    picture = np.zeros((64, 128, 3), np.uint8)
    picture[..., 0] = 90 + y
    picture[..., 1] = 140 + y
    picture[..., 2] = 230
    cloud = disc(64, 128, 50, 34, 9) | disc(64, 128, 64, 28, 12) | disc(64, 128, 80, 34, 9)
    picture[cloud & (y <= 38)] = (245, 245, 250)
    return picture


def ground():
    """A 32 x 32 ground block: grass on top, earth with stones, a dark outline."""
    y, x = grid(32, 32)
    picture = rgba(32, 32)
    picture[...] = (150, 100, 60, 255)
    stones = ((x * 7 + y * 13) % 23 == 0) | ((x * 5 + y * 3) % 29 == 0)
    picture[stones] = (110, 80, 50, 255)
    picture[y < 7] = (70, 170, 60, 255)
    picture[(x == 0) | (y == 0) | (x == 31) | (y == 31)] = (40, 30, 20, 255)
    return picture


def glow():
    """A 96 x 96 warm glow: full colour, alpha falling off from the middle."""
    y, x = grid(96, 96)
    distance = np.sqrt((x - 47.5) ** 2 + (y - 47.5) ** 2) / 48
    picture = rgba(96, 96)
    picture[..., 0:3] = (255, 200, 90)
    picture[..., 3] = (np.clip(1 - distance, 0, 1) ** 2 * 255).astype(np.uint8)
    return picture


def spark():
    """An 8 x 8 spark for additive particles: its alpha, bright in the middle, scales
    its colour when it is premultiplied."""
    y, x = grid(8, 8)
    level = np.clip(1 - np.sqrt((x - 3.5) ** 2 + (y - 3.5) ** 2) / 4.5, 0, 1)
    picture = rgba(8, 8)
    picture[..., 0:3] = (255, 150, 60)
    picture[..., 3] = (level * 160).astype(np.uint8)
    return picture


def badge():
    """A 160 x 120 picture to turn: a striped card with a star, corners transparent."""
    y, x = grid(120, 160)
    picture = rgba(120, 160)
    card = (np.abs(x - 79.5) < 76) & (np.abs(y - 59.5) < 56)
    picture[card] = (60, 60, 140, 255)
    picture[card & ((x + y) // 12 % 2 == 0)] = (80, 80, 170, 255)
    angle = np.arctan2(y - 60, x - 80)
    radius = np.sqrt((x - 80) ** 2 + (y - 60) ** 2)
    star = radius < 26 + 16 * np.cos(5 * angle)
    picture[card & star] = (250, 210, 60, 255)
    picture[card & ((np.abs(x - 79.5) > 72) | (np.abs(y - 59.5) > 52))] = (20, 20, 40, 255)
    return picture


PICTURES = {"walker%d.tif" % (step + 1): (lambda s=step: walker(s)) for step in range(4)}
PICTURES.update({"sky.tif": sky, "ground.tif": ground, "glow.tif": glow, "spark.tif": spark,
                 "badge.tif": badge})


def note(freq, seconds, tau):
    n = synth.count(seconds)
    tone = synth.partials(freq, n, [1, 2, 3], [1.0, 0.4, 0.2], [tau, tau / 2, tau / 3])
    return synth.fade(tone * 0.3)


def hum():
    """Two seconds that loop without a click: whole periods of 110 and 165 Hz."""
    n = synth.count(2.0)
    return 0.15 * synth.sine(110.0, n) + 0.08 * synth.sine(165.0, n)


SOUNDS = {"do.wav": lambda: note(523.25, 0.6, 0.25), "mi.wav": lambda: note(659.25, 0.6, 0.25),
          "so.wav": lambda: note(783.99, 0.6, 0.25), "hum.wav": hum}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True)
    parser.add_argument("--stamp")
    args = parser.parse_args()
    for folder, table, write in (("Images", PICTURES, write_tif), ("Sounds", SOUNDS, write_wav)):
        os.makedirs(os.path.join(args.out, folder), exist_ok=True)
        for name, make in sorted(table.items()):
            write(os.path.join(args.out, folder, name), make())
    if args.stamp:
        open(args.stamp, "w").close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
