#!/usr/bin/python3
"""Checks the generated pictures the way the game will use them.

The TIF files are parsed here by hand, following the engine reader's rules
(first IFD, SHORT values in the first two value bytes, strips read from
StripOffsets), so a file that only a full TIFF library could read fails."""

import argparse
import os
import struct
import subprocess
import sys
import tempfile
import unittest

import numpy as np

ARGS = None

HERO_150 = ["%d.tif" % k for k in range(12)] + ["%db.tif" % k for k in range(12)]
GROUNDED = (HERO_150 + ["falling%d.tif" % k for k in range(1, 9)]
            + ["reaching%d.tif" % k for k in range(1, 8)] + ["milk%d.tif" % k for k in range(1, 8)]
            + ["rolling pin%d.tif" % k for k in range(1, 8)] + ["muf%d.tif" % k for k in range(12)]
            + ["melting muffin %d.tif" % k for k in range(1, 7)]
            + ["fridge.tif", "fridge_full.tif", "rolling pin by itself.tif", "0trial.tif", "jump0.tif"])
PAGES = ["titlepage.tif", "instructions.tif", "press space to begin.tif", "game over page.tif",
         "bk1_new.tif"]


def read_tif(path):
    """Returns (tags, pixels) with pixels as an (h, w, samples) array."""
    with open(path, "rb") as f:
        data = f.read()
    order = "<" if data[:2] == b"II" else ">"
    magic, ifd = struct.unpack(order + "HI", data[2:8])
    assert magic == 42, "not a TIF file"
    (count,) = struct.unpack(order + "H", data[ifd : ifd + 2])
    tags = {}
    for i in range(count):
        e = data[ifd + 2 + 12 * i : ifd + 14 + 12 * i]
        tag, kind, n = struct.unpack(order + "HHI", e[:8])
        value = struct.unpack(order + "H", e[8:10])[0] if kind == 3 and n == 1 else \
            struct.unpack(order + "I", e[8:12])[0]
        tags[tag] = (kind, n, value)
    w, h = tags[256][2], tags[257][2]
    samples = tags[258][1]
    bits_at = tags[258][2]
    bits = struct.unpack(order + "%dH" % samples, data[bits_at : bits_at + 2 * samples])
    assert all(b == 8 for b in bits), bits
    rows_per_strip = tags[278][2]
    strips = (h + rows_per_strip - 1) // rows_per_strip
    row_bytes = w * samples
    rows = []
    for s in range(strips):
        if strips == 1:
            off = tags[273][2]
        else:
            (off,) = struct.unpack(order + "I", data[tags[273][2] + 4 * s : tags[273][2] + 4 * s + 4])
        n = min(rows_per_strip, h - s * rows_per_strip)
        rows.append(np.frombuffer(data[off : off + n * row_bytes], np.uint8).reshape(n, w, samples))
    return tags, np.concatenate(rows, axis=0)


def manifest():
    return read_table(ARGS.manifest, str, int, int)


class Cache:
    pictures = {}

    @classmethod
    def get(cls, name):
        if name not in cls.pictures:
            cls.pictures[name] = read_tif(os.path.join(ARGS.images, name))
        return cls.pictures[name]


def alpha(name):
    return Cache.get(name)[1][:, :, 3]


class FilesTheGameLoads(unittest.TestCase):
    def test_manifest_lists_every_picture_once(self):
        names = [n for n, _, _ in manifest()]
        self.assertEqual(len(names), 91)
        self.assertEqual(len(set(names)), 91)
        for must in ["bk1_new.tif", "rolling pin by itself-empty.tif", "melting muffin 6.tif",
                     "0trial.tif", "jump0.tif", "11b.tif", "intro7.tif", "muf11.tif"]:
            self.assertIn(must, names)

    def test_every_file_exists_with_its_size_uncompressed_in_the_readers_layout(self):
        for name, w, h in manifest():
            with self.subTest(name=name):
                tags, pix = Cache.get(name)
                self.assertEqual(pix.shape[:2], (h, w))
                self.assertEqual(tags[259][2], 1, "compressed")
                self.assertEqual(tags[262][2], 2, "not RGB")
                self.assertLessEqual(w * pix.shape[2], 10000, "row too long for the reader")
                if name in PAGES:
                    self.assertEqual(pix.shape[2], 3)
                    self.assertNotIn(338, tags)
                else:
                    self.assertEqual(pix.shape[2], 4)
                    self.assertIn(338, tags, "four samples need ExtraSamples")


