"""The native build with the SDL host on Xvfb screens, with real key events.

  sdl             window, title page, Escape, exit 0.
  sdl-audio       SDL's disk audio driver: silence, then the tune once play starts,
                  silence while M mutes it; how late a sound is heard is measured.
  sdl-resize      the window resized (xdotool) larger, to twice the view and smaller than
                  it: the whole view stays visible, at the largest whole scale that fits
                  (else scaled down in shape), centred on black.
  sdl-fullscreen  F11 and Alt+Enter fill the screen with the view scaled up, and give the
                  window back; the keys never reach the game (its recording).
  sdl-pacing      frame intervals unpaced and paced: paced within a third and twice 60 a
                  second, unpaced faster.
"""

import json
import os
import subprocess
import time

import numpy as np

from .harness import figures, game, view
from .harness.game import GAME_TITLE, last_trace
from .harness.session import Process, check, empty_folder, game_env, say, wait_for
from .harness.xserver import Display, check_title, escape_quits, save_window

COMFORT_SCREEN = "1920x1080"
VIEW_MATCH = 0.90  # share of the view's pixels that must show the title page, at scale
SCALED_DOWN_MATCH = 0.80  # the same below 1x, where neighbours may be sampled differently
BORDER_BLACK = 0.99  # share of the window outside the view that must be black
RATE = 44100  # sample frames a second


def sdl_env(display, **settings):
    return game_env(display.env(), **dict({"TOLVO_HOST": "sdl", "TOLVO_SCALE": "1",
                                           "SDL_AUDIODRIVER": "dummy"}, **settings))


def start(ctx, display, name, files=(), **settings):
    """The game on the SDL host at 1x in a run folder of its own, with `files` ((name,
    text) pairs) written there first: the game and the folder."""
    run_dir = game.fresh_run_dir(ctx.out, name, os.path.join(ctx.native, "muffins"),
                                 os.path.join(ctx.native, "Images"))
    for file_name, text in files:
        with open(os.path.join(run_dir, file_name), "w") as stream:
            stream.write(text)
    return Process([os.path.join(run_dir, "muffins")], cwd=run_dir,
                   env=sdl_env(display, **settings), log=os.path.join(ctx.out, name + ".log")), run_dir


def scenario_sdl(ctx):
    title = game.expected_title(ctx.native, os.path.join(ctx.native, "Images"), ctx.out)
    with Display(24, log=os.path.join(ctx.out, "xvfb-sdl.log")) as display:
        muffins, run_dir = start(ctx, display, "sdl")
        with muffins:
            window = game.find_game_window(display, "the SDL window", 30)
            time.sleep(2.0)
            check(muffins.poll() is None, "the game ended on its own (code %s)" % muffins.poll())
            game.check_start_lines(os.path.join(run_dir, "debug.txt"))
            check_title(display, window, title, ctx.out, "sdl-title")
            escape_quits(display, muffins, window)


def scenario_sdl_audio(ctx):
    """SDL's disk driver writes the device's output to a file at the device's pace: the
    file's growth says when each sample reached it."""
    with Display(24, log=os.path.join(ctx.out, "xvfb-sdl-audio.log")) as display:
        run_dir = os.path.join(ctx.out, "sdl-audio")
        raw, trace = os.path.join(run_dir, "audio.raw"), os.path.join(run_dir, "trace.jsonl")
        # M mutes on frame 100 and unmutes on frame 160; the game closes after frame 240.
        muffins, _ = start(ctx, display, "sdl-audio", [("input.script", "100 down 77\n101 up 77"
                                                       "\n160 down 77\n161 up 77\n")],
                           TOLVO_FRAMES="240", TOLVO_SCRIPT="input.script",
                           TOLVO_TRACE="trace.jsonl", SDL_AUDIODRIVER="disk",
                           SDL_DISKAUDIOFILE=raw)
        with muffins:
            check(os.path.isdir(os.path.join(run_dir, "Sounds")), "no Sounds folder beside Images")
            # When each trace line and each byte of sound appeared, watched every millisecond.
            growth = []
            deadline = time.monotonic() + 60
            while muffins.poll() is None and time.monotonic() < deadline:
                sizes = [os.path.getsize(p) if os.path.exists(p) else 0 for p in (trace, raw)]
                if not growth or sizes != growth[-1][1:]:
                    growth.append((time.monotonic(), sizes[0], sizes[1]))
                time.sleep(0.001)
            code = muffins.wait(20)
        check(code == 0, "exit code %d, expected 0" % code)
        lines = [line for line in game.log_lines(os.path.join(run_dir, "debug.txt"))
                 if line.startswith(game.SOUND_LINE)]
        check(not lines, "debug.txt has a sound line: %r" % lines)
        samples = np.fromfile(raw, dtype="<i2").reshape(-1, 2)
        check(len(samples) > RATE * 3, "only %d sample frames reached the device" % len(samples))
        loud = np.nonzero(np.abs(samples).max(axis=1))[0]
        check(len(loud), "the device heard nothing but silence")
        tune = int(loud[0])
        # Muted: the longest silence after the tune started, about a second (60 frames);
        # any other gap is the device waiting for a slow first frame.
        silent = np.concatenate(([False], ~samples[tune:].any(axis=1), [False]))
        edges = np.flatnonzero(np.diff(silent.astype(np.int8)))
        runs = list(zip(edges[::2], edges[1::2]))
        check(runs, "no silence once the tune started, although M muted it")
        first, last = max(runs, key=lambda run: run[1] - run[0])
        mute_start, back = tune + int(first), tune + int(last)
        check(back - mute_start > RATE * 40 // 60 and back < len(samples),
              "no silence of about a second while muted (longest: %d sample frames)"
              % (back - mute_start))
        say("  %d sample frames; the tune from %.3fs, muted %.3fs to %.3fs" % (
            len(samples), tune / RATE, mute_start / RATE, back / RATE))

        # Latency: from the frame's trace line to its sound reaching the device. How late
        # depends on the machine's other work: a figure for the report (figures.py), not a
        # check.
        with open(trace, "rb") as stream:
            ends = np.cumsum([len(line) for line in stream])

        def when_trace(frame):
            return next(t for t, size, _ in growth if size >= ends[frame - 1])

        def when_sound(sample_frame):
            return next(t for t, _, size in growth if size >= (sample_frame + 1) * 4)

        latencies = [when_sound(tune) - when_trace(1), when_sound(back) - when_trace(160)]
        say("  latency from the frame to the device: %.0f ms at the tune's start, %.0f ms "
            "when unmuted" % (1000 * latencies[0], 1000 * latencies[1]))
        figures.write(ctx.out, "sdl-audio", {
            "latencyMostMs": round(1000 * max(latencies), 1),
            "latenciesMs": [round(1000 * latency, 1) for latency in latencies]})


