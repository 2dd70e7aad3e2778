"""The web page's controls for fingers: round buttons in the game's own style.

Each is a plate in the colour of the gamepad button that does the same (the
instructions page shows those: Y milk, X pin, B splash, A start) with what it
does drawn on it: the game's own milk carton and rolling pin, a splash of
milk, the pin's swing, arrows to walk. Outlined in the game's ink, shaded with
its rims, edges soft (the page scales them over the picture).
"""

import functools
import math

from .canvas import INK, Sprite, shade
from .hero import SWOOSH
from .kid import MILK, carton_shape, pin_shape
from .pages import FACE_COLOURS, PAD_GREY
from .props import rounded_rect

SIZE = 64  # design pixels; drawn ZOOM times finer for phones' dense screens
ZOOM = 2
SWING = (176, 150, 214)  # the right shoulder's own, as no face colour does it

# The controls, named as the page names them (page/index.html data-control).
CONTROLS = ("walk-left", "walk-right", "milk", "pin", "splash", "swing", "start", "pause",
            "sound")
PLATES = {
    "walk-left": PAD_GREY, "walk-right": PAD_GREY, "milk": FACE_COLOURS["Y"],
    "pin": FACE_COLOURS["X"], "splash": FACE_COLOURS["B"], "swing": SWING,
    "start": FACE_COLOURS["A"], "pause": PAD_GREY, "sound": PAD_GREY,
}


def _arrow(sp, pointing):
    """A fat arrow: the walk's direction."""
    def at(x, y):
        return (32 + x * pointing, y)
    shape = [at(19, 32), at(2, 15), at(2, 25), at(-17, 25), at(-17, 39), at(2, 39), at(2, 49)]
    sp.fill(sp.poly_mask(shape), SWOOSH, outline=2.2, dark=1.2)


def _splash(sp):
    """Milk thrown in an arc, breaking into drops."""
    arc = [(12 + 34 * u, 40 - 22 * u + 30 * u * u) for u in (i / 10 for i in range(11))]
    sp.fill(sp.line_mask(arc, 7.0), MILK, outline=1.8)
    for x, y, r in ((50, 40, 4.2), (44, 28, 3.2), (54, 28, 2.6), (38, 46, 2.4)):
        sp.fill(sp.circle_mask((x, y), r), MILK, outline=1.6)


def _swing(sp):
    """The pin swung through a wide arc."""
    arc = [(32 + 21 * math.cos(a), 36 + 21 * math.sin(a))
           for a in (math.radians(200 + 130 * i / 12) for i in range(13))]
    sp.fill(sp.line_mask(arc, 6.0), SWOOSH, outline=1.6)
    pin_shape(sp, (30, 50), (50, 22), radius=5.0)


def _play(sp, x, size):
    sp.fill(sp.poly_mask([(x, 32 - size), (x + size * 1.5, 32), (x, 32 + size)]), MILK,
            outline=2.2, dark=1.0)


def _pause(sp):
    """Two bars, and the triangle that goes on: one control does both."""
    for x in (15, 25):
        sp.fill(sp.poly_mask(rounded_rect(x, 20, x + 7, 44, 2)), MILK, outline=2.2, dark=1.0)
    _play(sp, 37, 11)


def _sound(sp):
    """A loudspeaker and its waves."""
    sp.fill(sp.poly_mask([(13, 26), (21, 26), (32, 16), (32, 48), (21, 38), (13, 38)]), MILK,
            outline=2.2, dark=1.0)
    for r in (9, 16):
        wave = [(34 + r * math.cos(a), 32 + r * math.sin(a))
                for a in (math.radians(-50 + 100 * i / 8) for i in range(9))]
        sp.fill(sp.line_mask(wave, 3.6), MILK, outline=1.4)


SYMBOLS = {
    "walk-left": lambda sp: _arrow(sp, -1),
    "walk-right": lambda sp: _arrow(sp, 1),
    "milk": lambda sp: carton_shape(sp, 32, 35, size=1.3),
    "pin": lambda sp: pin_shape(sp, (14, 46), (50, 18), radius=6.5),
    "splash": _splash,
    "swing": _swing,
    "start": lambda sp: _play(sp, 23, 14),
    "pause": _pause,
    "sound": _sound,
}


@functools.lru_cache(None)
def control(name):
    """The control's picture, RGBA, SIZE * ZOOM pixels square, transparent around the plate."""
    sp = Sprite(SIZE, SIZE, scale=4 * ZOOM)
    plate = PLATES[name]
    sp.fill(sp.circle_mask((32, 32), 29), plate, outline=2.4, dark=2.0, light=1.6)
    sp.fill(sp.circle_mask((32, 32), 22.5), shade(plate, 0.9), outline=0)
    SYMBOLS[name](sp)
    return sp.soft(ZOOM)


def all_controls():
    return {name: control(name) for name in CONTROLS}
