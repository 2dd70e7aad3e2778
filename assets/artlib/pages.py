"""The full-screen pages: title, instructions, press space, game over."""

import math

import numpy as np
from PIL import Image, ImageDraw, ImageFont

from . import hero, kitchen, muffin, props
from .canvas import INK, Sprite, composite, dilate, resize_soft, shade
from .kid import default_pose, render

FONT_DIR = "/usr/share/fonts/opentype/comic-neue/"
BOLD = FONT_DIR + "ComicNeue-Bold.otf"
REGULAR = FONT_DIR + "ComicNeue-Regular.otf"
SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
CREAM = (255, 244, 222)


def font(path, size):
    return ImageFont.truetype(path, size)


def lettering(text, size, top, bottom, path=BOLD, outline=7, drips=0, seed=0):
    """Big title letters: a vertical gradient fill, a thick dark outline, a
    cream rim and a drop shadow; drips of icing hang from some letters.
    Drawn at twice the size and averaged down, as soft RGBA."""
    k = 2
    f = font(path, size * k)
    box = f.getbbox(text)
    pad = (outline + 14) * k
    w = box[2] - box[0] + 2 * pad
    h = box[3] - box[1] + 2 * pad + (40 * k if drips else 0)
    img = Image.new("L", (w, h), 0)
    ImageDraw.Draw(img).text((pad - box[0], pad - box[1]), text, font=f, fill=255)
    mask = np.asarray(img) > 127
    if drips:
        d = ImageDraw.Draw(img)
        cols = np.nonzero(mask.any(axis=0))[0]
        rng = np.random.RandomState(seed)  # fixed seed: the same drips every run
        for i in range(drips):
            x = int(cols[0] + (cols[-1] - cols[0]) * (i + 0.5) / drips + rng.randint(-6, 7) * k)
            ys = np.nonzero(mask[:, x])[0]
            if len(ys) == 0:
                continue
            y0 = ys[-1] - 4 * k
            length = (8 + rng.randint(0, 22)) * k
            r = (4 + rng.randint(0, 3)) * k
            d.rectangle([x - r * 0.7, y0, x + r * 0.7, y0 + length], fill=255)
            d.ellipse([x - r, y0 + length - r, x + r, y0 + length + r], fill=255)
        mask = np.asarray(img) > 127
    rim = dilate(mask, 3 * k)
    ink = dilate(rim, outline * k)
    rows = np.linspace(0, 1, h, dtype=np.float32)[:, None, None]
    t = np.clip((rows - pad / h) / max(1e-6, 1 - 2 * pad / h), 0, 1)
    fill = np.array(top, np.float32) * (1 - t) + np.array(bottom, np.float32) * t
    fill = np.broadcast_to(fill, (h, w, 3)).copy()
    out = np.zeros((h, w, 4), np.float32)
    sh = 5 * k
    shadow = np.zeros_like(ink)
    shadow[sh:, sh:] = ink[:-sh, :-sh]
    out[shadow] = (20, 10, 20, 150)
    out[ink] = INK + (255,)
    out[rim] = CREAM + (255,)
    out[mask, :3] = fill[mask]
    out[mask, 3] = 255
    # average 2x2 down to the page size (premultiplied)
    a = out[:, :, 3:4] / 255
    pre = np.concatenate([out[:, :, :3] * a, a], axis=2)
    pre = pre[: h // k * k, : w // k * k].reshape(h // k, k, w // k, k, 4).mean(axis=(1, 3))
    res = np.zeros(pre.shape, np.uint8)
    nz = pre[:, :, 3] > 0
    res[nz, :3] = np.clip(pre[nz][:, :3] / pre[nz][:, 3:4], 0, 255)
    res[:, :, 3] = np.clip(pre[:, :, 3] * 255, 0, 255)
    return res


def text(page, s, x, y, size, colour=CREAM, path=BOLD, anchor="la", shadow=True):
    """Plain text with a dark shadow, drawn straight onto a float page."""
    img = Image.new("RGBA", (page.shape[1], page.shape[0]), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    f = font(path, size)
    if shadow:
        d.text((x + 2, y + 2), s, font=f, fill=INK + (220,), anchor=anchor, stroke_width=2,
               stroke_fill=INK + (220,))
    d.text((x, y), s, font=f, fill=colour + (255,), anchor=anchor)
    composite(page, np.asarray(img), 0, 0)
    return d.textlength(s, font=f)


def dim(page, amount):
    page *= 1 - amount
    page += np.array((20, 14, 40), np.float32) * amount


def panel(page, x0, y0, x1, y1, colour=(44, 34, 64), alpha=0.82, radius=18):
    sp = Sprite(x1 - x0 + 8, y1 - y0 + 8, scale=2)
    sp.fill(sp.poly_mask(props.rounded_rect(4, 4, x1 - x0 + 4, y1 - y0 + 4, radius)), colour,
            outline=3.0)
    layer = sp.soft()
    layer[:, :, 3] = (layer[:, :, 3] * alpha).astype(np.uint8)
    composite(page, layer, x0 - 4, y0 - 4)


def keycap_width(label):
    return max(38, int(len(label) * 14 + 20))


def keycap(page, x, y, label, width=None):
    size = 22
    width = width or keycap_width(label)
    sp = Sprite(width + 8, 44, scale=2)
    sp.fill(sp.poly_mask(props.rounded_rect(4, 8, width + 4, 40, 7)), (150, 140, 170), outline=2.0)
    sp.fill(sp.poly_mask(props.rounded_rect(4, 4, width + 4, 34, 7)), (246, 240, 230), outline=2.0,
            dark=1.5)
    composite(page, sp.soft(), x - 4, y - 4)
    f = font(SANS_BOLD, size)
    img = Image.new("RGBA", (width + 8, 44), (0, 0, 0, 0))
    ImageDraw.Draw(img).text((width / 2 + 4, 19), label, font=f, fill=INK + (255,), anchor="mm")
    composite(page, np.asarray(img), x - 4, y - 4)
    return width


def hard_on(page, rgba, x, y, zoom=1.0):
    if zoom != 1.0:
        rgba = resize_soft(rgba, zoom)
    composite(page, rgba, int(x), int(y))


def title_page(bk):
    page = bk.copy()
    dim(page, 0.35)
    a = lettering("Muffin", 118, (255, 222, 120), (226, 128, 46), drips=0)
    b = lettering("Meltdown", 104, (255, 176, 196), (214, 76, 120), drips=9, seed=3)
    composite(page, a, 450 - a.shape[1] // 2 - 40, 6)
    composite(page, b, 450 - b.shape[1] // 2 + 40, 118)
    # the hero, splashing, and muffins rolling in
    hard_on(page, hero.milk_frames()["milk4.tif"], 60, 430 - 225, 1.5)
    for x, k in ((560, 2), (690, 5), (800, 8)):
        hard_on(page, muffin.muffin_turn(k), x, 430 - 165, 1.5)
    hard_on(page, muffin.muffin_melt(2), 250, 430 - 45, 1.5)
    text(page, "Powered by Tolvo", 890, 490, 16, colour=(230, 220, 240), path=REGULAR, anchor="rb")
    return page


def label(page, x, y, w, h, s, size, colour=INK, path=SANS_BOLD, stroke=0):
    """Text centred in the box (x, y, w, h), drawn straight onto a float page."""
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    ImageDraw.Draw(img).text((w / 2, h / 2), s, font=font(path, size), fill=colour + (255,),
                             anchor="mm", stroke_width=stroke, stroke_fill=INK + (255,))
    composite(page, np.asarray(img), int(x), int(y))


# Gamepad parts, drawn the height of a key cap (y is the cap's top, 30 high
# plus its 6-pixel base) so a row reads key, button, words; each fills the
# width PAD_WIDTHS gives it (face buttons: 32).
PAD_GREY = (214, 210, 226)
PAD_DARK = (118, 110, 138)
FACE_COLOURS = {  # the colours every pad of this layout wears
    "A": (104, 196, 76),
    "B": (232, 78, 70),
    "X": (66, 140, 232),
    "Y": (250, 196, 52),
}
PAD_WIDTHS = {"D-pad": 32, "L": 32, "RB": 48, "Start": 52, "Back": 52}
MIDDLE = 17  # a glyph's centre below the cap's top


def face_button(page, x, y, letter):
    sp = Sprite(40, 40, scale=4)
    sp.fill(sp.circle_mask((20, 20), 15.5), FACE_COLOURS[letter], dark=1.6, light=1.2)
    composite(page, sp.soft(), x - 4, y + MIDDLE - 20)
    label(page, x - 4, y + MIDDLE - 20, 40, 41, letter, 19, colour=(255, 255, 255), stroke=2)


def dpad(page, x, y):
    """A cross whose left and right arms carry arrows: the ones that walk."""
    sp = Sprite(40, 40, scale=4)
    cross = sp.poly_mask(props.rounded_rect(4, 13.5, 36, 26.5, 3)) | \
        sp.poly_mask(props.rounded_rect(13.5, 4, 26.5, 36, 3))
    sp.fill(cross, PAD_GREY, dark=1.4)
    sp.fill(sp.circle_mask((20, 20), 3.4), shade(PAD_GREY, 0.8), outline=0)
    for tip, back in ((6.5, 13.5), (33.5, 26.5)):
        sp.fill(sp.poly_mask([(tip, 20), (back, 15), (back, 25)]), INK, outline=0)
    composite(page, sp.soft(), x - 4, y + MIDDLE - 20)


def stick(page, x, y):
    """The left stick seen from above: a well with its cap, marked L."""
    sp = Sprite(40, 40, scale=4)
    sp.fill(sp.circle_mask((20, 20), 15.5), PAD_DARK, dark=1.2)
    sp.fill(sp.circle_mask((20, 19), 11), PAD_GREY, outline=1.6, dark=1.4)
    composite(page, sp.soft(), x - 4, y + MIDDLE - 20)
    label(page, x - 4, y + MIDDLE - 21, 40, 41, "L", 15)


def shoulder(page, x, y, name):
    """A bumper: a wide button, rounder on top, as it sits on the pad's edge."""
    sp = Sprite(56, 40, scale=4)
    top = sp.ellipse_mask(28, 20, 24, 12)
    body = top | sp.poly_mask(props.rounded_rect(4, 20, 52, 32, 5))
    sp.fill(body, PAD_GREY, dark=1.4, light=1.4)
    composite(page, sp.soft(), x - 4, y + MIDDLE - 20)
    label(page, x - 4, y + MIDDLE - 19, 56, 40, name, 15)


def pill(page, x, y, name):
    """The small Start and Back buttons in the middle of a pad."""
    width = PAD_WIDTHS[name]
    sp = Sprite(width + 8, 40, scale=4)
    sp.fill(sp.poly_mask(props.rounded_rect(4, 8.5, width + 4, 31.5, 11.5)), PAD_GREY, dark=1.4)
    composite(page, sp.soft(), x - 4, y + MIDDLE - 20)
    label(page, x - 4, y + MIDDLE - 20, width + 8, 40, name, 14)


def pad_glyph(page, x, y, name):
    if name in FACE_COLOURS:
        face_button(page, x, y, name)
    elif name == "D-pad":
        dpad(page, x, y)
    elif name == "L":
        stick(page, x, y)
    elif name == "RB":
        shoulder(page, x, y, name)
    else:
        pill(page, x, y, name)


STORY = [
    "At midnight the muffins came alive, and now they roll after you!",
    "Melt each one as it reaches you. For milk, stand across a fridge's edge.",
]
# Each row: the keys, the gamepad buttons that press them, what they do.
# Play on the left, the game itself on the right.
PLAY_ROWS = [
    (["\u2190", "\u2192"], ["D-pad", "L"], "Walk left and right"),
    (["G"], ["Y"], "Take milk from a fridge"),
    (["F"], ["X"], "Pick up a rolling pin"),
    (["T"], ["B"], "Splash milk at a muffin"),
    (["R"], ["RB"], "Swing a rolling pin"),
]
GAME_ROWS = [
    (["Space"], ["A"], "Start playing"),
    (["P", "O"], ["Start"], "Pause / resume"),
    (["Esc"], ["Back"], "Quit (hold Back)"),
    (["M"], [], "Sound on / off"),
]
CARRIED = "You carry up to five of each."
PADS = "On a gamepad, press the buttons shown."
PANEL = (40, 20, 860, 480)
ROW_PITCH = 50
ROW_HEIGHT = 36  # a key cap with its base
WORDS_SIZE = 22
PAD_GAP = 8
ICON_ROW = 22 + 4 * 15  # five carried icons, 15 pixels apart (the widest icon is 26)


def words_width(s, size=WORDS_SIZE):
    return int(math.ceil(font(BOLD, size).getlength(s)))


def key_rows(rows, x, y, pad_column):
    """Where each part of the rows goes: keys from x, the buttons centred in
    the pad column, the words after it."""
    items = []
    pad_x, pad_w = pad_column
    for keys, buttons, what in rows:
        kx = x
        for k in keys:
            items.append(("key", kx, y, keycap_width(k), ROW_HEIGHT, k))
            kx += keycap_width(k) + 8
        widths = [PAD_WIDTHS.get(b, 32) for b in buttons]
        bx = pad_x + (pad_w - sum(widths) - PAD_GAP * (len(buttons) - 1)) // 2
        for b, w in zip(buttons, widths):
            items.append(("pad", bx, y, w, ROW_HEIGHT, b))
            bx += w + PAD_GAP
        if not buttons:
            items.append(("no pad", pad_x, y, pad_w, ROW_HEIGHT, "\u2013"))
        items.append(("words", pad_x + pad_w + 14, y, words_width(what), ROW_HEIGHT, what))
        y += ROW_PITCH
    return items


def instructions_layout():
    """Every part of the instructions page below its heading, as
    (kind, x, y, width, height, what) boxes, so the page can be checked for fit."""
    items = []
    for i, line in enumerate(STORY):
        w = words_width(line)
        items.append(("story", 450 - w // 2, 104 + 27 * i, w, 26, line))
    top = 172
    items += key_rows(PLAY_ROWS, 66, top, (162, 72))
    items += key_rows(GAME_ROWS, 506, top, (606, 52))
    # the right column is a row short: room to say what the buttons are
    items.append(("note", 506, top + len(GAME_ROWS) * ROW_PITCH, words_width(PADS, 18), ROW_HEIGHT,
                  PADS))
    y = top + len(PLAY_ROWS) * ROW_PITCH + 8
    milk_w, pins_w, words_w = ICON_ROW, ICON_ROW + 4, words_width(CARRIED)
    x = 450 - (milk_w + 22 + pins_w + 18 + words_w) // 2  # the line is centred
    items.append(("milk", x, y, milk_w, 30, "milk carton"))
    x += milk_w + 22
    items.append(("pins", x, y, pins_w, 30, "rolling pin"))
    x += pins_w + 18
    items.append(("carried", x, y, words_w, 30, CARRIED))
    return items


def instructions_page(bk):
    page = bk.copy()
    dim(page, 0.55)
    # a little denser than the other pages: the rows run over the busy shelf
    panel(page, *PANEL, alpha=0.88)
    head = lettering("How to play", 54, (255, 222, 120), (226, 128, 46), outline=5)
    composite(page, head, 450 - head.shape[1] // 2, 14)
    milk, pin = props.milk_carton_icon(), props.rolling_pin_icon()
    for kind, x, y, w, h, what in instructions_layout():
        if kind == "story":
            text(page, what, 450, y, WORDS_SIZE, anchor="ma")
        elif kind == "key":
            keycap(page, x, y, what)
        elif kind == "pad":
            pad_glyph(page, x, y, what)
        elif kind == "no pad":  # a key no button presses
            label(page, x, y, w, 34, what, 22, colour=(176, 166, 200), path=BOLD)
        elif kind == "words":
            text(page, what, x, y + 5, WORDS_SIZE, colour=(255, 250, 240))
        elif kind == "note":
            text(page, what, x, y + 8, 18, colour=(206, 196, 232))
        elif kind in ("milk", "pins"):
            icon = milk if kind == "milk" else pin
            for k in range(5):  # the rows seen in play, standing on the text's baseline
                hard_on(page, icon, x + 15 * k, y + h - icon.shape[0])
        else:
            text(page, what, x, y, WORDS_SIZE, colour=(255, 226, 150))
    return page


def press_space_page(bk):
    page = bk.copy()
    dim(page, 0.6)
    head = lettering("Press SPACE to begin", 64, (255, 222, 120), (226, 128, 46), outline=6)
    composite(page, head, 450 - head.shape[1] // 2, 10)
    # a calm stage where the story pictures appear
    panel(page, 100, 150, 800, 450, colour=(36, 28, 56), alpha=0.7, radius=20)
    keycap(page, 360, 458, "SPACE", width=180)
    return page


def game_over_page(bk):
    page = bk.copy()
    dim(page, 0.55)
    head = lettering("Game Over", 110, (255, 176, 196), (214, 76, 120), drips=7, seed=5)
    composite(page, head, 450 - head.shape[1] // 2, 30)
    text(page, "The muffins got you!", 450, 215, 34, anchor="ma")
    hard_on(page, hero.falling_frames()["falling8.tif"], 300, 430 - 190)
    for x, k in ((560, 0), (680, 11)):
        hard_on(page, muffin.muffin_turn(k), x, 320)
    hard_on(page, muffin.muffin_melt(6), 160, 400)
    text(page, "Get ready for another round...", 450, 470, 22, colour=(230, 220, 240), anchor="ma",
         path=REGULAR)
    return page


def all_pages():
    bk = kitchen.kitchen()
    return {
        "bk1_new.tif": bk,
        "titlepage.tif": title_page(bk),
        "instructions.tif": instructions_page(bk),
        "press space to begin.tif": press_space_page(bk),
        "game over page.tif": game_over_page(bk),
    }


__all__ = ["all_pages", "lettering", "text", "render", "default_pose", "math"]
