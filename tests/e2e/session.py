"""Throw-away X displays, bounded processes and real key events for the end-to-end runs.

Every process started here is remembered and stopped by its own id (its process
group) when the run ends; every wait has a time limit.
"""

import os
import re
import select
import signal
import subprocess
import time

from screen import Dump


class Failure(Exception):
    """A check of an end-to-end run did not hold."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, probe, timeout, interval=0.2):
    """Call probe until it returns something true; fail after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure("timed out after %gs waiting for %s" % (timeout, what))
        time.sleep(interval)


class Process:
    """A child process in its own process group, so it and its helpers stop together."""

    def __init__(self, argv, cwd=None, env=None, log=None):
        self.argv = argv
        self.log = open(log, "wb") if log else subprocess.DEVNULL
        self.proc = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                     stdout=self.log, stderr=subprocess.STDOUT,
                                     start_new_session=True)
        self.pid = self.proc.pid

    def poll(self):
        return self.proc.poll()

    def wait(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("%s still running after %gs" % (os.path.basename(self.argv[0]), timeout))

    def stop(self):
        """Stop the process group: politely, then for sure."""
        for sig, grace in ((signal.SIGTERM, 3.0), (signal.SIGKILL, 3.0)):
            if self.proc.poll() is not None:
                break
            try:
                os.killpg(self.pid, sig)
            except ProcessLookupError:
                break
            try:
                self.proc.wait(timeout=grace)
            except subprocess.TimeoutExpired:
                pass
        # Helpers left in the group after the leader ended.
        try:
            os.killpg(self.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass
        if self.log is not subprocess.DEVNULL:
            self.log.close()


class Display:
    """An Xvfb server on a free display number, with its own screen depth."""

    def __init__(self, depth, size="1024x768", log=None):
        read_end, write_end = os.pipe()
        self.log = open(log, "wb") if log else subprocess.DEVNULL
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%sx%d" % (size, depth),
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=self.log,
            stderr=subprocess.STDOUT, start_new_session=True)
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

    def env(self, base=None):
        env = dict(os.environ if base is None else base)
        env["DISPLAY"] = self.name
        return env

    def run(self, argv, timeout=20):
        """Run an X client to completion and return its standard output."""
        try:
            done = subprocess.run(argv, env=self.env(), stdin=subprocess.DEVNULL,
                                  capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("%s timed out" % " ".join(argv))
        return done.returncode, done.stdout

    def windows(self):
        """Every window as a dict: id, name, class, width, height, x, y (on the screen)."""
        check(self.proc.poll() is None, "Xvfb %s ended (see its log)" % self.name)
        _, out = self.run(["xwininfo", "-root", "-tree"])
        found = []
        pattern = re.compile(r'^\s*(0x[0-9a-f]+) (.*?): \((.*?)\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+'
                             r'\s+\+(-?\d+)\+(-?\d+)\s*$')
        for line in out.decode(errors="replace").splitlines():
            match = pattern.match(line)
            if not match:
                continue
            name = match.group(2)
            found.append({
                "id": match.group(1),
                "name": name[1:-1] if name.startswith('"') else "",
                "class": match.group(3),
                "width": int(match.group(4)),
                "height": int(match.group(5)),
                "x": int(match.group(6)),
                "y": int(match.group(7)),
            })
        return found

    def find_window(self, what, timeout, **want):
        """Wait for a window matching name/class text and a minimum size."""
        def probe():
            for window in self.windows():
                if "name" in want and window["name"] != want["name"]:
                    continue
                if "class_has" in want and want["class_has"] not in window["class"]:
                    continue
                if window["width"] < want.get("min_width", 1):
                    continue
                if window["height"] < want.get("min_height", 1):
                    continue
                return window
            return None

        return wait_for(what, probe, timeout)

    def screenshot(self, path):
        """Dump the whole screen with xwd and read it."""
        code, out = self.run(["xwd", "-root", "-silent"])
        check(code == 0 and out, "xwd could not dump the screen")
        with open(path, "wb") as stream:
            stream.write(out)
        return Dump(out)

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
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGTERM)
                self.proc.wait(timeout=5)
            except (ProcessLookupError, subprocess.TimeoutExpired):
                try:
                    os.killpg(self.proc.pid, signal.SIGKILL)
                    self.proc.wait(timeout=5)
                except (ProcessLookupError, subprocess.TimeoutExpired):
                    pass
        if self.number_pipe is not None:
            os.close(self.number_pipe)
            self.number_pipe = None
        if self.log is not subprocess.DEVNULL:
            self.log.close()


def run_scenarios(scenarios, only, call, say, errors=()):
    """Runs each scenario named in `only` (all when empty) through call(run), saying how
    each ended and how long it all took; returns the names of those that failed. A
    scenario fails by raising Failure, or one of the common errors of file and process
    handling (and `errors`)."""
    caught = (Failure, OSError, ValueError, KeyError, subprocess.TimeoutExpired) + tuple(errors)
    failed = []
    started = time.monotonic()
    for name, run in scenarios:
        if only and name not in only:
            continue
        say("%s ..." % name)
        begun = time.monotonic()
        try:
            call(run)
            say("%s: PASS (%.0fs)" % (name, time.monotonic() - begun))
        except caught as failure:
            say("%s: FAIL: %s" % (name, failure))
            failed.append(name)
    say("%s in %.0fs" % ("all passed" if not failed else "FAILED: " + ", ".join(failed),
                         time.monotonic() - started))
    return failed
