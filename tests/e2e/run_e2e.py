#!/usr/bin/python3
"""End-to-end runs of Muffin Meltdown the way a player meets it, with real key events.

    run_e2e.py --native build --windows build-windows --out build/e2e [--only NAME ...]

  wine16  muffins.exe under Wine on a 16-bit Xvfb screen: the start-up lines in
          debug.txt, the title page on the screen, Space and the arrow keys reach
          the game, Escape ends it with exit code 0. Wine has no sound driver: one
          sound line follows the start-up lines and the game plays on.
  wine24  the same on a 24-bit screen: the start-up error box, its log line, exit
          code 255 (-1).
  sdl     the native build with the SDL host: window, title page, Escape, exit 0.
  sdl-audio  the native build with SDL's disk audio driver: silence, then the tune once
          play starts, silence while M mutes it; how late a sound is heard is measured.
  sdl-resize      the SDL window resized (xdotool) larger, to twice the view and
                  smaller than it: the whole view stays visible, at the largest whole
                  scale that fits (else scaled down in shape), centred on black.
  sdl-fullscreen  F11 and Alt+Enter fill the screen with the view scaled up, and give
                  the window back; the keys never reach the game (its recording).
  sdl-pacing      frame intervals of the SDL host under Xvfb, unpaced and paced: paced
                  within a third and twice 60 a second, unpaced faster.
  web     the web build in headless Chromium: title page, keys, sound, a gamepad, the
          demo's trace, a missing picture's box, the page's settings, and its sizes and
          times (tests/e2e/web/run_web.py).

Screenshots go to the output folder as PNG. Times measured (frame rates, latencies, first
frame) go to JSON files there and a closing report compares them with their goals; a
missed goal is printed, it does not fail the run (figures.py). Every wait is bounded; every process
is stopped by its own id when its run ends.
"""

import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import numpy as np  # noqa: E402

import figures  # noqa: E402
import screen  # noqa: E402
import view  # noqa: E402
from session import Display, Failure, Process, check, run_scenarios, wait_for  # noqa: E402

VIEW_WIDTH, VIEW_HEIGHT = 900, 500
GAME_TITLE = "Muffin Meltdown"  # the title the game program gives its window
WINDOWED_START_LINES = [
    "WindowsDX: Initialization started.",
    ("WinDX:: Front Buffer is in video memory.", "WinDX:: Front Buffer NOT IN VIDEO MEMORY."),
    ("WinDX:: Back Buffer is in video memory.", "WinDX:: Back Buffer NOT IN VIDEO MEMORY."),
    "WinDX:: Back Buffer NOT A FLIP (BACK) BUFFER.",
    "WindowsDX: Initialization finished OK.",
]
BPP_FAILED_LINE = "Tolvo Error: BPP_FAILED (Screen depth not supported)"
SOUND_LINE = "Sound: "  # the sound part's one line, when it has something to say
NO_SOUND_DRIVERS = "winealsa.drv,winepulse.drv,wineoss.drv,winecoreaudio.drv="
TITLE_MATCH = 0.90  # share of the window's pixels that must show the title page
STANDING = (1, 2)  # the hero's walk states StandLeft and StandRight
WALK_RIGHT, WALK_LEFT = 3, 4


def say(message):
    print("e2e: " + message, flush=True)


def log_lines(path):
    """debug.txt as lines: CR LF or LF endings, each message's two trailing spaces removed."""
    with open(path, "rb") as stream:
        text = stream.read().decode("latin-1").replace("\r\n", "\n")
    lines = [line[2:] if line.startswith("  ") else line for line in text.split("\n")]
    while lines and lines[-1].strip() == "":
        lines.pop()
    return lines


def check_start_lines(path):
    check(os.path.exists(path), "no debug.txt was written")
    lines = log_lines(path)
    for index, wanted in enumerate(WINDOWED_START_LINES):
        choices = wanted if isinstance(wanted, tuple) else (wanted,)
        got = lines[index] if index < len(lines) else "<missing>"
        check(got in choices, "debug.txt line %d is %r, expected %r" % (index + 1, got, choices[0]))
    return lines


