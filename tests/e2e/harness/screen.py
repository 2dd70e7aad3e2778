"""Screenshots for the end-to-end runs: reading xwd dumps, comparing them with
the picture the engine draws, and writing PNG files.

An xwd header does not always describe its pixel data: on a 16-bit Xvfb screen
Wine can show the DirectDraw frame through a 24-bit window whose pixels hold the
raw 5-6-5 values in their low 16 bits, and the dump's bits-per-pixel and
bytes-per-line do not always agree. So a dump is decoded in every plausible way
and the comparison keeps the reading that matches best: the question is whether
the engine's frame reached the screen, not how the X server coloured it.
"""

import struct
import zlib

import numpy as np

XWD_HEADER_FIELDS = 25


class Dump:
    """One xwd dump: its header fields and raw pixel rows."""

    def __init__(self, data):
        if len(data) < 4 * XWD_HEADER_FIELDS:
            raise ValueError("xwd dump too short")
        fields = struct.unpack(">%dI" % XWD_HEADER_FIELDS, data[:4 * XWD_HEADER_FIELDS])
        (self.header_size, _version, _format, self.depth, self.width, self.height, _xoffset,
         self.byte_order, _unit, _bit_order, _pad, self.bits_per_pixel, self.bytes_per_line,
         _visual, self.red_mask, self.green_mask, self.blue_mask, _bits_per_rgb, _entries,
         self.ncolors) = fields[:20]
        start = self.header_size + 12 * self.ncolors
        self.pixels = data[start:]
        if self.width == 0 or self.height == 0 or self.bytes_per_line < self.width:
            raise ValueError("xwd dump with an empty or impossible geometry")
        if len(self.pixels) < self.bytes_per_line * self.height:
            raise ValueError("xwd dump holds %d bytes of pixels, its header promises %d" %
                             (len(self.pixels), self.bytes_per_line * self.height))

    def pixel_sizes(self):
        """Byte widths a pixel may have: the header's first, then the others that fit a row."""
        sizes = []
        if self.bits_per_pixel in (16, 24, 32):
            sizes.append(self.bits_per_pixel // 8)
        for size in (self.bytes_per_line // self.width, 2, 3, 4):
            if size in (2, 3, 4) and size not in sizes and size * self.width <= self.bytes_per_line:
                sizes.append(size)
        return sizes

    def values(self, size):
        """The pixel values as a height x width array of integers, read `size` bytes each."""
        rows = np.frombuffer(self.pixels[:self.bytes_per_line * self.height], dtype=np.uint8)
        rows = rows.reshape(self.height, self.bytes_per_line)[:, :size * self.width]
        octets = rows.reshape(self.height, self.width, size).astype(np.uint32)
        order = range(size) if self.byte_order == 0 else range(size - 1, -1, -1)
        result = np.zeros((self.height, self.width), dtype=np.uint32)
        for shift, index in enumerate(order):
            result |= octets[:, :, index] << (8 * shift)
        return result

    def readings(self):
        """Every plausible reading of the dump as (name, 5-6-5 array)."""
        found = []
        for size in self.pixel_sizes():
            values = self.values(size)
            found.append(("%d-byte raw 5-6-5" % size, (values & 0xFFFF).astype(np.uint16)))
            masks = (self.red_mask, self.green_mask, self.blue_mask)
            if all(masks) and not (masks == (0xF800, 0x07E0, 0x001F)):
                found.append(("%d-byte by masks" % size, rgb_to_565(channels(values, masks))))
        return found

    def natural(self):
        """The reading a viewer would take, the header's own pixel size and masks: (5-6-5
        words, None) where the values are 5-6-5, else (None, 8-bit RGB)."""
        values = self.values(self.pixel_sizes()[0])
        masks = (self.red_mask, self.green_mask, self.blue_mask)
        if masks == (0xF800, 0x07E0, 0x001F) or not all(masks) or int(values.max()) <= 0xFFFF:
            return (values & 0xFFFF).astype(np.uint16), None
        return None, channels(values, masks)

    def natural_rgb(self):
        """The dump as 8-bit RGB the way a viewer would show it."""
        words, rgb = self.natural()
        return rgb_from_565(words) if rgb is None else rgb

    def natural_565(self):
        words, rgb = self.natural()
        return rgb_to_565(rgb) if words is None else words


def channels(values, masks):
    """Split values by three colour masks into an 8-bit-per-channel RGB array."""
    planes = []
    for mask in masks:
        shift = (mask & -mask).bit_length() - 1
        width = bin(mask).count("1")
        plane = (values & mask) >> shift
        if width < 8:
            plane = plane << (8 - width)
        elif width > 8:
            plane = plane >> (width - 8)
        planes.append(plane.astype(np.uint8))
    return np.stack(planes, axis=-1)


def rgb_to_565(rgb):
    """8-bit RGB to 5-6-5 by truncation, as the engine converts its pictures."""
    rgb = rgb.astype(np.uint16)
    return ((rgb[..., 0] >> 3) << 11) | ((rgb[..., 1] >> 2) << 5) | (rgb[..., 2] >> 3)


def rgb_from_565(words):
    """5-6-5 back to 8-bit RGB with the low bits replicated, for pictures people look at."""
    words = words.astype(np.uint16)
    red = (words >> 11) & 0x1F
    green = (words >> 5) & 0x3F
    blue = words & 0x1F
    return np.stack([(red << 3) | (red >> 2), (green << 2) | (green >> 4),
                     (blue << 3) | (blue >> 2)], axis=-1).astype(np.uint8)


def close_enough(a, b):
    """Per pixel: equal within one step of each 5-6-5 channel (two for green)."""
    a = a.astype(np.int32)
    b = b.astype(np.int32)
    red = np.abs((a >> 11) - (b >> 11)) <= 1
    green = np.abs(((a >> 5) & 0x3F) - ((b >> 5) & 0x3F)) <= 2
    blue = np.abs((a & 0x1F) - (b & 0x1F)) <= 1
    return red & green & blue


def match_region(dump, expected, left, top, width, height, slack=4):
    """How well the screen area at (left, top) shows `expected` (a 5-6-5 array).

    Tries every reading of the dump and every offset within `slack` pixels, since
    a window's reported position and its visible client area may differ by a
    border. Returns (share of matching pixels, reading name, dx, dy).
    """
    width = min(width, expected.shape[1])
    height = min(height, expected.shape[0])
    best = (0.0, "", 0, 0)
    readings = dump.readings()
    # The reported position is nearly always right: look there first.
    offsets = [(0, 0)] + [(dx, dy) for dy in range(-slack, slack + 1)
                          for dx in range(-slack, slack + 1) if (dx, dy) != (0, 0)]
    for dx, dy in offsets:
        if best[0] >= 0.99:
            break
        for name, words in readings:
            x0, y0 = left + dx, top + dy
            if x0 < 0 or y0 < 0 or x0 + width > dump.width or y0 + height > dump.height:
                continue
            # Drop a margin so a border or a one-pixel-smaller client does not count.
            m = slack
            shown = words[y0 + m:y0 + height - m, x0 + m:x0 + width - m]
            wanted = expected[m:height - m, m:width - m]
            share = float(close_enough(shown, wanted).mean())
            if share > best[0]:
                best = (share, name, dx, dy)
    return best


def reading_by_name(dump, name):
    for candidate, words in dump.readings():
        if candidate == name:
            return words
    return dump.natural_565()


def read_pam(path):
    """An RGB or RGB_ALPHA netpbm PAM as an 8-bit RGB array."""
    with open(path, "rb") as stream:
        data = stream.read()
    end = data.index(b"ENDHDR\n") + len(b"ENDHDR\n")
    header = {}
    for line in data[:end].decode("ascii").splitlines()[1:]:
        parts = line.split()
        if len(parts) >= 2:
            header[parts[0]] = parts[1]
    width, height, depth = int(header["WIDTH"]), int(header["HEIGHT"]), int(header["DEPTH"])
    if int(header["MAXVAL"]) != 255 or depth not in (3, 4):
        raise ValueError("%s: only 8-bit RGB or RGB_ALPHA PAM is read here" % path)
    pixels = np.frombuffer(data[end:end + width * height * depth], dtype=np.uint8)
    return pixels.reshape(height, width, depth)[:, :, :3]


def write_png(path, rgb):
    """Write an 8-bit RGB array as a PNG file (no filters; zlib does the work)."""
    height, width, _ = rgb.shape
    raw = b"".join(b"\x00" + rgb[row].tobytes() for row in range(height))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as stream:
        stream.write(b"\x89PNG\r\n\x1a\n")
        stream.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        stream.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        stream.write(chunk(b"IEND", b""))
