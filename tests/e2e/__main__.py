"""End-to-end runs of Muffin Meltdown the way a player meets it, with real key events.

    python3 -m tests.e2e --native build --windows build-windows --web build-web
                         --out build/e2e [--only NAME ...]

Runs windows.py (wine16, wine24), native.py (sdl, sdl-*) and web.py (web: every web-*
check; --only web-keys and the like run one). Screenshots and the times measured go to
the output folder; a closing report compares the times with their goals and never fails
the run (harness/figures.py).
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
