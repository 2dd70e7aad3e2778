"""The kitchen at night: the scrolling background that every other scene
borrows. Everything repeats every 900 pixels so the picture tiles seamlessly."""

import math

import numpy as np

from .canvas import INK, Sprite, composite, shade
from .props import rounded_rect

W, H = 900, 500
FLOOR = 430
COUNTER = 300
WOOD = (150, 92, 60)
WOOD_DARK = (118, 70, 48)
COUNTER_TOP = (214, 200, 184)
TILE_A = (226, 206, 172)
TILE_B = (178, 96, 74)


def wall(h=H, w=W):
    """Wallpaper: deep plum at the top warming toward the counter, with
    soft pools of lamp light that repeat every 450 pixels."""
    y = np.arange(h, dtype=np.float32)[:, None]
    x = np.arange(w, dtype=np.float32)[None, :]
    t = np.clip(y / 430.0, 0, 1)
    top, low = np.array([52, 46, 84], np.float32), np.array([112, 84, 108], np.float32)
    base = top[None, None, :] * (1 - t[..., None]) + low[None, None, :] * t[..., None]
    glow = 0.5 + 0.5 * np.cos(2 * math.pi * (x - 160) / 450.0)
    glow = glow**3 * np.exp(-(((y - 250) / 190.0) ** 2))
    warm = np.array([255, 190, 120], np.float32)
    page = base + (warm - base) * (0.28 * glow[..., None])
    # wallpaper: a faint diamond lattice
    u = (x + y * 0.0) % 30
    v = y % 30
    lattice = ((np.abs(u - 15) + np.abs(v - 15)) < 2.2).astype(np.float32)
    page = page * (1 - 0.12 * lattice[..., None]) + 255 * 0.04 * lattice[..., None]
    return np.broadcast_to(page, (h, w, 3)).copy()


def floor(page):
    """Checked tiles in three rows, each row's seams slanting the same way."""
    rows = [(FLOOR, 448), (448, 472), (472, H)]
    for r, (y0, y1) in enumerate(rows):
        for y in range(y0, y1):
            slant = (y - FLOOR) * 0.45
            xs = (np.arange(W) - slant - r * 30) % 60
            colour = np.where((xs < 30)[:, None] ^ (r % 2 == 1), TILE_A, TILE_B).astype(np.float32)
            light = 0.72 + 0.28 * (y - FLOOR) / (H - FLOOR)
            page[y] = colour * light
            seam = (np.abs(xs - 30) < 0.8) | (xs < 0.8) | (xs > 59.2)
            page[y, seam] = page[y, seam] * 0.75
        page[y0] = page[y0] * 0.7
    page[FLOOR : FLOOR + 3] = np.array(INK, np.float32) * 1.2


def _wrapped(draw):
    """Draw a repeating element at its place and one period either side."""

    def each(sp):
        for dx in (-W, 0, W):
            draw(sp, dx)

    return each


def _cabinet(sp, x0, y0, x1, y1, dx, knobs="bottom"):
    sp.fill(sp.poly_mask(rounded_rect(x0 + dx, y0, x1 + dx, y1, 4)), WOOD, dark=2.0, light=1.0)
    mid = (x0 + x1) / 2
    for a, b in ((x0 + 6, mid - 2), (mid + 2, x1 - 6)):
        sp.fill(sp.poly_mask(rounded_rect(a + dx, y0 + 6, b + dx, y1 - 6, 3)), shade(WOOD, 1.08),
                outline=1.6, dark=1.5)
    ky = y1 - 16 if knobs == "bottom" else y0 + 16
    for kx in (mid - 8, mid + 8):
        sp.fill(sp.circle_mask((kx + dx, ky), 3.2), (232, 196, 110), outline=1.4, light=0.8)


