"""The hero: a kid in striped pyjamas and a floppy night cap, drawn from a
small skeleton so every pose (walk, reach, splash, swing, fall) shares one look."""

import math

import numpy as np

from .canvas import INK, Sprite, shade

SKIN = (252, 206, 168)
CHEEK = (242, 142, 128)
HAIR = (128, 72, 42)
PJ = (116, 168, 236)
PJ_STRIPE = (76, 116, 204)
CUFF = (244, 242, 250)
CAP = (218, 58, 62)
CAP_BAND = (250, 246, 236)
SLIPPER = (206, 74, 96)
EYE_WHITE = (255, 255, 255)
WOOD = (214, 150, 84)
MILK = (250, 252, 255)

THIGH, SHIN = 25.0, 23.0
UPPER_ARM, FOREARM = 19.0, 18.0
TORSO = 33.0
HEAD_R = 20.0


def polar(p, angle_deg, length):
    """A point at `length` from p; angle 0 points down, positive swings forward (+x)."""
    a = math.radians(angle_deg)
    return (p[0] + length * math.sin(a), p[1] + length * math.cos(a))


def default_pose(**kw):
    pose = {
        "hip": (35.0, 92.0),
        "lean": 0.0,  # torso tilt, degrees forward
        "legs": [(0.0, 0.0), (0.0, 0.0)],  # (thigh angle, knee bend) far, near
        "arms": [(-8.0, 20.0), (8.0, 20.0)],  # (shoulder angle, elbow bend) far, near
        "face": "happy",
        "head": 0.0,  # head tilt, degrees
        "hold": None,  # item in the near hand: "carton", "pin", "fist"
        "pin_angle": 0.0,
        "squeeze": 0.0,
    }
    pose.update(kw)
    return pose


def _limb(sp, a, b, c, r1, r2, colour, cuff=None):
    """Two-segment limb a-b-c in one colour, with an optional cuff band at c."""
    m1 = sp.capsule_mask(a, b, r1, r2 * 1.05)
    m2 = sp.capsule_mask(b, c, r2 * 1.05, r2)
    sp.fill(m1 | m2, colour, dark=1.6)
    if cuff is not None:
        d = (c[0] - b[0], c[1] - b[1])
        n = math.hypot(*d) or 1
        back = (c[0] - d[0] / n * 4, c[1] - d[1] / n * 4)
        sp.fill(sp.capsule_mask(back, c, r2 + 0.6), cuff, outline=1.4)


def _leg(sp, hip, thigh, bend, colour, slipper):
    knee = polar(hip, thigh, THIGH)
    ankle = polar(knee, thigh - bend, SHIN)
    _limb(sp, hip, knee, ankle, 8.0, 7.0, colour, cuff=CUFF)
    foot_angle = math.radians((thigh - bend) * 0.6)
    fx, fy = math.cos(foot_angle), math.sin(foot_angle)
    centre = (ankle[0] + fx * 6.5, ankle[1] + 3.0 + fy * 6.5)
    sp.fill(sp.ellipse_mask(centre[0], centre[1], 11.0, 6.0, math.degrees(foot_angle)), slipper,
            dark=1.4, light=1.0)
    return ankle


def _arm(sp, shoulder, angle, elbow, colour):
    el = polar(shoulder, angle, UPPER_ARM)
    wrist = polar(el, angle + elbow, FOREARM)
    _limb(sp, shoulder, el, wrist, 6.2, 5.4, colour, cuff=CUFF)
    hand = polar(el, angle + elbow, FOREARM + 4.5)
    return hand, angle + elbow


def _hand(sp, hand, colour=SKIN):
    sp.fill(sp.circle_mask(hand, 5.6), colour, dark=1.2)


def carton_shape(sp, cx, cy, angle=0.0, size=1.0):
    """A gable-top milk carton centred at (cx, cy)."""
    w, h = 9.0 * size, 15.0 * size
    ca, sa = math.cos(math.radians(angle)), math.sin(math.radians(angle))

    def at(x, y):
        return (cx + x * ca - y * sa, cy + x * sa + y * ca)

    body = [at(-w, -h * 0.45), at(w, -h * 0.45), at(w, h), at(-w, h)]
    roof = [at(-w, -h * 0.45), at(0, -h * 0.95), at(w, -h * 0.45)]
    fin = [at(-w * 0.35, -h * 0.8), at(w * 0.35, -h * 0.8), at(w * 0.35, -h * 1.2),
           at(-w * 0.35, -h * 1.2)]
    sp.fill(sp.poly_mask(fin), (236, 236, 244), outline=1.5)
    sp.fill(sp.poly_mask(roof), (226, 232, 246), outline=1.8)
    m = sp.fill(sp.poly_mask(body), MILK, outline=1.8, dark=1.5)
    band = [at(-w, h * 0.05), at(w, h * 0.05), at(w, h * 0.55), at(-w, h * 0.55)]
    sp.fill(sp.poly_mask(band), (66, 132, 222), outline=0, clip=m)
    sp.fill(sp.ellipse_mask(*at(0, h * 0.3), w * 0.3, h * 0.16, angle), MILK, outline=0, clip=m)


