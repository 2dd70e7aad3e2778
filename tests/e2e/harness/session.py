"""What every end-to-end check stands on: a failure and its check, bounded waits, a voice,
processes stopped by their own id, fresh folders, and the one scenario runner.

Every process started here is remembered and stopped by its own id (its process group)
when its run ends; every wait has a time limit.
"""

import hashlib
import os
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))


class Failure(Exception):
    """A check of an end-to-end run did not hold."""


def check(condition, message):
    if not condition:
        raise Failure(message)


VOICE = ["e2e"]


def say(message):
    print("%s: %s" % (VOICE[0], message), flush=True)


def sha256(path):
    with open(path, "rb") as stream:
        return hashlib.sha256(stream.read()).hexdigest()


def wait_for(what, probe, timeout, interval=0.2, guard=None):
    """Call probe until it returns something true; fail after `timeout` seconds, or as
    soon as guard (when given) raises."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if guard:
            guard(what)
        if time.monotonic() >= deadline:
            raise Failure("timed out after %gs waiting for %s" % (timeout, what))
        time.sleep(interval)


def empty_folder(parent, name):
    path = os.path.join(parent, name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def game_env(base=None, **settings):
    """The environment without any TOLVO_ setting of the caller's, then `settings`."""
    env = {key: value for key, value in (os.environ if base is None else base).items()
           if not key.startswith("TOLVO_")}
    env.update(settings)
    return env


class Closing:
    """As a context, closed at its end."""

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Process(Closing):
    """A child process in its own process group, so it and its helpers stop together."""

    def __init__(self, argv, cwd=None, env=None, log=None, pass_fds=()):
        self.argv = argv
        self.log = open(log, "wb") if log else subprocess.DEVNULL
        self.proc = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                     stdout=self.log, stderr=subprocess.STDOUT,
                                     pass_fds=pass_fds, start_new_session=True)
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
            self.log = subprocess.DEVNULL

    close = stop


def run_scenarios(scenarios, ctx, only=None, errors=(), summary=True):
    """Runs each scenario named in `only` (all when empty) as run(ctx), saying how each
    ended (and, with `summary`, how long it all took); returns the names of those that
    failed. A scenario fails by raising Failure, or one of the common errors of file and
    process handling (and `errors`)."""
    caught = (Failure, OSError, ValueError, KeyError, subprocess.SubprocessError) + tuple(errors)
    failed = []
    started = time.monotonic()
    for name, run in scenarios:
        if only and name not in only:
            continue
        say("%s ..." % name)
        begun = time.monotonic()
        try:
            run(ctx)
            say("%s: PASS (%.0fs)" % (name, time.monotonic() - begun))
        except caught as failure:
            say("%s: FAIL: %s" % (name, failure))
            failed.append(name)
    if summary:
        say("%s in %.0fs" % ("all passed" if not failed else "FAILED: " + ", ".join(failed),
                             time.monotonic() - started))
    return failed


def main(voice, parser, run):
    """An entry point: its voice, its arguments (folders made absolute, the output folder
    made), and run(args) giving the names that failed; exit status 1 if any did. Stopped
    from outside (a time limit), it still ends every process its run started."""
    VOICE[0] = voice
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(124))
    args = parser.parse_args()
    for name in ("native", "windows", "web", "out", "dist", "release_build", "windows_build"):
        if getattr(args, name, None):
            setattr(args, name, os.path.abspath(getattr(args, name)))
    os.makedirs(args.out, exist_ok=True)
    return 1 if run(args) else 0
