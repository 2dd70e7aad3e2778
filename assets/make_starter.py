#!/usr/bin/python3
"""Draws the starter game's pictures and makes its sound (templates/starter/):

    make_starter.py --out templates/starter

images/floor.tif   a 64 x 64 floor tile (RGB), seamless when repeated
images/walker1.tif and walker2.tif   a 32 x 48 walker in two steps (RGBA: alpha 0 is
                   transparent once colour-keyed)
sounds/step.wav    a short soft step

The files are small and kept in the starter, so building it needs no Python; run this
again after changing a drawing. Deterministic: the same bytes on every run.
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import numpy as np  # noqa: E402
from PIL import Image, ImageDraw  # noqa: E402

from artlib.tiffio import write_tif  # noqa: E402
from soundlib import synth  # noqa: E402
from soundlib.wavio import write_wav  # noqa: E402

OUTLINE = (40, 28, 24, 255)


def floor():
    """Wooden boards with dark joints, two boards per tile, a knot on one."""
    tile = Image.new("RGB", (64, 64), (176, 120, 70))
    draw = ImageDraw.Draw(tile)
    for y, shade in ((0, (186, 128, 76)), (32, (166, 112, 64))):
        draw.rectangle((0, y, 63, y + 31), fill=shade)
        draw.line((0, y, 63, y), fill=(110, 70, 40))
        for x in range(0, 64, 8):  # grain
            draw.line((x + (y // 8) % 5, y + 6, x + 5, y + 8), fill=(150, 98, 56))
    draw.line((40, 32, 40, 63), fill=(110, 70, 40))
    draw.ellipse((16, 12, 22, 17), outline=(120, 76, 44))
    return np.asarray(tile)


def walker(step):
    """A small figure in a red shirt, legs apart on step 1 and together on step 2."""
    sprite = Image.new("RGBA", (32, 48), (0, 0, 0, 0))
    draw = ImageDraw.Draw(sprite)
    legs = ((10, 34, 13, 46), (18, 34, 21, 46)) if step == 1 else ((13, 34, 18, 46),)
    for leg in legs:
        draw.rectangle(leg, fill=(50, 60, 120, 255), outline=OUTLINE)
    draw.rounded_rectangle((8, 16, 23, 36), radius=4, fill=(200, 50, 40, 255), outline=OUTLINE)
    draw.ellipse((9, 2, 22, 16), fill=(240, 196, 150, 255), outline=OUTLINE)
    draw.rectangle((17, 7, 18, 9), fill=OUTLINE)  # the eye looks right
    return np.asarray(sprite)


def step_sound():
    """A soft thump: low noise, quickly gone."""
    n = synth.count(0.09)
    thump = synth.lowpass(synth.noise(n, seed=7), 400) * synth.decay(n, 0.02)
    thump += 0.4 * synth.sine(90, n) * synth.decay(n, 0.03)
    return synth.fade(thump / np.max(np.abs(thump)) * 0.6)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True, help="the starter's folder")
    args = parser.parse_args()
    images = os.path.join(args.out, "images")
    sounds = os.path.join(args.out, "sounds")
    os.makedirs(images, exist_ok=True)
    os.makedirs(sounds, exist_ok=True)
    write_tif(os.path.join(images, "floor.tif"), floor())
    for step in (1, 2):
        write_tif(os.path.join(images, "walker%d.tif" % step), walker(step))
    write_wav(os.path.join(sounds, "step.wav"), step_sound())
    return 0


if __name__ == "__main__":
    sys.exit(main())
