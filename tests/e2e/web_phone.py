"""web-phone: the page on an emulated phone (a mobile viewport, touch emulation, real
multi-finger touches). A game played with touches only, recorded with ?record, replays
natively to the page's trace byte for byte; each key reaches the game within a frame of its
touch; the controls come with a touch and go with a key; fingers neither zoom, scroll nor
open a menu; the picture fills the screen and the controls keep off the floor (screenshots
at 844x390, 390x844 and 1024x768)."""

import os
import time

from . import web
from .harness import figures, game
from .harness.game import STANDING, WALK_LEFT, WALK_RIGHT, native_run
from .harness.session import check, empty_folder, say

SCREENS = [("phone-landscape", 844, 390, 3), ("phone-portrait", 390, 844, 3),
           ("tablet", 1024, 768, 2)]
# Each control's key in the recording (the pause control's P, with O).
KEYS = {"walk-left": 37, "walk-right": 39, "milk": 71, "pin": 70, "splash": 84, "swing": 82,
        "start": 32, "pause": 80, "sound": 77}
FLOOR_SHARE = 280 / 500  # from the hero's head down, the view is the floor he walks on
# Before the page's scripts: for each finger put down, the frames traced until then and
# the control under it.
TOUCH_LOG = r"""
window.testTraced = 0, window.testTouches = [];
(function(log) {
  console.log = function(text) {
    if (String(text).lastIndexOf('{"frame":', 0) == 0) testTraced++;
    return log.apply(console, arguments);
  };
  document.addEventListener('touchstart', function(event) {
    Array.prototype.forEach.call(event.changedTouches, function(t) {
      var at = document.elementFromPoint(t.clientX, t.clientY), c = at && at.closest('[data-control]');
      testTouches.push([testTraced, c ? c.getAttribute('data-control') : '']);
    });
  }, true);
})(console.log);
"""
LAYOUT = ("(function(c) { var r = c.getBoundingClientRect(); return {picture: [r.left, r.top, "
          "r.width, r.height], smooth: c.classList.contains('smooth'), controls: Array.from("
          "document.querySelectorAll('#touch [data-control]')).map(function(b) { var q = "
          "b.getBoundingClientRect(); return [b.getAttribute('data-control'), b.getAttribute("
          "'aria-label'), q.left, q.top, q.width, q.height]; })}; })(document.getElementById("
          "'screen'))")


class Fingers:
    """Fingers on the touch screen by name, on a control's middle or at a point."""

    def __init__(self, page):
        self.page, self.down, self.ids = page, {}, iter(range(1, 1000))

    def _at(self, control, at):
        return at or self.page.evaluate(
            "(function(r) { return [r.left + r.width / 2, r.top + r.height / 2]; })(document"
            ".querySelector('[data-control=\"%s\"]').getBoundingClientRect())" % control)

    def _send(self, kind):
        points = [{"x": x, "y": y, "id": n} for n, x, y in self.down.values()]
        self.page.send("Input.dispatchTouchEvent", {"type": kind if points else "touchEnd",
                                                    "touchPoints": points})

    def put(self, name, control=None, at=None):
        self.down[name] = (next(self.ids),) + tuple(self._at(control, at))
        self._send("touchStart")

    def move(self, name, control=None, at=None):
        self.down[name] = (self.down[name][0],) + tuple(self._at(control, at))
        self._send("touchMove")

    def lift(self, name):
        del self.down[name]
        self._send("touchMove")

    def tap(self, control=None, at=None):
        self.put("tap", control, at)
        time.sleep(0.05)
        self.lift("tap")


