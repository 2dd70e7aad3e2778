#!/usr/bin/python3
"""The web site maker: the game's files packed reproducibly, the page made whole, and the
site zipped the same way every time (by the release's archive writer)."""

import gzip
import io
import os
import sys
import tarfile
import tempfile
import time
import unittest
import zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "..", "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "engine", "platform", "hosts", "web"))
sys.path.insert(0, os.path.join(ROOT, "tools", "release"))

import archive  # noqa: E402
import make_site  # noqa: E402
import site_install  # noqa: E402


def files(folder, tree):
    for name, data in tree.items():
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as stream:
            stream.write(data)


def members(packed):
    with tarfile.open(fileobj=io.BytesIO(gzip.decompress(packed))) as tar:
        return [(m.name, m.size, m.mtime, m.uid, m.uname, m.mode) for m in tar.getmembers()]


class Pack(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.TemporaryDirectory()
        self.images = os.path.join(self.work.name, "Images")
        files(self.images, {"b.tif": b"B" * 700, "a file.tif": b"A" * 10, ".generated": b"x",
                            "z/inner.tif": b"Z"})

    def tearDown(self):
        self.work.cleanup()

    def test_names_are_sorted_relative_and_hidden_files_left_out(self):
        packed, count = make_site.pack([self.images])
        names = [m[0] for m in members(packed)]
        self.assertEqual(names, ["Images/a file.tif", "Images/b.tif", "Images/z/inner.tif"])
        self.assertEqual(count, 3)

    def test_the_same_files_pack_to_the_same_bytes_whenever_made(self):
        first, _ = make_site.pack([self.images])
        os.utime(os.path.join(self.images, "b.tif"), (time.time() + 99, time.time() + 99))
        second, _ = make_site.pack([self.images])
        self.assertEqual(first, second)
        for name, _size, mtime, uid, uname, mode in members(first):
            self.assertEqual((mtime, uid, uname, mode), (0, 0, "", 0o644), name)

    def test_contents_survive(self):
        packed, _ = make_site.pack([self.images])
        with tarfile.open(fileobj=io.BytesIO(gzip.decompress(packed))) as tar:
            self.assertEqual(tar.extractfile("Images/b.tif").read(), b"B" * 700)

    def test_a_file_can_be_left_out_by_path_or_name(self):
        for leave_out in ("Images/b.tif", "b.tif"):
            packed, count = make_site.pack([self.images], {leave_out})
            self.assertNotIn("Images/b.tif", [m[0] for m in members(packed)])
            self.assertEqual(count, 2)

    def test_a_missing_folder_stops_the_build(self):
        with self.assertRaises(SystemExit):
            make_site.pack([os.path.join(self.work.name, "Sounds")])


class Site(unittest.TestCase):
    def test_the_page_holds_its_style_and_script(self):
        page = make_site.page().decode("utf-8")
        self.assertNotIn("/* page.css */", page)
        self.assertNotIn("// page.js", page)
        self.assertIn('id="screen"', page)
        self.assertIn("image-rendering: pixelated", page)
        self.assertIn("game-files.tar.gz", page)
        self.assertIn("service-worker.js", page)

    def test_another_game_names_its_program_title_and_folders(self):
        with tempfile.TemporaryDirectory() as build:
            files(build, {"walk.js": b"js", "walk.wasm": b"\0asm", "pics/t.tif": b"T"})
            make_site.make_site(build, [("Images", os.path.join(build, "pics"))], None,
                                "walk", "Walk & <Run>")
            with open(os.path.join(build, "index.html"), encoding="utf-8") as stream:
                page = stream.read()
            self.assertIn("<title>Walk &amp; &lt;Run&gt;</title>", page)
            self.assertIn("'walk.js'", page)
            self.assertIn("'Walk & <Run>'", page)  # the dialog's title, in the script
            for gone in ("Muffin", "muffins.js", "muffins.wasm", "kitchen"):
                self.assertNotIn(gone, page)
            with open(os.path.join(build, "game-files.tar.gz"), "rb") as stream:
                self.assertEqual([m[0] for m in members(stream.read())], ["Images/t.tif"])

    def test_the_site_and_its_zip_are_reproducible(self):
        with tempfile.TemporaryDirectory() as build:
            files(build, {"muffins.js": b"js", "muffins.wasm": b"\0asm", "Images/t.tif": b"T"})
            script = os.path.join(build, "in", "demo.script")
            files(os.path.dirname(script), {"demo.script": b"1 close\n"})
            icons = os.path.join(build, "Icons", "web")
            files(icons, {name: name.encode() for name in site_install.ICONS})
            make_site.make_site(build, [os.path.join(build, "Images")], script, icons=icons)
            with open(os.path.join(build, "site.txt"), encoding="utf-8") as stream:
                listed = stream.read().split()
            self.assertEqual(listed, sorted(["index.html", "muffins.js", "muffins.wasm",
                                             "game-files.tar.gz", "demo.script", "manifest.json",
                                             "service-worker.js"] + site_install.ICONS))
            zips = []
            epoch = 1700000000
            for attempt in range(2):
                target = os.path.join(build, "site%d.zip" % attempt)
                self.assertEqual(archive.write("web", build, "1.2.3", target, epoch), 10)
                with open(target, "rb") as stream:
                    zips.append(stream.read())
                os.utime(os.path.join(build, "muffins.js"), (1e9, 1e9))
            self.assertEqual(zips[0], zips[1])
            top = "muffin-meltdown-1.2.3-web/"
            with zipfile.ZipFile(io.BytesIO(zips[0])) as packed:
                infos = packed.infolist()
                self.assertEqual([i.filename for i in infos], [top] + [top + n for n in listed])
                self.assertEqual({i.date_time for i in infos}, {time.gmtime(epoch)[:6]})
                self.assertEqual(packed.read(top + "muffins.wasm"), b"\0asm")
                # The game's files are compressed already, so stored as they are.
                self.assertEqual(packed.getinfo(top + "game-files.tar.gz").compress_type,
                                 zipfile.ZIP_STORED)


if __name__ == "__main__":
    unittest.main(verbosity=1)
