"""The examples' gallery in headless Chromium: every card shows its screenshot, and a
click on each opens that example's web build in the page, where it draws and keeps
drawing frames without an error. A picture of the gallery goes to the output folder.

    python3 -m tests.e2e.examples --sites build-web/examples --out build/examples-web
"""

import argparse
import os

from .harness.browser import Browser, Site
from .harness.session import check, main, run_scenarios

EXAMPLES = ["sprites", "scrolling", "blending", "typing", "sound", "pictures"]
FRAMES_SHOWN = 30  # frames an example must draw in the page
# The player's statistics once it holds NAME's page (null before), whichever page it held.
STATS = ("(w => w.location.pathname.endsWith('/%s/index.html') && w.tolvoStats || null)"
         "(document.getElementById('frame').contentWindow)")


def check_cards(ctx):
    shown = ctx.page.evaluate("Array.from(document.querySelectorAll('.card img'))"
                              ".filter(img => img.complete && img.naturalWidth > 0).length")
    check(shown == len(EXAMPLES), "%s of %d screenshots shown" % (shown, len(EXAMPLES)))
    ctx.page.screenshot(os.path.join(ctx.out, "gallery.png"))


def opens(name):
    def run(ctx):
        page = ctx.page
        # The card in view (the player above may have scrolled it away), then a real click.
        card = "document.getElementById('card-%s')" % name
        page.wait_js("%s's card in view" % name, "%s.scrollIntoView({block: 'center'}), (r => "
                     "r.top >= 0 && r.bottom <= innerHeight)(%s.getBoundingClientRect())"
                     % (card, card), 10, interval=0.5)
        page.click("#card-" + name)
        stats = STATS % name
        page.wait_js("%s drawing %d frames" % (name, FRAMES_SHOWN),
                     "((%s || {}).framesShown || 0) >= %d" % (stats, FRAMES_SHOWN), 60)
        check(page.evaluate("%s.exitCode" % stats) is None, "%s ended early" % name)
        page.screenshot(os.path.join(ctx.out, "gallery-%s.png" % name))
    return run


SCENARIOS = [("gallery-cards", check_cards)] + [("gallery-" + name, opens(name))
                                                for name in EXAMPLES]


def run(args):
    with Site(args.sites) as site, Browser(["--window-size=1200,1000"]) as browser:
        with browser.new_page() as page:
            args.page = page
            page.navigate(site.url + "index.html")
            page.wait_js("the gallery", "document.readyState === 'complete'", 20)
            return run_scenarios(SCENARIOS, args, args.only)


def parser():
    parser = argparse.ArgumentParser(prog="python3 -m tests.e2e.examples",
                                     description=__doc__.splitlines()[0])
    parser.add_argument("--sites", default="build-web/examples")
    parser.add_argument("--out", default="build/examples-web")
    parser.add_argument("--only", action="append")
    return parser


if __name__ == "__main__":
    raise SystemExit(main("examples", parser(), run))
