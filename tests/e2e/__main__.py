"""End-to-end runs of Muffin Meltdown the way a player meets it, with real key events.

    python3 -m tests.e2e --native build --windows build-windows --web build-web
                         --out build/e2e [--only NAME ...]

  wine16, wine24   the Windows build under Wine (tests/e2e/windows.py)
  sdl, sdl-audio, sdl-resize, sdl-fullscreen, sdl-pacing
                   the native build with the SDL host (tests/e2e/native.py)
  web              every web-* check of the web build in headless Chromium
                   (tests/e2e/web.py); --only web-keys and the like run one of them

Screenshots go to the output folder as PNG. Times measured (frame rates, latencies, first
frame) go to JSON files there and a closing report compares them with their goals; a
missed goal is printed, it does not fail the run (harness/figures.py). Every wait is
bounded; every process is stopped by its own id when its run ends.
"""

import argparse
import os
import time

from . import native, web, windows
from .harness import figures
from .harness.session import check, main, run_scenarios, say
from .harness.wine import Wine


def scenario_web(ctx):
    failed = web.run(ctx.native, ctx.web, os.path.join(ctx.out, "web"), ctx.web_only)
    check(not failed, "web checks failed: " + ", ".join(failed))


SCENARIOS = windows.SCENARIOS + native.SCENARIOS + [("web", scenario_web)]


def run(args):
    only = set(args.only or ())
    args.web_only = None if "web" in only else sorted(name for name in only
                                                      if name.startswith("web-"))
    if args.web_only:
        only.add("web")
    args.wine = Wine(args.windows)
    started = time.time()
    failed = run_scenarios(SCENARIOS, args, only)
    figures.report([args.out, os.path.join(args.out, "web")], started, say)
    return failed


def parser():
    parser = argparse.ArgumentParser(prog="python3 -m tests.e2e",
                                     description=__doc__.splitlines()[0])
    parser.add_argument("--native", default="build")
    parser.add_argument("--windows", default="build-windows")
    parser.add_argument("--web", default="build-web")
    parser.add_argument("--out", default="build/e2e")
    parser.add_argument("--only", action="append", choices=[name for name, _ in SCENARIOS] + [
        name for name, _ in web.SCENARIOS])
    return parser


if __name__ == "__main__":
    raise SystemExit(main("e2e", parser(), run))
