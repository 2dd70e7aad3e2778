"""Drawing surfaces shared by every picture.

Shapes are drawn four times larger than the picture and averaged down, so
edges between colours inside a sprite are smooth while the sprite's own edge
is cut hard (alpha 0 or 255): the engine turns alpha into a colour key.
Every filled shape gets a dark outline grown out of its own mask.
"""

import math

import numpy as np
from PIL import Image, ImageDraw

SCALE = 4
INK = (46, 26, 34)  # outline colour: dark plum, never pure black
OUTLINE = 2.0  # outline width in picture pixels


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def shade(c, f):
    """Darken (f < 1) or lighten (f > 1) a colour, nudging shadows toward plum."""
    if f < 1:
        return mix(c, (60, 30, 60), 1 - f)
    return mix(c, (255, 250, 235), f - 1)


def dilate(mask, radius):
    """Grow a boolean mask by a disc of the given radius (hi-res pixels)."""
    if radius <= 0:
        return mask
    r = int(math.ceil(radius))
    rows = np.nonzero(mask.any(axis=1))[0]
    if len(rows) == 0:
        return mask
    cols = np.nonzero(mask.any(axis=0))[0]
    y0, y1 = max(0, rows[0] - r), min(mask.shape[0], rows[-1] + r + 1)
    x0, x1 = max(0, cols[0] - r), min(mask.shape[1], cols[-1] + r + 1)
    out = np.zeros_like(mask)
    out[y0:y1, x0:x1] = _dilate(mask[y0:y1, x0:x1], radius, r)
    return out


def _dilate(mask, radius, r):
    h, w = mask.shape
    padded = np.zeros((h + 2 * r, w + 2 * r), bool)
    padded[r : r + h, r : r + w] = mask
    out = np.zeros_like(mask)
    for dy in range(-r, r + 1):
        span = int(math.floor(math.sqrt(max(0.0, radius * radius - dy * dy))))
        row = np.zeros((h, w + 2 * r), bool)
        src = padded[r + dy : r + dy + h, :]
        for dx in range(-span, span + 1):
            row[:, r : r + w] |= src[:, r + dx : r + dx + w]
        out |= row[:, r : r + w]
    return out


def _bbox(mask, grow):
    """Rows and columns (end exclusive) holding the mask, grown by `grow`."""
    rows = np.flatnonzero(mask.any(axis=1))
    if len(rows) == 0:
        return None
    cols = np.flatnonzero(mask[rows[0] : rows[-1] + 1].any(axis=0))
    h, w = mask.shape
    return (max(0, rows[0] - grow), min(h, rows[-1] + 1 + grow),
            max(0, cols[0] - grow), min(w, cols[-1] + 1 + grow))


def ellipse_points(cx, cy, rx, ry, n=40, start=0.0, end=360.0):
    pts = []
    for i in range(n + 1 if end - start < 360 else n):
        a = math.radians(start + (end - start) * i / n)
        pts.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return pts


