"""web-phone: the page on an emulated phone with real multi-finger touches: a game played by
touch alone replays natively to the page's trace byte for byte, each key within a frame of
its touch; no zoom, scrolling or menu; the layout at 844x390, 390x844 and 1024x768."""

import os
import time

from . import web
from .harness import figures, game
from .harness.game import STANDING, WALK_LEFT, WALK_RIGHT, native_run
from .harness.session import check, empty_folder, say

SCREENS = [("phone-landscape", 844, 390, 3), ("phone-portrait", 390, 844, 3),
           ("tablet", 1024, 768, 2)]
KEYS = {"walk-left": 37, "walk-right": 39, "milk": 71, "pin": 70, "splash": 84, "swing": 82,
        "start": 32, "pause": 80, "sound": 77}
FLOOR_SHARE = 280 / 500  # from the hero's head down, the view is the floor he walks on
# For each finger put down, the frames traced until then and the control under it.
TOUCH_LOG = r"""navigator.audioSession = {type: 'auto'};  // as Safari's, which the sound sets
window.testTraced = 0, window.testTouches = [], (function(log) {
  console.log = function(t) { testTraced += /^{"frame":/.test(t); log.apply(console, arguments); };
  document.addEventListener('touchstart', function(event) { Array.from(event.changedTouches,
    function(t) { var c = document.elementFromPoint(t.clientX, t.clientY).closest('[data-control]');
      testTouches.push([testTraced, c ? c.getAttribute('data-control') : '']); }); }, true);
})(console.log);"""
HIDDEN = "document.getElementById('touch').hidden"
BOX = "(function(r) { return [r.left, r.top, r.width, r.height]; })(%s.getBoundingClientRect())"
CONTROLS = ("Array.from(document.querySelectorAll('#touch [data-control]')).map(function(b) {"
            " return [b.getAttribute('data-control'), b.getAttribute('aria-label')].concat("
            + BOX % "b" + "); })")


def fingers(page, down, kind="touchMove"):
    """The fingers `down` ({name: (x, y) or a control's name}) on the screen, all others up."""
    points = []
    for name, at in sorted(down.items()):
        if isinstance(at, str):
            x, y, w, h = page.evaluate(BOX % ("document.querySelector('[data-control=%s]')" % at))
            at = (x + w / 2, y + h / 2)
        points.append({"x": at[0], "y": at[1], "id": sum(map(ord, name))})
    page.send("Input.dispatchTouchEvent", {"type": kind if points else "touchEnd",
                                           "touchPoints": points})


def tap(page, at, held=None):
    fingers(page, dict(held or {}, tap=at), "touchStart")
    time.sleep(0.05)
    fingers(page, held or {})


