"""The game's icon: one of the living muffins, smiling, at the sizes a desktop asks for.

From 64 pixels up it is the game's own muffin drawing, given a friendly face
and drawn finer for the bigger sizes, so the outline keeps its weight. Below
that the fine drawing would blur into a brown blob, so the small sizes are
drawn on their own: 48 to 24 with fewer, bolder parts, and 16 placed pixel by
pixel. Edges are soft (a desktop blends icons with their alpha), and
everything outside the muffin is fully transparent.
"""

import functools

import numpy as np

from .canvas import INK, Sprite, shade
from .muffin import CHIP, CUP, CUP_PLEAT, DOME, WHITE, draw_muffin

SIZES = (16, 24, 32, 48, 64, 128, 256)
# A web page's sizes: a browser's install (192, 512), drawn like 64 and up.
WEB_SIZES = (192, 512)
# A home-screen tile (a phone's own corners and no transparency): the muffin on a
# warm plate, 180 pixels.
TILE_SIZE = 180
TILE = (252, 236, 206)
TILE_SHARE = 0.84  # of the tile's side the muffin spans

MOUTH = (110, 30, 44)
TONGUE = (236, 96, 110)
CHEEK = (240, 120, 120)

# The muffin's own drawing spans x -33..33 and y -37..30 around its centre
# (dome bumps above, cup below); this is the middle of that box.
MIDDLE_Y = -3.5


def _friendly_face(sp, p, size, outline):
    """Round eyes looking out at you, rosy cheeks and an open smile."""
    for ex in (-10, 10):
        sp.fill(sp.ellipse_mask(*p(ex, -3), 6.0 * size, 7.2 * size), WHITE, outline=outline)
        sp.fill(sp.circle_mask(p(ex * 0.9, -2), 3.6 * size), INK, outline=0)
        sp.fill(sp.circle_mask(p(ex * 0.9 + 1.4, -3.8), 1.3 * size), WHITE, outline=0)
        sp.fill(sp.ellipse_mask(*p(ex * 1.95, 5), 4.4 * size, 2.6 * size), CHEEK, outline=0)
    smile = [p(-11, 8), p(11, 8)] + [p(11 * np.cos(a), 8 + 10 * np.sin(a))
                                     for a in np.linspace(0.0, np.pi, 17)]
    mouth = sp.fill(sp.poly_mask(smile), MOUTH, outline=outline)
    sp.fill(sp.ellipse_mask(*p(0, 17), 6 * size, 3.4 * size), TONGUE, outline=0, clip=mouth)


def _detailed(px):
    """The game's muffin at 64 design pixels, drawn px / 64 times finer."""
    zoom = px // 64
    sp = Sprite(64, 64, scale=4 * zoom)
    size = 0.87
    cx, cy = 32.0, 32.0 - MIDDLE_Y * size

    def p(x, y):
        return (cx + x * size, cy + y * size)

    draw_muffin(sp, cx, cy, face=None, size=size)
    _friendly_face(sp, p, size, outline=1.6)
    return sp.soft(zoom)


# Parts of the simplified muffin for each small size: the outline width in
# pixels, how many pleats the cup shows and which chips the dome keeps.
SIMPLE = {
    48: dict(outline=1.6, pleats=5, chips=((-20, -18), (-4, -27), (12, -24), (23, -10), (-25, -5))),
    32: dict(outline=1.2, pleats=3, chips=((-18, -19), (8, -25), (22, -10))),
    24: dict(outline=1.0, pleats=2, chips=((-16, -20), (14, -22))),
}