def last_trace(path):
    """The newest complete frame of the game's trace, or None."""
    try:
        with open(path, "rb") as stream:
            stream.seek(0, os.SEEK_END)
            size = stream.tell()
            stream.seek(max(0, size - 16384))
            tail = stream.read()
    except FileNotFoundError:
        return None
    lines = tail.split(b"\n")
    for line in reversed(lines[:-1]):  # the last piece may be half written
        try:
            return json.loads(line)
        except ValueError:
            continue
    return None


def expected_title(native, images, work):
    """The title page in 5-6-5, loaded by the engine's own reader and truncated as it converts."""
    tool = os.path.join(native, "tolvo-tif")
    check(os.path.exists(tool), "%s is missing (build the native tools first)" % tool)
    pam = os.path.join(work, "titlepage.pam")
    done = subprocess.run([tool, "topam", os.path.join(images, "titlepage.tif"), pam],
                          capture_output=True, timeout=60)
    check(done.returncode == 0, "tolvo-tif topam failed: %s" % done.stdout.decode(errors="replace"))
    rgb = screen.read_pam(pam)
    check(rgb.shape[:2] == (VIEW_HEIGHT, VIEW_WIDTH), "title page is %s, not 900 x 500" % (rgb.shape,))
    return screen.rgb_to_565(rgb)


def hero(trace):
    return (last_trace(trace) or {}).get("hero", {})


def walk(display, trace, key, walking):
    """One walk cycle by an arrow key; returns the hero's world position before it.

    A walk started from standing runs its whole cycle of steps, so the key is held
    until the hero walks and the cycle is then waited out.
    """
    wait_for("the hero standing", lambda: hero(trace).get("walkState") in STANDING, 15)
    before = hero(trace)["worldX"]
    display.run(["xdotool", "keydown", key])
    try:
        wait_for("the hero walking after %s" % key,
                 lambda: hero(trace).get("walkState") == walking, 10, interval=0.05)
    finally:
        display.run(["xdotool", "keyup", key])
    wait_for("the end of the walk cycle", lambda: hero(trace).get("walkState") in STANDING, 15)
    return before


def save_window(dump, reading, window, dx, dy, path):
    """Write the window's area of a screen dump as PNG, in the reading that matched."""
    words = screen.reading_by_name(dump, reading)
    x0, y0 = max(0, window["x"] + dx), max(0, window["y"] + dy)
    crop = words[y0:y0 + window["height"], x0:x0 + window["width"]]
    screen.write_png(path, screen.rgb_from_565(crop))


def escape_quits(display, game, window=None):
    """Escape (to the window, when given) ends the game with exit code 0."""
    if window:
        display.focus(window)
    display.tap("Escape")
    code = game.wait(20)
    check(code == 0, "exit code %d after Escape, expected 0" % code)
    say("  Escape ended the game with exit code 0")


def check_title(display, window, title, out, name, attempts=5):
    # A window that is still being placed, or caught mid-copy, gets a few more looks, each
    # with its geometry read again.
    for attempt in range(attempts):
        if attempt:
            time.sleep(0.5)
            window = next((w for w in display.windows() if w["id"] == window["id"]), window)
        dump = display.screenshot(os.path.join(out, name + ".xwd"))
        share, reading, dx, dy = screen.match_region(dump, title, window["x"], window["y"],
                                                     window["width"], window["height"])
        if share >= TITLE_MATCH:
            break
    save_window(dump, reading, window, dx, dy, os.path.join(out, name + ".png"))
    check(share >= TITLE_MATCH, "%s: the window shows the title page on only %.1f%% of its pixels "
          "(best reading %s)" % (name, 100 * share, reading or "none"))
    say("  title page on screen: %.1f%% of pixels match (%s, offset %+d,%+d)" %
        (100 * share, reading, dx, dy))
    return dump, reading


