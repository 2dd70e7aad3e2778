"""web-offline: after one visit the site plays with its server stopped; a release with another
muffins.wasm replaces the kept one on the next visit with a network. web-context: the WebGL
context lost and given back mid-game, the next frame drawn equals the native one."""

import os
import shutil
import subprocess
import sys

from .harness.browser import Site
from .harness.session import ROOT, check, empty_folder, say
from .web import check_native_frame, open_page, picture_565, site_files

# The kept releases, the muffins.wasm the page gets (its length) and whether a worker serves.
KEPT = ("fetch('muffins.wasm').then((r) => r.arrayBuffer()).then((wasm) => caches.keys()"
        ".then((kept) => [kept, wasm.byteLength, !!navigator.serviceWorker.controller]))")
RELEASE = b"\x00\x09\x07release2"  # a custom section: the same program, another file
# The context lost at a frame of play, back 0.1 s later; testContext keeps the next frame.
LOSE_AT, DEMO_END = 1900, 2850
LOSE_CONTEXT = """(function() { var module = null, state = window.testContext = {lost: 0};
  function hook(page) { var shown = page.frameShown; page.frameShown = function(number, kind) {
    var canvas = document.getElementById('screen'), lose; shown(number, kind);
    if (!state.at && number >= %d) {
      lose = canvas.getContext(kind).getExtension('WEBGL_lose_context'); state.at = number;
      canvas.addEventListener('webglcontextlost',
                              () => setTimeout(() => lose.restoreContext(), 100));
      canvas.addEventListener('webglcontextrestored', () => { state.back = true; });
      lose.loseContext();
    } else if (state.at && !state.back) { state.lost++; } else if (state.back && !state.picture) {
      state.number = number; state.picture = canvas.toDataURL('image/png'); } }; }
  Object.defineProperty(window, 'Module', {configurable: true, get: () => module,
    set: (value) => { if (value !== module && value.page) { hook(value.page); } module = value; }});
})();""" % LOSE_AT


def visit(ctx, site, what, wasm, install=False):
    """A new tab on the site: its first frames, then the kept releases' names."""
    with open_page(ctx, site=site) as page:
        page.wait_js("the first frames (%s)" % what,
                     "window.tolvoStats && tolvoStats.lastFrameNumber >= 20", 60)
        refused = install and (page.send("Page.getAppManifest")["errors"] + page.send(
            "Page.getInstallabilityErrors")["installabilityErrors"])
        check(not refused, "the manifest or the install refused: %s" % refused)
        return page.wait_for("%s: the worker to serve %d bytes of muffins.wasm, one release "
                             "kept" % (what, wasm), lambda: (lambda k: k[1:] == [wasm, True] and
                             len(k[0]) == 1 and k[0])(page.evaluate(KEPT)), 60, 0.5)


def scenario_offline(ctx):
    folder = empty_folder(ctx.out, "offline-site")
    for name in site_files(ctx.web) + ["site.txt"]:
        shutil.copyfile(os.path.join(ctx.web, name), os.path.join(folder, name))
    wasm = os.path.getsize(os.path.join(folder, "muffins.wasm"))
    with Site(folder) as site:
        first = visit(ctx, site, "the first visit", wasm, install=True)
    visit(ctx, site, "a visit without a network", wasm)
    with open(os.path.join(folder, "muffins.wasm"), "ab") as stream:
        stream.write(RELEASE)
    subprocess.run([sys.executable, os.path.join(ROOT, "engine", "platform", "hosts", "web",
                                                 "make_site.py"), "--renew", folder], check=True)
    with Site(folder, site.port):
        second = visit(ctx, site, "the next visit", wasm + len(RELEASE))
    check(second != first, "the release kept under the old version %s" % first)
    visit(ctx, site, "the new release without a network", wasm + len(RELEASE))
    say("  kept after one visit %s, installable, played with the server stopped; a release "
        "with another muffins.wasm replaced it %s and played offline" % (first, second))


def scenario_context(ctx):
    # Paced fast rather than unpaced: the page draws every paced frame, so the frames after
    # the restore reach the canvas before the demo ends, however fast the machine.
    with open_page(ctx, "script=demo.script&fps=300&frames=%d" % DEMO_END, LOSE_CONTEXT) as page:
        state = page.wait_js("a frame after the context came back",
                             "window.testContext.picture && testContext", 180)
    check(state["lost"] > 0, "no frame came while the context was lost")
    check_native_frame(ctx, picture_565(state["picture"]), state["number"], DEMO_END,
                       "web-context-%d.png" % state["number"])
    say("  lost at frame %d, %d frames without it; frame %d, the first drawn after, equals the "
        "native one in every pixel" % (state["at"], state["lost"], state["number"]))


SCENARIOS = [("web-offline", scenario_offline), ("web-context", scenario_context)]