class Sprite:
    """A supersampled RGBA drawing surface measured in picture pixels."""

    def __init__(self, width, height, scale=SCALE):
        self.width = width
        self.height = height
        self.s = scale
        self.rgba = np.zeros((height * scale, width * scale, 4), np.uint8)
        self.xform = None  # optional point transform applied to every shape

    # --- masks -------------------------------------------------------------
    def _pt(self, p):
        if self.xform is not None:
            p = self.xform(p)
        return (p[0] * self.s, p[1] * self.s)

    def _mask(self, draw):
        img = Image.new("L", (self.rgba.shape[1], self.rgba.shape[0]), 0)
        draw(ImageDraw.Draw(img))
        return np.asarray(img) > 127

    def poly_mask(self, pts):
        hp = [self._pt(p) for p in pts]
        return self._mask(lambda d: d.polygon(hp, fill=255))

    def circle_mask(self, c, r):
        return self.poly_mask(ellipse_points(c[0], c[1], r, r, 48))

    def ellipse_mask(self, cx, cy, rx, ry, angle=0.0):
        pts = ellipse_points(0, 0, rx, ry, 48)
        ca, sa = math.cos(math.radians(angle)), math.sin(math.radians(angle))
        pts = [(cx + x * ca - y * sa, cy + x * sa + y * ca) for x, y in pts]
        return self.poly_mask(pts)

    def capsule_mask(self, a, b, r, r2=None):
        """A limb: a tapered stroke with round ends from a (radius r) to b (radius r2)."""
        r2 = r if r2 is None else r2
        pa, pb = self._pt(a), self._pt(b)
        scale = self.s
        if self.xform is not None:  # transforms used here are rigid: radii stay
            pass
        ra, rb = r * scale, r2 * scale
        dx, dy = pb[0] - pa[0], pb[1] - pa[1]
        length = math.hypot(dx, dy) or 1e-6
        nx, ny = -dy / length, dx / length
        quad = [
            (pa[0] + nx * ra, pa[1] + ny * ra),
            (pb[0] + nx * rb, pb[1] + ny * rb),
            (pb[0] - nx * rb, pb[1] - ny * rb),
            (pa[0] - nx * ra, pa[1] - ny * ra),
        ]

        def draw(d):
            d.polygon(quad, fill=255)
            d.ellipse([pa[0] - ra, pa[1] - ra, pa[0] + ra, pa[1] + ra], fill=255)
            d.ellipse([pb[0] - rb, pb[1] - rb, pb[0] + rb, pb[1] + rb], fill=255)

        return self._mask(draw)

    def line_mask(self, pts, width):
        hp = [self._pt(p) for p in pts]
        w = max(1, int(round(width * self.s)))

        def draw(d):
            d.line(hp, fill=255, width=w, joint="curve")
            for p in (hp[0], hp[-1]):
                d.ellipse([p[0] - w / 2, p[1] - w / 2, p[0] + w / 2, p[1] + w / 2], fill=255)

        return self._mask(draw)

    # --- painting ----------------------------------------------------------
    def paint(self, mask, colour):
        box = _bbox(mask, 0)
        if box is None:
            return
        y0, y1, x0, x1 = box
        sub = self.rgba[y0:y1, x0:x1]
        sub[mask[y0:y1, x0:x1]] = (colour[0], colour[1], colour[2], 255)

    def fill(self, mask, colour, outline=OUTLINE, light=None, dark=None, clip=None):
        """Outline, fill, then a shadow rim (bottom right) and a light rim (top left)."""
        if clip is not None:
            mask = mask & clip
        grow = int(math.ceil(max(outline or 0, dark or 0, light or 0) * self.s)) + 1
        box = _bbox(mask, grow)
        if box is None:
            return mask
        y0, y1, x0, x1 = box
        m = mask[y0:y1, x0:x1]
        sub = self.rgba[y0:y1, x0:x1]
        if outline:
            ring = _dilate(m, outline * self.s, int(math.ceil(outline * self.s)))
            if clip is not None:
                ring &= clip[y0:y1, x0:x1]
            sub[ring] = INK + (255,)
        sub[m] = tuple(colour) + (255,)
        # beyond the crop (and the canvas edge) the shape is taken to carry on
        if dark:
            off = int(dark * self.s)
            shifted = m.copy()
            shifted[:-off, :-off] = m[off:, off:]
            sub[m & ~shifted] = shade(colour, 0.72) + (255,)
        if light:
            off = int(light * self.s)
            shifted = m.copy()
            shifted[off:, off:] = m[:-off, :-off]
            sub[m & ~shifted] = shade(colour, 1.35) + (255,)
        return mask

    def alpha_mask(self):
        return self.rgba[:, :, 3] > 0

    # --- output ------------------------------------------------------------
    def _average(self, block=None):
        s = self.s if block is None else block
        f = self.rgba.astype(np.float32)
        a = f[:, :, 3:4] / 255.0
        pre = np.concatenate([f[:, :, :3] * a, a], axis=2)
        h, w = self.rgba.shape[0] // s, self.rgba.shape[1] // s
        return pre.reshape(h, s, w, s, 4).mean(axis=(1, 3))

    def hard(self):
        """Picture-size RGBA with alpha cut to 0 or 255."""
        avg = self._average()
        alpha = avg[:, :, 3]
        keep = alpha >= 0.5
        rgb = np.zeros(alpha.shape + (3,), np.float32)
        rgb[keep] = avg[keep][:, :3] / alpha[keep][:, None]
        out = np.zeros(alpha.shape + (4,), np.uint8)
        out[:, :, :3] = np.clip(np.round(rgb), 0, 255).astype(np.uint8)
        out[:, :, 3] = np.where(keep, 255, 0)
        out[~keep, :3] = 0
        return out

    def soft(self, zoom=1):
        """RGBA with smooth edges, for compositing onto pages; zoom enlarges
        by averaging smaller blocks of the fine drawing (scale must divide)."""
        avg = self._average(self.s // zoom)
        alpha = avg[:, :, 3]
        rgb = np.zeros(alpha.shape + (3,), np.float32)
        nz = alpha > 0
        rgb[nz] = avg[nz][:, :3] / alpha[nz][:, None]
        out = np.zeros(alpha.shape + (4,), np.uint8)
        out[:, :, :3] = np.clip(np.round(rgb), 0, 255).astype(np.uint8)
        out[:, :, 3] = np.clip(np.round(alpha * 255), 0, 255).astype(np.uint8)
        return out


def ground(rgba, bottom=None):
    """Move a hard-edged picture down so its lowest opaque row is the last row."""
    rows = np.nonzero(rgba[:, :, 3].any(axis=1))[0]
    if len(rows) == 0:
        return rgba
    drop = (rgba.shape[0] - 1 if bottom is None else bottom) - rows[-1]
    if drop == 0:
        return rgba
    out = np.zeros_like(rgba)
    if drop > 0:
        out[drop:] = rgba[:-drop]
    else:
        out[:drop] = rgba[-drop:]
    return out


def mirror(rgba):
    return rgba[:, ::-1].copy()


def composite(page, rgba, x, y):
    """Alpha-blend an RGBA array onto a float RGB page at (x, y), clipped."""
    h, w = rgba.shape[:2]
    ph, pw = page.shape[:2]
    x0, y0 = max(0, x), max(0, y)
    x1, y1 = min(pw, x + w), min(ph, y + h)
    if x0 >= x1 or y0 >= y1:
        return
    src = rgba[y0 - y : y1 - y, x0 - x : x1 - x].astype(np.float32)
    a = src[:, :, 3:4] / 255.0
    page[y0:y1, x0:x1] = page[y0:y1, x0:x1] * (1 - a) + src[:, :, :3] * a


BAYER4 = np.array([[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]], np.float32)


def dither565(page):
    """Quantise a float RGB page to 8 bits with an ordered-dither offset below
    one 5-6-5 step, so the display's truncation to 16 bits does not band."""
    h, w = page.shape[:2]
    t = (BAYER4 + 0.5) / 16.0
    tile = np.tile(t, (h // 4 + 1, w // 4 + 1))[:h, :w]
    steps = np.array([8.0, 4.0, 8.0], np.float32)
    out = np.floor(page + tile[:, :, None] * steps[None, None, :])
    return np.clip(out, 0, 255).astype(np.uint8)


def resize_soft(rgba, factor):
    """Scale a soft RGBA picture smoothly (premultiplied, so edges stay clean)."""
    f = rgba.astype(np.float32)
    a = f[:, :, 3:4] / 255.0
    pre = np.concatenate([f[:, :, :3] * a, a * 255.0], axis=2)
    h, w = rgba.shape[:2]
    size = (max(1, int(round(w * factor))), max(1, int(round(h * factor))))
    chans = [np.asarray(Image.fromarray(pre[:, :, c], "F").resize(size, Image.LANCZOS))
             for c in range(4)]
    pre = np.stack(chans, axis=2)
    alpha = np.clip(pre[:, :, 3], 0, 255)
    out = np.zeros(pre.shape, np.uint8)
    nz = alpha > 0.5
    rgb = np.zeros(pre.shape[:2] + (3,), np.float32)
    rgb[nz] = pre[nz][:, :3] / (alpha[nz][:, None] / 255.0)
    out[:, :, :3] = np.clip(np.round(rgb), 0, 255).astype(np.uint8)
    out[:, :, 3] = np.round(alpha).astype(np.uint8)
    return out