def scenario_phone(ctx):
    with web.open_page(ctx, "fps=120&trace&record", TOUCH_LOG) as page:
        emulate(page, *SCREENS[0][1:])
        web.wait_screen(page, "intro", 60)
        check(page.evaluate(HIDDEN), "the touch controls show before a touch")
        tap(page, (200, 100))
        page.wait_js("the controls after a touch", "!" + HIDDEN, 5)
        web.wait_audio(page, "the sound playing after the first tap", "a.state == 'running' && "
                       "navigator.audioSession.type == 'playback'", 10)
        labels = {c[0]: c[1] for c in page.evaluate(CONTROLS)}
        check(sorted(labels) == sorted(KEYS) and all(labels.values()), "controls: %r" % labels)
        tap(page, "start")
        web.wait_screen(page, "play", 10)
        for wanted in ("paused", "play"):  # each once the last toggle's P and O (10 frames) went
            tap(page, "pause")
            web.wait_frames(page, "P and O up", web.wait_screen(page, wanted, 10)["frame"] + 10)

        def hero(states, what):
            page.wait_for(what, lambda: web.frame(page)["hero"]["walkState"] in states, 15, 0.02)
            return web.frame(page)["hero"]["worldX"]

        # A thumb on walk right slides across to walk left; walking, a finger splashes.
        start = hero(STANDING, "the hero standing")
        fingers(page, {"thumb": "walk-right"}, "touchStart")
        hero((WALK_RIGHT,), "the hero walking right")
        fingers(page, {"thumb": "walk-left"})
        right = hero((WALK_LEFT,), "the hero walking left after the thumb slid across")
        tap(page, "splash", {"thumb": "walk-left"})
        fingers(page, {})
        left = hero(STANDING, "the hero standing again")
        game.check_walks(start, right, left, "the touch controls")
        for control in ("milk", "pin", "swing", "sound"):
            tap(page, control)
            time.sleep(0.15)
        say("  sound from the first tap; %s; a thumb sliding from right to left (%s -> %s -> %s)"
            " while a finger splashed" % (", ".join(sorted(labels.values())), start, right, left))

        # A double tap and a pinch: no zoom, no scrolling; no long-press menu or selection.
        for _ in range(2):
            tap(page, (420, 120))
        fingers(page, {"a": (380, 150), "b": (460, 150)}, "touchStart")
        for step in range(1, 6):
            fingers(page, {"a": (380 - 30 * step, 150), "b": (460 + 30 * step, 160)})
        fingers(page, {})
        time.sleep(0.3)
        state = page.evaluate(
            "(function(menu) { document.getElementById('screen').dispatchEvent(menu); return ["
            "visualViewport.scale, scrollX + scrollY, menu.defaultPrevented, getComputedStyle("
            "document.body).userSelect]; })(new MouseEvent('contextmenu', {bubbles: true, "
            "cancelable: true}))")
        check(state == [1, 0, True, "none"], "fingers on the game: [zoom, scrolled, menu "
              "refused, selection] = %r" % state)
        check_screen(ctx, page, *SCREENS[0])

        # Every touch on a control pressed its key before the frame after the one under way.
        traced, script = web.trace_lines(page), web.read_file(page, "/game/recording.script")
        downs = [[int(w) for w in line.split()[::2]] for line in script.splitlines()
                 if " down " in line]
        touches = [touch for touch in page.evaluate("testTouches") if touch[1]]
        delays = [min([f for f, vk in downs if vk == KEYS[c] and f > before] or [1e9]) - before - 1
                  for before, c in touches]
        check(set(c for _, c in touches) | {"walk-left"} == set(KEYS) and max(delays) <= 1,
              "touch to key (frames): %s" % list(zip(touches, delays)))
        figures.write(ctx.out, "web-phone", {"touchToKeyFrames": max(delays)})
        say("  each of %d touches pressed its key within %d frame" % (len(delays), max(delays)))
        check_replay(ctx, traced, script)

        web.press(page, "Space")
        page.wait_js("the controls gone after a key", HIDDEN, 5)
        tap(page, (200, 100))
        page.wait_js("the controls back after a touch", "!" + HIDDEN, 5)
        for screen in SCREENS[1:]:
            emulate(page, *screen[1:])
            check_screen(ctx, page, *screen)


def emulate(page, width, height, ratio):
    page.send("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
    page.send("Emulation.setDeviceMetricsOverride", {"width": width, "height": height,
                                                     "deviceScaleFactor": ratio, "mobile": True})
    page.wait_js("the page at %dx%d" % (width, height), "innerWidth == %d" % width, 10)


def check_screen(ctx, page, name, width, height, ratio):
    """Thumb-sized controls on the screen, off the floor; the picture as large as fits."""
    time.sleep(0.3)
    x, y, w, h = page.evaluate(BOX % "document.getElementById('screen')")
    page.screenshot(os.path.join(ctx.out, "web-%s.png" % name))
    for control, _, cx, cy, cw, ch in page.evaluate(CONTROLS):
        floor = cy + ch > y + h * FLOOR_SHARE and cy < y + h and cx < x + w and cx + cw > x
        check(min(cw, ch) >= 48 and min(cx, cy) >= 0 and cx + cw <= width + 0.5 and
              cy + ch <= height + 0.5 and not floor, "%s: %s is %.0fx%.0f at %.0f,%.0f (over "
              "the floor: %s)" % (name, control, cw, ch, cx, cy, floor))
    check(abs(h - height) < 1 or abs(w - width) < 1, "%s: the picture is %.0fx%.0f" % (
        name, w, h))
    say("  %s: the picture %.0fx%.0f, %.2f display pixels each, scaled %s" % (name, w, h, w * ratio
        / 900, page.evaluate("getComputedStyle(document.getElementById('screen')).imageRendering")))


def check_replay(ctx, traced, script):
    folder = empty_folder(ctx.out, "phone-native")
    with open(os.path.join(folder, "touch.script"), "w") as stream:
        stream.write(script)
    status, _, _ = native_run(ctx.native, folder, {
        "TOLVO_SCRIPT": "touch.script", "TOLVO_FPS": "0", "TOLVO_FRAMES": str(len(traced)),
        "TOLVO_TRACE": "trace.jsonl"})
    with open(os.path.join(folder, "trace.jsonl"), "rb") as stream:
        native = stream.read()
    differ = [i for i, (a, b) in enumerate(zip(traced, native.decode().split("\n"))) if a != b]
    check(status == 0 and native == "".join(line + "\n" for line in traced).encode(),
          "the native replay (status %d) differs from the page's trace at frame %s" % (
              status, [i + 1 for i in differ[:1]]))
    say("  replayed natively: the page's trace byte for byte (%d frames)" % len(traced))
