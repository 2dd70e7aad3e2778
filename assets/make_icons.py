#!/usr/bin/python3
"""Draws the game's icon at every size a desktop asks for.

    make_icons.py --out DIR         icon-16.png ... icon-256.png and muffins.ico
    make_icons.py --web --out DIR   icon-192.png, icon-512.png and apple-touch-icon.png

The PNG files are RGBA, transparent around the muffin; muffins.ico holds the
same seven pictures (16, 24, 32, 48, 64, 128 and 256 pixels) for Windows. The web
page's icons are those a browser installs the game with (192 and 512 pixels) and the
tile a phone's home screen shows (180 pixels, opaque: the phone rounds its corners).
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
TOUCH_NAME = "apple-touch-icon.png"


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


def touch_tile(muffin):
    """The muffin (RGBA, larger than the tile) on the tile's plate, in RGB."""
    side = round(icon.TILE_SIZE * icon.TILE_SHARE)
    small = muffin.resize((side, side), Image.LANCZOS)
    tile = Image.new("RGBA", (icon.TILE_SIZE, icon.TILE_SIZE), icon.TILE + (255,))
    corner = (icon.TILE_SIZE - side) // 2
    tile.alpha_composite(small, (corner, corner))
    return tile.convert("RGB")


def write_web_icons(folder):
    os.makedirs(folder, exist_ok=True)
    pictures = {px: Image.fromarray(icon.icon(px), "RGBA") for px in icon.WEB_SIZES}
    pictures[TOUCH_NAME] = touch_tile(pictures[max(icon.WEB_SIZES)])
    names = []
    for key, picture in pictures.items():
        name = key if isinstance(key, str) else png_name(key)
        picture.save(os.path.join(folder, name), format="PNG", optimize=True)
        names.append(name)
    return names


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", required=True, help="folder for the PNG files and muffins.ico")
    ap.add_argument("--web", action="store_true", help="the web page's icons instead")
    args = ap.parse_args()
    try:
        (write_web_icons if args.web else write_icons)(args.out)
    except OSError as e:
        print("make_icons: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