class Sprites(unittest.TestCase):
    def sprites(self):
        return [n for n, _, _ in manifest() if n not in PAGES]

    def test_alpha_is_hard_and_transparent_pixels_carry_no_colour(self):
        for name in self.sprites():
            with self.subTest(name=name):
                pix = Cache.get(name)[1]
                self.assertTrue(set(np.unique(pix[:, :, 3])) <= {0, 255})
                self.assertTrue((pix[:, :, 3] == 255).any(), "nothing drawn")
                self.assertFalse(pix[pix[:, :, 3] == 0, :3].any())

    def test_pictures_standing_on_the_floor_reach_their_last_row(self):
        for name in GROUNDED:
            with self.subTest(name=name):
                self.assertTrue(alpha(name)[-1].any(), "floats above the floor")

    def test_hero_walk_keeps_its_body_in_the_reach_box(self):
        for name in HERO_150:
            with self.subTest(name=name):
                self.assertEqual(alpha(name).shape, (190, 70))
        for name in ["reaching%d.tif" % k for k in range(1, 8)] + \
                ["milk%d.tif" % k for k in range(1, 8)]:
            with self.subTest(name=name):
                torso = alpha(name)[100:150]
                cols = np.flatnonzero(torso.any(axis=0))
                self.assertLess(cols[0], 70)
                self.assertEqual(alpha(name).shape[0], 190)

    def test_left_walk_mirrors_the_right_walk_and_frames_differ(self):
        seen = set()
        for k in range(12):
            right, left = Cache.get("%d.tif" % k)[1], Cache.get("%db.tif" % k)[1]
            np.testing.assert_array_equal(left, right[:, ::-1])
            seen.add(right.tobytes())
        self.assertEqual(len(seen), 12, "every walk step is its own picture")

    def test_rolling_muffin_turns_through_twelve_distinct_pictures(self):
        turns = {Cache.get("muf%d.tif" % k)[1].tobytes() for k in range(12)}
        self.assertEqual(len(turns), 12)

    def test_sizes_fit_the_screen_places(self):
        self.assertEqual(alpha("fridge.tif").shape, (280, 180))
        self.assertEqual(alpha("fridge_full.tif").shape, (280, 180))
        for k in range(1, 9):
            self.assertEqual(alpha("falling%d.tif" % k).shape[0], 190)
        for k in range(1, 8):
            self.assertEqual(alpha("rolling pin%d.tif" % k).shape[0], 240)
        for k in range(12):
            self.assertEqual(alpha("muf%d.tif" % k).shape[0], 110)
        for k in range(1, 7):
            self.assertLessEqual(alpha("melting muffin %d.tif" % k).shape[0], 30)
        self.assertLessEqual(alpha("rolling pin by itself.tif").shape[0], 30)
        for k in range(8):
            h, w = alpha("intro%d.tif" % k).shape
            self.assertLessEqual((w, h), (700, 300))

    def test_carried_icons_read_at_a_glance_and_the_taken_pin_stays_on_the_floor(self):
        # rows of icons 15 pixels apart at y 50: big enough to read over the
        # kitchen, overlapping each other by no more than half
        for name in ("milk carton.tif", "rolling pin by itself-empty.tif"):
            with self.subTest(name=name):
                h, w = alpha(name).shape
                self.assertGreaterEqual(w, 20)
                self.assertLessEqual(w, 30)
                self.assertGreaterEqual(h, 28)
                self.assertLessEqual(h, 40)
                # bold ink outline: dark pixels ring the shape
                pix = Cache.get(name)[1]
                edge = pix[:, :, 3] == 255
                inner = edge.copy()
                inner[1:-1, 1:-1] &= edge[:-2, 1:-1] & edge[2:, 1:-1] & edge[1:-1, :-2] & edge[1:-1, 2:]
                inner[[0, -1], :] = inner[:, [0, -1]] = False
                rim = pix[edge & ~inner, :3].astype(int).sum(axis=1)
                self.assertGreater((rim < 240).mean(), 0.8, "outline is not dark")
        # the same picture marks a taken pin on the floor (top-left at y 400,
        # floor line y 430): it stands on the floor and is paler than a real pin
        empty = alpha("rolling pin by itself-empty.tif")
        self.assertLessEqual(empty.shape[0], 30)
        self.assertTrue(empty[-1].any(), "floats above the floor")

        def brightest_quarter(name):
            pix = Cache.get(name)[1]
            lum = pix[pix[:, :, 3] == 255, :3].astype(int).sum(axis=1)
            return np.percentile(lum, 75)

        self.assertGreater(brightest_quarter("rolling pin by itself-empty.tif"),
                           brightest_quarter("rolling pin by itself.tif") + 60)


