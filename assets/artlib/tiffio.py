"""A small writer for the one TIF layout the engine reads best: Intel byte
order, one uncompressed strip, 8-bit RGB with an optional unassociated alpha
sample. Written by hand so the bytes never depend on a library's version."""

import struct

import numpy as np

TAG_SHORT = 3
TAG_LONG = 4
TAG_RATIONAL = 5


def tif_bytes(pixels):
    """Encode an (h, w, 3) or (h, w, 4) uint8 array as a TIF file."""
    pixels = np.ascontiguousarray(pixels, dtype=np.uint8)
    h, w, samples = pixels.shape
    if samples not in (3, 4):
        raise ValueError("RGB or RGBA expected")
    data = pixels.tobytes()

    header = 8
    bits_at = header
    bits = struct.pack("<%dH" % samples, *([8] * samples))
    res_at = bits_at + len(bits)
    res = struct.pack("<II", 72, 1)
    data_at = res_at + len(res)
    ifd_at = data_at + len(data)
    ifd_at += ifd_at & 1  # IFDs start on a word boundary

    entries = [
        (256, TAG_LONG, 1, w),
        (257, TAG_LONG, 1, h),
        (258, TAG_SHORT, samples, bits_at),
        (259, TAG_SHORT, 1, 1),  # no compression
        (262, TAG_SHORT, 1, 2),  # RGB
        (273, TAG_LONG, 1, data_at),
        (277, TAG_SHORT, 1, samples),
        (278, TAG_LONG, 1, h),  # one strip holds every row
        (279, TAG_LONG, 1, len(data)),
        (282, TAG_RATIONAL, 1, res_at),
        (283, TAG_RATIONAL, 1, res_at),
        (284, TAG_SHORT, 1, 1),  # chunky
        (296, TAG_SHORT, 1, 2),  # inches
    ]
    if samples == 4:
        entries.append((338, TAG_SHORT, 1, 2))  # unassociated alpha

    out = bytearray(b"II" + struct.pack("<HI", 42, ifd_at))
    out += bits + res + data
    out += b"\0" * (ifd_at - len(out))
    out += struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        if kind == TAG_SHORT and count == 1:
            out += struct.pack("<HHIHH", tag, kind, count, value, 0)
        else:
            out += struct.pack("<HHII", tag, kind, count, value)
    out += struct.pack("<I", 0)
    return bytes(out)


def write_tif(path, pixels):
    with open(path, "wb") as f:
        f.write(tif_bytes(pixels))
