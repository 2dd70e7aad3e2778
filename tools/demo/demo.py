#!/usr/bin/python3
"""Plays the built-in demo on the headless host and writes what it showed.

Runs the game with tools/demo/demo.script, captures every k-th frame, and from the
captured frames makes an animated GIF of the whole demo and a PNG contact sheet of its
key moments (ImageMagick). The key moments are found in the game's trace, so they stay
right when the script or the game's timing changes. With --screenshots, the key moments
are also written full size under their own names (the pictures in docs/screenshots).

A picture that cannot be written (a full disk, a folder that cannot be written) is named
with the reason on standard error, any part of it is removed, and the exit status is 3;
what was written before it stays.

Usage: demo.py --build BUILD [--out DIR] [--every K] [--screenshots DIR] [--keep-frames]
"""

import argparse
import contextlib
import json
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "demo.script")

# Hero action codes the moments look for.
MILK_REACHING = 10
PIN_REACHING = 19
WALK_RIGHT = 3
MUFFIN_MELTING = 100

GIF_WIDTH = 600  # two thirds of the view: readable, and a few megabytes for the whole demo
TILE = "450x250"  # contact-sheet tiles, half the view
WRITE_FAILED = 3  # the exit status when a file asked for was not written, as the game's


def run_game(build, out, every):
    """Plays the script headless, capturing every `every`-th frame; returns the trace."""
    frames = os.path.join(out, "frames")
    shutil.rmtree(frames, ignore_errors=True)
    os.makedirs(frames)
    trace_path = os.path.join(out, "trace.jsonl")
    env = dict(os.environ)
    for name in ("TOLVO_FRAMES", "TOLVO_RECORD", "TOLVO_DESKTOP", "TOLVO_PIXEL_FORMAT"):
        env.pop(name, None)
    env.update(TOLVO_HOST="headless", TOLVO_FPS="0", TOLVO_SCRIPT=SCRIPT,
               TOLVO_TRACE=trace_path, TOLVO_CAPTURE=frames, TOLVO_CAPTURE_EVERY=str(every))
    program = os.path.join(os.path.abspath(build), "muffins")
    try:
        result = subprocess.run([program], cwd=build, env=env, timeout=300,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    except (OSError, subprocess.TimeoutExpired) as error:
        sys.exit("demo: cannot play %s: %s" % (program, error))
    if result.returncode != 0:
        sys.stderr.write(result.stderr)
        sys.stderr.write("demo: the game exited with status %d\n" % result.returncode)
        sys.exit(WRITE_FAILED if result.returncode == WRITE_FAILED else 1)
    if "[message box]" in result.stderr:
        # A missing picture shows a message box; the demo would be drawn with holes.
        sys.stderr.write(result.stderr)
        sys.exit("demo: the game reported a problem (is the art built?)")
    with open(trace_path) as trace:
        return [json.loads(line) for line in trace]


def first(trace, test, start=0):
    """Index of the first frame from `start` that passes `test`, or None."""
    for i in range(start, len(trace)):
        if test(trace[i]):
            return i
    return None


def key_moments(trace):
    """(name, caption, frame number) of the demo's key moments, in the order they happen."""
    def screen(name):
        return lambda t: t["screen"] == name

    play = first(trace, screen("play"))
    if play is None:
        sys.exit("demo: play never started; the script no longer fits the game")
    # The first play frame shows the hero knocked down by design; judge from the next.
    wanted = [
        ("title", "Title", 0, screen("title"), 400),
        ("instructions", "How to play", 0, screen("instructions"), 300),
        ("intro", "The intro, waiting for Space", 0, screen("intro"), 290),
        ("rolling-pin", "Picking up a rolling pin", play,
         lambda t: t["hero"]["action"] == PIN_REACHING, 20),
        ("milk", "Taking milk from a fridge", play,
         lambda t: t["hero"]["action"] == MILK_REACHING, 30),
        ("walk", "Walking the kitchen", play,
         lambda t: t["hero"]["milkCartons"] > 0 and t["hero"]["walkState"] == WALK_RIGHT
         and t["hero"]["action"] not in (MILK_REACHING, PIN_REACHING), 50),
        ("melt", "A muffin melts", play,
         lambda t: any(m[2] == MUFFIN_MELTING for m in t["muffins"]), 40),
        ("knock-down", "Knocked down", play + 1,
         lambda t: t["screen"] == "play" and not t["hero"]["clear"], 45),
        ("game-over", "Game over", play, screen("gameover"), 25),
    ]
    moments = []
    for name, caption, start, test, later in wanted:
        found = first(trace, test, start)
        if found is None:
            sys.exit("demo: the demo never reached '%s'; the script no longer fits the game"
                     % caption)
        moments.append((name, caption, trace[min(found + later, len(trace) - 1)]["frame"]))
    return moments


def captured(frames, frame, every):
    """The captured picture nearest to `frame` (captures are every `every`-th frame)."""
    number = max(every, (frame + every // 2) // every * every)
    return os.path.join(frames, "frame-%06d.png" % number)


def magick(arguments, path):
    """Runs ImageMagick with its picture on standard output, then writes that to path."""
    form = os.path.splitext(path)[1][1:]
    result = subprocess.run(arguments + [form + ":-"], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    if result.returncode != 0:
        sys.stderr.write(result.stderr.decode(errors="replace"))
        sys.exit("demo: %s failed" % arguments[0])
    written = None
    try:
        with open(path, "wb") as written:
            written.write(result.stdout)
    except OSError as error:
        if written and os.path.isfile(path):  # cut short; never a device such as /dev/full
            with contextlib.suppress(OSError):
                os.remove(path)
        cannot_write(path, error)


def cannot_write(path, error):
    sys.stderr.write("demo: cannot write %s: %s\n" % (path, error.strerror or error))
    sys.exit(WRITE_FAILED)


def make_folder(path):
    try:
        os.makedirs(path, exist_ok=True)
    except OSError as error:
        cannot_write(path, error)


def make_gif(trace, frames, every, path):
    """The whole demo at its own speed, the two long pages shown briefly."""
    def frames_of(name):
        return [t["frame"] for t in trace if t["screen"] == name]

    title, pages = frames_of("title"), frames_of("instructions")
    rest = trace[pages[-1]:] if pages else trace
    moving = sorted({t["frame"] // every * every for t in rest if t["frame"] >= every})
    delay = max(1, round(100 * every / 60))  # centiseconds: real time at 60 frames a second
    arguments = ["convert", "-delay", "250", captured(frames, title[len(title) // 2], every),
                 "-delay", "500", captured(frames, pages[len(pages) // 2], every),
                 "-delay", str(delay)]
    arguments += [os.path.join(frames, "frame-%06d.png" % n) for n in moving[:-1]]
    arguments += ["-delay", "200", os.path.join(frames, "frame-%06d.png" % moving[-1])]
    arguments += ["-resize", "%dx" % GIF_WIDTH, "-loop", "0", "-layers", "Optimize"]
    magick(arguments, path)


def make_sheet(moments, frames, every, path):
    arguments = ["montage", "-depth", "8", "-font", "DejaVu-Sans", "-pointsize", "16", "-background", "#2b2540",
                 "-fill", "white"]
    for _, caption, frame in moments:
        arguments += ["-label", caption, captured(frames, frame, every)]
    arguments += ["-tile", "3x", "-geometry", TILE + "+6+6"]
    magick(arguments, path)


def write_screenshots(moments, frames, every, folder):
    make_folder(folder)
    for name, _, frame in moments:
        # Recompressed at the highest level: these are kept in the repository.
        magick(["convert", captured(frames, frame, every), "-strip", "-define",
                "png:compression-level=9"], os.path.join(folder, name + ".png"))


def main():
    parser = argparse.ArgumentParser(description="Play the demo headless and write its frames.")
    parser.add_argument("--build", required=True, help="build folder with muffins and Images/")
    parser.add_argument("--out", help="output folder (default BUILD/demo)")
    parser.add_argument("--every", type=int, default=5, help="capture every k-th frame")
    parser.add_argument("--screenshots", help="also write the key moments full size here")
    parser.add_argument("--keep-frames", action="store_true", help="keep the captured frames")
    args = parser.parse_args()
    out = os.path.abspath(args.out or os.path.join(args.build, "demo"))
    make_folder(out)
    every = max(1, args.every)

    trace = run_game(args.build, out, every)
    frames = os.path.join(out, "frames")
    moments = key_moments(trace)
    gif = os.path.join(out, "demo.gif")
    sheet = os.path.join(out, "contact-sheet.png")
    make_gif(trace, frames, every, gif)
    make_sheet(moments, frames, every, sheet)
    if args.screenshots:
        write_screenshots(moments, frames, every, args.screenshots)
    if not args.keep_frames:
        shutil.rmtree(frames)
    print("demo: %d frames played; the animation is %s" % (len(trace), gif))
    print("demo: key moments in %s" % sheet)
    if args.screenshots:
        print("demo: screenshots in %s" % args.screenshots)


if __name__ == "__main__":
    main()
