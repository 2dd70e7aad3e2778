"""Throw-away X displays (Xvfb) with real key events, and what the game shows on them."""

import os
import re
import select
import subprocess
import time

from . import screen
from .session import Closing, Failure, Process, check, say, wait_for

TITLE_MATCH = 0.90  # share of the window's pixels that must show the title page


class Display(Closing):
    """An Xvfb server on a free display number, with its own screen depth."""

    def __init__(self, depth, size="1024x768", log=None):
        read_end, write_end = os.pipe()
        self.server = Process(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               "%sx%d" % (size, depth), "-nolisten", "tcp", "-noreset"],
                              log=log, pass_fds=(write_end,))
        os.close(write_end)
        # The read end stays open while the server runs: Xvfb may write its number
        # again later, and a write to a closed pipe is fatal to it.
        self.number_pipe = read_end
        ready, _, _ = select.select([read_end], [], [], 20)
        number = os.read(read_end, 64).decode().strip().split("\n")[0] if ready else ""
        if not number:
            self.stop()
            raise Failure("Xvfb did not start (depth %d)" % depth)
        self.name = ":" + number
        self.depth = depth
        self.size = tuple(int(n) for n in size.split("x"))

    def env(self, base=None):
        env = dict(os.environ if base is None else base)
        env["DISPLAY"] = self.name
        return env

    def run(self, argv, timeout=20):
        try:
            done = subprocess.run(argv, env=self.env(), stdin=subprocess.DEVNULL,
                                  capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("%s timed out" % " ".join(argv))
        return done.returncode, done.stdout

    def windows(self):
        """Every window as a dict: id, name, class, width, height, x, y (on the screen)."""
        check(self.server.poll() is None, "Xvfb %s ended (see its log)" % self.name)
        _, out = self.run(["xwininfo", "-root", "-tree"])
        found = []
        pattern = re.compile(r'^\s*(0x[0-9a-f]+) (.*?): \((.*?)\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+'
                             r'\s+\+(-?\d+)\+(-?\d+)\s*$')
        for line in out.decode(errors="replace").splitlines():
            match = pattern.match(line)
            if match:
                name = match.group(2)
                found.append({"id": match.group(1),
                              "name": name[1:-1] if name.startswith('"') else "",
                              "class": match.group(3),
                              "width": int(match.group(4)), "height": int(match.group(5)),
                              "x": int(match.group(6)), "y": int(match.group(7))})
        return found

    def viewable(self, window_id):
        """Whether the window is mapped and so on the screen (a tree lists unmapped ones too)."""
        code, out = self.run(["xwininfo", "-id", window_id])
        return code == 0 and b"Map State: IsViewable" in out

    def find_window(self, what, timeout, **want):
        """Wait for a shown window with the name, a class holding class_has, and the least size.

        Wine keeps windows of a program that are never shown, some of the game's own size."""
        window = wait_for(what, lambda: next((
            w for w in self.windows() if w["name"] == want.get("name", w["name"]) and
            want.get("class_has", "") in w["class"] and w["width"] >= want.get("min_width", 1)
            and w["height"] >= want.get("min_height", 1) and self.viewable(w["id"])), None),
            timeout)
        say("  window %s, %dx%d at (%d,%d)" % (window["id"], window["width"], window["height"],
                                               window["x"], window["y"]))
        return window

    def screenshot(self, path):
        code, out = self.run(["xwd", "-root", "-silent"])
        check(code == 0 and out, "xwd could not dump the screen")
        with open(path, "wb") as stream:
            stream.write(out)
        return screen.Dump(out)

    def focus(self, window):
        """Give a window the keyboard, and the pointer too (no window manager runs)."""
        centre_x = window["x"] + window["width"] // 2
        centre_y = window["y"] + window["height"] // 2
        self.run(["xdotool", "mousemove", str(centre_x), str(centre_y)])
        self.run(["xdotool", "windowfocus", "--sync", window["id"]])

    def hold(self, key, seconds):
        """Hold a key down long enough for a game that polls keys every few frames."""
        self.run(["xdotool", "keydown", key])
        time.sleep(seconds)
        self.run(["xdotool", "keyup", key])

    def tap(self, key):
        self.run(["xdotool", "key", key])

    def stop(self):
        self.server.stop()
        if self.number_pipe is not None:
            os.close(self.number_pipe)
            self.number_pipe = None

    close = stop


def save_window(dump, reading, window, dx, dy, path):
    """Write the window's area of a screen dump as PNG, in the reading that matched."""
    words = screen.reading_by_name(dump, reading)
    x0, y0 = max(0, window["x"] + dx), max(0, window["y"] + dy)
    crop = words[y0:y0 + window["height"], x0:x0 + window["width"]]
    screen.write_png(path, screen.rgb_from_565(crop))


def check_title(display, window, title, out, name, attempts=5):
    """The window shows the title page (5-6-5) on TITLE_MATCH of its pixels."""
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


def escape_quits(display, game, window=None, who="the game"):
    """Escape (to the window, when given) ends the game with exit code 0."""
    if window:
        display.focus(window)
    display.tap("Escape")
    code = game.wait(20)
    check(code == 0, "%s ended with %d after Escape, expected 0" % (who, code))
    say("  Escape ended %s with exit code 0" % who)