def _simple(px):
    """Fewer, bigger parts: dome, cup, a few chips, dot eyes and a wide smile."""
    parts = SIMPLE[px]
    outline = parts["outline"]
    sp = Sprite(px, px, scale=16)
    size = (px - 2 * outline - 0.6) / 68.0
    cx, cy = px / 2.0, px / 2.0 - MIDDLE_Y * size

    def p(x, y):
        return (cx + x * size, cy + y * size)

    cup = sp.fill(sp.poly_mask([p(-26, -2), p(26, -2), p(20, 30), p(-20, 30)]), CUP,
                  outline=outline, dark=outline * 0.8)
    pleats = parts["pleats"]
    for k in range(pleats):
        t = (k + 1) / (pleats + 1) * 2 - 1
        sp.paint(sp.line_mask([p(t * 24, 2), p(t * 18, 29)], max(0.9, outline * 0.7)) & cup,
                 CUP_PLEAT)
    dome = sp.ellipse_mask(*p(0, -8), 33 * size, 21 * size)
    for bx, by, r in ((-18, -16, 13), (0, -22, 15), (18, -16, 13)):
        dome |= sp.circle_mask(p(bx, by), r * size)
    dome = sp.fill(dome, DOME, outline=outline, dark=outline, light=outline * 0.7)
    for bx, by in parts["chips"]:
        sp.fill(sp.ellipse_mask(*p(bx, by), 4.2 * size, 3.4 * size, 20), CHIP, outline=0,
                clip=dome)
    # dark eyes with a glint: whites would need more pixels than these sizes have
    for ex in (-10, 10):
        sp.fill(sp.ellipse_mask(*p(ex, -2), 4.6 * size, 6.0 * size), INK, outline=0)
        if px >= 32:
            sp.fill(sp.circle_mask(p(ex + 1.6, -4.2), 1.8 * size), WHITE, outline=0)
        sp.fill(sp.ellipse_mask(*p(ex * 2.0, 5), 4.6 * size, 2.8 * size), CHEEK, outline=0,
                clip=dome)
    smile = [p(-12, 8), p(12, 8)] + [p(12 * np.cos(a), 8 + 11 * np.sin(a))
                                     for a in np.linspace(0.0, np.pi, 17)]
    mouth = sp.fill(sp.poly_mask(smile), MOUTH, outline=outline * 0.8)
    if px >= 32:
        sp.fill(sp.ellipse_mask(*p(0, 18), 6.5 * size, 3.6 * size), TONGUE, outline=0, clip=mouth)
    return sp.soft()


# 16 pixels, placed by hand: every part of the muffin gets whole pixels, so
# the outline, the eyes and the smile stay sharp at the size of a menu entry.
PIXELS_16 = (
    "....KKKKKKKK....",
    "..KKLLDDDDDDKK..",
    ".KLLDDDDDcDDDdK.",
    "KLDDcDDDDDDDDddK",
    "KLDDDDDDDDDcDddK",
    "KDDDDDDDDDDDDddK",
    "KDDDKWDDDDKWDddK",
    "KDDDKKDDDDKKDddK",
    "KddddddddddddddK",
    ".KKPPPPPPPPPPKK.",
    "..KPPKPPPPKPpK..",
    "..KPPPKKKKPPpK..",
    "..KPPPpPPpPPpK..",
    "...KPPpPPpPpK...",
    "...KKKKKKKKKK...",
    "................",
)
PALETTE_16 = {
    "K": INK,
    "D": DOME,
    "d": shade(DOME, 0.72),
    "L": shade(DOME, 1.35),
    "c": CHIP,
    "P": CUP,
    "p": CUP_PLEAT,
    "W": WHITE,
}


def _pixels(rows, palette):
    out = np.zeros((len(rows), len(rows[0]), 4), np.uint8)
    for y, row in enumerate(rows):
        for x, key in enumerate(row):
            if key != ".":
                out[y, x] = palette[key] + (255,)
    return out


@functools.lru_cache(None)
def icon(px):
    """The icon at px x px as RGBA; px is one of SIZES or WEB_SIZES."""
    if px == 16:
        return _pixels(PIXELS_16, PALETTE_16)
    if px in SIMPLE:
        return _simple(px)
    return _detailed(px)


def all_icons():
    return {px: icon(px) for px in SIZES}
