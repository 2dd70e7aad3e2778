"""The SDL host's view in a window of any size: where it goes (the same rule as
engine/platform/hosts/sdl/sdl_view.cpp) and how well a screen dump shows a
picture there, scaled by nearest neighbour, with the rest of the window black."""

import numpy as np

from . import screen


def place_view(view_width, view_height, width, height):
    """(x, y, width, height) of the view in a window: the largest whole scale that
    fits, else the largest that keeps its shape; centred."""
    if min(view_width, view_height, width, height) <= 0:
        return (0, 0, 0, 0)
    scale = min(width // view_width, height // view_height)
    if scale >= 1:
        placed = (view_width * scale, view_height * scale)
    elif width * view_height <= height * view_width:
        placed = (width, max(1, width * view_height // view_width))
    else:
        placed = (max(1, height * view_width // view_height), height)
    return ((width - placed[0]) // 2, (height - placed[1]) // 2) + placed


def scaled(picture, width, height):
    """A picture resized to width x height by nearest neighbour, each pixel of the
    result taking the picture's pixel under its centre."""
    rows = ((np.arange(height) + 0.5) * picture.shape[0] / height).astype(int)
    columns = ((np.arange(width) + 0.5) * picture.shape[1] / width).astype(int)
    return picture[rows][:, columns]


def match_view(dump, picture, left, top, width, height, slack=1):
    """How well the window at (left, top), width x height on the screen, shows the
    picture (5-6-5) placed and scaled as the host places its view. Returns (share of
    the view's pixels that match, share of the border that is black, reading name,
    the placement). Every reading of the dump and offsets within `slack` are tried."""
    place = place_view(picture.shape[1], picture.shape[0], width, height)
    x, y, placed_width, placed_height = place
    if placed_width == 0:
        return (0.0, 0.0, "", place)
    wanted = scaled(picture, placed_width, placed_height)
    best = (0.0, 0.0, "", place)
    for dx in range(-slack, slack + 1):
        for dy in range(-slack, slack + 1):
            x0, y0 = left + dx, top + dy
            if x0 < 0 or y0 < 0 or x0 + width > dump.width or y0 + height > dump.height:
                continue
            for name, words in dump.readings():
                shown = words[y0 + y:y0 + y + placed_height, x0 + x:x0 + x + placed_width]
                share = float(screen.close_enough(shown, wanted).mean())
                if share <= best[0]:
                    continue
                window = words[y0:y0 + height, x0:x0 + width]
                border = np.ones(window.shape, dtype=bool)
                border[y:y + placed_height, x:x + placed_width] = False
                black = float((window[border] == 0).mean()) if border.any() else 1.0
                best = (share, black, name, place)
    return best
