"""The web site kept by its service worker, and the picture after a lost WebGL context
(run with web.py's checks, in its browser).

  web-offline   after one visit, with the site's server stopped, a reload shows the title
                page; a release with a changed muffins.wasm replaces the kept files on the
                next visit with a network, and then plays without one
  web-context   the WebGL context lost and given back mid-game: the next frame drawn equals
                the native program's pixel for pixel
"""

import os
import shutil
import subprocess
import sys

from .harness import game
from .harness.browser import Site
from .harness.session import ROOT, check, empty_folder, say
from .web import (TITLE_SHARE, canvas_565, check_native_frame, open_page, page_stats,
                  picture_565)

MAKE_SITE = os.path.join(ROOT, "engine", "platform", "hosts", "web", "make_site.py")
WORKER = "service-worker.js"
# The kept releases: each cache's files, whether a worker serves the page, and the length
# of the muffins.wasm the page gets.
KEPT = """(async () => {
  const files = {};
  for (const name of await caches.keys()) {
    const cache = await caches.open(name);
    files[name] = (await cache.keys()).map((r) => new URL(r.url).pathname.slice(1)).sort();
  }
  const wasm = await fetch('muffins.wasm').then((r) => r.arrayBuffer()).catch(() => null);
  return {files, served: !!navigator.serviceWorker.controller,
          wasm: wasm ? wasm.byteLength : -1};
})()"""
# A custom section ("release", one byte) at the end of a WebAssembly module: another
# release of the same program.
WASM_SECTION = b"\x00\x09\x07release2"
# The context lost at frame LOSE_AT of the demo (in play) and given back a little later,
# by the page's WEBGL_lose_context; testContext says what happened and holds the canvas as
# the first frame drawn after it came back.
LOSE_AT, DEMO_END = 1900, 2850
LOSE_CONTEXT = """(function() {
  var module = null, state = window.testContext = {lostAt: 0, lostFrames: 0, restored: false,
                                                    number: 0, picture: null};
  function hook(page) {
    var shown = page.frameShown, lose = null;
    page.frameShown = function(number, renderer) {
      shown(number, renderer);
      var canvas = document.getElementById('screen');
      if (!state.lostAt && number >= %d) {
        lose = canvas.getContext(renderer).getExtension('WEBGL_lose_context');
        canvas.addEventListener('webglcontextlost', function() {
          setTimeout(function() { lose.restoreContext(); }, 100);
        });
        canvas.addEventListener('webglcontextrestored', function() { state.restored = true; });
        state.lostAt = number;
        lose.loseContext();
      } else if (state.lostAt && !state.restored) {
        state.lostFrames++;
      } else if (state.restored && !state.picture) {
        state.number = number;
        state.picture = canvas.toDataURL('image/png');
      }
    };
  }
  Object.defineProperty(window, 'Module', {configurable: true,
    get: function() { return module; },
    set: function(value) {
      if (value !== module && value && value.page) { hook(value.page); }
      module = value; }});
})();""" % LOSE_AT


def site_files(folder):
    with open(os.path.join(folder, "site.txt"), encoding="utf-8") as stream:
        return [line.strip() for line in stream if line.strip()]


def kept(page):
    return page.evaluate(KEPT, timeout=60)


def check_title(page, title, what):
    """The page shows the title page: its first frames drawn, from the site's files."""
    page.wait_for("the first frames (%s)" % what,
                  lambda: page_stats(page).get("lastFrameNumber", 0) >= 20, 60)
    shown = canvas_565(page)
    height, width = shown.shape
    share = float((shown == title[:height, :width]).mean())
    check(share >= TITLE_SHARE and not page.errors, "%s: the title page on %.2f%% of the "
          "pixels%s" % (what, 100 * share, ", the page threw %s" % page.errors if page.errors
                        else ""))


def wait_release(page, files, wasm, what):
    """The worker serving the page, with one release kept: `files`, a muffins.wasm of
    `wasm` bytes."""
    def done():
        state = kept(page)
        return state["served"] and list(state["files"].values()) == [files] and \
            state["wasm"] == wasm and state
    return page.wait_for(what, done, 60, interval=0.5)


def scenario_offline(ctx):
    folder = empty_folder(ctx.out, "offline-site")
    names = site_files(ctx.web)
    for name in names + ["site.txt"]:
        shutil.copyfile(os.path.join(ctx.web, name), os.path.join(folder, name))
    files = sorted(set(names) - {WORKER})
    wasm = os.path.join(folder, "muffins.wasm")
    size = os.path.getsize(wasm)
    title = game.expected_title(ctx.native, os.path.join(ctx.native, "Images"), ctx.out)
    site = Site(folder)
    with site, open_page(ctx, site=site) as page:
        check_title(page, title, "the first visit")
        first = wait_release(page, files, size, "the worker keeping the site")
        say("  after the first visit the worker keeps %d files (%s)" % (
            len(files), ", ".join(first["files"])))
    # The network cut: nothing answers at the site's address.
    with open_page(ctx, site=site) as page:
        check_title(page, title, "a visit without a network")
        say("  with the server stopped the page shows the title page")
    # A new release: another muffins.wasm, so another worker.
    with open(wasm, "ab") as stream:
        stream.write(WASM_SECTION)
    subprocess.run([sys.executable, MAKE_SITE, "--renew", folder], check=True, timeout=120)
    with Site(folder, site.port), open_page(ctx, site=site) as page:
        check_title(page, title, "the visit after the release")
        second = wait_release(page, files, size + len(WASM_SECTION),
                              "the new release to replace the kept one")
        check(second["files"].keys() != first["files"].keys(), "the release kept under the "
              "old version %s" % list(first["files"]))
        say("  the next visit with a network replaced the kept release (%s, muffins.wasm "
            "%d bytes longer)" % (", ".join(second["files"]), len(WASM_SECTION)))
    with open_page(ctx, site=site) as page:
        check_title(page, title, "the new release without a network")
        check(kept(page)["wasm"] == size + len(WASM_SECTION), "without a network the page "
              "gets the old muffins.wasm")
        say("  without a network again, the new release plays")


def scenario_context(ctx):
    query = "script=demo.script&fps=0&frames=%d" % DEMO_END
    with open_page(ctx, query, LOSE_CONTEXT) as page:
        state = page.wait_for("a frame drawn after the context came back", lambda: (
            page.evaluate("window.testContext && testContext.picture && testContext")), 180)
        renderer = page_stats(page).get("renderer")
    check(renderer in ("webgl2", "webgl"), "drawn by %r, not WebGL" % renderer)
    check(state["lostFrames"] > 0, "no frame came while the context was lost")
    shown = picture_565(state["picture"])
    check_native_frame(ctx, shown, state["number"], DEMO_END,
                       "web-context-%d.png" % state["number"])
    say("  the context lost at frame %d, %d frames went by without it; the first drawn after "
        "(frame %d) equals the native frame in every pixel" % (
            state["lostAt"], state["lostFrames"], state["number"]))


SCENARIOS = [("web-offline", scenario_offline), ("web-context", scenario_context)]
