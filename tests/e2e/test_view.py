"""Checks of the end-to-end runs' view placement and scaled matching: the same
placements as the SDL host's own, and pictures found at their scale."""

import unittest

import numpy as np

from .harness import screen, view
from .test_screen import MASKS_565, packed, xwd


def dump_of(words):
    """A 16-bit xwd dump (5-6-5, least significant byte first) of a 5-6-5 array."""
    height, width = words.shape
    return screen.Dump(xwd(width, height, 16, 16, 2 * width, MASKS_565, packed(words, 2)))


class PlaceView(unittest.TestCase):
    # The same situations as tests/engine/platform/hosts/sdl/view_test.cpp.
    CASES = [
        ((900, 500, 900, 500), (0, 0, 900, 500)),
        ((900, 500, 1000, 700), (50, 100, 900, 500)),
        ((900, 500, 3000, 1100), (600, 50, 1800, 1000)),
        ((900, 500, 1900, 2000), (50, 500, 1800, 1000)),
        ((899, 499, 1000, 600), (50, 50, 899, 499)),
        ((900, 500, 450, 500), (0, 125, 450, 250)),
        ((900, 500, 900, 250), (225, 0, 450, 250)),
        ((900, 500, 600, 400), (0, 33, 600, 333)),
        ((900, 500, 0, 500), (0, 0, 0, 0)),
    ]

    def test_placements(self):
        for given, placed in self.CASES:
            self.assertEqual(view.place_view(*given), placed, given)


class MatchView(unittest.TestCase):
    def setUp(self):
        rng = np.random.default_rng(3)
        # Blocks of 3 x 3 pixels, so a picture scaled down still looks like itself.
        blocks = rng.integers(1, 0x10000, size=(20, 30), dtype=np.uint32).astype(np.uint16)
        self.picture = np.repeat(np.repeat(blocks, 3, axis=0), 3, axis=1)  # 60 x 90

    def screen_with(self, window_width, window_height, left, top, scale_to=None):
        words = np.zeros((300, 400), dtype=np.uint16)
        x, y, width, height = view.place_view(90, 60, window_width, window_height)
        words[top + y:top + y + height, left + x:left + x + width] = view.scaled(
            self.picture, width, height)
        return dump_of(words)

    def test_found_at_every_scale_with_a_black_border(self):
        for size in [(90, 60), (100, 80), (200, 130), (300, 190), (60, 60), (45, 30)]:
            dump = self.screen_with(size[0], size[1], 20, 10)
            share, black, _, _ = view.match_view(dump, self.picture, 20, 10, *size)
            self.assertGreater(share, 0.99, size)
            self.assertEqual(black, 1.0, size)

    def test_the_wrong_scale_or_place_does_not_match(self):
        dump = self.screen_with(200, 130, 20, 10)  # shown at 2x
        share, _, _, _ = view.match_view(dump, self.picture, 20, 10, 100, 70)
        self.assertLess(share, 0.5)  # looked for at 1x
        share, _, _, _ = view.match_view(dump, self.picture, 60, 40, 200, 130)
        self.assertLess(share, 0.5)  # looked for elsewhere

    def test_a_picture_left_uncentred_has_no_black_border(self):
        words = np.zeros((300, 400), dtype=np.uint16)
        words[10:10 + 130, 20:20 + 200] = 0x1234
        words[10:70, 20:110] = self.picture  # 1x in the corner of a larger window
        share, black, _, _ = view.match_view(dump_of(words), self.picture, 20, 10, 200, 130)
        self.assertLess(black, 0.5)


if __name__ == "__main__":
    unittest.main()
