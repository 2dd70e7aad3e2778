#!/usr/bin/python3
"""Makes every sound of Muffin Meltdown and writes them as 16-bit PCM WAV.

    make_sounds.py --out build/Sounds             all sounds
    make_sounds.py --out DIR --stamp FILE         and touch FILE when done
    make_sounds.py --report                       a table of their levels

Each sound is checked against sounds.txt (names, lengths, which one loops)
before anything is written. Deterministic: the same bytes on every run
(fixed seeds, no time stamps).
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from tables import read_table  # noqa: E402

from soundlib import effects, measure, music, synth  # noqa: E402
from soundlib.wavio import RATE, write_wav  # noqa: E402

# Levels agreed for the whole palette. Effects aim at one loudness as the ear
# weighs it (A-weighted), so a low thud is not drowned by a bright swish, but
# their plain RMS stays within EFFECT_RMS_SPREAD_DB of EFFECT_RMS_DB either way.
# The tune sits well under them as a background. The effect peak ceiling
# leaves room for three effects (or the tune and two effects) to land on the
# same instant without reaching full scale.
EFFECT_RMS_DB = -25.0
EFFECT_RMS_SPREAD_DB = 1.25
EFFECT_LOUDNESS_DBA = -26.5
EFFECT_PEAK_DB = -10.5
TUNE_RMS_DB = -33.0

LOOPED = {"title.wav"}


def make_all():
    """Every sound by file name, as float samples ready to write."""
    out = {"title.wav": music.title(TUNE_RMS_DB)}
    raw = {name: make() for name, make in effects.ALL.items()}
    raw["gameover.wav"] = music.gameover()
    for name, x in raw.items():
        # the jingle's notes ring out slowly, so it fades out more gently
        fade_out = 0.25 if name == "gameover.wav" else 0.02
        first = synth.finish(x, EFFECT_RMS_DB, EFFECT_PEAK_DB, fade_out=fade_out)
        shift = EFFECT_LOUDNESS_DBA - measure.a_weighted_rms_db(first)
        shift = max(-EFFECT_RMS_SPREAD_DB, min(EFFECT_RMS_SPREAD_DB, shift))
        out[name] = synth.finish(x, EFFECT_RMS_DB + shift, EFFECT_PEAK_DB, fade_out=fade_out)
    return out


def read_manifest(path):
    return read_table(path, str, float, str, str)


def check(sounds, manifest):
    problems = []
    wanted = {name: (seconds, mode) for name, seconds, mode, _ in manifest}
    for name in sorted(set(wanted) - set(sounds)):
        problems.append("missing: %s" % name)
    for name in sorted(set(sounds) - set(wanted)):
        problems.append("not in the manifest: %s" % name)
    for name, (seconds, mode) in sorted(wanted.items()):
        if name not in sounds:
            continue
        have = len(sounds[name]) / RATE
        if abs(have - seconds) > 0.001:
            problems.append("%s lasts %.3f s, the manifest says %.3f s" % (name, have, seconds))
        if (mode == "loop") != (name in LOOPED):
            problems.append("%s: the manifest says %s" % (name, mode))
    return problems


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", help="folder for the WAV files")
    ap.add_argument("--manifest", default=os.path.join(HERE, "sounds.txt"),
                    help="expected file names, lengths and looping")
    ap.add_argument("--report", action="store_true", help="print each sound's levels")
    ap.add_argument("--stamp", help="touch this file when done")
    args = ap.parse_args()

    sounds = make_all()
    problems = check(sounds, read_manifest(args.manifest))
    for p in problems:
        print("make_sounds: " + p, file=sys.stderr)
    if problems:
        return 1
    if args.report:
        print(measure.table(sounds, LOOPED))
    if args.out:
        os.makedirs(args.out, exist_ok=True)
        for name, x in sorted(sounds.items()):
            write_wav(os.path.join(args.out, name), x)
    if args.stamp:
        with open(args.stamp, "w") as f:
            f.write("%d sounds\n" % len(sounds))
    return 0


if __name__ == "__main__":
    sys.exit(main())
