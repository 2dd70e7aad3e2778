#!/usr/bin/python3
"""Plays each example headless from an input script and checks what it showed.

    check_examples.py --build build/examples --out DIR [--only NAME] [--update]

Each example runs FRAMES frames on the headless host; its last frame must equal
tests/examples/expected/NAME.png pixel for pixel (on a difference the frame is written
to DIR for a person to look at). The sound example's mixed sound must be heard and
equal the stored digest; the pictures example's shot.tif must hold the frame it was
taken on. --update writes the expectations from this run instead.
"""

import argparse
import hashlib
import os
import subprocess
import sys

import numpy as np
from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
EXPECTED = os.path.join(HERE, "expected")
FRAMES = 300
SPACE, LEFT, UP, RIGHT, DOWN, KEY_A = 32, 37, 38, 39, 40, 65


def typed(frame, text):
    return ["%d char %d" % (frame + i, ord(c)) for i, c in enumerate(text)]


def held(key, first, last):
    return ["%d down %d" % (first, key), "%d up %d" % (last, key)]


# name: the input script's events (frame, event, code), played from frame 1.
SCRIPTS = {
    "sprites": held(RIGHT, 20, 120) + held(LEFT, 150, 200),
    "scrolling": held(RIGHT, 30, 130) + held(LEFT, 200, 230),
    "blending": held(RIGHT, 10, 60) + held(DOWN, 60, 90),
    "typing": typed(10, "Hello, Tolvo!\rTyped inpuz") + ["40 char 8"] + typed(50, "t")
    + ["290 down %d" % KEY_A, "290 down %d" % LEFT],
    "sound": typed(10, "1") + typed(30, "2") + typed(60, "c") + typed(80, "l")
    + held(DOWN, 100, 160) + typed(200, "3"),
    "pictures": held(SPACE, 100, 102),
}
# The sound example's mixed sound, as its digest: mixing is integer arithmetic.
SOUND_DIGEST = os.path.join(EXPECTED, "sound.wav.sha256")
SHOT_FRAME = 100


def play(program, name, out):
    work = os.path.join(out, name)
    os.makedirs(work, exist_ok=True)
    for old in os.listdir(work):
        if old.endswith((".png", ".tif", ".wav")):
            os.remove(os.path.join(work, old))
    script = os.path.join(work, "input.script")
    with open(script, "w") as stream:
        stream.write("\n".join(SCRIPTS[name]) + "\n")
    env = dict(os.environ, TOLVO_HOST="headless", TOLVO_FRAMES=str(FRAMES), TOLVO_SCRIPT=script,
               TOLVO_CAPTURE=work, TOLVO_CAPTURE_EVERY=str(SHOT_FRAME),
               TOLVO_AUDIO_CAPTURE=os.path.join(work, "sound.wav"))
    # Run from a folder of its own, with Images/ and Sounds/ found beside the program.
    result = subprocess.run([program], cwd=work, env=env, timeout=120, capture_output=True,
                            text=True)
    if result.returncode != 0:
        raise AssertionError("%s exited %d: %s" % (name, result.returncode, result.stderr))
    return work


def pixels(path):
    return np.asarray(Image.open(path).convert("RGB"), dtype=np.int16)


def check_frame(name, work, update):
    frame = os.path.join(work, "frame-%06d.png" % FRAMES)
    expected = os.path.join(EXPECTED, name + ".png")
    if update:
        Image.open(frame).save(expected, optimize=True)
        return
    got, want = pixels(frame), pixels(expected)
    if got.shape != want.shape or (got != want).any():
        differ = -1 if got.shape != want.shape else int((got != want).any(axis=2).sum())
        raise AssertionError("%s: the last frame differs from %s (%d pixels); see %s" % (
            name, expected, differ, frame))


def check_sound(work, update):
    with open(os.path.join(work, "sound.wav"), "rb") as stream:
        data = stream.read()
    samples = np.frombuffer(data[44:], dtype="<i2")
    if np.abs(samples).max() < 1000:
        raise AssertionError("sound: nothing was heard")
    digest = hashlib.sha256(data).hexdigest()
    if update:
        with open(SOUND_DIGEST, "w") as stream:
            stream.write(digest + "\n")
    elif open(SOUND_DIGEST).read().strip() != digest:
        raise AssertionError("sound: the mixed sound changed (%s); see %s/sound.wav" % (
            digest, work))


def check_shot(work, update):
    shot = pixels(os.path.join(work, "shot.tif"))
    frame = pixels(os.path.join(work, "frame-%06d.png" % SHOT_FRAME))
    # The capture shows the window's client area, the shot the whole back buffer.
    height, width = frame.shape[:2]
    if shot.shape[0] < height or shot.shape[1] < width:
        raise AssertionError("pictures: shot.tif is %dx%d" % shot.shape[1::-1])
    worst = int(np.abs(shot[:height, :width] - frame).max())
    if worst > 0:
        raise AssertionError("pictures: shot.tif differs from frame %d by up to %d" % (
            SHOT_FRAME, worst))


EXTRA = {"sound": check_sound, "pictures": check_shot}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="the folder holding the examples")
    parser.add_argument("--out", required=True)
    parser.add_argument("--only", action="append", help="an example to check (default all)")
    parser.add_argument("--update", action="store_true")
    args = parser.parse_args()
    failures = 0
    for name in args.only or sorted(SCRIPTS):
        try:
            work = play(os.path.join(os.path.abspath(args.build), name), name, args.out)
            check_frame(name, work, args.update)
            if name in EXTRA:
                EXTRA[name](work, args.update)
            print("ok   %s" % name)
        except (AssertionError, OSError, subprocess.SubprocessError) as error:
            print("FAIL %s" % error)
            failures += 1
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
