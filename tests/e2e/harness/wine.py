"""Windows programs under Wine, in a private prefix: quiet, bounded, without sound."""

import contextlib
import os
import shutil
import subprocess
import time

from .session import Failure, Process, check, game_env, say

# No sound drivers: the game meets a machine without sound, as CI is.
NO_SOUND_DRIVERS = "winealsa.drv,winepulse.drv,wineoss.drv,winecoreaudio.drv="


class Wine:
    """A private Wine prefix under a Windows build folder."""

    def __init__(self, build):
        self.prefix = os.path.join(os.path.abspath(build), "wineprefix")
        self.loader = shutil.which("wine64") or (
            "/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else "wine")
        self.server = shutil.which("wineserver") or "/usr/lib/wine/wineserver"

    def env(self, display, extra=None):
        env = game_env(display.env(), WINEPREFIX=self.prefix,
                       WINEDEBUG=os.environ.get("TOLVO_E2E_WINEDEBUG", "-all"),
                       # No offers to install Mono or Gecko: the game needs neither.
                       WINEDLLOVERRIDES="mscoree,mshtml=;" + NO_SOUND_DRIVERS, WINEARCH="win64")
        env.setdefault("HOME", os.path.dirname(self.prefix))  # CI shells may have none
        env.update(extra or {})
        return env

    def server_run(self, args, display, timeout):
        subprocess.run([self.server] + args, env=self.env(display), stdin=subprocess.DEVNULL,
                       capture_output=True, timeout=timeout)

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
            self.server_run(["-w"], display, 120)
        except subprocess.TimeoutExpired:
            self.shutdown(display)
            raise Failure("the new Wine prefix did not settle within its time limit")
        check(os.path.exists(os.path.join(self.prefix, "system.reg")), "wineboot made no prefix")
        say("  prefix ready in %.0fs" % (time.monotonic() - started))

    @contextlib.contextmanager
    def running(self, display):
        """The prefix made (once) for this display; every process of it ended afterwards."""
        try:
            self.ensure_prefix(display)
            yield self
        finally:
            self.shutdown(display)

    def start(self, display, program, cwd, log, extra=None):
        return Process([self.loader, program], cwd=cwd, env=self.env(display, extra), log=log)

    def settle(self, display):
        """Wait until every process of the prefix has ended, so the next run starts afresh."""
        self.server_run(["-w"], display, 60)

    def shutdown(self, display):
        """End every process of this private prefix, then wait for its server to go."""
        for args in (["-k"], ["-w"]):
            try:
                self.server_run(args, display, 30)
            except subprocess.TimeoutExpired:
                pass
