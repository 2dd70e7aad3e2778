"""The full-screen pages: title, instructions, press space, game over."""

import math

import numpy as np
from PIL import Image, ImageDraw, ImageFont

from . import hero, kitchen, muffin, props
from .canvas import INK, Sprite, composite, dilate, resize_soft
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


def keycap(page, x, y, label, width=None):
    size = 22
    width = width or max(38, int(len(label) * 14 + 20))
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


STORY = [
    "At midnight the muffins on the kitchen counter came alive,",
    "and now they roll after you! Melt them before they reach you.",
]
KEYS = [
    (["\u2190", "\u2192"], "Walk left and right"),
    (["G"], "Take milk from a fridge (stand across its edge)"),
    (["F"], "Pick up a rolling pin"),
    (["T"], "Splash milk when a muffin reaches you"),
    (["R"], "Swing a rolling pin when a muffin reaches you"),
]


def instructions_page(bk):
    page = bk.copy()
    dim(page, 0.55)
    panel(page, 40, 20, 860, 480)
    head = lettering("How to play", 54, (255, 222, 120), (226, 128, 46), outline=5)
    composite(page, head, 450 - head.shape[1] // 2, 14)
    for i, line in enumerate(STORY):
        text(page, line, 450, 112 + 28 * i, 23, anchor="ma", path=BOLD)
    y = 182
    for keys, what in KEYS:
        x = 90
        for k in keys:
            x += keycap(page, x, y, k) + 8
        text(page, what, 220, y + 5, 23, colour=(255, 250, 240))
        y += 42
    x = 90
    for label, what in (("P", "Pause"), ("O", "Resume"), ("Esc", "Quit")):
        x += keycap(page, x, y, label) + 10
        x += int(text(page, what, x, y + 5, 23, colour=(255, 250, 240))) + 34
    y += 52
    milk, pin = props.milk_carton_icon(), props.rolling_pin_icon()
    for k in range(5):  # the rows seen in play, standing on the text's baseline
        hard_on(page, milk, 96 + 15 * k, y + 30 - milk.shape[0])
        hard_on(page, pin, 196 + 15 * k, y + 30 - pin.shape[0])
    text(page, "You carry up to five of each.", 300, y, 23, colour=(255, 226, 150))
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
