#!/usr/bin/python3
"""Draws every picture of Muffin Meltdown and writes them as uncompressed TIF.

    generate.py --out build/Images            all pictures
    generate.py --sheet docs/art/sheet.png    a preview sheet of everything
    generate.py --manifest assets/manifest.txt --out DIR
                                              also check names and sizes against the list

Deterministic: the same bytes on every run (fixed seeds, no time stamps).
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from tables import read_table  # noqa: E402

import numpy as np  # noqa: E402
from PIL import Image, ImageDraw, ImageFont  # noqa: E402

from artlib import hero, intro, kitchen, muffin, pages, props  # noqa: E402
from artlib.canvas import dither565  # noqa: E402
from artlib.tiffio import write_tif  # noqa: E402

PAGE_NAMES = ("titlepage.tif", "instructions.tif", "press space to begin.tif",
              "game over page.tif", "bk1_new.tif")


def draw_all():
    """Every picture by file name: pages as RGB, sprites as RGBA."""
    out = {}
    page_floats = pages.all_pages()
    for name, page in page_floats.items():
        out[name] = dither565(page)
    out.update(hero.all_frames())
    out.update(props.all_props())
    out.update(muffin.all_muffins())
    out.update(intro.all_intro(page_floats["bk1_new.tif"]))
    return out


def read_manifest(path):
    return read_table(path, str, int, int)


def check(pictures, manifest):
    problems = []
    wanted = {name: (w, h) for name, w, h in manifest}
    for name in sorted(set(wanted) - set(pictures)):
        problems.append("missing: %s" % name)
    for name in sorted(set(pictures) - set(wanted)):
        problems.append("not in the manifest: %s" % name)
    for name, (w, h) in wanted.items():
        if name in pictures:
            ph, pw = pictures[name].shape[:2]
            if (pw, ph) != (w, h):
                problems.append("%s is %dx%d, the manifest says %dx%d" % (name, pw, ph, w, h))
    return problems


def sheet(pictures, path):
    """One PNG with every picture on a checked backdrop, labelled, for review."""
    label = ImageFont.truetype(pages.REGULAR, 13)
    sprites = [n for n in pictures if n not in PAGE_NAMES and not n.startswith("intro")]
    big = [n for n in PAGE_NAMES] + sorted(n for n in pictures if n.startswith("intro"))
    width = 1860
    cells = []
    x = y = 10
    row_h = 0
    for name in sprites:
        h, w = pictures[name].shape[:2]
        if x + w + 10 > width:
            x, y = 10, y + row_h + 24
            row_h = 0
        cells.append((name, x, y))
        x += max(w, 60) + 12
        row_h = max(row_h, h)
    y += row_h + 30
    for i, name in enumerate(big):
        h, w = pictures[name].shape[:2]
        cells.append((name, 10 + (i % 2) * 925, y + (i // 2) * 530 + (500 - h) // 2))
    height = y + ((len(big) + 1) // 2) * 530 + 10
    img = Image.new("RGBA", (width, height), (58, 52, 78, 255))
    check_tile = np.indices((height, width)).sum(axis=0) // 8 % 2
    backdrop = np.where(check_tile[..., None] == 1, (70, 64, 92, 255), (58, 52, 78, 255))
    img = Image.fromarray(backdrop.astype(np.uint8), "RGBA")
    d = ImageDraw.Draw(img)
    for name, cx, cy in cells:
        pic = pictures[name]
        if pic.shape[2] == 3:
            pic = np.concatenate([pic, np.full(pic.shape[:2] + (1,), 255, np.uint8)], axis=2)
        img.alpha_composite(Image.fromarray(pic, "RGBA"), (cx, cy))
        d.text((cx, cy + pic.shape[0] + 3), name[:-4], font=label, fill=(236, 230, 245, 255))
    img.convert("RGB").save(path, optimize=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", help="folder for the TIF files")
    ap.add_argument("--sheet", help="write a preview sheet (PNG) here")
    ap.add_argument("--manifest", default=os.path.join(HERE, "manifest.txt"),
                    help="expected file names and sizes")
    ap.add_argument("--write-manifest", action="store_true",
                    help="rewrite the manifest from what was drawn")
    ap.add_argument("--stamp", help="touch this file when done")
    args = ap.parse_args()

    pictures = draw_all()
    if args.write_manifest:
        with open(args.manifest, "w", encoding="utf-8") as f:
            f.write("# Every picture the game loads from Images/: name<TAB>width<TAB>height\n")
            for name in sorted(pictures):
                h, w = pictures[name].shape[:2]
                f.write("%s\t%d\t%d\n" % (name, w, h))
    problems = check(pictures, read_manifest(args.manifest))
    for p in problems:
        print("generate: " + p, file=sys.stderr)
    if problems:
        return 1
    if args.out:
        os.makedirs(args.out, exist_ok=True)
        for name, pic in sorted(pictures.items()):
            write_tif(os.path.join(args.out, name), pic)
    if args.sheet:
        sheet(pictures, args.sheet)
    if args.stamp:
        with open(args.stamp, "w") as f:
            f.write("%d pictures\n" % len(pictures))
    return 0


if __name__ == "__main__":
    sys.exit(main())