# The SDL host's comforts: a window that resizes, full screen on a key, smooth frames.

def wait_geometry(display, what, x, y, width, height, timeout=10):
    """Wait for a game window at exactly this place and size (it may be a new one)."""
    return wait_for(what, lambda: next((w for w in display.windows() if w["name"] == GAME_TITLE
                                        and (w["x"], w["y"], w["width"], w["height"]) ==
                                        (x, y, width, height)), None), timeout, interval=0.1)


def check_view(display, window, title, out, name, threshold=VIEW_MATCH, attempts=6):
    """The title page shown in the window, placed and scaled as the host places its view."""
    for attempt in range(attempts):
        if attempt:
            time.sleep(0.4)
        dump = display.screenshot(os.path.join(out, name + ".xwd"))
        share, black, reading, place = view.match_view(dump, title, window["x"], window["y"],
                                                       window["width"], window["height"])
        if share >= threshold and black >= BORDER_BLACK:
            break
    save_window(dump, reading, window, 0, 0, os.path.join(out, name + ".png"))
    x, y, width, height = place
    scale = width / float(title.shape[1])
    check(share >= threshold, "%s: in a %dx%d window the view at %dx%d+%d+%d (scale %.2f) shows "
          "the title page on only %.1f%% of its pixels" % (name, window["width"], window["height"],
                                                          width, height, x, y, scale, 100 * share))
    check(black >= BORDER_BLACK, "%s: only %.1f%% of the border around the view is black" % (
        name, 100 * black))
    say("  %dx%d window: view %dx%d at +%d+%d (scale %.2f), %.1f%% of its pixels match, "
        "border %.1f%% black" % (window["width"], window["height"], width, height, x, y, scale,
                                 100 * share, 100 * black))


def comfort(ctx, name, check_it, **settings):
    """The game slowed (20 frames a second) so that the title page stays for the checks,
    on a large screen; check_it(display, muffins, window, title, frame) with the title page
    cut to the window (at 1x the window is the view) and the newest frame's getter, and
    the title page must still show after it."""
    title_full = game.expected_title(ctx.native, os.path.join(ctx.native, "Images"), ctx.out)
    with Display(24, size=COMFORT_SCREEN, log=os.path.join(ctx.out, "xvfb-%s.log" % name)) \
            as display:
        muffins, run_dir = start(ctx, display, name, TOLVO_FPS="20", TOLVO_TRACE="trace.jsonl",
                                 **settings)
        with muffins:
            trace = os.path.join(run_dir, "trace.jsonl")

            def frame():
                return last_trace(trace)

            window = game.find_game_window(display, "the SDL window", 30, name=GAME_TITLE)
            title = title_full[:window["height"], :window["width"]]
            wait_for("the first frames", lambda: frame().get("frame", 0) >= 5, 30)
            check_view(display, window, title, ctx.out, name + "-1x")
            window = check_it(display, muffins, window, title, frame)
            check(frame().get("screen") == "title", "the title page is gone (frame %s shows %s): "
                  "the checks above compared against the wrong page" % (
                      frame().get("frame"), frame().get("screen")))
            before = frame().get("frame", 0)
            time.sleep(0.5)
            check(frame().get("frame", 0) > before, "the game stopped running")
            escape_quits(display, muffins, window)
        return run_dir