def _drawer_run(sp, x0, x1, dx):
    # the run's body overhangs both edges so no end shows at the seam
    sp.fill(sp.poly_mask([(x0 - 20 + dx, COUNTER + 12), (x1 + 20 + dx, COUNTER + 12),
                          (x1 + 20 + dx, FLOOR), (x0 - 20 + dx, FLOOR)]), WOOD_DARK, dark=2.0)
    n = int((x1 - x0) // 90)
    width = (x1 - x0) / n
    for i in range(n):
        a = x0 + i * width + 5
        b = x0 + (i + 1) * width - 5
        sp.fill(sp.poly_mask(rounded_rect(a + dx, COUNTER + 20, b + dx, COUNTER + 46, 3)),
                shade(WOOD_DARK, 1.1), outline=1.6, dark=1.2)
        sp.fill(sp.poly_mask(rounded_rect(a + dx, COUNTER + 54, b + dx, FLOOR - 8, 3)),
                shade(WOOD_DARK, 1.1), outline=1.6, dark=1.6)
        sp.fill(sp.poly_mask(rounded_rect((a + b) / 2 - 10 + dx, COUNTER + 30, (a + b) / 2 + 10 + dx,
                                          COUNTER + 35, 2)), (232, 196, 110), outline=1.2)


def _window(sp, dx):
    x0, y0, x1, y1 = 330, 40, 560, 230
    sp.fill(sp.poly_mask(rounded_rect(x0 - 12 + dx, y0 - 12, x1 + 12 + dx, y1 + 14, 8)),
            (236, 226, 210), dark=2.0)
    sky = sp.poly_mask(rounded_rect(x0 + dx, y0, x1 + dx, y1, 4))
    sp.fill(sky, (30, 34, 78))
    band = sp.poly_mask([(x0 + dx, y0 + 110), (x1 + dx, y0 + 110), (x1 + dx, y1), (x0 + dx, y1)])
    sp.fill(band, (46, 50, 104), outline=0, clip=sky)
    # rooftops across the street
    roofs = [(x0, y1), (x0, 180), (370, 180), (370, 165), (420, 150), (470, 165), (470, 190),
             (520, 190), (520, 172), (x1, 172), (x1, y1)]
    sp.fill(sp.poly_mask([(px + dx, py) for px, py in roofs]), (24, 24, 52), outline=0, clip=sky)
    for wx, wy in ((385, 190), (440, 178), (500, 200)):
        sp.fill(sp.poly_mask(rounded_rect(wx + dx, wy, wx + 9 + dx, wy + 11, 1)), (255, 214, 120),
                outline=0, clip=sky)
    moon = sp.circle_mask((500 + dx, 90), 24)
    sp.fill(moon, (250, 244, 206), outline=0, clip=sky)
    sp.fill(sp.circle_mask((512 + dx, 82), 22), (30, 34, 78), outline=0, clip=sky & moon)
    for sx, sy, r in ((360, 70, 2.2), (410, 110, 1.6), (440, 60, 2.6), (380, 130, 1.4),
                      (540, 140, 1.8), (470, 120, 1.4), (350, 100, 1.2)):
        sp.fill(sp.circle_mask((sx + dx, sy), r), (255, 250, 220), outline=0, clip=sky)
    mid = (x0 + x1) / 2
    sp.fill(sp.poly_mask([(mid - 3 + dx, y0), (mid + 3 + dx, y0), (mid + 3 + dx, y1),
                          (mid - 3 + dx, y1)]), (236, 226, 210), outline=1.6)
    sp.fill(sp.poly_mask([(x0 + dx, 132), (x1 + dx, 132), (x1 + dx, 138), (x0 + dx, 138)]),
            (236, 226, 210), outline=1.6)
    for side in (-1, 1):  # curtains
        cx = x0 - 6 if side < 0 else x1 + 6
        pts = [(cx - 26 * side, y0 - 20), (cx + 28 * side, y0 - 20), (cx + 8 * side, 150),
               (cx + 22 * side, y1 + 30), (cx - 26 * side, y1 + 30)]
        sp.fill(sp.poly_mask([(px + dx, py) for px, py in pts]), (196, 76, 84), dark=2.0, light=1.0)
    sp.fill(sp.poly_mask(rounded_rect(x0 - 44 + dx, y0 - 26, x1 + 44 + dx, y0 - 18, 3)),
            (120, 84, 60), outline=1.6)


def _counter_things(sp, dx):
    top = COUNTER
    # jars with lids
    for x, h, c in ((120, 40, (196, 226, 236)), (150, 30, (236, 214, 170)), (175, 48, (200, 230, 206))):
        sp.fill(sp.poly_mask(rounded_rect(x + dx, top - h, x + 22 + dx, top, 5)), c, dark=1.5,
                light=1.0)
        sp.fill(sp.poly_mask(rounded_rect(x - 2 + dx, top - h - 6, x + 24 + dx, top - h + 2, 3)),
                (200, 80, 70), outline=1.6)
    # toaster
    sp.fill(sp.poly_mask(rounded_rect(620 + dx, top - 44, 690 + dx, top, 12)), (206, 212, 226),
            dark=2.0, light=1.5)
    for sx in (636, 656):
        sp.fill(sp.poly_mask(rounded_rect(sx + dx, top - 48, sx + 14 + dx, top - 42, 2)), INK,
                outline=0)
    sp.fill(sp.poly_mask(rounded_rect(690 + dx, top - 30, 698 + dx, top - 24, 2)), (60, 60, 70))
    # an empty muffin tray, where the trouble began
    sp.fill(sp.poly_mask([(740 + dx, top - 10), (840 + dx, top - 10), (832 + dx, top),
                          (748 + dx, top)]), (170, 176, 190), dark=1.0, light=1.0)
    for k in range(4):
        sp.fill(sp.ellipse_mask(756 + k * 22 + dx, top - 10, 8, 2.6), (110, 114, 130), outline=1.0)
    # a pot plant
    sp.fill(sp.poly_mask([(262 + dx, top - 26), (290 + dx, top - 26), (286 + dx, top),
                          (266 + dx, top)]), (204, 110, 70), dark=1.5)
    for a in (-40, -15, 10, 35):
        tip = (276 + dx + 26 * math.sin(math.radians(a)), top - 26 - 30 * math.cos(math.radians(a)))
        sp.fill(sp.capsule_mask((276 + dx, top - 26), tip, 4.0, 1.5), (96, 168, 96), outline=1.4)


def _upper(sp, dx):
    for x0, x1 in ((20, 160), (170, 296), (594, 720), (730, 880)):
        _cabinet(sp, x0, 18, x1, 150, dx)
    # shelf of plates and cups under the cabinets on the right
    sp.fill(sp.poly_mask([(600 + dx, 200), (870 + dx, 200), (870 + dx, 208), (600 + dx, 208)]),
            WOOD, outline=1.8)
    for k in range(5):
        cx = 620 + k * 26 + dx
        sp.fill(sp.ellipse_mask(cx, 186, 12, 14), (240, 236, 224), dark=1.5)
        sp.fill(sp.ellipse_mask(cx, 186, 6, 7), (120, 160, 210), outline=1.2)
    for k, c in enumerate(((220, 120, 90), (120, 180, 150), (236, 200, 110))):
        cx = 770 + k * 32 + dx
        sp.fill(sp.poly_mask(rounded_rect(cx - 9, 178, cx + 9, 200, 4)), c, dark=1.2)
        sp.fill(sp.capsule_mask((cx + 9, 184), (cx + 13, 192), 3.0), c, outline=1.4)
    # a clock over the doorway side
    sp.fill(sp.circle_mask((60 + dx, 200), 22), (246, 238, 220), dark=1.5)
    sp.paint(sp.line_mask([(60 + dx, 200), (60 + dx, 186)], 2.4), INK)
    sp.paint(sp.line_mask([(60 + dx, 200), (69 + dx, 200)], 2.4), INK)


def kitchen(scale=2):
    page = wall()
    floor(page)
    # a soft shadow along the floor line under the counter
    page[FLOOR + 3 : FLOOR + 9] *= np.linspace(0.7, 1.0, 6, dtype=np.float32)[:, None, None]
    sp = Sprite(W, H, scale=scale)
    for part in (_window, _upper, _counter_things):
        _wrapped(part)(sp)
    # the base run and the worktop span the whole period once, overhanging
    _drawer_run(sp, 0, W, 0)
    sp.fill(sp.poly_mask([(-20, COUNTER), (W + 20, COUNTER), (W + 20, COUNTER + 12),
                          (-20, COUNTER + 12)]), COUNTER_TOP, outline=2.0, dark=1.5, light=1.0)
    composite(page, sp.soft(), 0, 0)
    return page

