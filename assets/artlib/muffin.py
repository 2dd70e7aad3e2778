"""The living muffins: twelve turns of one rolling muffin, and its melt."""

import functools
import math

import numpy as np
from PIL import Image

from .canvas import INK, Sprite, ground, shade

DOME = (206, 134, 64)
CUP = (236, 104, 130)
CUP_PLEAT = (200, 74, 104)
CHIP = (92, 50, 36)
BATTER = (240, 206, 140)
WHITE = (255, 255, 255)

WIDTH, HEIGHT = 96, 110
CENTRE = (48.0, 70.0)


def draw_muffin(sp, cx, cy, face="angry", size=1.0):
    """A muffin centred at (cx, cy): paper cup below, a domed top with chips,
    and a face across the cup so its turning shows as it rolls."""

    def p(x, y):
        return (cx + x * size, cy + y * size)

    cup = [p(-26, -2), p(26, -2), p(20, 30), p(-20, 30)]
    cup_m = sp.fill(sp.poly_mask(cup), CUP, dark=2.0, light=1.0)
    for k in range(-3, 4):
        sp.paint(sp.line_mask([p(k * 7.2, 0), p(k * 5.6, 29)], 1.6) & cup_m, CUP_PLEAT)
    dome = sp.ellipse_mask(*p(0, -8), 33 * size, 21 * size)
    for bx, by, r in ((-18, -16, 13), (0, -22, 15), (18, -16, 13)):
        dome |= sp.circle_mask(p(bx, by), r * size)
    dome = sp.fill(dome, DOME, dark=2.6, light=1.6)
    for bx, by, r in ((-20, -18, 3.2), (-6, -27, 3.6), (10, -24, 3.0), (22, -12, 3.2),
                      (-26, -6, 2.6), (2, -14, 2.8), (16, -2, 2.6)):
        sp.fill(sp.ellipse_mask(*p(bx, by), r * size, r * 0.8 * size, 20), CHIP, outline=0,
                clip=dome)
    if face is None:
        return
    # eyes sit on the lower dome, the mouth on the cup
    for ex, brow in ((-10, 1), (10, -1)):
        if face == "melt":
            sp.fill(sp.ellipse_mask(*p(ex, -2), 5.5 * size, 4.0 * size), WHITE, outline=1.4)
            sp.fill(sp.poly_mask([p(ex - 6, -6), p(ex + 6, -6), p(ex + 6, -1), p(ex - 6, -1)]),
                    DOME, outline=1.4)
            sp.fill(sp.circle_mask(p(ex, 0.5), 1.6 * size), INK, outline=0)
            continue
        sp.fill(sp.ellipse_mask(*p(ex, -3), 6.0 * size, 7.0 * size), WHITE, outline=1.6)
        sp.fill(sp.circle_mask(p(ex + 1.5, -2), 3.0 * size), INK, outline=0)
        sp.fill(sp.circle_mask(p(ex + 2.5, -3.5), 1.0 * size), WHITE, outline=0)
        if face == "angry":
            sp.fill(sp.poly_mask([p(ex - 8 * brow, -14), p(ex + 7 * brow, -8), p(ex + 7 * brow, -11),
                                  p(ex - 8 * brow, -17)]), INK, outline=0)
    if face == "melt":
        pts = [p(-9 + i * 2, 13 + 1.6 * math.sin(i * 1.4)) for i in range(10)]
        sp.paint(sp.line_mask(pts, 1.8 * size), INK)
        return
    mouth = sp.fill(sp.poly_mask([p(-12, 8), p(12, 8), p(8, 18), p(-8, 18)]), (110, 30, 44),
                    outline=1.6)
    teeth = sp.poly_mask([p(-12, 8), p(12, 8), p(12, 11.5), p(-12, 11.5)])
    sp.paint(teeth & mouth, WHITE)
    sp.fill(sp.ellipse_mask(*p(0, 17), 5 * size, 2.6 * size), (236, 96, 110), outline=0, clip=mouth)


@functools.lru_cache(None)
def muffin_turn(k):
    """Muffin picture k: turned 30 degrees clockwise per step, resting on the floor."""
    sp = Sprite(WIDTH, HEIGHT)
    draw_muffin(sp, *CENTRE)
    s = sp.s
    img = Image.fromarray(sp.rgba, "RGBA")
    img = img.rotate(-30 * k, resample=Image.BILINEAR, center=(CENTRE[0] * s, CENTRE[1] * s))
    sp.rgba = np.asarray(img).copy()
    return ground(sp.hard())


MELT_SHOWN = [24, 19, 14, 9, 4, 0]  # rows of muffin still above the puddle


@functools.lru_cache(None)
def muffin_melt(m):
    """Melting picture m (1..6): the muffin sinks into a spreading puddle."""
    sp = Sprite(WIDTH, 30)
    shown = MELT_SHOWN[m - 1]
    surface = 24.0
    if shown:
        squash = 0.42 + 0.1 * shown / 24
        top = surface - shown

        def xform(q, top=top, squash=squash):
            # the muffin's dome top (local y about -38) lands on `top`
            x, y = q
            return (48 + (x - 48) * (1.0 + (1 - squash) * 0.6), top + (y + 38 - 60) * squash)

        sp.xform = xform
        draw_muffin(sp, 48.0, 60.0, face="melt")
        sp.xform = None
        cut = int(surface * sp.s)
        sp.rgba[cut:] = 0
        for dx, length in ((-14, 5 + m), (6, 3 + m), (18, 4 + m)):
            x = 48 + dx * (1 + m * 0.08)
            sp.fill(sp.capsule_mask((x, surface - shown * 0.5), (x, surface - shown * 0.5 + length),
                                    2.2), BATTER, outline=1.4)
    rx = 20 + 5 * m
    puddle = sp.ellipse_mask(48, 25, rx, 4.0 + 0.3 * m)
    for bx in (-0.6, 0.1, 0.55):
        puddle |= sp.ellipse_mask(48 + bx * rx, 25.5, rx * 0.35, 4.5 + 0.2 * m)
    sp.fill(puddle, BATTER, dark=1.0)
    sp.fill(sp.ellipse_mask(48 - rx * 0.4, 23.5, rx * 0.25, 1.2), shade(BATTER, 1.4), outline=0)
    if m >= 5:
        sp.fill(sp.poly_mask([(30, 27), (44, 22), (60, 23), (66, 28)]), CUP, outline=1.4)
    if m == 6:
        for ex in (38, 52):
            sp.fill(sp.ellipse_mask(ex, 19, 4.0, 3.2), WHITE, outline=1.4)
            sp.fill(sp.circle_mask((ex + 0.8, 20), 1.6), INK, outline=0)
    return ground(sp.hard())


def all_muffins():
    out = {}
    for k in range(12):
        out["muf%d.tif" % k] = muffin_turn(k)
    for m in range(1, 7):
        out["melting muffin %d.tif" % m] = muffin_melt(m)
    return out
