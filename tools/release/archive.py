#!/usr/bin/python3
"""The archives a player downloads, and the one way they are written.

    archive.py KIND BUILD [--out FILE]

writes one archive alone, as make release writes it into dist/: KIND is linux, windows
or web; BUILD the build folder it packs (whose CMake cache names the version); FILE by
default BUILD/muffin-meltdown-KIND.zip (linux: BUILD/muffin-meltdown-linux-x86_64.tar.gz).
make windows-zip and make web-zip run it; make_release.py writes all three with it.

  linux    the Linux release build, installed (stripped) into BUILD/stage: the game,
           Images/, Sounds/, README.txt
  windows  the Windows build: the launcher, muffins.exe, Images/, Sounds/, README.txt
  web      the web build folder, whose site.txt lists the static site of make web

Each archive holds one folder, muffin-meltdown-VERSION-KIND (linux: ...-linux-x86_64).
Entries are sorted by name, owned by nobody in particular and dated with the last
commit (SOURCE_DATE_EPOCH when set), with permissions 644 or 755, so two builds of one
commit give the same archives.
"""

import argparse
import gzip
import io
import os
import re
import stat
import subprocess
import sys
import tarfile
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
# The name a player knows the game by: the installed program, the desktop entry, the
# state folder and every archive (cmake/release.cmake's TOLVO_GAME_NAME).
NAME = "muffin-meltdown"
LAUNCHER = "Muffin Meltdown.exe"
ZIP_EPOCH_MIN = 315532800  # 1980-01-01, the earliest date a zip entry can hold


class ReleaseError(Exception):
    pass


def project_version(build):
    cache = os.path.join(build, "CMakeCache.txt")
    try:
        with open(cache, encoding="utf-8") as stream:
            match = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(\d+\.\d+\.\d+)$", stream.read(), re.M)
    except OSError as error:
        raise ReleaseError("cannot read %s: %s" % (cache, error))
    if not match:
        raise ReleaseError("%s names no project version" % cache)
    return match.group(1)


def source_epoch():
    """SOURCE_DATE_EPOCH, else the time of the last commit, else the earliest zip date."""
    if os.environ.get("SOURCE_DATE_EPOCH", "").isdigit():
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        done = subprocess.run(["git", "-C", SOURCE, "log", "-1", "--format=%ct"],
                              capture_output=True, text=True, timeout=30)
        if done.returncode == 0 and done.stdout.strip().isdigit():
            return int(done.stdout.strip())
    except (OSError, subprocess.TimeoutExpired):
        pass
    return ZIP_EPOCH_MIN


def warn_if_changed(tool):
    """Archives of a tree with changes are not the commit's, though dated like it."""
    try:
        done = subprocess.run(["git", "-C", SOURCE, "status", "--porcelain", "--untracked-files=no"],
                              capture_output=True, text=True, timeout=30)
    except (OSError, subprocess.TimeoutExpired):
        return
    if done.returncode == 0 and done.stdout.strip():
        print("%s: warning: the source tree has uncommitted changes, so these archives "
              "are not the last commit's" % tool, file=sys.stderr)


class Contents:
    """The files of one archive: archive name -> (host path, executable), one top folder."""

    def __init__(self, top):
        self.top = top
        self.files = {}

    def add_file(self, path, name, executable=False):
        if os.path.islink(path) or not os.path.isfile(path):
            raise ReleaseError("%s is missing or not a plain file" % path)
        self.files[self.top + "/" + name] = (path, executable)

    def add_tree(self, folder, name):
        """Every file below folder, as data (never executable), without the build's
        hidden stamps."""
        if not os.path.isdir(folder):
            raise ReleaseError("%s is missing" % folder)
        for root, dirs, files in os.walk(folder):
            dirs[:] = sorted(d for d in dirs if not d.startswith("."))
            for file in sorted(files):
                if file.startswith("."):
                    continue
                path = os.path.join(root, file)
                relative = os.path.relpath(path, folder).replace(os.sep, "/")
                self.add_file(path, (name + "/" if name else "") + relative)

    def entries(self):
        """Folders and files in name order: (name, host path or None, mode)."""
        folders = {self.top}
        for name in self.files:
            parts = name.split("/")[:-1]
            folders.update("/".join(parts[:i]) for i in range(1, len(parts) + 1))
        items = [(folder + "/", None, 0o755) for folder in folders]
        items += [(name, path, 0o755 if executable else 0o644)
                  for name, (path, executable) in self.files.items()]
        return sorted(items)


def read(path):
    with open(path, "rb") as stream:
        return stream.read()


