#!/usr/bin/python3
"""Writes TIF pictures made by real tools, for the reader's tests.

Pillow draws and saves each picture; libtiff's tiffcp copies it again in both byte
orders and with several strips. For every file the pixels Pillow decodes from it are
written next to it as a PAM (RGB, or RGB_ALPHA with an alpha sample), in the form the
engine's reader gives them: 8 bits a sample, the top byte of wider samples, greyscale
spread to red, green and blue. manifest.txt lists "TIF PAM" pairs; a line starting with
"missing" names a tool this machine lacks (tools/deps.sh test installs both).

Usage: make_tool_pictures.py OUTPUT_FOLDER
"""
import os
import shutil
import subprocess
import sys


def pictures(Image):
    """Deterministic pictures in the modes the game's tools write."""
    def rgb(w, h):
        im = Image.new("RGB", (w, h))
        im.putdata([((x * 37 + y * 11) % 256, (x * y + 60) % 256, (255 - x * 5 + y * 3) % 256)
                    for y in range(h) for x in range(w)])
        return im

    def rgba(w, h):
        im = Image.new("RGBA", (w, h))
        im.putdata([((x * 29) % 256, (y * 41) % 256, (x + y * 7) % 256,
                     0 if (x + y) % 5 == 0 else (x * 13 + y) % 256)
                    for y in range(h) for x in range(w)])
        return im

    def grey(w, h):
        im = Image.new("L", (w, h))
        im.putdata([(x * 17 + y * 23) % 256 for y in range(h) for x in range(w)])
        return im

    def grey16(w, h):
        im = Image.new("I;16", (w, h))
        im.putdata([(x * 2311 + y * 977) % 65536 for y in range(h) for x in range(w)])
        return im

    def bilevel(w, h):
        im = Image.new("1", (w, h))
        im.putdata([255 if (x * 3 + y * 5) % 7 < 3 else 0 for y in range(h) for x in range(w)])
        return im

    return {
        "rgb": rgb(37, 23),
        "rgb_wide": rgb(300, 260),  # Pillow writes it in several strips
        "rgba": rgba(29, 17),
        "grey": grey(31, 19),
        "grey16": grey16(13, 11),
        "bilevel": bilevel(21, 9),  # rows not a whole number of bytes
    }


def expected_pam(Image, tif_path, pam_path):
    """The pixels Pillow decodes from tif_path, as the engine's reader yields them."""
    im = Image.open(tif_path)
    im.load()
    w, h = im.size
    if im.mode in ("I;16", "I;16B", "I;16L", "I"):
        top = [(v >> 8) & 0xFF for v in im.getdata()]
        data = bytes(v for t in top for v in (t, t, t))
        depth, tupltype = 3, "RGB"
    elif im.mode == "RGBA":
        data = im.tobytes()
        depth, tupltype = 4, "RGB_ALPHA"
    else:
        data = im.convert("RGB").tobytes()
        depth, tupltype = 3, "RGB"
    with open(pam_path, "wb") as f:
        f.write(("P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n"
                 % (w, h, depth, tupltype)).encode("ascii"))
        f.write(data)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lines = []
    try:
        from PIL import Image
    except ImportError:
        lines.append("missing python3-pil")
        Image = None
    tiffcp = shutil.which("tiffcp") or ("/usr/bin/tiffcp" if os.path.exists("/usr/bin/tiffcp")
                                        else None)
    if not tiffcp:
        lines.append("missing tiffcp")

    if Image:
        for name, im in pictures(Image).items():
            files = [name + "_pillow.tif"]
            im.save(os.path.join(out, files[0]), "TIFF", compression=None)
            if tiffcp:
                for suffix, options in (("_mm_strips", ["-B", "-r", "4"]),
                                        ("_ii_strips", ["-L", "-r", "3"]),
                                        ("_mm", ["-B"])):
                    target = name + suffix + ".tif"
                    subprocess.run([tiffcp, "-c", "none", "-p", "contig", "-s"] + options +
                                   [os.path.join(out, files[0]), os.path.join(out, target)],
                                   check=True)
                    files.append(target)
            for tif in files:
                pam = tif[:-4] + ".pam"
                expected_pam(Image, os.path.join(out, tif), os.path.join(out, pam))
                lines.append(tif + " " + pam)

    with open(os.path.join(out, "manifest.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
