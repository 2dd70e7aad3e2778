"""Checks of the end-to-end runs' own tools: xwd decoding in the shapes the X
servers really produce, the screen comparison, PNG and PAM files, and the
reading of debug.txt."""

import os
import struct
import tempfile
import unittest

import numpy as np

from .harness import screen
from .harness.game import log_lines


def xwd(width, height, depth, bits_per_pixel, bytes_per_line, masks, rows, byte_order=0,
        ncolors=0):
    """An xwd dump with the given header fields and raw pixel rows (bytes each)."""
    name = b"test\x00"
    header_size = 100 + len(name)
    fields = [header_size, 7, 2, depth, width, height, 0, byte_order, 32, byte_order, 32,
              bits_per_pixel, bytes_per_line, 4, masks[0], masks[1], masks[2], 8, 256, ncolors,
              width, height, 0, 0, 0]
    body = b"".join(row.ljust(bytes_per_line, b"\x00") for row in rows)
    return struct.pack(">25I", *fields) + name + b"\x00" * (12 * ncolors) + body


def picture(width, height, seed=7):
    """A 5-6-5 picture with every channel varying, nothing like a flat fill."""
    rng = np.random.default_rng(seed)
    return rng.integers(0, 0x10000, size=(height, width), dtype=np.uint32).astype(np.uint16)


def packed(values, size, order="little"):
    """Rows of values as raw pixel bytes, `size` bytes each."""
    return [b"".join(int(v).to_bytes(size, order) for v in row) for row in values]


MASKS_565 = (0xF800, 0x07E0, 0x001F)
MASKS_888 = (0xFF0000, 0x00FF00, 0x0000FF)


class XwdReadings(unittest.TestCase):
    def test_sixteen_bit_screen_reads_exactly(self):
        words = picture(12, 5)
        dump = screen.Dump(xwd(12, 5, 16, 16, 24, MASKS_565, packed(words, 2), ncolors=3))
        self.assertTrue(np.array_equal(dump.natural_565(), words))

    def test_wine_window_with_565_values_in_24_bit_pixels_and_padded_rows(self):
        # The header says 24 bits a pixel but 4 bytes a pixel's worth of row.
        words = picture(10, 4)
        dump = screen.Dump(xwd(10, 4, 24, 24, 40, MASKS_888, packed(words, 3)))
        names = dict(dump.readings())
        self.assertTrue(np.array_equal(names["3-byte raw 5-6-5"], words))
        self.assertTrue(np.array_equal(dump.natural_565(), words))

    def test_wine_window_whose_header_says_24_bits_but_holds_4_byte_pixels(self):
        words = picture(10, 4)
        dump = screen.Dump(xwd(10, 4, 24, 24, 40, MASKS_888, packed(words, 4)))
        self.assertTrue(np.array_equal(dict(dump.readings())["4-byte raw 5-6-5"], words))

    def test_true_colour_screen_reads_by_masks_in_either_byte_order(self):
        rgb = np.random.default_rng(3).integers(0, 256, size=(3, 6, 3), dtype=np.uint8)
        values = ((rgb[..., 0].astype(np.uint32) << 16) | (rgb[..., 1].astype(np.uint32) << 8)
                  | rgb[..., 2])
        for order, code in (("little", 0), ("big", 1)):
            dump = screen.Dump(xwd(6, 3, 24, 32, 24, MASKS_888, packed(values, 4, order),
                                   byte_order=code))
            self.assertTrue(np.array_equal(dump.natural_rgb(), rgb), order)
            self.assertTrue(np.array_equal(dump.natural_565(), screen.rgb_to_565(rgb)), order)

    def test_dump_shorter_than_its_header_promises_is_refused(self):
        data = xwd(8, 8, 16, 16, 16, MASKS_565, [b"\x00" * 16] * 8)
        with self.assertRaises(ValueError):
            screen.Dump(data[:-10])
        with self.assertRaises(ValueError):
            screen.Dump(data[:60])


class ScreenComparison(unittest.TestCase):
    def setUp(self):
        self.expected = picture(40, 30, seed=11)
        self.screen = np.zeros((60, 80), dtype=np.uint32)

    def dump_with_window_at(self, left, top):
        self.screen[top:top + 30, left:left + 40] = self.expected
        return screen.Dump(xwd(80, 60, 24, 24, 256, MASKS_888, packed(self.screen, 3)))

    def test_window_where_reported_matches_fully(self):
        share, reading, dx, dy = screen.match_region(self.dump_with_window_at(20, 15),
                                                     self.expected, 20, 15, 40, 30)
        self.assertEqual((share, reading, dx, dy), (1.0, "3-byte raw 5-6-5", 0, 0))

    def test_window_a_border_away_from_its_report_is_found(self):
        share, _, dx, dy = screen.match_region(self.dump_with_window_at(22, 14),
                                               self.expected, 20, 15, 40, 30)
        self.assertEqual((share, dx, dy), (1.0, 2, -1))

    def test_another_picture_does_not_match(self):
        dump = self.dump_with_window_at(20, 15)
        share, _, _, _ = screen.match_region(dump, picture(40, 30, seed=12), 20, 15, 40, 30)
        self.assertLess(share, 0.2)

    def test_small_colour_differences_are_tolerated(self):
        nudged = self.expected.astype(np.int32) ^ 0x0821  # lowest bit of each channel
        self.assertTrue(screen.close_enough(nudged, self.expected).all())
        far = self.expected.astype(np.int32) ^ 0x1000  # red off by 2 steps or more
        self.assertFalse(screen.close_enough(far, self.expected).any())


class Files(unittest.TestCase):
    def test_png_round_trip(self):
        from PIL import Image

        rgb = np.random.default_rng(5).integers(0, 256, size=(7, 9, 3), dtype=np.uint8)
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "shot.png")
            screen.write_png(path, rgb)
            with Image.open(path) as image:
                self.assertEqual(image.mode, "RGB")
                self.assertTrue(np.array_equal(np.asarray(image), rgb))

    def test_565_expands_to_full_range(self):
        self.assertEqual(screen.rgb_from_565(np.array([0xFFFF]))[0].tolist(), [255, 255, 255])
        self.assertEqual(screen.rgb_from_565(np.array([0x0000]))[0].tolist(), [0, 0, 0])
        self.assertEqual(screen.rgb_to_565(np.array([[255, 255, 255]], dtype=np.uint8))[0], 0xFFFF)

    def test_pam_with_alpha_gives_rgb(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "p.pam")
            with open(path, "wb") as stream:
                stream.write(b"P7\nWIDTH 2\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\n"
                             b"TUPLTYPE RGB_ALPHA\nENDHDR\n" + bytes([1, 2, 3, 0, 4, 5, 6, 255]))
            self.assertEqual(screen.read_pam(path).tolist(), [[[1, 2, 3], [4, 5, 6]]])

    def test_debug_log_from_windows_reads_as_lines(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "debug.txt")
            with open(path, "wb") as stream:
                stream.write(b"WindowsDX: Initialization started.\r\n  "
                             b"Tolvo Error: BPP_FAILED (Screen depth not supported)\r\n  ")
            self.assertEqual(log_lines(path), ["WindowsDX: Initialization started.",
                                               "Tolvo Error: BPP_FAILED (Screen depth not supported)"])


if __name__ == "__main__":
    unittest.main()
