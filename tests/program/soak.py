#!/usr/bin/python3
"""Soak test: the whole game on the headless host, unpaced, playing a long random input
script. Every frame's trace line is checked as it arrives (through a pipe, so a million
frames need no disk): values within their ranges, one line per frame. The process must
exit 0; with --rss-growth-mb its resident size, sampled while it runs, must stay flat
after the first restart. A sanitizer build checks for leaks itself at exit (its exit
code then is not 0).

Usage: soak.py --program muffins --images DIR --frames N --min-restarts N [--seed N]
               [--rss-growth-mb MB] [--keep DIR]
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_script  # noqa: E402

SCREENS = {"title", "instructions", "intro", "paused", "gameover", "play", "restart"}
# key: (lowest, highest), inclusive
HERO_RANGES = {
    "screenX": (0, 425),
    "milkCartons": (0, 5),
    "rollingPins": (0, 5),
    "walkState": (1, 4),
    "walkFrame": (0, 11),
    "fallFrame": (1, 8),
    "reachFrame": (0, 7),
    "milkFrame": (0, 7),
    "pinReachFrame": (0, 7),
    "pinFrame": (0, 7),
}
SHELL_RANGES = {
    "pageTimer": (0, 800),
    "gameOverTimer": (0, 50),
    "heroTick": (0, 10),
    "keyTick": (0, 10),
    "muffinTick": (0, 30),
    "introTick": (0, 40),
}
MUFFIN_STATES = {0, 3, 100}


class Checker:
    def __init__(self):
        self.frames = 0
        self.restarts = 0
        self.screens = {}
        self.errors = []

    def fail(self, frame, text):
        if len(self.errors) < 20:
            self.errors.append("frame %d: %s" % (frame, text))

    def within(self, frame, name, value, low, high):
        if not (low <= value <= high):
            self.fail(frame, "%s = %r outside %r..%r" % (name, value, low, high))

    def line(self, text):
        self.frames += 1
        try:
            state = json.loads(text)
        except ValueError as error:
            self.fail(self.frames, "not JSON (%s): %.200s" % (error, text))
            return
        frame = state.get("frame")
        if frame != self.frames:
            self.fail(self.frames, "frame number %r" % frame)
        screen = state.get("screen")
        if screen not in SCREENS:
            self.fail(frame, "screen %r" % screen)
        self.screens[screen] = self.screens.get(screen, 0) + 1
        if screen == "restart":
            self.restarts += 1
        for key, (low, high) in SHELL_RANGES.items():
            self.within(frame, key, state[key], low, high)
        hero = state["hero"]
        for key, (low, high) in HERO_RANGES.items():
            self.within(frame, "hero " + key, hero[key], low, high)
        fridges, pins, muffins = state["fridges"], state["pins"], state["muffins"]
        if len(fridges) != 6 or len(pins) != 4:
            self.fail(frame, "%d fridges, %d pins" % (len(fridges), len(pins)))
        if len(muffins) not in (2, 10):
            self.fail(frame, "%d muffins" % len(muffins))
        for muffin in muffins:
            _, y, muffinState, direction, roll, melt = muffin
            if muffinState not in MUFFIN_STATES:
                self.fail(frame, "muffin state %r" % muffinState)
            self.within(frame, "muffin direction", direction, 0, 2)
            self.within(frame, "muffin roll picture", roll, 0, 11)
            self.within(frame, "muffin melt picture", melt, 1 if muffinState == 100 else 0, 6)
            self.within(frame, "muffin y", y, 0, 400)
        intro = state["intro"]
        self.within(frame, "intro picture", intro["picture"], 0, 7)
        self.within(frame, "intro finished", intro["finished"], 0, 1)


def resident_kb(pid):
    """(VmRSS, VmHWM) in kB, or None once the process is gone."""
    try:
        with open("/proc/%d/status" % pid) as status:
            fields = dict(line.split(":", 1) for line in status if ":" in line)
        return int(fields["VmRSS"].split()[0]), int(fields["VmHWM"].split()[0])
    except (OSError, KeyError, ValueError):
        return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--images", required=True)
    parser.add_argument("--frames", type=int, required=True)
    parser.add_argument("--min-restarts", type=int, default=0)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--rss-growth-mb", type=float)
    parser.add_argument("--keep", help="folder to keep the script, debug.txt and output in")
    args = parser.parse_args()

    folder = args.keep or tempfile.mkdtemp(prefix="tolvo-soak-")
    os.makedirs(folder, exist_ok=True)
    images = os.path.join(folder, "Images")
    if not os.path.lexists(images):
        os.symlink(os.path.abspath(args.images), images)
    script = os.path.join(folder, "soak-input.txt")
    events = make_script.write_script(args.seed, args.frames, script)
    trace = os.path.join(folder, "trace.pipe")
    if os.path.lexists(trace):
        os.remove(trace)
    os.mkfifo(trace)

    env = dict(os.environ, TOLVO_HOST="headless", TOLVO_FPS="0", TOLVO_SCRIPT=script,
               TOLVO_FRAMES=str(args.frames), TOLVO_TRACE=trace)
    errors_path = os.path.join(folder, "stderr.txt")
    started = time.time()
    with open(errors_path, "wb") as errors:
        game = subprocess.Popen([os.path.abspath(args.program)], cwd=folder, env=env,
                                stdout=subprocess.DEVNULL, stderr=errors)
        samples = []  # (frames so far, VmRSS kB)
        peak = [0]
        checker = Checker()

        def sample():
            while game.poll() is None:
                reading = resident_kb(game.pid)
                if reading:
                    samples.append((checker.frames, checker.restarts, reading[0]))
                    peak[0] = max(peak[0], reading[1])
                time.sleep(0.25)

        sampler = threading.Thread(target=sample, daemon=True)
        sampler.start()
        with open(trace) as lines:
            for text in lines:
                checker.line(text)
        code = game.wait()
        sampler.join()
    seconds = time.time() - started

    failures = list(checker.errors)
    if code != 0:
        failures.append("exit code %d (stderr in %s)" % (code, errors_path))
    if checker.frames != args.frames:
        failures.append("%d trace lines for %d frames" % (checker.frames, args.frames))
    if checker.restarts < args.min_restarts:
        failures.append("%d restarts, fewer than %d" % (checker.restarts, args.min_restarts))
    growth = None
    settled = [kb for _, restarts, kb in samples if restarts >= 1]
    if settled:
        growth = (max(settled) - settled[0]) / 1024.0
    if args.rss_growth_mb is not None:
        if growth is None:
            failures.append("no memory samples after the first restart")
        elif growth > args.rss_growth_mb:
            failures.append("resident size grew %.1f MB after the first restart (limit %.1f)"
                            % (growth, args.rss_growth_mb))

    print("soak: %d frames, %d input events, %d restarts in %.1f s: %.0f frames/s"
          % (checker.frames, events, checker.restarts, seconds, checker.frames / seconds))
    print("soak: screens %s" % ", ".join("%s %d" % s for s in sorted(checker.screens.items())))
    print("soak: peak resident %.1f MB; growth after the first restart %s"
          % (peak[0] / 1024.0, "%.1f MB" % growth if growth is not None else "not measured"))
    if failures:
        print("soak: FAILED\n  " + "\n  ".join(failures))
        with open(errors_path, "rb") as errors:
            tail = errors.read()[-3000:].decode("utf-8", "replace")
        if tail:
            print("soak: end of standard error:\n" + tail)
        return 1
    if not args.keep:
        shutil.rmtree(folder, ignore_errors=True)
    print("soak: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
