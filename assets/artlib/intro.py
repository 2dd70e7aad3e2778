"""The intro: eight wordless comic panels telling how the muffins came alive."""

import math

import numpy as np

from . import hero, kitchen, muffin, props
from .canvas import INK, Sprite, composite, dither565, resize_soft
from .kid import default_pose, render

PW, PH = 700, 300
ZOOM = 2.0 / 3.0
FLOOR = int((kitchen.FLOOR - 50) * ZOOM)  # 253
COUNTER = int((kitchen.COUNTER - 50) * ZOOM)  # 166
GLOW = (200, 255, 170)


def backdrop(bk, x0=200):
    """The kitchen, two thirds the size, from the wall clock to the tray."""
    wide = np.concatenate([bk, bk], axis=1)[50:, x0 : x0 + int(PW / ZOOM) + 2]
    rgba = np.concatenate([np.clip(wide, 0, 255).astype(np.uint8),
                           np.full(wide.shape[:2] + (1,), 255, np.uint8)], axis=2)
    small = resize_soft(rgba, ZOOM)[:PH, :PW].astype(np.float32)
    return small[:, :, :3].copy()


def put(page, rgba, x, y, zoom=1.0):
    if zoom != 1.0:
        rgba = resize_soft(rgba, zoom)
    composite(page, rgba, int(round(x)), int(round(y)))


def layer(page, draw, box, scale=2):
    """Draw shapes given in panel coordinates on a small surface covering
    only `box`, then blend it onto the panel."""
    x0, y0, x1, y1 = box
    sp = Sprite(x1 - x0, y1 - y0, scale=scale)
    sp.xform = lambda p: (p[0] - x0, p[1] - y0)
    draw(sp)
    composite(page, sp.soft(), x0, y0)


def tray_muffins(page, face=None, glow=False, lift=None):
    """Four muffins in the tray on the counter (the tray is at x 740..840 of
    the kitchen, which lands at about x 360..427 here)."""
    def draw(sp):
        for k in range(4):
            cx = 372 + k * 17
            cy = COUNTER - 14 - (lift[k] if lift else 0)
            muffin.draw_muffin(sp, cx, cy, face=face, size=0.32)
    layer(page, draw, (340, COUNTER - 50, 440, COUNTER + 2), scale=4)


def star_streak(page, head, tail):
    def draw(sp):
        sp.fill(sp.capsule_mask(tail, head, 2.0, 9.0), GLOW, outline=2.0)
        hero.star(sp, head, 14, turn=12, colour=(255, 240, 140))
    layer(page, draw, (tail[0] - 20, tail[1] - 20, head[0] + 20, head[1] + 20))


def sparkles(page, centre, count, radius, seed):
    rng = np.random.RandomState(seed)  # fixed seed: the same sparkles every run

    def draw(sp):
        for _ in range(count):
            a = rng.uniform(0, 2 * math.pi)
            r = rng.uniform(0.3, 1.0) * radius
            c = (centre[0] + r * math.cos(a), centre[1] + 0.6 * r * math.sin(a))
            hero.star(sp, c, rng.uniform(4, 9), turn=rng.uniform(0, 72),
                      colour=(255, 240, 140) if rng.rand() < 0.6 else GLOW)
    x, y, r = int(centre[0]), int(centre[1]), int(radius) + 12
    layer(page, draw, (x - r, y - r, x + r, y + r))


def motion_lines(page, pts, length):
    def draw(sp):
        for x, y in pts:
            sp.fill(sp.capsule_mask((x, y), (x - length, y), 1.6), (250, 240, 220), outline=1.2)
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    layer(page, draw, (min(xs) - length - 6, min(ys) - 6, max(xs) + 6, max(ys) + 6))


def rolling_muffins(page, xs, y=FLOOR - 58, zoom=0.75, turns=(0, 4, 8)):
    for x, k in zip(xs, turns):
        put(page, muffin.muffin_turn(k), x, y, zoom)


