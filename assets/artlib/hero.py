"""Every hero picture: standing, the walk cycle both ways, reaching, splashing
milk, swinging a rolling pin and the knock-down."""

import functools
import math

import numpy as np

from .canvas import INK, ground, mirror
from .kid import MILK, carton_shape, default_pose, pin_shape, polar, render

STAR = (255, 214, 64)
SWOOSH = (255, 244, 214)


def walk_pose(k):
    """Step k of the walk: 0 stands, 1..11 loop back to 1 without a jump."""
    if k == 0:
        return default_pose()
    t = 2 * math.pi * (k - 1) / 11
    legs = []
    for phase in (math.pi, 0.0):  # far leg, near leg
        a = 26 * math.sin(t + phase)
        bend = 6 + 34 * max(0.0, math.cos(t + phase))
        legs.append((a, bend))
    arms = [(22 * math.sin(t) - 4, 28), (-22 * math.sin(t) + 4, 28)]
    return default_pose(legs=legs, arms=arms, lean=4.0)


# The hero is knocked down to y 240 on the first frame of every run and keeps that
# height for the rest of it, so every picture drawn at the hero's y carries 40
# empty rows on top: the feet then meet the floor line at 430.
PLAY_TOP_MARGIN = 40


def hero_frame(pose, width=70, height=150, extra=None):
    pic = ground(render(width, height, pose, extra=extra).hard())
    return np.concatenate([np.zeros((PLAY_TOP_MARGIN,) + pic.shape[1:], pic.dtype), pic])


@functools.lru_cache(None)
def walk_frames():
    out = {}
    for k in range(12):
        pic = hero_frame(walk_pose(k))
        out["%d.tif" % k] = pic
        out["%db.tif" % k] = mirror(pic)
    return out


@functools.lru_cache(None)
def reaching_frames():
    arm = [40, 70, 95, 108, 104, 78, 45]
    lean = [4, 10, 16, 20, 20, 12, 5]
    out = {}
    for i in range(7):
        pose = default_pose(
            lean=lean[i],
            arms=[(arm[i] * 0.6 - 10, 30), (arm[i], 12 if i < 4 else 40)],
            legs=[(-8 - lean[i] * 0.5, 10), (6 + lean[i] * 0.4, 14)],
            face="determined" if 2 <= i <= 4 else "happy",
        )
        out["reaching%d.tif" % (i + 1)] = hero_frame(pose, width=100)
    return out


def _splash(sp, hand, amount, spread):
    """Milk leaving the carton in an arc toward the floor ahead."""
    if amount <= 0:
        return
    x0, y0 = hand[0] + 8, hand[1] - 10
    pts = []
    for i in range(int(12 * amount) + 1):
        u = i / 12
        pts.append((x0 + 92 * u * spread, y0 - 14 * u + 62 * u * u * spread))
    if len(pts) > 1:
        stream = sp.line_mask(pts, 7.0)
        sp.fill(stream, MILK, outline=1.8)
    tip = pts[-1]
    for k, (dx, dy, r) in enumerate(((6, -8, 4.5), (12, 2, 3.5), (-4, -12, 3), (10, -18, 2.5))):
        if amount > 0.3 + 0.1 * k:
            sp.fill(sp.circle_mask((tip[0] + dx, tip[1] + dy), r), MILK, outline=1.5)


@functools.lru_cache(None)
def milk_frames():
    arm = [45, 75, 88, 92, 92, 86, 55]
    tilt = [0, 30, 70, 95, 95, 80, 20]
    flow = [0, 0, 0.45, 1.0, 1.0, 0.8, 0]
    out = {}
    for i in range(7):
        pose = default_pose(
            lean=6 if 2 <= i <= 5 else 2,
            arms=[(20, 60), (arm[i], 8)],
            hold="carton",
            carton_angle=tilt[i],
            face="determined" if 2 <= i <= 5 else "happy",
        )

        def extra(sp, info, i=i):
            _splash(sp, info["hand"], flow[i], 1.0 if i != 5 else 1.1)
            if i == 6:
                for dx, dy, r in ((90, 120, 3.0), (104, 132, 2.5), (118, 126, 2.0)):
                    sp.fill(sp.circle_mask((dx, dy), r), MILK, outline=1.4)

        out["milk%d.tif" % (i + 1)] = hero_frame(pose, width=150, extra=extra)
    return out


def _swoosh(sp, centre, radius, start, end, width=4.0):
    pts = [polar(centre, start + (end - start) * i / 10, radius) for i in range(11)]
    sp.fill(sp.line_mask(pts, width), SWOOSH, outline=1.4)