def write_zip(contents, out, epoch):
    date = time.gmtime(max(epoch, ZIP_EPOCH_MIN))[:6]
    with zipfile.ZipFile(out, "w") as archive:
        for name, path, mode in contents.entries():
            info = zipfile.ZipInfo(name, date_time=date)
            info.create_system = 3  # Unix, so unzip keeps the permissions
            if path is None:
                info.external_attr = ((stat.S_IFDIR | mode) << 16) | 0x10
                archive.writestr(info, b"")
            else:
                info.external_attr = (stat.S_IFREG | mode) << 16
                # What is compressed already is stored as it is.
                info.compress_type = (zipfile.ZIP_STORED if name.endswith(".gz")
                                      else zipfile.ZIP_DEFLATED)
                archive.writestr(info, read(path), compresslevel=9)


def write_tar_gz(contents, out, epoch):
    body = io.BytesIO()
    with tarfile.open(fileobj=body, mode="w", format=tarfile.GNU_FORMAT) as archive:
        for name, path, mode in contents.entries():
            info = tarfile.TarInfo(name.rstrip("/"))
            info.mtime = epoch
            info.mode = mode
            info.uid = info.gid = 0
            info.uname = info.gname = ""
            if path is None:
                info.type = tarfile.DIRTYPE
                archive.addfile(info)
            else:
                data = read(path)
                info.size = len(data)
                archive.addfile(info, io.BytesIO(data))
    # The gzip header carries no name and no date.
    with open(out, "wb") as raw, gzip.GzipFile(filename="", mode="wb", fileobj=raw,
                                               compresslevel=9, mtime=0) as packed:
        packed.write(body.getvalue())


def linux_contents(build, top):
    stage = os.path.join(build, "stage")
    contents = Contents(top)
    contents.add_file(os.path.join(stage, "bin", NAME), NAME, executable=True)
    contents.add_tree(os.path.join(stage, "share", NAME, "Images"), "Images")
    contents.add_tree(os.path.join(stage, "share", NAME, "Sounds"), "Sounds")
    contents.add_file(os.path.join(HERE, "README-linux.txt"), "README.txt")
    return contents


def windows_contents(build, top):
    contents = Contents(top)
    contents.add_file(os.path.join(build, LAUNCHER), LAUNCHER, executable=True)
    contents.add_file(os.path.join(build, "muffins.exe"), "muffins.exe", executable=True)
    contents.add_tree(os.path.join(build, "Images"), "Images")
    contents.add_tree(os.path.join(build, "Sounds"), "Sounds")
    contents.add_file(os.path.join(SOURCE, "tools", "windows", "README.txt"), "README.txt")
    return contents


def web_contents(build, top):
    """The site make web lists in site.txt of its build folder, which holds the build's
    own files too."""
    contents = Contents(top)
    listing = os.path.join(build, "site.txt")
    try:
        with open(listing, encoding="utf-8") as stream:
            names = [line.strip() for line in stream if line.strip()]
    except OSError as error:
        raise ReleaseError("cannot read the web site's list %s: %s" % (listing, error))
    for name in names:
        contents.add_file(os.path.join(build, name), name)
    return contents


# Each kind of archive: its label (the name's last part), the file's ending, its writer
# and its files.
KINDS = {
    "linux": ("linux-x86_64", ".tar.gz", write_tar_gz, linux_contents),
    "windows": ("windows", ".zip", write_zip, windows_contents),
    "web": ("web", ".zip", write_zip, web_contents),
}


def stem(kind, version=None):
    """muffin-meltdown-VERSION-windows, or without a version muffin-meltdown-windows."""
    return "-".join([NAME] + ([version] if version else []) + [KINDS[kind][0]])


def file_name(kind, version=None):
    return stem(kind, version) + KINDS[kind][1]


def write(kind, build, version, out, epoch):
    """Writes the archive of kind, its folder named for version, from build into out
    (whole or not at all); returns its number of files."""
    _label, _ending, writer, gather = KINDS[kind]
    contents = gather(build, stem(kind, version))
    writer(contents, out + ".part", epoch)
    os.replace(out + ".part", out)
    return len(contents.files)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("kind", choices=sorted(KINDS))
    parser.add_argument("build")
    parser.add_argument("--out")
    args = parser.parse_args()
    out = args.out or os.path.join(args.build, file_name(args.kind))
    try:
        version = project_version(args.build)
        epoch = source_epoch()
        warn_if_changed("archive")
        count = write(args.kind, args.build, version, out, epoch)
    except (ReleaseError, OSError) as error:
        print("archive: %s" % error, file=sys.stderr)
        return 1
    print("archive: %s (%s %s, %d files, %.1f MB)" % (
        out, args.kind, version, count, os.path.getsize(out) / 1e6))
    return 0


if __name__ == "__main__":
    sys.exit(main())