def exclaim(page, x, y):
    def draw(sp):
        sp.fill(sp.capsule_mask((x, y), (x + 3, y + 28), 5.0, 3.5), (255, 226, 90))
        sp.fill(sp.circle_mask((x + 4, y + 40), 4.5), (255, 226, 90))
    layer(page, draw, (x - 12, y - 12, x + 16, y + 52))


def frame(page):
    """Cut the panel's rounded corners and draw its border."""
    sp = Sprite(PW, PH, scale=2)
    inner = sp.poly_mask(props.rounded_rect(5, 5, PW - 5, PH - 5, 18))
    ring = sp.poly_mask(props.rounded_rect(1, 1, PW - 1, PH - 1, 20)) & ~inner
    sp.paint(ring, INK)
    border = sp.soft()
    composite(page, border, 0, 0)
    pic = dither565(page)
    alpha = sp.hard()[:, :, 3]
    sp2 = Sprite(PW, PH, scale=2)
    sp2.paint(sp2.poly_mask(props.rounded_rect(1, 1, PW - 1, PH - 1, 20)), INK)
    alpha = sp2.hard()[:, :, 3]
    out = np.concatenate([pic, alpha[:, :, None]], axis=2)
    out[alpha == 0, :3] = 0
    return out


def all_intro(bk):
    base = backdrop(bk)
    night = base * 0.8
    pics = []

    p = night.copy()  # 0: a quiet night, a tray of muffins cooling
    tray_muffins(p)
    pics.append(p)

    p = night.copy()  # 1: a shooting star through the window
    tray_muffins(p)
    star_streak(p, (330, 95), (140, 30))
    pics.append(p)

    p = night.copy()  # 2: it lands in the tray in a burst of sparkles
    tray_muffins(p, glow=True)
    sparkles(p, (398, COUNTER - 30), 16, 70, seed=2)
    pics.append(p)

    p = night.copy()  # 3: the muffins open their eyes
    tray_muffins(p, face="angry", lift=[3, 0, 4, 1])
    sparkles(p, (398, COUNTER - 50), 5, 60, seed=3)
    pics.append(p)

    p = night.copy()  # 4: they leap off the counter
    def leap(sp):
        for k, (x, y) in enumerate(((330, 120), (450, 150), (520, 210))):
            sp.fill(sp.line_mask([(x + 20 + 8 * i, y - 40 + 6 * i * i) for i in range(5)], 1.6),
                    (250, 240, 220), outline=0)
    layer(p, leap, (330, 60, 600, 260))
    for k, (x, y, turn) in enumerate(((300, 100, 1), (420, 130, 3), (500, 185, 6))):
        put(p, muffin.muffin_turn(turn), x, y - 40, 0.6)
    pics.append(p)

    p = night.copy()  # 5: they roll across the floor
    rolling_muffins(p, (140, 270, 400))
    motion_lines(p, [(150, FLOOR - 40), (150, FLOOR - 25), (282, FLOOR - 44), (410, FLOOR - 32)], 40)
    pics.append(p)

    p = night.copy()  # 6: the kid comes in for a glass of milk and sees them
    rolling_muffins(p, (60, 170), turns=(0, 2))
    kid = render(70, 150, default_pose(face="shock", arms=[(35, 110), (30, 115)])).hard()
    put(p, kid[:, ::-1].copy(), 520, FLOOR - 148)
    exclaim(p, 600, 40)
    pics.append(p)

    p = night.copy()  # 7: armed with milk, the kid fights back
    put(p, hero.milk_frames()["milk4.tif"], 140, FLOOR - 148)
    put(p, muffin.muffin_melt(3), 280, FLOOR - 28)
    rolling_muffins(p, (420, 540), turns=(11, 9))
    put(p, props.rolling_pin_lying(), 80, FLOOR - 28)
    pics.append(p)

    return {"intro%d.tif" % i: frame(pic) for i, pic in enumerate(pics)}