@functools.lru_cache(None)
def rolling_pin_frames():
    # (shoulder angle, elbow bend, lean, pin angle relative to the arm)
    keys = [(70, 40, 2, 80), (150, 10, -4, 30), (190, 10, -10, 10), (150, 0, 6, 0),
            (100, 0, 16, 0), (45, 10, 14, 0), (60, 30, 4, 40)]
    out = {}
    for i, (arm, elbow, lean, rel) in enumerate(keys):
        pose = default_pose(
            hip=(35.0, 142.0),
            lean=lean,
            arms=[(arm - 8, elbow + 6), (arm, elbow)],
            legs=[(-10, 8), (12, 14)] if i >= 3 else [(-6, 6), (6, 8)],
            hold="pin",
            pin_angle=arm + elbow + rel,
            face="determined" if i >= 1 else "happy",
        )

        def extra(sp, info, i=i):
            shoulder = (info["neck"][0], info["neck"][1] + 5)
            if i == 3:
                _swoosh(sp, shoulder, 62, 200, 150)
            if i == 4:
                _swoosh(sp, shoulder, 64, 165, 100, 5)
                _swoosh(sp, shoulder, 54, 150, 105, 3)
            if i == 5:
                _swoosh(sp, shoulder, 64, 95, 50, 4)

        out["rolling pin%d.tif" % (i + 1)] = hero_frame(pose, width=150, height=200, extra=extra)
    return out


def star(sp, c, r, turn=0.0, colour=STAR):
    pts = []
    for k in range(10):
        a = math.radians(turn + k * 36 - 90)
        rr = r if k % 2 == 0 else r * 0.45
        pts.append((c[0] + rr * math.cos(a), c[1] + rr * math.sin(a)))
    sp.fill(sp.poly_mask(pts), colour, outline=1.5)


@functools.lru_cache(None)
def falling_frames():
    angles = [0, 18, 42, 66, 88, 90, 90, 90]
    faces = ["ouch", "ouch", "ouch", "shock", "shock", "dizzy", "dizzy", "dizzy"]
    out = {}
    for i in range(8):
        theta = math.radians(angles[i])
        pivot = (35.0, 160.0)
        shift = 25 + 118 * angles[i] / 90

        def xform(p, theta=theta, pivot=pivot, shift=shift):
            x, y = p[0] - pivot[0], p[1] + 30 - pivot[1]
            xr = x * math.cos(theta) + y * math.sin(theta)
            yr = -x * math.sin(theta) + y * math.cos(theta)
            return (pivot[0] + xr + shift, pivot[1] + yr)

        flail = 40 * math.sin(i * 1.7)
        if i < 5:
            arms = [(150 + flail, 20), (130 - flail, 30)]
            legs = [(10, 20), (-8 + i * 4, 10)]
        else:
            arms = [(25, 15), (50, 25)]
            legs = [(6, 8), (-4, 6)]
        pose = default_pose(lean=-10 if i == 0 else 0, arms=arms, legs=legs, face=faces[i])

        def extra(sp, info, i=i, xform=xform):
            head = xform(info["head"])
            if i == 0:
                for k, (dx, dy) in enumerate(((-18, -30), (20, -34), (34, -14))):
                    star(sp, (head[0] + dx, head[1] + dy), 6, turn=k * 20)
            if i >= 5:
                for k in range(4 if i >= 6 else 3):
                    a = math.radians(k * 360 / (4 if i >= 6 else 3) + i * 50)
                    c = (head[0] + 26 * math.cos(a), head[1] - 30 + 8 * math.sin(a))
                    star(sp, c, 6 if k % 2 else 7.5, turn=i * 15 + k * 20)

        # Drawn with a margin on the left, then cut to 190 columns keeping the
        # body in view: the fall goes backwards, toward the picture's left edge.
        pic = ground(render(240, 190, pose, xform=xform, extra=extra).hard())
        cols = pic[:, :, 3].any(axis=0).nonzero()[0]
        start = min(25, cols[0] - 2)
        out["falling%d.tif" % (i + 1)] = pic[:, start : start + 190].copy()
    return out


def jump_pose():
    return default_pose(legs=[(40, 80), (60, 90)], arms=[(160, 10), (140, 20)], face="happy")


def extra_frames():
    return {
        "0trial.tif": hero_frame(default_pose(face="determined")),
        "jump0.tif": hero_frame(jump_pose(), width=90),
    }


def all_frames():
    out = {}
    for part in (walk_frames, reaching_frames, milk_frames, rolling_pin_frames, falling_frames,
                 extra_frames):
        out.update(part())
    return out


__all__ = ["all_frames", "carton_shape", "pin_shape", "star", "INK"]
