"""Muffin Meltdown as the checks meet it: its window, its debug.txt, its trace, its title
page, its hero's walk, its recording, and the native program run headless."""

import json
import os
import shutil
import subprocess
import time

from . import screen
from .session import ROOT, check, game_env, wait_for

DEMO = os.path.join(ROOT, "tools", "demo", "demo.script")
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
STANDING = (1, 2)  # the hero's walk states StandLeft and StandRight
WALK_RIGHT, WALK_LEFT = 3, 4
# Space, Right and Left, each down and up, as a recording holds them.
PLAY_KEYS = [[kind, key] for key in ("32", "39", "37") for kind in ("down", "up")]


def log_lines(path):
    """debug.txt as lines: CR LF or LF endings, each message's two trailing spaces removed."""
    with open(path, "rb") as stream:
        text = stream.read().decode("latin-1").replace("\r\n", "\n")
    lines = [line[2:] if line.startswith("  ") else line for line in text.split("\n")]
    while lines and lines[-1].strip() == "":
        lines.pop()
    return lines


def check_start_lines(path, wait=0):
    """debug.txt begins with the windowed start-up lines (waited for up to `wait` seconds)."""
    if wait:
        wait_for("the start-up lines in %s" % path, lambda: os.path.exists(path) and len(
            log_lines(path)) >= len(WINDOWED_START_LINES), wait)
    check(os.path.exists(path), "no debug.txt was written")
    lines = log_lines(path)
    for index, wanted in enumerate(WINDOWED_START_LINES):
        choices = wanted if isinstance(wanted, tuple) else (wanted,)
        got = lines[index] if index < len(lines) else "<missing>"
        check(got in choices, "debug.txt line %d is %r, expected %r" % (index + 1, got, choices[0]))
    return lines


def last_frame(lines):
    """The newest complete frame of trace lines (bytes or text), or {}."""
    for line in reversed(lines):
        try:
            frame = json.loads(line)
        except ValueError:
            continue
        if isinstance(frame, dict) and "frame" in frame:
            return frame
    return {}


def last_trace(path):
    """The newest complete frame of the game's trace file, or {}."""
    try:
        with open(path, "rb") as stream:
            stream.seek(0, os.SEEK_END)
            stream.seek(max(0, stream.tell() - 16384))
            tail = stream.read()
    except FileNotFoundError:
        return {}
    return last_frame(tail.split(b"\n")[:-1])  # the last piece may be half written


def find_game_window(display, what="the game window", timeout=60, **want):
    """A window the size of the view (a border's width less at most)."""
    return display.find_window(what, timeout, min_width=VIEW_WIDTH - 10,
                               min_height=VIEW_HEIGHT - 10, **want)


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


def walk(wait, hero, what, walking, press, release):
    """One walk cycle while `what` is held: the hero's world position before and after.

    A walk started from standing runs its whole cycle of steps, so the key is held until
    the hero walks and the cycle is then waited out. wait is a wait_for, hero() the
    newest frame's hero."""
    wait("the hero standing", lambda: hero().get("walkState") in STANDING, 15, interval=0.05)
    before = hero()["worldX"]
    press()
    try:
        wait("the hero walking after %s" % what, lambda: hero().get("walkState") == walking, 10,
             interval=0.02)
    finally:
        release()
    wait("the end of the walk cycle", lambda: hero().get("walkState") in STANDING, 15,
         interval=0.05)
    return before, hero()["worldX"]


def check_walks(start, right, left, by):
    check(right > start, "%s: Right went from %s to %s" % (by, start, right))
    check(left < right, "%s: Left went from %s to %s" % (by, right, left))


def check_recorded(events, wanted=PLAY_KEYS):
    """A recording's [kind, key] events hold every one wanted."""
    for event in wanted:
        check(event in events, "the recording lacks %s: %r" % (" ".join(event), events))


def native_run(native, work, env, images=None):
    """The native program on the headless host in a folder of its own: (status, seconds,
    standard error)."""
    os.makedirs(work, exist_ok=True)
    link = os.path.join(work, "Images")
    if not os.path.lexists(link):
        os.symlink(images or os.path.abspath(os.path.join(native, "Images")), link)
    # A copy of the program in that folder: the program reads pictures missing from its
    # working directory from beside itself, which must be this folder's Images too.
    program = os.path.join(work, "muffins")
    shutil.copy2(os.path.join(native, "muffins"), program)
    started = time.monotonic()
    done = subprocess.run([program], cwd=work, env=game_env(TOLVO_HOST="headless", **env),
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    return done.returncode, time.monotonic() - started, done.stderr.decode(errors="replace")
