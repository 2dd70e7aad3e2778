#!/usr/bin/python3
"""Makes the static web site of Muffin Meltdown in a web build folder.

    make_site.py --build build-web [--pack Images ...] [--script tools/demo/demo.script]
    make_site.py --files OUT.tar.gz --pack FOLDER ... [--leave-out NAME ...]

The site is the page (index.html, with page.css, page.js, touch.css, touch.js and the touch
controls' pictures written into it, so it is one request), the program emcc wrote beside
it (muffins.js, muffins.wasm), the game's files as one gzip-compressed tar
(game-files.tar.gz, unpacked by the page itself, so no server compression is needed)
and the demo's input script. site.txt lists them.
Everything is reproducible: sorted names, fixed times and owners. The site as one zip
file (make web-zip: build-web/muffin-meltdown-web.zip, the release's web archive) is
written by tools/release/archive.py from site.txt.
"""

import argparse
import gzip
import io
import os
import shutil
import sys
import tarfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "..", "assets"))
import make_touch as touch_art  # noqa: E402
PAGE_FOLDER = os.path.join(HERE, "page")
PROGRAM = ["muffins.js", "muffins.wasm"]
FILES = "game-files.tar.gz"
PAGE = "index.html"


def page():
    """index.html with its style and script written in."""
    with open(os.path.join(PAGE_FOLDER, "index.html"), encoding="utf-8") as stream:
        html = stream.read()
    for marker, name in (("/* page.css */", "page.css"), ("/* touch.css */", "touch.css"),
                         ("// touch.js", "touch.js"), ("// page.js", "page.js")):
        with open(os.path.join(PAGE_FOLDER, name), encoding="utf-8") as stream:
            text = stream.read()
        if marker not in html:
            raise SystemExit("make_site: index.html has no place for %s" % name)
        html = html.replace(marker, text.rstrip("\n"), 1)
    # The touch controls' pictures, drawn by the art generator (assets/make_touch.py).
    html = html.replace("/* touch art */", touch_art.stylesheet(), 1)
    return html.encode("utf-8")


def pack(folders, leave_out=()):
    """The folders' files (not hidden ones) as a gzip-compressed tar, names relative to
    each folder's parent, e.g. Images/titlepage.tif."""
    entries = []
    for folder in folders:
        folder = os.path.normpath(folder)
        if not os.path.isdir(folder):
            raise SystemExit("make_site: %s is not a folder (build the art first)" % folder)
        base = os.path.dirname(folder)
        for root, dirs, names in os.walk(folder):
            dirs[:] = sorted(d for d in dirs if not d.startswith("."))
            for name in names:
                if name.startswith("."):
                    continue
                path = os.path.join(root, name)
                relative = os.path.relpath(path, base).replace(os.sep, "/")
                if relative in leave_out or name in leave_out:
                    continue
                entries.append((relative, path))
    entries.sort()
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.USTAR_FORMAT) as tar:
        for relative, path in entries:
            info = tarfile.TarInfo(relative)
            info.size = os.path.getsize(path)
            info.mtime = 0
            info.mode = 0o644
            info.uid = info.gid = 0
            info.uname = info.gname = ""
            with open(path, "rb") as stream:
                tar.addfile(info, stream)
    packed = io.BytesIO()
    with gzip.GzipFile(filename="", mode="wb", fileobj=packed, compresslevel=9, mtime=0) as out:
        out.write(raw.getvalue())
    return packed.getvalue(), len(entries)


def write(path, data):
    with open(path, "wb") as stream:
        stream.write(data)


def make_site(build, folders, script):
    for name in PROGRAM:
        if not os.path.exists(os.path.join(build, name)):
            raise SystemExit("make_site: %s/%s is missing (build the muffins target)" % (build, name))
    write(os.path.join(build, PAGE), page())
    data, count = pack(folders)
    write(os.path.join(build, FILES), data)
    names = [PAGE] + PROGRAM + [FILES]
    if script:
        shutil.copyfile(script, os.path.join(build, os.path.basename(script)))
        names.append(os.path.basename(script))
    write(os.path.join(build, "site.txt"), ("\n".join(sorted(names)) + "\n").encode())
    total = sum(os.path.getsize(os.path.join(build, name)) for name in names)
    print("web: %s/ holds the site: %s (%d files in %s; %.2f MB in all)" % (
        build, ", ".join(sorted(names)), count, FILES, total / 1e6))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", help="the web build folder, where the site is made")
    parser.add_argument("--pack", action="append", default=[], help="a folder of game files")
    parser.add_argument("--script", help="an input script to put beside the page")
    parser.add_argument("--files", help="only write the game's files to this .tar.gz")
    parser.add_argument("--leave-out", action="append", default=[],
                        help="with --files: a file to leave out (tests of a missing picture)")
    args = parser.parse_args()
    if args.files:
        data, _ = pack(args.pack, set(args.leave_out))
        write(args.files, data)
    elif args.build:
        make_site(args.build, args.pack, args.script)
    else:
        parser.error("say --build or --files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
