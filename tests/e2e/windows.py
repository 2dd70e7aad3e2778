"""The Windows build (muffins.exe) under Wine on Xvfb screens, with real key events.

  wine16  on a 16-bit screen: the start-up lines in debug.txt, the title page on the
          screen, Space and the arrow keys reach the game, Escape ends it with exit code 0.
          Wine has no sound driver: one sound line follows the start-up lines and the game
          plays on.
  wine24  the same on a 24-bit screen: the start-up error box, its log line, exit code 255
          (-1).
"""

import os
import time

import numpy as np

from .harness import game, screen
from .harness.game import VIEW_WIDTH, WINDOWED_START_LINES, log_lines
from .harness.session import check, say, wait_for
from .harness.xserver import Display, check_title, escape_quits


def start(ctx, display, name, extra=None):
    """muffins.exe in a run folder of its own; returns the game and that folder."""
    run_dir = game.fresh_run_dir(ctx.out, name, os.path.join(ctx.windows, "muffins.exe"),
                                 os.path.join(ctx.windows, "Images"))
    return ctx.wine.start(display, "muffins.exe", run_dir, os.path.join(ctx.out, name + ".log"),
                          extra), run_dir


def scenario_wine16(ctx):
    title = game.expected_title(ctx.native, os.path.join(ctx.windows, "Images"), ctx.out)
    with Display(16, log=os.path.join(ctx.out, "xvfb-wine16.log")) as display, \
            ctx.wine.running(display):
        muffins, run_dir = start(ctx, display, "wine16", {"TOLVO_TRACE": "trace.jsonl"})
        with muffins:
            play_wine16(ctx, display, muffins, run_dir, title)


def play_wine16(ctx, display, muffins, run_dir, title):
    trace, debug = os.path.join(run_dir, "trace.jsonl"), os.path.join(run_dir, "debug.txt")
    window = game.find_game_window(display, class_has="muffins.exe")
    game.check_start_lines(debug, wait=30)
    say("  debug.txt holds the windowed start-up lines in order")
    sound = wait_for("the sound line in debug.txt", lambda: [
        line for line in log_lines(debug) if line.startswith(game.SOUND_LINE)], 30)
    lines = log_lines(debug)
    check(len(sound) == 1, "debug.txt has %d sound lines: %r" % (len(sound), sound))
    check(lines.index(sound[0]) == len(WINDOWED_START_LINES),
          "the sound line does not follow the start-up lines: %r" % lines)
    say("  without a sound driver: %s" % sound[0])

    def frame():
        return game.last_trace(trace)

    shown = wait_for("two seconds of frames", lambda: frame().get("frame", 0) >= 120 and frame(),
                     30)
    check(shown["screen"] == "title", "frame %d shows %s, not title" % (shown["frame"],
                                                                        shown["screen"]))
    check_title(display, window, title, ctx.out, "wine16-title")

    # Title (800 frames) and instructions (600) pass on their own at 60 frames a second.
    base, started = frame(), time.monotonic()
    intro = wait_for("the intro", lambda: frame().get("screen") == "intro" and frame(), 120,
                     interval=0.5)
    seconds = time.monotonic() - started
    say("  intro reached at frame %d, %.0fs after the title check (%.1f frames a second)"
        % (intro["frame"], seconds, (intro["frame"] - base["frame"]) / max(seconds, 0.1)))
    time.sleep(0.5)
    before = display.screenshot(os.path.join(ctx.out, "wine16-intro.xwd")).natural_565()

    display.focus(window)
    display.hold("space", 0.4)
    play = wait_for("play after Space", lambda: frame().get("screen") == "play" and frame(), 10)
    say("  Space reached the game: play from frame %d" % play["frame"])
    time.sleep(0.5)
    after = display.screenshot(os.path.join(ctx.out, "wine16-play.xwd")).natural_565()
    area = (slice(window["y"] + 8, window["y"] + window["height"] - 8),
            slice(window["x"] + 8, window["x"] + window["width"] - 8))
    changed = float((before[area] != after[area]).mean())
    check(changed > 0.25, "the picture hardly changed when play started (%.1f%%)" % (
        100 * changed))
    say("  the picture changed on %.1f%% of the window" % (100 * changed))
    screen.write_png(os.path.join(ctx.out, "wine16-play.png"), screen.rgb_from_565(
        after[window["y"]:window["y"] + window["height"],
              window["x"]:window["x"] + window["width"]]))

    def walk(key, state):
        return game.walk(wait_for, lambda: frame().get("hero", {}), key, state,
                         lambda: display.run(["xdotool", "keydown", key]),
                         lambda: display.run(["xdotool", "keyup", key]))

    (start_x, right_x), (_, left_x) = walk("Right", game.WALK_RIGHT), walk("Left", game.WALK_LEFT)
    game.check_walks(start_x, right_x, left_x, "the arrow keys")
    say("  arrow keys reached the game: hero %s -> %s -> %s" % (start_x, right_x, left_x))
    escape_quits(display, muffins)


def scenario_wine24(ctx):
    with Display(24, log=os.path.join(ctx.out, "xvfb-wine24.log")) as display, \
            ctx.wine.running(display):
        muffins, run_dir = start(ctx, display, "wine24")
        with muffins:
            box = display.find_window("the start-up error box", 60, name="Tolvo", min_width=100)
            time.sleep(1.0)  # let it paint
            games = [w for w in display.windows() if "muffins.exe" in w["class"]
                     and w["width"] >= VIEW_WIDTH - 10 and display.viewable(w["id"])]
            check(not games, "a game window exists although the screen depth was refused")
            rgb = display.screenshot(os.path.join(ctx.out, "wine24-error.xwd")).natural_rgb()
            crop = rgb[box["y"]:box["y"] + box["height"], box["x"]:box["x"] + box["width"]]
            check(len(np.unique(crop.reshape(-1, 3), axis=0)) > 2, "the error box shows nothing")
            screen.write_png(os.path.join(ctx.out, "wine24-error.png"), crop)
            say("  error box \"Tolvo\" %dx%d shown" % (box["width"], box["height"]))

            display.focus(box)
            display.tap("Return")
            code = muffins.wait(20)
            check(code == 255, "exit code %d after the error box, expected 255 (-1)" % code)
            lines = log_lines(os.path.join(run_dir, "debug.txt"))
            check(lines and lines[0] == WINDOWED_START_LINES[0], "debug.txt does not begin with "
                  "the started line: %r" % lines[:1])
            check(lines[-1] == game.BPP_FAILED_LINE, "debug.txt ends with %r" % lines[-1:])
            say("  debug.txt ends with the BPP_FAILED line; exit code 255")


SCENARIOS = [("wine16", scenario_wine16), ("wine24", scenario_wine24)]