def scenario_sdl_resize(ctx):
    def resize(display, muffins, window, title, frame):
        # Larger (1x, centred), twice the view and more (2x), narrower and lower than the
        # view (scaled down, its shape kept), and back.
        sizes = [(1000, 700), (2 * window["width"] + 40, 2 * window["height"] + 30),
                 (1500, 1060), (600, 420), (window["width"] // 2, 700)]
        for width, height in sizes:
            # In the screen's corner, where even the largest is wholly on the screen.
            display.run(["xdotool", "windowmove", window["id"], "10", "20"])
            display.run(["xdotool", "windowsize", window["id"], str(width), str(height)])
            resized = wait_geometry(display, "the window at %dx%d" % (width, height), 10, 20,
                                    width, height)
            threshold = VIEW_MATCH if min(width // title.shape[1],
                                          height // title.shape[0]) >= 1 else SCALED_DOWN_MATCH
            check_view(display, resized, title, ctx.out, "sdl-resize-%dx%d" % (width, height),
                       threshold)
        check(muffins.poll() is None, "the game ended on its own (code %s)" % muffins.poll())
        return next((w for w in display.windows() if w["id"] == window["id"]), window)

    comfort(ctx, "sdl-resize", resize)


def scenario_sdl_fullscreen(ctx):
    def full_screen(display, muffins, window, title, frame):
        home = (window["x"], window["y"], window["width"], window["height"])
        screen_width, screen_height = display.size
        for key in ("F11", "alt+Return"):
            display.focus(window)
            display.tap(key)
            full = wait_geometry(display, "the view filling the screen after %s" % key, 0, 0,
                                 screen_width, screen_height)
            say("  %s: window %s fills the %dx%d screen" % (key, full["id"], screen_width,
                                                            screen_height))
            check_view(display, full, title, ctx.out, "sdl-fullscreen-%s" % key)
            display.tap(key)
            window = wait_geometry(display, "the window back after %s again" % key, *home)
            say("  %s again: the window is back, %dx%d at (%d,%d)" % ((key,) + home[2:] +
                                                                      home[:2]))
            check_view(display, window, title, ctx.out, "sdl-fullscreen-back-%s" % key)
        return window

    run_dir = comfort(ctx, "sdl-fullscreen", full_screen, TOLVO_RECORD="recording.script")
    with open(os.path.join(run_dir, "recording.script")) as stream:
        recorded = [line.split() for line in stream if not line.startswith("#")]
    keys = {int(parts[2]) for parts in recorded if len(parts) == 3 and parts[1] in ("down", "up")}
    check(27 in keys, "the recording lacks Escape: %s" % sorted(keys))
    check(not keys & {122, 13}, "F11 or Enter reached the game: %s" % sorted(keys))
    say("  the game's recording holds %s: no F11, no Enter" % sorted(keys))


def frame_intervals(ctx, display, name, **settings):
    done = subprocess.run([os.path.join(ctx.native, "sdl-frame-intervals")],
                          cwd=empty_folder(ctx.out, name),
                          env=sdl_env(display, TOLVO_FRAMES="900", **settings),
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    check(done.returncode == 0, "sdl-frame-intervals ended with %d: %s" % (
        done.returncode, done.stderr.decode(errors="replace")))
    lines = [line for line in done.stdout.decode().splitlines() if line.startswith("{")]
    check(lines, "sdl-frame-intervals printed no intervals")
    return json.loads(lines[-1])


def scenario_sdl_pacing(ctx):
    tool = os.path.join(ctx.native, "sdl-frame-intervals")
    check(os.path.exists(tool), "%s is missing (build the native tools first)" % tool)
    with Display(24, log=os.path.join(ctx.out, "xvfb-sdl-pacing.log")) as display:
        found = {}
        for name, settings in (("unpaced", {"TOLVO_FPS": "0"}), ("paced", {})):
            found[name] = stats = frame_intervals(ctx, display, "sdl-pacing-" + name, **settings)
            say("  %-8s %d intervals: mean %.2f ms (%.1f frames a second), sd %.2f, "
                "p1 %.2f, median %.2f, p99 %.2f, min %.2f, max %.2f" % (
                    name, stats["intervals"], stats["mean"], stats["fps"], stats["sd"],
                    stats["p1"], stats["p50"], stats["p99"], stats["min"], stats["max"]))
    figures.write(ctx.out, "sdl-pacing", found)
    # Xvfb shows no refresh rate, so the host paces to 60 a second by its own clock. A busy
    # machine makes frames late: how near 16.67 ms they came is a figure for the report
    # (figures.py); far faster (unpaced) or far slower (stalled) is a fault.
    paced = found["paced"]
    check(60 / 3 <= paced["fps"] <= 60 * 2, "paced frames come %.1f a second, not about 60"
          % paced["fps"])
    check(found["unpaced"]["mean"] < paced["mean"] * 0.75, "unpaced frames are no faster "
          "than paced ones (%.2f ms)" % found["unpaced"]["mean"])


SCENARIOS = [("sdl", scenario_sdl), ("sdl-audio", scenario_sdl_audio),
             ("sdl-resize", scenario_sdl_resize), ("sdl-fullscreen", scenario_sdl_fullscreen),
             ("sdl-pacing", scenario_sdl_pacing)]
