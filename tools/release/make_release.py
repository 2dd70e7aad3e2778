#!/usr/bin/python3
"""Packs the archives a player downloads, the same bytes from the same sources.

    make_release.py --linux BUILD --windows BUILD [--web SITE] --out dist

  --linux    the Linux release build, installed (stripped) into BUILD/stage
  --windows  the Windows build: muffins.exe, "Muffin Meltdown.exe", Images/, Sounds/
  --web      the web build folder, whose site.txt lists the static site

Writes into the output folder, with VERSION from the build's CMake project:

  muffin-meltdown-VERSION-linux-x86_64.tar.gz   the game, Images/, Sounds/, README.txt
  muffin-meltdown-VERSION-windows.zip           the launcher, muffins.exe, Images/,
                                                Sounds/, README.txt
  muffin-meltdown-VERSION-web.zip               the site of make web (with --web)
  SHA256SUMS                                    for `sha256sum -c`

archive.py beside this script writes them (and alone, one at a time, the archives of
make windows-zip and make web-zip): one folder each, named like the archive, entries
sorted and dated with the last commit (SOURCE_DATE_EPOCH when set), so two builds of
one commit give the same archives.
"""

import argparse
import hashlib
import os
import sys

import archive  # beside this script


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as stream:
        for block in iter(lambda: stream.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--linux", required=True)
    parser.add_argument("--windows", required=True)
    parser.add_argument("--web")
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    try:
        version = archive.project_version(args.linux)
        epoch = archive.source_epoch()
        archive.warn_if_changed("release")
        os.makedirs(args.out, exist_ok=True)
        # Archives of another version or an earlier run must not be listed as this one's.
        for old in os.listdir(args.out):
            if old.startswith(archive.NAME + "-") or old == "SHA256SUMS":
                os.remove(os.path.join(args.out, old))
        builds = [("linux", args.linux), ("windows", args.windows)]
        if args.web:
            builds.append(("web", args.web))
        sums = []
        for kind, build in builds:
            name = archive.file_name(kind, version)
            path = os.path.join(args.out, name)
            count = archive.write(kind, build, version, path, epoch)
            sums.append("%s  %s\n" % (sha256(path), name))
            print("release: %s/%s (%d files, %.1f MB)" % (
                args.out, name, count, os.path.getsize(path) / 1e6))
        with open(os.path.join(args.out, "SHA256SUMS"), "w", encoding="ascii") as stream:
            stream.writelines(sorted(sums, key=lambda line: line.split("  ", 1)[1]))
        print("release: %s/SHA256SUMS" % args.out)
    except (archive.ReleaseError, OSError) as error:
        print("release: %s" % error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
