#!/usr/bin/python3
"""Makes the static web site of Muffin Meltdown (or of any game on Tolvo) in a web build folder.

    make_site.py --build build-web [--pack Images ...] [--pack-as Images FOLDER ...]
                 [--script tools/demo/demo.script] [--icons build-web/Icons/web]
                 [--program NAME --title TEXT]
    make_site.py --files OUT.tar.gz --pack FOLDER ... [--leave-out NAME ...]
    make_site.py --renew FOLDER

The site is the page (index.html, with page.css, page.js, install.js, touch.css,
touch.js and the touch controls' pictures written into it, so it is one request), the
program emcc wrote beside it (muffins.js, muffins.wasm), the game's files as one
gzip-compressed tar (game-files.tar.gz, unpacked by the page itself, so no server
compression is needed), the demo's input script, and what installs the game
and keeps it for a visit without a network (site_install.py: manifest.json, its icons,
service-worker.js, which knows every other file). site.txt lists them. --renew writes the
worker again for a site whose files were changed in place.
Another game's site (tolvo_add_game) names its program (NAME.js, NAME.wasm) and its
title, which take the place of Muffin Meltdown's in the page.
Everything is reproducible: sorted names, fixed times and owners. The site as one zip
file (make web-zip: build-web/muffin-meltdown-web.zip, the release's web archive) is
written by tools/release/archive.py from site.txt.
"""

import argparse
import gzip
import io
import os
import re
import shutil
import sys
import tarfile

import site_install

HERE = os.path.dirname(os.path.abspath(__file__))
# The touch controls' pictures: drawn by the art generator in Tolvo's tree, or, where the
# engine is installed, drawn once when it was built (touch-art.css beside the page).
TOUCH_ART = os.path.join(HERE, "page", "touch-art.css")
PAGE_FOLDER = os.path.join(HERE, "page")
PROGRAM_NAME = "muffins"
TITLE = "Muffin Meltdown"
FILES = "game-files.tar.gz"
PAGE = "index.html"


def program_files(name):
    return [name + ".js", name + ".wasm"]


def page(name=PROGRAM_NAME, title=TITLE):
    """index.html with its style and script written in, for the program NAME titled TITLE."""
    with open(os.path.join(PAGE_FOLDER, "index.html"), encoding="utf-8") as stream:
        html = stream.read()
    if title != TITLE:
        html = re.sub(r'<meta name="description" content="[^"]*">',
                      '<meta name="description" content="%s">' % html_text(title), html)
        # Muffin Meltdown's keys give way to those every game on the engine has.
        html = re.sub(r'<span id="keys">.*?</span>',
                      '<span id="keys"><kbd>Esc</kbd> quit · <kbd>F11</kbd> full screen</span>',
                      html, flags=re.S)
        html = html.replace(TITLE, html_text(title))
    for marker, part in (("/* page.css */", "page.css"), ("// page.js", "page.js"),
                         ("// install.js", "install.js"),
                         ("/* touch.css */", "touch.css"), ("// touch.js", "touch.js")):
        with open(os.path.join(PAGE_FOLDER, part), encoding="utf-8") as stream:
            text = stream.read()
        if marker not in html:
            raise SystemExit("make_site: index.html has no place for %s" % part)
        if title != TITLE:
            text = text.replace(TITLE, script_text(title))
        if name != PROGRAM_NAME:
            for suffix in (".js", ".wasm", ".script"):
                text = text.replace(PROGRAM_NAME + suffix, name + suffix)
            text = text.replace("muffin-meltdown.script", name + ".script")
        html = html.replace(marker, text.rstrip("\n"), 1)
    # The touch controls' pictures, drawn by the art generator (assets/make_touch.py).
    html = html.replace("/* touch art */", touch_stylesheet(), 1)
    return html.encode("utf-8")


def touch_stylesheet():
    if os.path.exists(TOUCH_ART):
        with open(TOUCH_ART, encoding="utf-8") as stream:
            return stream.read().rstrip("\n")
    sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "..", "assets"))
    import make_touch
    return make_touch.stylesheet()


def html_text(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


def script_text(text):
    """TEXT inside the script's quoted and template strings (and its comments)."""
    for special in ("\\", "'", "`", "$"):
        text = text.replace(special, "\\" + special)
    return text.replace("</", "<\\/")


def pack(folders, leave_out=()):
    """The folders' files (not hidden ones) as a gzip-compressed tar, names relative to
    each folder's parent, e.g. Images/titlepage.tif. A folder given as (NAME, FOLDER) is
    packed as NAME/..., whatever it is called here."""
    entries = []
    for folder in folders:
        name_as = None
        if isinstance(folder, (tuple, list)):
            name_as, folder = folder
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
                if name_as:
                    relative = name_as + "/" + os.path.relpath(path, folder).replace(os.sep, "/")
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


def make_site(build, folders, script, program=PROGRAM_NAME, title=TITLE, icons=None):
    files = program_files(program)
    for name in files:
        if not os.path.exists(os.path.join(build, name)):
            raise SystemExit("make_site: %s/%s is missing (build the %s target)" % (build, name, program))
    html = page(program, title)
    if not icons:  # no manifest or icons to point at, nor Muffin Meltdown's short name
        html = re.sub(rb'<(link rel="(manifest|icon|apple-touch-icon)"|'
                      rb'meta name="apple-mobile-web-app-title")[^>]*>\n', b"", html)
    write(os.path.join(build, PAGE), html)
    data, count = pack(folders)
    write(os.path.join(build, FILES), data)
    names = [PAGE] + files + [FILES]
    if script:
        shutil.copyfile(script, os.path.join(build, os.path.basename(script)))
        names.append(os.path.basename(script))
    if icons:  # Muffin Meltdown's install; another game's site has none
        names += site_install.add_manifest(build, icons)
    names.append(site_install.add_worker(build, names))
    write(os.path.join(build, "site.txt"), ("\n".join(sorted(names)) + "\n").encode())
    total = sum(os.path.getsize(os.path.join(build, name)) for name in names)
    print("web: %s/ holds the site: %s (%d files in %s; %.2f MB in all)" % (
        build, ", ".join(sorted(names)), count, FILES, total / 1e6))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", help="the web build folder, where the site is made")
    parser.add_argument("--pack", action="append", default=[], help="a folder of game files")
    parser.add_argument("--pack-as", action="append", default=[], nargs=2,
                        metavar=("NAME", "FOLDER"), help="a folder of game files, packed as NAME/")
    parser.add_argument("--script", help="an input script to put beside the page")
    parser.add_argument("--program", default=PROGRAM_NAME, help="the program's name (NAME.js)")
    parser.add_argument("--title", default=TITLE, help="the game's title, for the page")
    parser.add_argument("--icons", help="the folder of the web page's icons (make_icons.py --web)")
    parser.add_argument("--renew", help="write the service worker again for this site folder")
    parser.add_argument("--files", help="only write the game's files to this .tar.gz")
    parser.add_argument("--leave-out", action="append", default=[],
                        help="with --files: a file to leave out (tests of a missing picture)")
    args = parser.parse_args()
    if args.files:
        data, _ = pack(args.pack + [tuple(p) for p in args.pack_as], set(args.leave_out))
        write(args.files, data)
    elif args.renew:
        site_install.renew(args.renew)
    elif args.build:
        make_site(args.build, args.pack + [tuple(p) for p in args.pack_as], args.script,
                  args.program, args.title, args.icons)
    else:
        parser.error("say --build, --files or --renew")
    return 0


if __name__ == "__main__":
    sys.exit(main())