class Pages(unittest.TestCase):
    def test_background_tiles_without_a_seam(self):
        page = Cache.get("bk1_new.tif")[1].astype(np.int32)
        steps = np.abs(np.diff(page, axis=1)).mean(axis=(0, 2))
        seam = np.abs(page[:, 0] - page[:, -1]).mean()
        self.assertLessEqual(seam, np.percentile(steps, 90))

    def test_gradients_are_dithered_for_the_16_bit_display(self):
        # the wall's upper band is a smooth gradient: truncated to 5-6-5 it must
        # mix neighbouring levels within rows instead of forming flat bands
        page = Cache.get("bk1_new.tif")[1].astype(np.int32)
        band = page[160:200, 0:20, 2] >> 3
        mixed_rows = sum(len(np.unique(row)) > 1 for row in band)
        self.assertGreater(mixed_rows, len(band) // 2)

    def test_press_space_page_leaves_the_intro_stage_calm(self):
        page = Cache.get("press space to begin.tif")[1].astype(np.float32)
        stage = page[160:440, 110:790]
        lap = np.abs(stage[1:-1, 1:-1] * 4 - stage[:-2, 1:-1] - stage[2:, 1:-1]
                     - stage[1:-1, :-2] - stage[1:-1, 2:]).mean()
        title = page[10:140, 100:800]
        lap_title = np.abs(title[1:-1, 1:-1] * 4 - title[:-2, 1:-1] - title[2:, 1:-1]
                           - title[1:-1, :-2] - title[1:-1, 2:]).mean()
        self.assertLess(lap, lap_title / 2)


def artlib_pages():
    sys.path.insert(0, os.path.dirname(ARGS.generator))
    from artlib import pages

    return pages


class InstructionsPage(unittest.TestCase):
    # What a gamepad presses for each key; the host maps buttons to these keys.
    KEYS_AND_BUTTONS = [
        (["\u2190", "\u2192"], ["D-pad", "L"]),
        (["G"], ["Y"]),
        (["F"], ["X"]),
        (["T"], ["B"]),
        (["R"], ["RB"]),
        (["Space"], ["A"]),
        (["P", "O"], ["Start"]),
        (["Esc"], ["Back"]),
        (["M"], []),
    ]

    @classmethod
    def setUpClass(cls):
        cls.pages = artlib_pages()
        cls.items = cls.pages.instructions_layout()

    def rows(self):
        """Keys and buttons that share a line and a column of the page."""
        rows = {}
        words = [(x, y) for kind, x, y, _, _, _ in self.items if kind == "words"]
        for kind, x, y, _, _, what in self.items:
            if kind in ("key", "pad"):
                column = min(wx for wx, wy in words if wy == y and wx > x)
                rows.setdefault((column, y), ([], []))[kind == "pad"].append(what)
        return sorted(rows.values())

    def test_each_key_sits_beside_the_gamepad_buttons_that_press_it(self):
        self.assertEqual(self.rows(), sorted(self.KEYS_AND_BUTTONS))

    def test_every_part_fits_in_the_panel_with_room_around_it(self):
        x0, y0, x1, y1 = self.pages.PANEL
        margin, gap = 16, 8
        boxes = [(x, y, x + w, y + h, what) for _, x, y, w, h, what in self.items]
        for bx0, by0, bx1, by1, what in boxes:
            with self.subTest(what=what):
                self.assertGreaterEqual(bx0, x0 + margin)
                self.assertLessEqual(bx1, x1 - margin)
                self.assertGreaterEqual(by0, y0 + margin)
                self.assertLessEqual(by1, y1 - margin)
        for i, a in enumerate(boxes):
            for b in boxes[i + 1 :]:
                apart = (a[2] + gap <= b[0] or b[2] + gap <= a[0] or a[3] <= b[1] or b[3] <= a[1])
                self.assertTrue(apart, "%r and %r are cramped" % (a[4], b[4]))

    def test_face_buttons_wear_their_colours_where_the_layout_puts_them(self):
        page = Cache.get("instructions.tif")[1].astype(int)
        for kind, x, y, w, h, what in self.items:
            if kind == "pad" and what in self.pages.FACE_COLOURS:
                with self.subTest(button=what):
                    patch = page[y + 4 : y + 30, x + 2 : x + w - 2]
                    near = np.abs(patch - self.pages.FACE_COLOURS[what]).sum(axis=2) < 60
                    self.assertGreater(near.mean(), 0.3)


ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
WEB_SIZES = (192, 512)  # make_icons.py --web


def make_icons(out, *flags):
    script = os.path.join(os.path.dirname(ARGS.generator), "make_icons.py")
    subprocess.run([sys.executable, script, "--out", out] + list(flags), check=True)


def rim(shape):
    """Pixels of a boolean shape that touch its outside (4-neighbours or the border)."""
    inner = shape.copy()
    inner[1:-1, 1:-1] &= shape[:-2, 1:-1] & shape[2:, 1:-1] & shape[1:-1, :-2] & shape[1:-1, 2:]
    inner[[0, -1], :] = False
    inner[:, [0, -1]] = False
    return shape & ~inner


class Icons(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        from PIL import Image

        cls.Image = Image
        cls.folder = tempfile.TemporaryDirectory()
        cls.web = tempfile.TemporaryDirectory()
        make_icons(cls.folder.name)
        make_icons(cls.web.name, "--web")
        cls.png = {}
        for px in ICON_SIZES + WEB_SIZES:
            folder = cls.web.name if px in WEB_SIZES else cls.folder.name
            with Image.open(os.path.join(folder, "icon-%d.png" % px)) as im:
                cls.png[px] = (im.mode, np.asarray(im))

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()
        cls.web.cleanup()

    def test_every_size_is_square_rgba_with_transparent_corners_and_a_muffin_inside(self):
        for px in ICON_SIZES + WEB_SIZES:
            with self.subTest(px=px):
                mode, pix = self.png[px]
                self.assertEqual(mode, "RGBA")
                self.assertEqual(pix.shape, (px, px, 4))
                a = pix[:, :, 3]
                for corner in (a[0, 0], a[0, -1], a[-1, 0], a[-1, -1]):
                    self.assertEqual(corner, 0)
                self.assertGreater((a == 255).mean(), 0.5, "the muffin should fill the icon")
                self.assertFalse(pix[a == 0, :3].any(), "colour left under transparent pixels")

    def test_small_sizes_keep_a_dark_outline_and_sharp_pixels(self):
        # at menu size the muffin must stand out from any desktop: a ring of
        # dark ink all round it, and whole pixels rather than a blurred edge
        for px in (16, 24, 32):
            with self.subTest(px=px):
                pix = self.png[px][1]
                shape = pix[:, :, 3] >= 128
                ring = pix[rim(shape), :3].astype(int).sum(axis=1)
                self.assertGreater((ring < 240).mean(), 0.8, "outline is not dark")
        a16 = self.png[16][1][:, :, 3]
        self.assertTrue(set(np.unique(a16)) <= {0, 255}, "16 px edge is blurred")

    def test_small_sizes_are_drawn_for_their_size_not_shrunk(self):
        # eyes and smile survive at 16 px: dark pixels inside the shape, away
        # from its outline, in both the upper (eyes) and lower (smile) half
        pix = self.png[16][1]
        shape = pix[:, :, 3] == 255
        dark = (pix[:, :, :3].astype(int).sum(axis=2) < 240) & shape & ~rim(shape)
        self.assertTrue(dark[:8].any(), "no eyes")
        self.assertTrue(dark[8:].any(), "no smile")

    def test_windows_icon_holds_each_drawn_size_and_repeats_its_bytes(self):
        ico = os.path.join(self.folder.name, "muffins.ico")
        with self.Image.open(ico) as im:
            self.assertEqual(sorted(im.info["sizes"]), [(px, px) for px in ICON_SIZES])
            for px in ICON_SIZES:
                with self.subTest(px=px):
                    frame = np.asarray(im.ico.getimage((px, px)).convert("RGBA"))
                    np.testing.assert_array_equal(frame, self.png[px][1])
        with tempfile.TemporaryDirectory() as again:
            make_icons(again)
            for name in sorted(os.listdir(self.folder.name)):
                with open(os.path.join(self.folder.name, name), "rb") as a, \
                        open(os.path.join(again, name), "rb") as b:
                    self.assertEqual(a.read(), b.read(), name)


class Generator(unittest.TestCase):
    def test_a_second_run_writes_the_same_bytes(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, ARGS.generator, "--out", out], check=True)
            for name, _, _ in manifest():
                with open(os.path.join(out, name), "rb") as a, \
                        open(os.path.join(ARGS.images, name), "rb") as b:
                    self.assertEqual(a.read(), b.read(), name)


if __name__ == "__main__":
    ap = argparse.ArgumentParser()
    ap.add_argument("--images", required=True)
    ap.add_argument("--manifest", required=True)
    ap.add_argument("--generator", required=True)
    ARGS, rest = ap.parse_known_args()
    # The manifests are read as the generators read them.
    sys.path.insert(0, os.path.dirname(ARGS.generator))
    from tables import read_table  # noqa: E402

    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