def pin_shape(sp, a, b, radius=5.0):
    """A wooden rolling pin from a to b: barrel with two thinner handles."""
    dx, dy = b[0] - a[0], b[1] - a[1]
    n = math.hypot(dx, dy) or 1
    ux, uy = dx / n, dy / n
    h = n * 0.2
    a2 = (a[0] + ux * h, a[1] + uy * h)
    b2 = (b[0] - ux * h, b[1] - uy * h)
    for p, q in ((a, a2), (b2, b)):
        sp.fill(sp.capsule_mask(p, q, radius * 0.55), shade(WOOD, 0.85), outline=1.6)
    sp.fill(sp.capsule_mask(a2, b2, radius), WOOD, outline=1.8, dark=1.2, light=0.8)


def _head(sp, centre, tilt, face):
    cx, cy = centre
    old = sp.xform

    def rot(p, old=old):
        a = math.radians(tilt)
        x, y = p[0] - cx, p[1] - cy
        q = (cx + x * math.cos(a) - y * math.sin(a), cy + x * math.sin(a) + y * math.cos(a))
        return old(q) if old else q

    sp.xform = rot
    # cap tail hangs behind, drawn first so the head covers its root
    tail = [(cx - 14, cy - 12), (cx + 4, cy - 24), (cx - 14, cy - 34), (cx - 25, cy - 22),
            (cx - 27, cy - 6)]
    sp.fill(sp.poly_mask(tail), CAP, dark=1.4)
    sp.fill(sp.circle_mask((cx - 26, cy - 3), 5.5), CAP_BAND, dark=1.0)
    sp.fill(sp.circle_mask((cx - 5, cy + 3), 5.0), SKIN)  # ear
    head = sp.fill(sp.circle_mask((cx, cy), HEAD_R), SKIN, dark=2.0, light=1.2)
    hair = [(cx - 19, cy - 6), (cx - 14, cy + 6), (cx - 9, cy - 1), (cx - 6, cy + 4),
            (cx - 2, cy - 6), (cx + 4, cy - 8), (cx - 4, cy - 18)]
    sp.fill(sp.poly_mask(hair), HAIR, outline=1.4, clip=head)
    sp.fill(sp.circle_mask((cx - 5, cy + 3), 2.2), shade(SKIN, 0.8), outline=0)
    band = [(cx - 21, cy - 7), (cx + 18, cy - 12), (cx + 17, cy - 19), (cx - 20, cy - 14)]
    crown = [(cx - 20, cy - 12), (cx + 17, cy - 16), (cx + 6, cy - 26), (cx - 12, cy - 24)]
    sp.fill(sp.poly_mask(crown), CAP, dark=1.2)
    sp.fill(sp.poly_mask(band), CAP_BAND, outline=1.6)
    # face, looking right
    sp.fill(sp.circle_mask((cx + 7, cy + 9), 3.6), CHEEK, outline=0)
    if face == "dizzy":
        for ex in (cx + 7, cx + 15):
            sp.paint(sp.line_mask([(ex - 3, cy - 4), (ex + 3, cy + 2)], 1.8), INK)
            sp.paint(sp.line_mask([(ex - 3, cy + 2), (ex + 3, cy - 4)], 1.8), INK)
    else:
        big = face in ("shock", "ouch")
        ry = 6.5 if big else 5.5
        for ex, rx in ((cx + 8, 4.4), (cx + 16, 3.2)):
            sp.fill(sp.ellipse_mask(ex, cy - 1, rx, ry), EYE_WHITE, outline=1.3)
            sp.fill(sp.circle_mask((ex + 1.3, cy - 0.2), 2.2 if big else 2.5), INK, outline=0)
            sp.fill(sp.circle_mask((ex + 2.0, cy - 1.4), 0.8), EYE_WHITE, outline=0)
        if face == "determined":
            sp.paint(sp.line_mask([(cx + 3, cy - 10), (cx + 12, cy - 6)], 2.0), INK)
            sp.paint(sp.line_mask([(cx + 14, cy - 6), (cx + 19, cy - 9)], 2.0), INK)
    sp.fill(sp.circle_mask((cx + 19.5, cy + 4), 3.4), SKIN, outline=1.4)  # nose
    if face in ("shock", "ouch"):
        sp.fill(sp.ellipse_mask(cx + 12, cy + 12, 3.2, 4.0), (150, 40, 50), outline=1.4)
    elif face == "dizzy":
        sp.paint(sp.line_mask([(cx + 6, cy + 12), (cx + 9, cy + 10), (cx + 12, cy + 13),
                               (cx + 15, cy + 11)], 1.6), INK)
    elif face == "determined":
        sp.paint(sp.line_mask([(cx + 7, cy + 12), (cx + 15, cy + 11)], 1.8), INK)
    else:
        pts = [(cx + 6 + i, cy + 10 + 2.6 * math.sin(math.pi * i / 9)) for i in range(10)]
        sp.paint(sp.line_mask(pts, 1.8), INK)
    sp.xform = old


