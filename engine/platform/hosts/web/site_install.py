"""What makes the web site installable and playable without a network, for make_site.py:

  manifest.json       the web app manifest: names, icons, full screen, landscape, colours
  icon-192.png, icon-512.png, apple-touch-icon.png
                      the icons (assets/make_icons.py --web, built as the web-icons target)
  service-worker.js   page/service-worker.js with the site's files and a version made from
                      their contents written in

The worker is written last, from the files the site has then: equal sites give equal
workers, a changed file a new version (renew() writes it again for a site changed in place,
as a test of a new release does).
"""

import base64
import hashlib
import json
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
WORKER = "service-worker.js"
MANIFEST = "manifest.json"
ICONS = ["icon-192.png", "icon-512.png", "apple-touch-icon.png"]
LISTING = "site.txt"
# The page's own black; the name a home screen shows under the icon.
MANIFEST_FIELDS = {
    "name": "Muffin Meltdown",
    "short_name": "Muffins",
    "description": "A small side-scrolling arcade game. At night in a kitchen the muffins "
                   "have come alive.",
    "start_url": "index.html",
    "scope": "./",
    "display": "fullscreen",
    "orientation": "landscape",
    "background_color": "#000000",
    "theme_color": "#000000",
    "icons": [{"src": name, "sizes": "%sx%s" % (size, size), "type": "image/png",
               "purpose": "any"} for name, size in (("icon-192.png", 192), ("icon-512.png", 512))],
}
# The lines of the worker's source that make_site writes over.
VERSION_LINE = "const VERSION = 'unversioned';"
FILES_LINE = "const FILES = {};"


def add_manifest(build, icons):
    """The icons copied from their folder, and the manifest, into the build folder; their
    names."""
    for name in ICONS:
        source = os.path.join(icons, name)
        if not os.path.exists(source):
            raise SystemExit("make_site: %s is missing (build the web-icons target)" % source)
        shutil.copyfile(source, os.path.join(build, name))
    text = json.dumps(MANIFEST_FIELDS, indent=2, sort_keys=True) + "\n"
    with open(os.path.join(build, MANIFEST), "wb") as stream:
        stream.write(text.encode("utf-8"))
    return ICONS + [MANIFEST]


def worker(build, names):
    """The worker's source for the named files of the build folder."""
    files = {}
    version = hashlib.sha256()
    for name in sorted(set(names) - {WORKER}):
        with open(os.path.join(build, name), "rb") as stream:
            digest = hashlib.sha256(stream.read()).digest()
        files[name] = "sha256-" + base64.b64encode(digest).decode("ascii")
        version.update(name.encode("utf-8") + b"\0" + digest)
    with open(os.path.join(HERE, "page", WORKER), encoding="utf-8") as stream:
        source = stream.read()
    for line, value in ((VERSION_LINE, "const VERSION = '%s';" % version.hexdigest()[:16]),
                        (FILES_LINE, "const FILES = %s;" % json.dumps(files, sort_keys=True))):
        if line not in source:
            raise SystemExit("make_site: page/%s has no line %r" % (WORKER, line))
        source = source.replace(line, value, 1)
    return source.encode("utf-8")


def add_worker(build, names):
    """The worker for the named files, written into the build folder; its name."""
    with open(os.path.join(build, WORKER), "wb") as stream:
        stream.write(worker(build, names))
    return WORKER


def renew(folder):
    """The worker written again for the files the folder's site.txt lists."""
    with open(os.path.join(folder, LISTING), encoding="utf-8") as stream:
        names = [line.strip() for line in stream if line.strip()]
    if WORKER not in names:
        raise SystemExit("make_site: %s lists no %s" % (os.path.join(folder, LISTING), WORKER))
    add_worker(folder, names)