class Wine:
    """A private Wine prefix under the Windows build folder, quiet and bounded."""

    def __init__(self, build):
        self.prefix = os.path.join(os.path.abspath(build), "wineprefix")
        self.loader = shutil.which("wine64") or (
            "/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else "wine")
        self.server = shutil.which("wineserver") or "/usr/lib/wine/wineserver"

    def env(self, display, extra=None):
        env = display.env()
        env.update({"WINEPREFIX": self.prefix, "WINEDEBUG": os.environ.get("TOLVO_E2E_WINEDEBUG", "-all"),
                    # No offers to install Mono or Gecko: the game needs neither. No sound
                    # drivers: the game meets a machine without sound, as CI is.
                    "WINEDLLOVERRIDES": "mscoree,mshtml=;" + NO_SOUND_DRIVERS, "WINEARCH": "win64"})
        for name in [key for key in env if key.startswith("TOLVO_")]:
            del env[name]
        env.setdefault("HOME", os.path.dirname(self.prefix))  # CI shells may have none
        env.update(extra or {})
        return env

    def ensure_prefix(self, display):
        if os.path.exists(os.path.join(self.prefix, "system.reg")):
            return
        say("creating the Wine prefix %s (once)" % self.prefix)
        started = time.monotonic()
        try:
            subprocess.run([self.loader, "wineboot", "-i"], env=self.env(display),
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
            # Let the new prefix settle: a server killed while it still writes the
            # registry leaves a prefix whose next start sets itself up again and
            # meanwhile reports a display without its real depth.
            subprocess.run([self.server, "-w"], env=self.env(display),
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        except subprocess.TimeoutExpired:
            self.shutdown(display)
            raise Failure("the new Wine prefix did not settle within its time limit")
        check(os.path.exists(os.path.join(self.prefix, "system.reg")), "wineboot made no prefix")
        say("  prefix ready in %.0fs" % (time.monotonic() - started))

    def start(self, display, run_dir, log, extra=None):
        return Process([self.loader, "muffins.exe"], cwd=run_dir, env=self.env(display, extra),
                       log=log)

    def shutdown(self, display):
        """End every process of this private prefix, then wait for its server to go."""
        for args in (["-k"], ["-w"]):
            try:
                subprocess.run([self.server] + args, env=self.env(display),
                               stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
            except subprocess.TimeoutExpired:
                pass


def fresh_run_dir(out, name, program, images):
    """A folder laid out as a player has it: the program, Images and Sounds beside it."""
    run_dir = os.path.join(out, name)
    shutil.rmtree(run_dir, ignore_errors=True)
    os.makedirs(run_dir)
    shutil.copy2(program, run_dir)
    os.symlink(os.path.abspath(images), os.path.join(run_dir, "Images"))
    sounds = os.path.join(os.path.dirname(os.path.abspath(images)), "Sounds")
    if os.path.isdir(sounds):
        os.symlink(sounds, os.path.join(run_dir, "Sounds"))
    return run_dir


def scenario_wine16(args, wine):
    images = os.path.join(args.windows, "Images")
    title = expected_title(args.native, images, args.out)
    display = Display(16, log=os.path.join(args.out, "xvfb-wine16.log"))
    game = None
    try:
        wine.ensure_prefix(display)
        run_dir = fresh_run_dir(args.out, "wine16", os.path.join(args.windows, "muffins.exe"),
                                images)
        trace = os.path.join(run_dir, "trace.jsonl")
        game = wine.start(display, run_dir, os.path.join(args.out, "wine16.log"),
                          {"TOLVO_TRACE": "trace.jsonl"})
        window = display.find_window("the game window", 60, class_has="muffins.exe",
                                     min_width=VIEW_WIDTH - 10, min_height=VIEW_HEIGHT - 10)
        say("  window %s, %dx%d at (%d,%d)" % (window["id"], window["width"], window["height"],
                                               window["x"], window["y"]))
        wait_for("the start-up lines in debug.txt", lambda: os.path.exists(
            os.path.join(run_dir, "debug.txt")) and len(log_lines(
                os.path.join(run_dir, "debug.txt"))) >= len(WINDOWED_START_LINES), 30)
        lines = check_start_lines(os.path.join(run_dir, "debug.txt"))
        say("  debug.txt holds the windowed start-up lines in order")
        sound = wait_for("the sound line in debug.txt", lambda: [
            line for line in log_lines(os.path.join(run_dir, "debug.txt"))
            if line.startswith(SOUND_LINE)], 30)
        lines = log_lines(os.path.join(run_dir, "debug.txt"))
        check(len(sound) == 1, "debug.txt has %d sound lines: %r" % (len(sound), sound))
        check(lines.index(sound[0]) == len(WINDOWED_START_LINES),
              "the sound line does not follow the start-up lines: %r" % lines)
        say("  without a sound driver: %s" % sound[0])

        frame = wait_for("two seconds of frames", lambda: (last_trace(trace) or {}).get(
            "frame", 0) >= 120 and last_trace(trace), 30)
        check(frame["screen"] == "title", "frame %d shows %s, not title" % (frame["frame"],
                                                                            frame["screen"]))
        check_title(display, window, title, args.out, "wine16-title")

        # Title (800 frames) and instructions (600) pass on their own at 60 frames a second.
        base, started = last_trace(trace), time.monotonic()
        intro = wait_for("the intro", lambda: (last_trace(trace) or {}).get("screen") == "intro"
                         and last_trace(trace), 120, interval=0.5)
        seconds = time.monotonic() - started
        say("  intro reached at frame %d, %.0fs after the title check (%.1f frames a second)"
            % (intro["frame"], seconds, (intro["frame"] - base["frame"]) / max(seconds, 0.1)))
        time.sleep(0.5)
        before = display.screenshot(os.path.join(args.out, "wine16-intro.xwd")).natural_565()

        display.focus(window)
        display.hold("space", 0.4)
        play = wait_for("play after Space", lambda: (last_trace(trace) or {}).get(
            "screen") == "play" and last_trace(trace), 10)
        say("  Space reached the game: play from frame %d" % play["frame"])
        time.sleep(0.5)
        dump = display.screenshot(os.path.join(args.out, "wine16-play.xwd"))
        after = dump.natural_565()
        area = (slice(window["y"] + 8, window["y"] + window["height"] - 8),
                slice(window["x"] + 8, window["x"] + window["width"] - 8))
        changed = float((before[area] != after[area]).mean())
        check(changed > 0.25, "the picture hardly changed when play started (%.1f%%)" % (
            100 * changed))
        say("  the picture changed on %.1f%% of the window" % (100 * changed))
        screen.write_png(os.path.join(args.out, "wine16-play.png"), screen.rgb_from_565(
            after[window["y"]:window["y"] + window["height"],
                  window["x"]:window["x"] + window["width"]]))

        start_x = walk(display, trace, "Right", WALK_RIGHT)
        right_x = walk(display, trace, "Left", WALK_LEFT)
        left_x = last_trace(trace)["hero"]["worldX"]
        check(right_x > start_x, "Right arrow: the hero went from %s to %s" % (start_x, right_x))
        check(left_x < right_x, "Left arrow: the hero went from %s to %s" % (right_x, left_x))
        say("  arrow keys reached the game: hero %s -> %s -> %s" % (start_x, right_x, left_x))

        escape_quits(display, game)
    finally:
        if game:
            game.stop()
        wine.shutdown(display)
        display.stop()


def scenario_wine24(args, wine):
    display = Display(24, log=os.path.join(args.out, "xvfb-wine24.log"))
    game = None
    try:
        wine.ensure_prefix(display)
        run_dir = fresh_run_dir(args.out, "wine24", os.path.join(args.windows, "muffins.exe"),
                                os.path.join(args.windows, "Images"))
        game = wine.start(display, run_dir, os.path.join(args.out, "wine24.log"))
        box = display.find_window("the start-up error box", 60, name="Tolvo", min_width=100)
        time.sleep(1.0)  # let it paint
        games = [w for w in display.windows() if "muffins.exe" in w["class"]
                 and w["width"] >= VIEW_WIDTH - 10]
        check(not games, "a game window exists although the screen depth was refused")
        dump = display.screenshot(os.path.join(args.out, "wine24-error.xwd"))
        rgb = dump.natural_rgb()
        crop = rgb[box["y"]:box["y"] + box["height"], box["x"]:box["x"] + box["width"]]
        check(len(np.unique(crop.reshape(-1, 3), axis=0)) > 2, "the error box shows nothing")
        screen.write_png(os.path.join(args.out, "wine24-error.png"), crop)
        say("  error box \"Tolvo\" %dx%d shown" % (box["width"], box["height"]))

        display.focus(box)
        display.tap("Return")
        code = game.wait(20)
        check(code == 255, "exit code %d after the error box, expected 255 (-1)" % code)
        lines = log_lines(os.path.join(run_dir, "debug.txt"))
        check(lines and lines[0] == WINDOWED_START_LINES[0], "debug.txt does not begin with "
              "the started line: %r" % lines[:1])
        check(lines[-1] == BPP_FAILED_LINE, "debug.txt ends with %r" % lines[-1:])
        say("  debug.txt ends with the BPP_FAILED line; exit code 255")
    finally:
        if game:
            game.stop()
        wine.shutdown(display)
        display.stop()


def scenario_sdl(args, _wine):
    images = os.path.join(args.native, "Images")
    title = expected_title(args.native, images, args.out)
    display = Display(24, log=os.path.join(args.out, "xvfb-sdl.log"))
    game = None
    try:
        run_dir = fresh_run_dir(args.out, "sdl", os.path.join(args.native, "muffins"), images)
        env = display.env()
        for name in [key for key in env if key.startswith("TOLVO_")]:
            del env[name]
        env.update({"TOLVO_HOST": "sdl", "TOLVO_SCALE": "1", "SDL_AUDIODRIVER": "dummy"})
        game = Process([os.path.join(run_dir, "muffins")], cwd=run_dir, env=env,
                       log=os.path.join(args.out, "sdl.log"))
        window = display.find_window("the SDL window", 30, min_width=VIEW_WIDTH - 10,
                                     min_height=VIEW_HEIGHT - 10)
        say("  window %s, %dx%d at (%d,%d)" % (window["id"], window["width"], window["height"],
                                               window["x"], window["y"]))
        time.sleep(2.0)
        check(game.poll() is None, "the game ended on its own (code %s)" % game.poll())
        check_start_lines(os.path.join(run_dir, "debug.txt"))
        check_title(display, window, title, args.out, "sdl-title")
        escape_quits(display, game, window)
    finally:
        if game:
            game.stop()
        display.stop()


def audio_onsets(samples, start_frame):
    """First sample frame at or after start_frame that is not silent, or None."""
    loud = np.nonzero(np.abs(samples[start_frame:]).max(axis=1))[0]
    return start_frame + int(loud[0]) if len(loud) else None


def scenario_sdl_audio(args, _wine):
    """The SDL build playing through SDL's disk driver, which writes the device's output to
    a file at the device's pace: the file's growth says when each sample reached it."""
    display = Display(24, log=os.path.join(args.out, "xvfb-sdl-audio.log"))
    game = None
    try:
        run_dir = fresh_run_dir(args.out, "sdl-audio", os.path.join(args.native, "muffins"),
                                os.path.join(args.native, "Images"))
        check(os.path.isdir(os.path.join(run_dir, "Sounds")), "no Sounds folder beside Images")
        # M mutes on frame 100 and unmutes on frame 160; the game closes after frame 240.
        with open(os.path.join(run_dir, "input.script"), "w") as script:
            script.write("100 down 77\n101 up 77\n160 down 77\n161 up 77\n")
        env = display.env()
        for name in [key for key in env if key.startswith("TOLVO_")]:
            del env[name]
        raw, trace = os.path.join(run_dir, "audio.raw"), os.path.join(run_dir, "trace.jsonl")
        env.update({"TOLVO_HOST": "sdl", "TOLVO_SCALE": "1", "TOLVO_FRAMES": "240",
                    "TOLVO_SCRIPT": "input.script", "TOLVO_TRACE": "trace.jsonl",
                    "SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": raw})
        game = Process([os.path.join(run_dir, "muffins")], cwd=run_dir, env=env,
                       log=os.path.join(args.out, "sdl-audio.log"))
        # When each trace line and each byte of sound appeared, watched every millisecond.
        growth = []
        deadline = time.monotonic() + 60
        while game.poll() is None and time.monotonic() < deadline:
            sizes = [os.path.getsize(p) if os.path.exists(p) else 0 for p in (trace, raw)]
            if not growth or sizes != growth[-1][1:]:
                growth.append((time.monotonic(), sizes[0], sizes[1]))
            time.sleep(0.001)
        code = game.wait(20)
        check(code == 0, "exit code %d, expected 0" % code)
        lines = [line for line in log_lines(os.path.join(run_dir, "debug.txt"))
                 if line.startswith(SOUND_LINE)]
        check(not lines, "debug.txt has a sound line: %r" % lines)
        samples = np.fromfile(raw, dtype="<i2").reshape(-1, 2)
        check(len(samples) > 44100 * 3, "only %d sample frames reached the device" % len(samples))
        tune = audio_onsets(samples, 0)
        check(tune is not None, "the device heard nothing but silence")
        # Muted: the longest silence after the tune started, about a second (60 frames);
        # any other gap is the device waiting for a slow first frame.
        silent = np.concatenate(([False], ~samples[tune:].any(axis=1), [False]))
        edges = np.flatnonzero(np.diff(silent.astype(np.int8)))
        runs = list(zip(edges[::2], edges[1::2]))
        check(runs, "no silence once the tune started, although M muted it")
        first, last = max(runs, key=lambda run: run[1] - run[0])
        mute_start, back = tune + int(first), tune + int(last)
        check(back - mute_start > 44100 * 40 // 60 and back < len(samples),
              "no silence of about a second while muted (longest: %d sample frames)"
              % (back - mute_start))
        say("  %d sample frames; the tune from %.3fs, muted %.3fs to %.3fs" % (
            len(samples), tune / 44100, mute_start / 44100, back / 44100))

        # Latency: from the frame's trace line to its sound reaching the device.
        ends = []
        total = 0
        with open(trace, "rb") as stream:
            for line in stream:
                total += len(line)
                ends.append(total)

        def when_trace(frame):
            return next(t for t, size, _ in growth if size >= ends[frame - 1])

        def when_sound(sample_frame):
            return next(t for t, _, size in growth if size >= (sample_frame + 1) * 4)

        # How late depends on the machine's other work: a figure for the report
        # (figures.py), not a check.
        latencies = [when_sound(tune) - when_trace(1), when_sound(back) - when_trace(160)]
        say("  latency from the frame to the device: %.0f ms at the tune's start, %.0f ms "
            "when unmuted" % (1000 * latencies[0], 1000 * latencies[1]))
        with open(os.path.join(args.out, "sdl-audio.json"), "w") as stream:
            json.dump({"latencyMostMs": round(1000 * max(latencies), 1),
                       "latenciesMs": [round(1000 * latency, 1) for latency in latencies]},
                      stream, indent=1)
    finally:
        if game:
            game.stop()
        display.stop()


# The SDL host's comforts: a window that resizes, full screen on a key, smooth frames.

COMFORT_SCREEN = "1920x1080"
VIEW_MATCH = 0.90  # share of the view's pixels that must show the title page, at scale
SCALED_DOWN_MATCH = 0.80  # the same below 1x, where neighbours may be sampled differently
BORDER_BLACK = 0.99  # share of the window outside the view that must be black


def start_sdl_game(args, display, name, extra):
    """The game on the SDL host at 1x, slowed so the title page stays for the checks."""
    run_dir = fresh_run_dir(args.out, name, os.path.join(args.native, "muffins"),
                            os.path.join(args.native, "Images"))
    env = display.env()
    for key in [key for key in env if key.startswith("TOLVO_")]:
        del env[key]
    env.update({"TOLVO_HOST": "sdl", "TOLVO_SCALE": "1", "SDL_AUDIODRIVER": "dummy",
                "TOLVO_FPS": "20", "TOLVO_TRACE": "trace.jsonl"})
    env.update(extra)
    game = Process([os.path.join(run_dir, "muffins")], cwd=run_dir, env=env,
                   log=os.path.join(args.out, name + ".log"))
    return game, run_dir


def window_now(display, want):
    """The game's window as it is now: the one whose id is given, else the largest."""
    windows = [w for w in display.windows() if w["name"] == GAME_TITLE and w["width"] > 1]
    if "id" in want:
        windows = [w for w in windows if w["id"] == want["id"]]
    return max(windows, key=lambda w: w["width"] * w["height"]) if windows else None


def wait_geometry(display, what, x, y, width, height, timeout=10):
    """Wait for a game window at exactly this place and size (it may be a new one)."""
    def probe():
        for w in display.windows():
            if w["name"] == GAME_TITLE and (w["x"], w["y"], w["width"], w["height"]) == (
                    x, y, width, height):
                return w
        return None
    return wait_for(what, probe, timeout, interval=0.1)


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


def title_still_showing(trace):
    frame = last_trace(trace) or {}
    check(frame.get("screen") == "title", "the title page is gone (frame %s shows %s): the "
          "checks above compared against the wrong page" % (frame.get("frame"), frame.get("screen")))


def scenario_sdl_resize(args, _wine):
    images = os.path.join(args.native, "Images")
    display = Display(24, size=COMFORT_SCREEN, log=os.path.join(args.out, "xvfb-sdl-resize.log"))
    game = None
    try:
        title_full = expected_title(args.native, images, args.out)
        game, run_dir = start_sdl_game(args, display, "sdl-resize", {})
        trace = os.path.join(run_dir, "trace.jsonl")
        window = display.find_window("the SDL window", 30, name=GAME_TITLE,
                                     min_width=VIEW_WIDTH - 10, min_height=VIEW_HEIGHT - 10)
        # At TOLVO_SCALE=1 the window is the view: its size is the view's.
        title = title_full[:window["height"], :window["width"]]
        say("  window %s, %dx%d at (%d,%d)" % (window["id"], window["width"], window["height"],
                                               window["x"], window["y"]))
        wait_for("the first frames", lambda: (last_trace(trace) or {}).get("frame", 0) >= 5, 30)
        check_view(display, window, title, args.out, "sdl-resize-1x")
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
            check_view(display, resized, title, args.out, "sdl-resize-%dx%d" % (width, height),
                       threshold)
        title_still_showing(trace)
        check(game.poll() is None, "the game ended on its own (code %s)" % game.poll())
        escape_quits(display, game, window_now(display, {"id": window["id"]}) or window)
    finally:
        if game:
            game.stop()
        display.stop()


def scenario_sdl_fullscreen(args, _wine):
    images = os.path.join(args.native, "Images")
    display = Display(24, size=COMFORT_SCREEN, log=os.path.join(args.out,
                                                                "xvfb-sdl-fullscreen.log"))
    screen_width, screen_height = (int(n) for n in COMFORT_SCREEN.split("x"))
    game = None
    try:
        title_full = expected_title(args.native, images, args.out)
        game, run_dir = start_sdl_game(args, display, "sdl-fullscreen",
                                       {"TOLVO_RECORD": "recording.script"})
        trace = os.path.join(run_dir, "trace.jsonl")
        window = display.find_window("the SDL window", 30, name=GAME_TITLE,
                                     min_width=VIEW_WIDTH - 10, min_height=VIEW_HEIGHT - 10)
        title = title_full[:window["height"], :window["width"]]
        wait_for("the first frames", lambda: (last_trace(trace) or {}).get("frame", 0) >= 5, 30)
        check_view(display, window, title, args.out, "sdl-fullscreen-window")
        home = (window["x"], window["y"], window["width"], window["height"])
        for keys in (["F11"], ["alt+Return"]):
            display.focus(window)
            display.tap(keys[0])
            full = wait_geometry(display, "the view filling the screen after %s" % keys[0], 0, 0,
                                 screen_width, screen_height)
            say("  %s: window %s fills the %dx%d screen" % (keys[0], full["id"], screen_width,
                                                            screen_height))
            check_view(display, full, title, args.out, "sdl-fullscreen-%s" % keys[0])
            display.tap(keys[0])
            window = wait_geometry(display, "the window back after %s again" % keys[0], *home)
            say("  %s again: the window is back, %dx%d at (%d,%d)" % ((keys[0],) + home[2:] +
                                                                      home[:2]))
            check_view(display, window, title, args.out, "sdl-fullscreen-back-%s" % keys[0])
        title_still_showing(trace)
        before = (last_trace(trace) or {}).get("frame", 0)
        time.sleep(0.5)
        check((last_trace(trace) or {}).get("frame", 0) > before, "the game stopped running")
        escape_quits(display, game, window)
        with open(os.path.join(run_dir, "recording.script")) as stream:
            recorded = [line.split() for line in stream if not line.startswith("#")]
        keys = {int(parts[2]) for parts in recorded if len(parts) == 3 and parts[1] in ("down", "up")}
        check(27 in keys, "the recording lacks Escape: %s" % sorted(keys))
        check(not keys & {122, 13}, "F11 or Enter reached the game: %s" % sorted(keys))
        say("  the game's recording holds %s: no F11, no Enter" % sorted(keys))
    finally:
        if game:
            game.stop()
        display.stop()


def frame_intervals(args, display, name, extra):
    run_dir = os.path.join(args.out, name)
    shutil.rmtree(run_dir, ignore_errors=True)
    os.makedirs(run_dir)
    env = display.env()
    for key in [key for key in env if key.startswith("TOLVO_")]:
        del env[key]
    env.update({"TOLVO_HOST": "sdl", "TOLVO_SCALE": "1", "SDL_AUDIODRIVER": "dummy",
                "TOLVO_FRAMES": "900"})
    env.update(extra)
    done = subprocess.run([os.path.join(args.native, "sdl-frame-intervals")], cwd=run_dir,
                          env=env, stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
    check(done.returncode == 0, "sdl-frame-intervals ended with %d: %s" % (
        done.returncode, done.stderr.decode(errors="replace")))
    lines = [line for line in done.stdout.decode().splitlines() if line.startswith("{")]
    check(lines, "sdl-frame-intervals printed no intervals")
    return json.loads(lines[-1])


def scenario_sdl_pacing(args, _wine):
    tool = os.path.join(args.native, "sdl-frame-intervals")
    check(os.path.exists(tool), "%s is missing (build the native tools first)" % tool)
    display = Display(24, log=os.path.join(args.out, "xvfb-sdl-pacing.log"))
    try:
        found = {}
        for name, extra in (("unpaced", {"TOLVO_FPS": "0"}), ("paced", {})):
            stats = frame_intervals(args, display, "sdl-pacing-" + name, extra)
            found[name] = stats
            say("  %-8s %d intervals: mean %.2f ms (%.1f frames a second), sd %.2f, "
                "p1 %.2f, median %.2f, p99 %.2f, min %.2f, max %.2f" % (
                    name, stats["intervals"], stats["mean"], stats["fps"], stats["sd"],
                    stats["p1"], stats["p50"], stats["p99"], stats["min"], stats["max"]))
        with open(os.path.join(args.out, "sdl-pacing.json"), "w") as stream:
            json.dump(found, stream, indent=1)
        # Xvfb shows no refresh rate, so the host paces to 60 a second by its own clock. A
        # busy machine makes frames late: how near 16.67 ms they came is a figure for the
        # report (figures.py); far faster (unpaced) or far slower (stalled) is a fault.
        paced = found["paced"]
        check(60 / 3 <= paced["fps"] <= 60 * 2, "paced frames come %.1f a second, not about 60"
              % paced["fps"])
        check(found["unpaced"]["mean"] < paced["mean"] * 0.75, "unpaced frames are no faster "
              "than paced ones (%.2f ms)" % found["unpaced"]["mean"])
    finally:
        display.stop()


def scenario_web(args, _wine):
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "web"))
    import run_web
    failed = run_web.run_all(args.web, args.native, os.path.join(args.out, "web"))
    check(not failed, "web checks failed: " + ", ".join(failed))


SCENARIOS = [("wine16", scenario_wine16), ("wine24", scenario_wine24), ("sdl", scenario_sdl),
             ("sdl-audio", scenario_sdl_audio)]
SCENARIOS += [("sdl-resize", scenario_sdl_resize), ("sdl-fullscreen", scenario_sdl_fullscreen),
              ("sdl-pacing", scenario_sdl_pacing)]
SCENARIOS += [("web", scenario_web)]


def main():
    # Stopped from outside (a time limit): still end every process this run started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(124))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--native", default="build")
    parser.add_argument("--windows", default="build-windows")
    parser.add_argument("--web", default="build-web")
    parser.add_argument("--out", default="build/e2e")
    parser.add_argument("--only", action="append", choices=[name for name, _ in SCENARIOS])
    args = parser.parse_args()
    args.native, args.windows, args.out = (os.path.abspath(path) for path in
                                           (args.native, args.windows, args.out))
    args.web = os.path.abspath(args.web)
    os.makedirs(args.out, exist_ok=True)
    wine = Wine(args.windows)

    started = time.time()
    failed = run_scenarios(SCENARIOS, args.only, lambda run: run(args, wine), say)
    figures.report([args.out, os.path.join(args.out, "web")], started, say)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