def draw_kid(sp, pose, xform=None):
    """Draw the kid facing right into sprite `sp`."""
    sp.xform = xform
    hip = pose["hip"]
    lean = pose["lean"]
    neck = polar(hip, 180 - lean, TORSO)
    shoulder = polar(neck, -lean, 5.0)
    far_shoulder = (shoulder[0] - 3, shoulder[1])
    near_shoulder = (shoulder[0] + 1, shoulder[1] + 1)
    (fa, fe), (na, ne) = pose["arms"]
    far_pj, far_slipper = shade(PJ, 0.82), shade(SLIPPER, 0.82)

    # far arm and far leg, a shade darker to sit behind the body
    far_hand, _ = _arm(sp, far_shoulder, fa, fe, far_pj)
    if pose["hold"] == "pin":
        _hand(sp, far_hand, shade(SKIN, 0.85))
    else:
        _hand(sp, far_hand, shade(SKIN, 0.85))
    (ft, fb), (nt, nb) = pose["legs"]
    _leg(sp, (hip[0] - 3, hip[1]), ft, fb, far_pj, far_slipper)
    _leg(sp, (hip[0] + 3, hip[1]), nt, nb, PJ, SLIPPER)

    # pyjama top: a rounded body, flared at the hem, with stripes and buttons
    hem_l = (hip[0] - 15 * math.cos(math.radians(lean)), hip[1] + 6 + 15 * math.sin(math.radians(lean)))
    hem_r = (hip[0] + 15 * math.cos(math.radians(lean)), hip[1] + 6 - 15 * math.sin(math.radians(lean)))
    body = sp.capsule_mask(polar(hip, 180 - lean, 6), polar(neck, -lean, 6), 14.0, 12.0)
    body |= sp.poly_mask([hem_l, hem_r, polar(hem_r, 180 - lean, 16), polar(hem_l, 180 - lean, 16)])
    body = sp.fill(body, PJ, dark=2.0, light=1.2)
    for k in (-8, 0, 8):
        top = polar(neck, 90 - lean, k)
        bottom = polar(hip, 90 - lean, k * 1.15)
        bottom = polar(bottom, -lean, 10)
        sp.paint(sp.line_mask([top, bottom], 2.4) & body, PJ_STRIPE)
    collar = [polar(neck, 90 - lean, -9), polar(neck, 90 - lean, 9), polar(neck, -lean, 9)]
    sp.fill(sp.poly_mask(collar), CUFF, outline=1.4)
    for k in (12, 22):
        b = polar(polar(neck, -lean, k), 90 - lean, 4)
        sp.fill(sp.circle_mask(b, 1.7), CUFF, outline=1.0)

    head_c = polar(neck, 180 - lean - pose["head"] * 0.3, 17.0)
    _head(sp, head_c, lean * 0.5 + pose["head"], pose["face"])

    # near arm in front, with whatever it holds
    hand, fore = _arm(sp, near_shoulder, na, ne, PJ)
    hold = pose["hold"]
    if hold == "carton":
        carton_shape(sp, hand[0] + 2, hand[1] - 4, angle=pose.get("carton_angle", 0.0))
    if hold == "pin":
        a = polar(hand, pose["pin_angle"] + 180, 12)
        b = polar(hand, pose["pin_angle"], 30)
        pin_shape(sp, a, b)
        _hand(sp, far_hand, shade(SKIN, 0.9))
    _hand(sp, hand)
    sp.xform = None
    return {"hand": hand, "head": head_c, "neck": neck}


def render(width, height, pose, xform=None, extra=None):
    sp = Sprite(width, height)
    info = draw_kid(sp, pose, xform)
    if extra:
        extra(sp, info)
    return sp


def has_body_within(rgba, columns=70):
    """True when every opaque pixel of the torso rows lies in the first columns."""
    rows = rgba[60:120, :, 3] > 0
    cols = np.nonzero(rows.any(axis=0))[0]
    return len(cols) == 0 or cols[-1] < columns
