#!/usr/bin/python3
"""Draws the game's icon at every size a desktop asks for.

    make_icons.py --out DIR     icon-16.png ... icon-256.png and muffins.ico

The PNG files are RGBA, transparent around the muffin; muffins.ico holds the
same seven pictures (16, 24, 32, 48, 64, 128 and 256 pixels) for Windows.
Deterministic: the same bytes on every run.
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from PIL import Image  # noqa: E402

from artlib import icon  # noqa: E402

ICO_NAME = "muffins.ico"


def png_name(px):
    return "icon-%d.png" % px


def write_icons(folder):
    os.makedirs(folder, exist_ok=True)
    pictures = {px: Image.fromarray(rgba, "RGBA") for px, rgba in icon.all_icons().items()}
    for px, picture in sorted(pictures.items()):
        picture.save(os.path.join(folder, png_name(px)), format="PNG", optimize=True)
    # Pillow scales the first picture down for any size it is not handed, so
    # every size is handed over: each one is drawn for its own size.
    largest = max(pictures)
    others = [pictures[px] for px in sorted(pictures) if px != largest]
    pictures[largest].save(os.path.join(folder, ICO_NAME), format="ICO",
                           sizes=[(px, px) for px in sorted(pictures)], append_images=others)
    return [png_name(px) for px in sorted(pictures)] + [ICO_NAME]


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", required=True, help="folder for the PNG files and muffins.ico")
    args = ap.parse_args()
    try:
        write_icons(args.out)
    except OSError as e:
        print("make_icons: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
