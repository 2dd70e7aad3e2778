"""Fridges, rolling pins and the carried-item icons."""

import functools
import math

import numpy as np

from .canvas import Sprite, ground, shade
from .kid import carton_shape, pin_shape

FRIDGE = (170, 222, 204)
CHROME = (214, 222, 232)
INSIDE = (228, 242, 248)
SHELF = (250, 252, 255)
BULB = (255, 236, 150)


def rounded_rect(x0, y0, x1, y1, r, n=6):
    pts = []
    corners = ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180))
    for cx, cy, start in corners:
        for i in range(n + 1):
            a = math.radians(start + 90 * i / n)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def _fridge_body(sp):
    for x in (22, 150):
        sp.fill(sp.poly_mask(rounded_rect(x, 262, x + 10, 280, 3)), (70, 64, 78))
    body = sp.fill(sp.poly_mask(rounded_rect(4, 6, 176, 270, 18)), FRIDGE, dark=3.0, light=2.0)
    sp.fill(sp.poly_mask(rounded_rect(10, 12, 170, 84, 12)), FRIDGE, outline=1.8, dark=1.5)
    sp.fill(sp.poly_mask(rounded_rect(155, 30, 162, 70, 3)), CHROME, outline=1.6, light=1.0)
    return body


def fridge_closed():
    sp = Sprite(180, 280)
    _fridge_body(sp)
    sp.fill(sp.poly_mask(rounded_rect(10, 90, 170, 262, 12)), FRIDGE, outline=1.8, dark=1.5)
    sp.fill(sp.poly_mask(rounded_rect(155, 104, 162, 170, 3)), CHROME, outline=1.6, light=1.0)
    # a child's drawing of the moon held up by a magnet, and a note
    paper = sp.fill(sp.poly_mask([(40, 118), (96, 112), (100, 160), (44, 166)]), (252, 248, 232))
    sp.fill(sp.circle_mask((70, 138), 13), (255, 216, 90), outline=1.4, clip=paper)
    sp.fill(sp.circle_mask((76, 133), 11), (252, 248, 232), outline=0, clip=paper)
    sp.fill(sp.circle_mask((68, 116), 4.5), (230, 70, 80), light=1.0)
    sp.fill(sp.poly_mask([(112, 196), (142, 192), (144, 226), (114, 230)]), (255, 236, 170))
    for k in range(3):
        y = 204 + 7 * k
        sp.paint(sp.line_mask([(118, y), (136 - 4 * (k == 2), y - 1)], 1.4), (150, 120, 110))
    sp.fill(sp.circle_mask((128, 194), 4), (90, 160, 230), light=1.0)
    # freezer badge
    sp.fill(sp.poly_mask(rounded_rect(60, 40, 120, 54, 6)), CHROME, outline=1.4, light=1.0)
    return sp.hard()


def fridge_open():
    sp = Sprite(180, 280)
    _fridge_body(sp)
    inside = sp.fill(sp.poly_mask(rounded_rect(12, 92, 148, 262, 10)), INSIDE, outline=1.8)
    sp.fill(sp.poly_mask(rounded_rect(12, 92, 148, 262, 10)), shade(INSIDE, 0.86), outline=0,
            clip=inside & ~sp.poly_mask(rounded_rect(20, 100, 140, 256, 8)))
    sp.fill(sp.ellipse_mask(80, 100, 14, 6), BULB, outline=1.4, light=1.0)
    for y in (146, 196):
        sp.fill(sp.poly_mask(rounded_rect(14, y, 146, y + 5, 2)), SHELF, outline=1.4)
    sp.fill(sp.poly_mask(rounded_rect(22, 222, 138, 258, 6)), (206, 230, 238), outline=1.6, dark=1.2)
    sp.fill(sp.poly_mask(rounded_rect(64, 230, 96, 236, 3)), SHELF, outline=1.2)
    for cx, cy in ((44, 140), (118, 191)):  # crumbs where cartons stood
        sp.fill(sp.circle_mask((cx, cy), 2.0), (220, 196, 150), outline=1.0)
    # the door, swung open toward us: its inner face and a door shelf
    door = sp.fill(sp.poly_mask([(146, 88), (178, 76), (178, 276), (146, 264)]), shade(FRIDGE, 0.9),
                   dark=1.5)
    sp.fill(sp.poly_mask([(150, 150), (176, 142), (176, 158), (150, 164)]), SHELF, outline=1.4,
            clip=door)
    sp.fill(sp.poly_mask([(150, 210), (176, 204), (176, 220), (150, 226)]), SHELF, outline=1.4,
            clip=door)
    return sp.hard()


@functools.lru_cache(None)
def rolling_pin_lying():
    sp = Sprite(80, 30)
    pin_shape(sp, (5, 22), (75, 22), radius=6.0)
    return ground(sp.hard())


def _trim(rgba):
    """Crop a picture to its opaque pixels: drawn with room to spare, cut to fit."""
    shape = rgba[:, :, 3] > 0
    rows, cols = np.flatnonzero(shape.any(axis=1)), np.flatnonzero(shape.any(axis=0))
    return np.ascontiguousarray(rgba[rows[0] : rows[-1] + 1, cols[0] : cols[-1] + 1])


@functools.lru_cache(None)
def rolling_pin_icon():
    """A pin at a slant, 26 x 30. Carried pins show as a row of these 15 pixels
    apart, fanning out over the kitchen; on the floor one marks where a taken
    pin lay, so it is pale like a floury print, against the real pin's wood.
    Bold ink lines keep it readable on dark cupboards and the night window."""
    sp = Sprite(40, 40)
    body = (255, 232, 190)
    handle = (206, 140, 80)  # wooden handles on a pale barrel: a pin, never a bone
    tilt = math.radians(40)
    hx, hy = 13.4 * math.sin(tilt), 13.4 * math.cos(tilt)
    a, b = (20 - hx, 20 + hy), (20 + hx, 20 - hy)
    dx, dy = b[0] - a[0], b[1] - a[1]
    a2 = (a[0] + dx * 0.24, a[1] + dy * 0.24)
    b2 = (b[0] - dx * 0.24, b[1] - dy * 0.24)
    for p, q in ((a2, a), (b2, b)):  # thin by the barrel, a knob at the tip
        sp.fill(sp.capsule_mask(p, q, 1.9, 2.4), handle, outline=2.0)
    sp.fill(sp.capsule_mask(a2, b2, 4.9), body, outline=2.2, dark=1.0, light=1.0)
    return _trim(sp.hard())


@functools.lru_cache(None)
def milk_carton_icon():
    """The hero's carton, 22 x 39: big enough to read at a glance in the row
    at the top right, where cartons stand 15 pixels apart."""
    sp = Sprite(40, 48)
    carton_shape(sp, 20, 26, size=1.05)
    return _trim(sp.hard())


def all_props():
    return {
        "fridge.tif": fridge_open(),
        "fridge_full.tif": fridge_closed(),
        "rolling pin by itself.tif": rolling_pin_lying(),
        "rolling pin by itself-empty.tif": rolling_pin_icon(),
        "milk carton.tif": milk_carton_icon(),
    }