def emulate(page, width, height, ratio):
    page.send("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
    page.send("Emulation.setDeviceMetricsOverride", {"width": width, "height": height,
                                                     "deviceScaleFactor": ratio, "mobile": True})
    page.wait_js("the page at %dx%d" % (width, height), "innerWidth == %d" % width, 10)


def touch_shown(page):
    return page.evaluate("document.body.classList.contains('touch') && "
                         "!document.getElementById('touch').hidden")


def scenario_phone(ctx):
    with web.open_page(ctx, "fps=120&trace&record", TOUCH_LOG) as page:
        emulate(page, *SCREENS[0][1:])
        fingers = Fingers(page)
        web.wait_screen(page, "intro", 60)
        check(not touch_shown(page), "the touch controls show before a touch")
        fingers.tap(at=(200, 100))
        page.wait_for("the controls after a touch", lambda: touch_shown(page), 5)
        labels = {c[0]: c[1] for c in page.evaluate(LAYOUT)["controls"]}
        check(sorted(labels) == sorted(KEYS) and all(labels.values()), "controls: %r" % labels)
        fingers.tap("start")
        web.wait_screen(page, "play", 10)
        for wanted in ("paused", "play"):
            fingers.tap("pause")
            web.wait_screen(page, wanted, 10)

        def hero(state=None, what=""):
            if state:
                page.wait_for(what, lambda: web.frame(page)["hero"]["walkState"] in state, 15,
                              interval=0.02)
            return web.frame(page)["hero"]["worldX"]

        # A thumb on walk right slides across to walk left; walking, a finger splashes.
        start = hero(STANDING, "the hero standing")
        fingers.put("thumb", "walk-right")
        hero((WALK_RIGHT,), "the hero walking right")
        fingers.move("thumb", "walk-left")
        right = hero((WALK_LEFT,), "the hero walking left after the thumb slid across")
        fingers.tap("splash")
        fingers.lift("thumb")
        left = hero(STANDING, "the hero standing again")
        game.check_walks(start, right, left, "the touch controls")
        for control in ("milk", "pin", "swing", "sound"):
            fingers.tap(control)
            time.sleep(0.15)
        say("  %s on the first touch; start, pause and resume, a thumb walking right and "
            "sliding to walk left while a finger splashed (%s -> %s -> %s), milk, pin, swing, "
            "sound" % (", ".join(sorted(labels.values())), start, right, left))
        check_gestures(page, fingers)

        # Every touch on a control pressed its key before the frame after the one under way.
        traced, script = web.trace_lines(page), web.read_file(page, "/game/recording.script")
        downs = [[int(w) for w in line.split()[::2]] for line in script.splitlines()
                 if " down " in line]
        delays = []
        for before, control in page.evaluate("testTouches"):
            if control:
                key = [frame for frame, vk in downs if vk == KEYS[control] and frame > before]
                check(key, "the touch on %s after frame %d pressed nothing" % (control, before))
                delays.append(key[0] - before - 1)
        touched = set(c for _, c in page.evaluate("testTouches") if c) | {"walk-left"}  # slid to
        check(touched == set(KEYS) and max(delays) <= 1, "touch to key: %s frames" % delays)
        figures.write(ctx.out, "web-phone", {"touchToKeyFrames": max(delays)})
        say("  each of %d touches pressed its key within %d frame" % (len(delays), max(delays)))
        check_replay(ctx, traced, script)

        web.press(page, "Space")
        page.wait_for("the controls gone after a key", lambda: not touch_shown(page), 5)
        fingers.tap(at=(200, 100))
        page.wait_for("the controls back after a touch", lambda: touch_shown(page), 5)
        say("  a key put the controls away, a touch brought them back")
        for name, width, height, ratio in SCREENS:
            emulate(page, width, height, ratio)
            check_screen(ctx, page, name, width, height, ratio)


def check_gestures(page, fingers):
    """A double tap and a pinch on the game: no zoom, no scrolling; a long press's menu
    refused and nothing selectable."""
    fingers.tap(at=(420, 120))
    fingers.tap(at=(420, 120))
    fingers.put("a", at=(380, 150))
    fingers.put("b", at=(460, 150))
    for step in range(1, 6):
        fingers.move("a", at=(380 - 30 * step, 150))
        fingers.move("b", at=(460 + 30 * step, 160))
    fingers.down.clear()
    fingers._send("touchEnd")
    time.sleep(0.3)
    state = page.evaluate(
        "(function(menu) { document.getElementById('screen').dispatchEvent(menu); return ["
        "visualViewport.scale, scrollX + scrollY, menu.defaultPrevented, getComputedStyle("
        "document.body).userSelect]; })(new MouseEvent('contextmenu', {bubbles: true, "
        "cancelable: true}))")
    check(state == [1, 0, True, "none"], "fingers on the game: [zoom, scrolled, menu "
          "refused, selection] = %r" % state)
    say("  a double tap and a pinch neither zoomed nor scrolled; no menu, no selection")


def check_screen(ctx, page, name, width, height, ratio):
    """Thumb-sized controls inside the screen and off the floor; the picture as large as
    the screen allows; a screenshot."""
    time.sleep(0.3)
    shown = page.evaluate(LAYOUT)
    page.screenshot(os.path.join(ctx.out, "web-%s.png" % name))
    x, y, w, h = shown["picture"]
    floor = y + h * FLOOR_SHARE
    for control, _, cx, cy, cw, ch in shown["controls"]:
        check(cw >= 48 and ch >= 48 and cx >= 0 and cy >= 0 and cx + cw <= width + 0.5 and
              cy + ch <= height + 0.5, "%s: %s is %.0fx%.0f at %.0f,%.0f" % (
                  name, control, cw, ch, cx, cy))
        check(not (cy + ch > floor and cy < y + h and cx < x + w and cx + cw > x),
              "%s: %s covers the floor" % (name, control))
    check(abs(h - height) < 1 or abs(w - width) < 1, "%s: the picture is %.0fx%.0f" % (
        name, w, h))
    say("  %s: the picture %.0fx%.0f (%.2f display pixels each, %s), the controls of "
        "thumb size off the floor" % (name, w, h, w * ratio / 900,
                                      "smoothed" if shown["smooth"] else "sharp"))


def check_replay(ctx, traced, script):
    """The recording replayed natively for as many frames as the page traced."""
    folder = empty_folder(ctx.out, "phone-native")
    with open(os.path.join(folder, "touch.script"), "w") as stream:
        stream.write(script)
    status, _, _ = native_run(ctx.native, folder, {
        "TOLVO_SCRIPT": "touch.script", "TOLVO_FPS": "0", "TOLVO_FRAMES": str(len(traced)),
        "TOLVO_TRACE": "trace.jsonl"})
    with open(os.path.join(folder, "trace.jsonl"), "rb") as stream:
        native = stream.read()
    lines = native.decode().splitlines()
    differ = [i + 1 for i, (a, b) in enumerate(zip(traced, lines)) if a != b]
    check(status == 0 and native == "".join(line + "\n" for line in traced).encode(),
          "the native replay (status %d, %d lines) differs from the page's trace (%d lines) at "
          "line %s" % (status, len(lines), len(traced), differ[:1]))
    say("  the native host replaying the recording gives the page's trace byte for byte "
        "(%d frames)" % len(traced))
