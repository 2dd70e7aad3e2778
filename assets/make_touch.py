#!/usr/bin/python3
"""Draws the web page's touch controls and writes them as the page's style.

    make_touch.py --out controls.css [--png DIR]

The style gives each control of page/index.html (data-control) its picture as
a PNG inside the style itself, so the page stays one request; --png also
writes the pictures as files, to look at. Deterministic: the same bytes on
every run. make_site.py writes the style into the page.
"""

import argparse
import base64
import io
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from PIL import Image  # noqa: E402

from artlib import touch  # noqa: E402


def png(rgba):
    out = io.BytesIO()
    Image.fromarray(rgba, "RGBA").save(out, format="PNG", optimize=True)
    return out.getvalue()


def stylesheet():
    rules = []
    for name, rgba in sorted(touch.all_controls().items()):
        data = base64.b64encode(png(rgba)).decode("ascii")
        rules.append('#touch [data-control="%s"] {\n  background-image: url("data:image/png;'
                     'base64,%s");\n}' % (name, data))
    return "\n".join(rules)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", required=True, help="the style to write")
    ap.add_argument("--png", help="a folder for the pictures as PNG files")
    args = ap.parse_args()
    try:
        with open(args.out, "w", encoding="utf-8") as stream:
            stream.write(stylesheet() + "\n")
        if args.png:
            os.makedirs(args.png, exist_ok=True)
            for name, rgba in touch.all_controls().items():
                with open(os.path.join(args.png, "touch-%s.png" % name), "wb") as stream:
                    stream.write(png(rgba))
    except OSError as e:
        print("make_touch: %s" % e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
