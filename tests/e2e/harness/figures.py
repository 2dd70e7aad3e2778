"""The end-to-end runs' timings against their goals: a report that prints and never fails.

How fast a page opens, how many frames a second a run makes and how late a sound comes
depend on the machine and on what else it is doing, so the runs check behaviour (frames
advance, traces and pixels equal, keys arrive, sound is heard) and write these figures
to JSON files in their output folders; this compares those of the current run with
their goals.

    python3 -m tests.e2e.harness.figures [FOLDER ...]
        the figures last written there (default build/e2e and build/e2e/web)
"""

import json
import os
import sys

# (file, figure, lowest, highest, unit, what): the goal is lowest..highest, either open.
GOALS = [
    ("web-measure.json", "firstFrameMs", None, 1500, "ms",
     "web: the first frame after opening the page"),
    ("web-measure.json", "frameCostRatio", None, 1.5, "x",
     "web: an unpaced frame against the native one"),
    ("web-measure.json", "pacedFps.webgl", 59, None, "/s", "web: the paced demo (WebGL)"),
    ("web-measure.json", "pacedFps.2d", 59, None, "/s", "web: the paced demo (2D)"),
    # TOLVO_WEB_CPU_THROTTLE=4: a mid-range phone.
    ("web-measure.json", "throttled.firstFrameMs", None, 2500, "ms",
     "web, slowed CPU: the first frame after opening the page"),
    ("web-measure.json", "throttled.frameShare", None, 1, "",
     "web, slowed CPU: an unpaced frame, share of 16.7 ms"),
    ("web-measure.json", "throttled.pacedFps.webgl", 59, None, "/s",
     "web, slowed CPU: the paced demo (WebGL)"),
    ("web-measure.json", "throttled.pacedFps.2d", 59, None, "/s",
     "web, slowed CPU: the paced demo (2D)"),
    ("web-title.json", "gameFps", 57, 63, "/s", "web: paced game frames a second (WebGL)"),
    ("web-title-2d.json", "gameFps", 57, 63, "/s", "web: paced game frames a second (2D)"),
    ("web-sound.json", "latencyMedianMs", None, 100, "ms",
     "web: a sound heard after its frame (middle)"),
    ("sdl-pacing.json", "paced.mean", 1000 / 60 - 0.5, 1000 / 60 + 0.5, "ms",
     "sdl: a paced frame's interval under Xvfb"),
    ("sdl-audio.json", "latencyMostMs", None, 75, "ms",
     "sdl: a sound reaching the device after its frame (most)"),
]


def write(out, name, figures):
    with open(os.path.join(out, name + ".json"), "w", encoding="utf-8") as stream:
        json.dump(figures, stream, indent=1)


def figure(data, name):
    for part in name.split("."):
        data = data[part]
    return float(data)


def goal_text(low, high, unit):
    if low is None:
        return "at most %g %s" % (high, unit)
    if high is None:
        return "at least %g %s" % (low, unit)
    return "%.4g to %.4g %s" % (low, high, unit)


def lines(folders, since=0):
    """One line per figure found in `folders` in a file written at or after `since`."""
    found = []
    width = max(len(goal[5]) for goal in GOALS)
    for name, key, low, high, unit, what in GOALS:
        for folder in folders:
            path = os.path.join(folder, name)
            try:
                if os.path.getmtime(path) < since:
                    continue
                with open(path, encoding="utf-8") as stream:
                    value = figure(json.load(stream), key)
            except (OSError, ValueError, KeyError, TypeError):
                continue
            met = (low is None or value >= low) and (high is None or value <= high)
            found.append("  %-*s %9.4g %-3s goal %-18s %s" % (
                width, what, value, unit, goal_text(low, high, unit), "met" if met else "MISSED"))
            break
    return found


def report(folders, since=0, say=print):
    """Prints the report (nothing when no figures were written); never raises."""
    try:
        found = lines(folders, since)
    except Exception as error:  # a report, never a failure of the run
        say("figures: no report: %s" % error)
        return
    if found:
        say("figures (goals, not checks: a missed goal does not fail the run):")
        for line in found:
            say(line)


if __name__ == "__main__":
    report(sys.argv[1:] or ["build/e2e", "build/e2e/web"])
