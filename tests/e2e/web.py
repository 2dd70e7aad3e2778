"""The web build in headless Chromium, served from 127.0.0.1, all in one browser.

  web-title     paced near the display; the title page on the canvas (99 % of pixels in
                5-6-5, WebGL, sharply scaled); unseen while the page is away; full screen
  web-title-2d  the same without WebGL (the 2D canvas)
  web-keys      Space, Right, Left reach the game; F11 and Alt+Enter toggle the full
                screen only; the debug log keeps its keys; the recording; Esc: "exit 0"
  web-sound     no sound before a click, the game going on; then the worklet plays the
                tune, M mutes, the delay is bounded, the trace stays native; without Web
                Audio one line in debug.txt, without worklets the page's own processor
  web-gamepad   a simulated pad: A, the D-pad, the stick, unplugging, Back held ends it
  web-demo      the demo unpaced with sound: the native trace byte for byte, "exit 0"
  web-pixels    a frame of play equals the native capture pixel for pixel
  web-missing   without titlepage.tif: the engine's box as the page's dialog; Enter goes on
  web-settings  the address's settings as the native environment: the same messages in the
                bar and the debug log, the same exit status
  web-measure   transfer size and the whole site's (at most 4 MB); start-up, frame cost
                and the paced demo's rate (WebGL and 2D; TOLVO_WEB_PACED_SECONDS,
                default 10) as figures
  web-offline, web-context   web_offline.py's
  web-phone     touch controls on an emulated phone (web_phone.py)
  web-hidden    the page hidden for five seconds holds the game (web_loop.py)

The native build gives the expected picture, trace, box and messages. Pictures go to the
output folder, the times measured to JSON files there for the figures' report.
"""

import argparse
import base64
import io
import json
import math
import os
import shutil
import subprocess
import sys
import time

import numpy as np
from PIL import Image

from . import web_loop, web_phone
from .harness import figures, game, screen
from .harness.browser import Browser, Site, cpu_throttle
from .harness.game import DEMO, WALK_LEFT, WALK_RIGHT, native_run
from .harness.session import ROOT, Failure, check, empty_folder, run_scenarios, say

TITLE_SHARE = 0.99
TRANSFER_LIMIT = 4_000_000        # bytes
SOUND_RATE = 44100
FIRST_SCRIPT_FRAME = 1702         # demo.script's first key: the trace before is the title's
# web-measure's paced play of the demo, in seconds (at most 45: the demo's length).
PACED_SECONDS = min(45.0, float(os.environ.get("TOLVO_WEB_PACED_SECONDS") or 10))
# The page's start-up, in its order (tolvoStats, milliseconds after opening it).
START_UP = ("programReady", "filesUnpacked", "filesReady", "firstFrame")
SITE_FILES = ["index.html", "muffins.js", "muffins.wasm", "game-files.tar.gz", "demo.script"]
# Real keys as the browser gets them: (code, key, virtual key, text).
KEYS = {
    "Space": ("Space", " ", 32, " "),
    "Right": ("ArrowRight", "ArrowRight", 39, None),
    "Left": ("ArrowLeft", "ArrowLeft", 37, None),
    "Escape": ("Escape", "Escape", 27, None),
    "Enter": ("Enter", "Enter", 13, "\r"),
    "M": ("KeyM", "m", 77, "m"),
    "F11": ("F11", "F11", 122, None),
}
# A page without Web Audio, and one without worklets (as a page from an address that is
# not secure), made so before the page's own scripts run.
NO_AUDIO = "delete window.AudioContext; delete window.webkitAudioContext;"
NO_WORKLETS = ("Object.defineProperty(BaseAudioContext.prototype, 'audioWorklet', "
               "{configurable: true, get: function() { return undefined; }});")
# The display's frames as the page gets them, counted from now.
DISPLAY_FRAMES = ("window.testDisplayFrames = 0, (function count() { testDisplayFrames++; "
                  "requestAnimationFrame(count); })(), 1")
# The page's address as the program's settings, and the native program's environment for
# them, with the page's own words: what the native program says of its settings and files
# on standard error, the page shows in its bar and its debug log, and where the run ends
# it ends with the same status. A recording there is on a full disk: /dev/full natively,
# a file system refusing the writes in the page (FULL_DISK).
SETTINGS = [
    ("frames=abc", {"TOLVO_FRAMES": "abc", "TOLVO_SCRIPT": "close.script"}, []),
    ("script=missing.keys&frames=30&fps=0",
     {"TOLVO_SCRIPT": "/scripts/missing.keys", "TOLVO_FRAMES": "30", "TOLVO_FPS": "0"},
     ["?script=missing.keys: not fetched (missing.keys: 404 File not found)"]),
    ("script=demo.script&fps=0&frames=1710&record", {"TOLVO_SCRIPT": DEMO, "TOLVO_FPS": "0",
     "TOLVO_FRAMES": "1710", "TOLVO_RECORD": "recording.script"}, []),
]
# Set up before the program runs, after the page's own set-up; ENOSPC is 51 in Emscripten.
FULL_DISK = ("(function() { var module = null; Object.defineProperty(window, 'Module', {"
             "configurable: true, get: function() { return module; }, set: function(value) {"
             " if (value !== module && value.preRun) { value.preRun.push(function() {"
             " var FS = value.FS, write = FS.write; FS.write = function(stream) {"
             " if (stream.path == '/game/recording.script') { throw new FS.ErrnoError(51); }"
             " return write.apply(this, arguments); }; }); } module = value; }}); })();")
# Gamepads as the browser shows them, played by the test: testPads.plug(index),
# .unplug(index), .button(index, button, pressed), .stick(index, x, y).
FAKE_PADS = r"""
(function() {
  var pads = [null, null, null, null];
  function tell(type, pad) { var e = new Event(type); e.gamepad = pad; dispatchEvent(e); }
  function touched(pad) { pad.timestamp = performance.now(); return true; }
  Object.defineProperty(Navigator.prototype, 'getGamepads', {configurable: true,
    value: function() { return pads.slice(); }});
  window.testPads = {
    plug: function(index) {
      var buttons = [];
      for (var i = 0; i < 17; i++) buttons.push({pressed: false, touched: false, value: 0});
      pads[index] = {id: 'Test pad (STANDARD GAMEPAD)', index: index, connected: true,
                     mapping: 'standard', buttons: buttons, axes: [0, 0, 0, 0]};
      touched(pads[index]);
      tell('gamepadconnected', pads[index]);
      return true;
    },
    unplug: function(index) {
      var gone = pads[index];
      pads[index] = null;
      gone.connected = false;
      tell('gamepaddisconnected', gone);
      return true;
    },
    button: function(index, button, pressed) {
      pads[index].buttons[button] = {pressed: pressed, touched: false, value: +pressed};
      return touched(pads[index]);
    },
    stick: function(index, x, y) { pads[index].axes = [x, y, 0, 0]; return touched(pads[index]); },
  };
})();
"""


# The page as the checks read it.

def open_page(ctx, query="", before=None, browser=None, site=None):
    """A new tab on the site's index.html?query, with a script run before the page's own."""
    page = (browser or ctx.browser).new_page()
    if before:
        page.send("Page.addScriptToEvaluateOnNewDocument", {"source": before})
    page.navigate((site or ctx.site).url + "index.html" + ("?" + query if query else ""))
    return page


def press(page, name, seconds=0.1):
    code, key, virtual, text = KEYS[name]
    page.key(code, key, virtual, True, text)
    time.sleep(seconds)
    page.key(code, key, virtual, False)


def trace_lines(page):
    return [line for line in page.lines() if line.startswith('{"frame":')]


def frame(page):
    return game.last_frame(trace_lines(page))


def wait_frames(page, what, count, timeout=30):
    page.wait_for(what, lambda: frame(page).get("frame", 0) >= count, timeout)


def wait_screen(page, wanted, timeout):
    return page.wait_for("the %s screen" % wanted, lambda: frame(page).get(
        "screen") == wanted and frame(page), timeout, interval=0.05)


def exit_lines(page):
    return [line for line in page.lines() if line.startswith("exit ")]


def ended(page, what, timeout):
    """The page's exit line(s), once the run ended."""
    return page.wait_for("exit after %s" % what, lambda: exit_lines(page), timeout, 0.2)


def wait_exit(page, what, timeout, status=0):
    check(ended(page, what, timeout) == ["exit %d" % status], "the page said %s after %s" % (
        exit_lines(page), what))


def canvas_565(page):
    """The canvas as the player sees it, back in 5-6-5 (the browser widened each channel)."""
    return picture_565(page.evaluate("document.getElementById('screen').toDataURL('image/png')"))


def picture_565(url):
    """A canvas's picture as a data: address (toDataURL), in 5-6-5."""
    check(url and url.startswith("data:image/png;base64,"), "the canvas gave no picture")
    rgb = np.asarray(Image.open(io.BytesIO(base64.b64decode(url.split(",", 1)[1]))).convert("RGB"))
    return screen.rgb_to_565(rgb)


def site_files(folder):
    with open(os.path.join(folder, "site.txt"), encoding="utf-8") as stream:
        return stream.read().split()


def page_stats(page):
    text = page.evaluate("JSON.stringify(window.tolvoStats || null)")
    return (json.loads(text) if text else None) or {}


def audio_stats(page):
    return page_stats(page).get("audio") or {}


def wait_audio(page, what, condition, timeout):
    """Wait for a condition on the page's sound, `a` (tolvoStats.audio, {} before it)."""
    page.wait_js(what, "(function(a) { return %s; })(((window.tolvoStats || {}).audio) || {})"
                 % condition, timeout)


def page_text(page, selector):
    return page.evaluate("(document.querySelector(%s) || {}).textContent || ''"
                         % json.dumps(selector))


def shows(page, element):
    return page.evaluate("!document.getElementById('%s').hidden" % element)


def is_open(page, dialog):
    return page.evaluate("!!(document.getElementById('%s') || {}).open" % dialog)


def open_log(page):
    """The page's debug log opened by its button: its text."""
    page.click("#log")
    page.wait_for("the debug log", lambda: is_open(page, "log-view"), 10)
    return page_text(page, "#log-text")


def read_file(page, path):
    return page.evaluate("Module.FS.readFile('%s', {encoding: 'utf8'})" % path)


def recorded(page):
    """The recording's events so far, as [kind, value] pairs."""
    return [line.split()[1:] for line in read_file(page, "/game/recording.script").splitlines()
            if line.strip() and not line.startswith("#")]


def walk_with(page, what, walking, press_it, release_it):
    return game.walk(page.wait_for, lambda: frame(page).get("hero", {}), what, walking,
                     press_it, release_it)


def walk(page, key, walking):
    code, name, virtual, _ = KEYS[key]
    return walk_with(page, key, walking, lambda: page.key(code, name, virtual, True),
                     lambda: page.key(code, name, virtual, False))


# The title page, paced and laid out.

def scenario_title(ctx):
    with check_title(ctx, ctx.browser, "web-title", ("webgl2", "webgl")) as page:
        # The page losing the user's attention deactivates the game's window: the game goes
        # on but shows nothing, as on Windows, until the page has the attention again.
        page.evaluate("window.dispatchEvent(new FocusEvent('blur')), 1")
        time.sleep(0.3)
        shown, number = page_stats(page)["framesShown"], frame(page)["frame"]
        wait_frames(page, "the game going on while the page is away", number + 16, 10)
        check(page_stats(page)["framesShown"] == shown,
              "frames were shown while the page was away")
        page.evaluate("window.dispatchEvent(new FocusEvent('focus')), 1")
        page.wait_js("frames shown again", "tolvoStats.framesShown > %d" % (shown + 15), 5)
        say("  away from the page the game runs unseen; back, it shows its frames again")
        # Full screen from the page's button: the whole screen, the view scaled up by whole
        # multiples and centred.
        page.click("#fullscreen")
        page.wait_js("full screen", "document.fullscreenElement === "
                     "document.getElementById('stage')", 10)
        page.wait_js("the view laid out again", "document.getElementById('screen')."
                     "getBoundingClientRect().width >= 899", 10)
        size = page.evaluate("[innerWidth, innerHeight]")
        scale = check_layout(page, 899, 499)
        page.screenshot(os.path.join(ctx.out, "web-fullscreen.png"))
        say("  full screen: %dx%d, the view scaled %sx" % (size[0], size[1], round(scale, 3)))
        page.evaluate("document.exitFullscreen().then(() => 1)")
        page.wait_js("the page back", "!document.fullscreenElement", 10)


def scenario_title_2d(ctx):
    with Browser(extra_args=["--disable-3d-apis"]) as browser, \
            check_title(ctx, browser, "web-title-2d", ("2d",)):
        pass


def paced_rates(page, seconds):
    """Game frames and display frames a second over the next `seconds` of a paced page."""
    page.evaluate(DISPLAY_FRAMES)
    counts = "[tolvoStats.lastFrameNumber, testDisplayFrames, performance.now()]"
    first = page.evaluate(counts)
    time.sleep(seconds)
    last = page.evaluate(counts)
    elapsed = (last[2] - first[2]) / 1000
    return (last[0] - first[0]) / elapsed, (last[1] - first[1]) / elapsed


def check_title(ctx, browser, name, renderers):
    """A page showing the title page, checked: its pace, its pixels, its layout."""
    title = game.expected_title(ctx.native, os.path.join(ctx.native, "Images"), ctx.out)
    page = open_page(ctx, "trace", browser=browser)
    wait_frames(page, "the first frames", 20)
    # Paced to the display: 60 game frames a second on a 60, 120 or 144 Hz display. A busy
    # machine slows the display's frames and the game's alike, so the game's rate is
    # compared with the display's in the same page over the same time (the exact pacing is
    # pacing.test.js's): far faster (unpaced) or far slower (stalled) is a fault; how near
    # 60 it came is a figure for the report (harness/figures.py).
    rate, display = paced_rates(page, 2)
    figures.write(ctx.out, name, {"gameFps": round(rate, 2), "displayFps": round(display, 2)})
    check(display / 3 <= rate <= 2 * display, "the game ran %.1f frames a second on a display "
          "showing %.1f" % (rate, display))
    say("  paced: %.1f game frames a second, the display %.1f" % (rate, display))
    now = frame(page)
    check(now["screen"] == "title", "frame %d shows %s, not title" % (now["frame"], now["screen"]))
    shown = canvas_565(page)
    # The engine's window has a client area a pixel short of 900 x 500 each way (as its
    # original author sized it), so the view shows the page but its last column and row.
    height, width = shown.shape
    check(title.shape[0] - 1 <= height <= title.shape[0] and title.shape[1] - 1 <= width <=
          title.shape[1], "the canvas is %dx%d, not the %dx%d view" % (
              width, height, title.shape[1], title.shape[0]))
    share = float((shown == title[:height, :width]).mean())
    screen.write_png(os.path.join(ctx.out, name + ".png"), screen.rgb_from_565(shown))
    page.screenshot(os.path.join(ctx.out, name + "-page.png"))
    check(share >= TITLE_SHARE, "the canvas shows the title page on only %.2f%% of its pixels"
          % (100 * share))
    info = page_stats(page)
    say("  title page on the canvas: %.2f%% of pixels equal in 5-6-5 (%s, %d frames drawn)"
        % (100 * share, info.get("renderer"), info.get("framesShown", 0)))
    check(info.get("renderer") in renderers, "drawn by %r, not %s" % (info.get("renderer"),
                                                                       " or ".join(renderers)))
    check_layout(page, width, height)
    # Other windows and displays: the largest whole multiple of the view's pixels on the
    # display that fits, or a smaller picture where even one does not.
    for window_width, window_height, ratio in ((1920, 1200, 1), (800, 600, 1), (1280, 800, 2),
                                               (3000, 1800, 1)):
        page.send("Emulation.setDeviceMetricsOverride", {
            "width": window_width, "height": window_height, "deviceScaleFactor": ratio,
            "mobile": False})
        page.wait_js("the page at %dx%d" % (window_width, window_height),
                     "innerWidth == %d" % window_width, 10)
        time.sleep(0.2)
        scale = check_layout(page, width, height)
        say("  at %dx%d, %d device pixels each: the view scaled %.3fx" % (
            window_width, window_height, ratio, scale))
    page.send("Emulation.clearDeviceMetricsOverride")
    return page


def check_layout(page, width, height):
    """The view on the page: its own shape, a whole multiple of its pixels where one fits,
    scaled without smoothing."""
    layout = page.evaluate(
        "(function(c) { var r = c.getBoundingClientRect(), s = c.parentNode.getBoundingClientRect();"
        " return {w: r.width, h: r.height, sw: s.width, sh: s.height, ratio: devicePixelRatio,"
        " rendering: getComputedStyle(c).imageRendering}; })(document.getElementById('screen'))")
    scale = layout["w"] * layout["ratio"] / width
    check(abs(layout["h"] * layout["ratio"] - height * scale) < 1,
          "the view is %sx%s on the page, not in the shape of %dx%d" % (
              layout["w"], layout["h"], width, height))
    fit = min(layout["sw"] * layout["ratio"] / width, layout["sh"] * layout["ratio"] / height)
    expected = math.floor(fit) if fit >= 1 else fit
    check(abs(scale - expected) < 1e-3, "the view is scaled %.3f times on the display, not %.3f"
          % (scale, expected))
    check(layout["w"] <= layout["sw"] + 0.5 and layout["h"] <= layout["sh"] + 0.5,
          "the view (%sx%s) does not fit its %sx%s" % (layout["w"], layout["h"], layout["sw"],
                                                       layout["sh"]))
    check(layout["rendering"] == "pixelated", "the canvas is scaled with %r" % layout["rendering"])
    return scale


# Keys and pads.

def alt_enter(page):
    page.key("AltLeft", "Alt", 18, True, modifiers=1)
    page.key("Enter", "Enter", 13, True, "\r", modifiers=1)
    page.key("Enter", "Enter", 13, False, modifiers=1)
    page.key("AltLeft", "Alt", 18, False)


def scenario_keys(ctx):
    # Four times the speed, so the title and the instructions pass in a few seconds, and
    # the keys still reach the hero before the first muffin does.
    with open_page(ctx, "fps=240&trace&record") as page:
        wait_screen(page, "intro", 60)
        before = canvas_565(page)
        press(page, "Space")
        play = wait_screen(page, "play", 10)
        say("  Space reached the game: play from frame %d" % play["frame"])
        time.sleep(0.2)
        after = canvas_565(page)
        changed = float((before != after).mean())
        check(changed > 0.25, "the canvas hardly changed when play started (%.1f%%)"
              % (100 * changed))
        screen.write_png(os.path.join(ctx.out, "web-play.png"), screen.rgb_from_565(after))
        (start, right), (_, left) = walk(page, "Right", WALK_RIGHT), walk(page, "Left", WALK_LEFT)
        game.check_walks(start, right, left, "the arrow keys")
        say("  arrow keys moved the hero: %s -> %s -> %s" % (start, right, left))
        scrolled = page.evaluate("window.scrollY + document.scrollingElement.scrollTop")
        check(not scrolled, "the page scrolled by %s while the game had the keys" % scrolled)

        # F11 and Alt+Enter are the host's: the page's full screen, on and off.
        for name, toggle in (("F11", lambda: press(page, "F11", 0.05)),
                             ("Alt+Enter", lambda: alt_enter(page))):
            for wanted in (True, False):
                toggle()
                page.wait_js("%s to turn the full screen %s" % (name, "on" if wanted else "off"),
                             "!!document.fullscreenElement == %s" % str(wanted).lower(), 10)
        check(page.evaluate("document.activeElement.id") == "screen", "the game lost the keys")
        say("  F11 and Alt+Enter turned the full screen on and off")

        # The debug log over the game: debug.txt as the engine wrote it, and Escape closes
        # the log without reaching the game.
        log = open_log(page)
        check("WindowsDX: Initialization finished OK." in log, "the debug log shows %r"
              % log[:200])
        press(page, "Escape")
        page.wait_for("the debug log closed", lambda: not is_open(page, "log-view"), 10)
        time.sleep(0.3)
        check(not exit_lines(page), "Escape on the debug log ended the game")
        say("  the debug log shows debug.txt; Escape closed it and not the game")

        # Keys reach the game only while it has the focus; a click on it gives them back.
        check(not shows(page, "hint"), "the page asks for a click while the game has the keys")
        page.evaluate("document.getElementById('screen').blur()")
        page.wait_for("the page asking for a click", lambda: shows(page, "hint"), 5)
        page.click("#screen")
        page.wait_js("the game with the keys again", "document.activeElement.id == 'screen' "
                     "&& document.getElementById('hint').hidden", 5)
        say("  without the focus the page asks for a click, and a click gives the keys back")

        events = recorded(page)
        game.check_recorded(events)
        for kept in ("122", "13"):
            check(not [event for event in events if event[1:] == [kept]],
                  "key %s reached the game: %r" % (kept, events))
        check(shows(page, "recording"), "no button offers the recording")
        say("  the recording holds the keys (%d events)" % len(events))
        press(page, "Escape")
        wait_exit(page, "Escape", 15)
        check(shows(page, "ended"), "the page does not show that the game ended")
        say("  Escape: the page says 'exit 0' and offers to play again")


def scenario_gamepad(ctx):
    with open_page(ctx, "fps=240&trace&record", FAKE_PADS) as page:
        wait_screen(page, "intro", 60)
        page.evaluate("testPads.plug(0)")
        page.wait_for("the page showing the pad", lambda: shows(page, "pad"), 5)

        def button(number, pressed, pad=0):
            return lambda: page.evaluate("testPads.button(%d, %d, %s)" % (
                pad, number, str(pressed).lower()))

        def tap(number, seconds, pad=0):
            button(number, True, pad)()
            time.sleep(seconds)
            button(number, False, pad)()

        tap(0, 0.1)
        play = wait_screen(page, "play", 10)
        say("  A reached the game as Space: play from frame %d" % play["frame"])
        # Unplugged while its D-pad holds Right: the hero stops; plugged in again, the stick.
        start, right = walk_with(page, "the D-pad", WALK_RIGHT, button(15, True),
                                 lambda: page.evaluate("testPads.unplug(0)"))
        check(not shows(page, "pad"), "the page still shows a pad")
        events = recorded(page)
        check(events[-1] == ["up", "39"], "unplugged, the pad's Right ended %r" % events[-1:])
        page.evaluate("testPads.plug(0)")
        _, left = walk_with(page, "the stick", WALK_LEFT,
                            lambda: page.evaluate("testPads.stick(0, -0.9, 0.2)"),
                            lambda: page.evaluate("testPads.stick(0, 0, 0)"))
        game.check_walks(start, right, left, "the pad")
        say("  the D-pad and the stick moved the hero: %s -> %s -> %s; unplugged, the pad let "
            "go of Right" % (start, right, left))
        events = recorded(page)
        game.check_recorded(events)
        say("  the recording holds the pad's keys (%d events)" % len(events))
        # Back quits only when held (60 frames, a quarter of a second at 240 a second).
        page.evaluate("testPads.plug(1)")
        tap(8, 0.03, pad=1)
        time.sleep(0.5)
        check(not exit_lines(page), "a tap of Back ended the game")
        button(8, True, 1)()
        wait_exit(page, "Back held", 10)
        say("  Back tapped did nothing; held, it ended the game (exit 0)")


# The game in the page as the native program: its trace, its sound, its pixels, its box,
# its settings.

def native_demo_trace(ctx):
    """The native headless trace of the demo, unpaced (made once)."""
    if getattr(ctx, "demo_trace", None) is None:
        native_trace = os.path.join(ctx.out, "native-demo", "trace.jsonl")
        status, _, _ = native_run(ctx.native, os.path.dirname(native_trace), {
            "TOLVO_SCRIPT": DEMO, "TOLVO_FPS": "0", "TOLVO_TRACE": native_trace})
        check(status == 0, "the native demo ended with %d" % status)
        with open(native_trace, "rb") as stream:
            ctx.demo_trace = stream.read()
    return ctx.demo_trace


def scenario_demo(ctx):
    expected = native_demo_trace(ctx)
    with open_page(ctx, "script=demo.script&fps=0&trace") as page:
        # A click on the page (not the game) lets it play sound: the trace is made with the
        # sound playing.
        page.wait_js("the page", "!!document.getElementById('keys')", 10)
        page.click("#keys")
        status = ended(page, "the demo", 180)
        got = "".join(line + "\n" for line in trace_lines(page)).encode()
        with open(os.path.join(ctx.out, "web-demo-trace.jsonl"), "wb") as stream:
            stream.write(got)
        check(status == ["exit 0"], "the demo ended with %s" % status)
        audio = audio_stats(page)
        check(audio.get("output") == "worklet" and audio.get("sent", 0) > 0,
              "no sound went to the worklet during the demo: %r" % audio)
    if got != expected:
        got_lines, want_lines = got.split(b"\n"), expected.split(b"\n")
        first = next((i for i, (a, b) in enumerate(zip(got_lines, want_lines)) if a != b),
                     min(len(got_lines), len(want_lines)))
        raise Failure("the browser's trace differs from the native one at line %d (%d lines "
                      "against %d); see web-demo-trace.jsonl" % (first + 1, len(got_lines) - 1,
                                                                 len(want_lines) - 1))
    say("  the demo's trace in the browser equals the native one: %d frames, %d bytes, "
        "with %.1f s of sound played" % (expected.count(b"\n"), len(expected),
                                         audio.get("played", 0) / SOUND_RATE))


def sound_label(page):
    return page.evaluate("(function(l) { return l ? l.textContent : ''; })"
                         "(document.querySelector('#sound .shown'))")


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))] if ordered else 0


def scenario_sound(ctx):
    expected = native_demo_trace(ctx).split(b"\n")
    with open_page(ctx, "trace") as page:
        # The browser's rule: no sound before the player's first click or key press. The
        # game does not wait for it: its frames go on, their sound dropped as it falls due.
        wait_frames(page, "the first frames", 90)
        audio = audio_stats(page)
        check(audio.get("state") == "suspended", "before a click the sound is %r"
              % audio.get("state"))
        check(audio.get("sent") == 0 and audio.get("dropped", 0) > SOUND_RATE,
              "before a click: %s frames sent, %s dropped" % (audio.get("sent"),
                                                               audio.get("dropped")))
        check("click" in sound_label(page), "the page says %r of the sound" % sound_label(page))
        say("  before a click: no sound, %d frames of the game, %.1f s of sound dropped"
            % (frame(page)["frame"], audio["dropped"] / SOUND_RATE))
        clicked = frame(page)["frame"]
        buttons = "JSON.stringify(['log', 'fullscreen'].map(function(id) { return " \
                  "document.getElementById(id).getBoundingClientRect(); }))"
        before = page.evaluate(buttons)
        page.click("#screen")
        wait_audio(page, "the sound to start", "a.state == 'running'", 10)
        # A first click on a button starts the sound too: the button must still be under the
        # pointer when the mouse button comes up.
        check(page.evaluate(buttons) == before, "the page's buttons moved when the sound started")
        wait_audio(page, "two seconds of sound", "a.played >= %d" % (2 * SOUND_RATE), 15)
        audio = audio_stats(page)
        check(audio.get("output") == "worklet", "played by %r, not the worklet"
              % audio.get("output"))
        check(audio["peak"] > 0.01, "the title's tune is silent (peak %.4f)" % audio["peak"])
        latencies = audio["latencies"]
        middle, high = percentile(latencies, 0.5), percentile(latencies, 0.95)
        browser_ms = 1000 * (audio["baseLatency"] + audio["outputLatency"])
        say("  after a click the worklet plays the tune: %.1f s, peak %.3f, %d times dry; "
            "mixed to heard %.0f ms (95%%: %.0f ms, %d chunks; the browser's own output %.0f ms)"
            % (audio["played"] / SOUND_RATE, audio["peak"], audio["underruns"], middle, high,
               len(latencies), browser_ms))
        figures.write(ctx.out, "web-sound", {
            "latencyMedianMs": round(middle, 1), "latency95Ms": round(high, 1),
            "underruns": audio["underruns"], "targetMs": audio["targetMs"],
            "baseLatency": audio["baseLatency"], "outputLatency": audio["outputLatency"],
            "latencies": latencies})
        # What the ring may hold before a sound, and the browser's own output after it,
        # bound the delay; far beyond them the sound queues up. How near the goal it came is
        # for the figures' report.
        allowed = 2 * (audio["targetMs"] + browser_ms)
        check(latencies and middle <= allowed, "a sound is heard %.0f ms after its frame, with "
              "a %d ms ring and %.0f ms of the browser's own" % (middle, audio["targetMs"],
                                                                 browser_ms))
        check("M mutes" in sound_label(page), "the page says %r of the sound" % sound_label(page))
        # M mutes: silence while muted, the tune again after.
        for muted in (True, False):
            press(page, "M")
            time.sleep(0.3)
            page.evaluate("tolvoStats.audio.recentPeak = 0")
            played = audio_stats(page)["played"]
            wait_audio(page, "half a second more of sound", "a.played > %d" % (
                played + SOUND_RATE // 2), 10)
            audio = audio_stats(page)
            check((audio["recentPeak"] == 0) == muted, "%s, the peak is %.4f" % (
                "muted" if muted else "unmuted", audio["recentPeak"]))
        say("  M mutes (silence) and unmutes (the tune)")
        # The sound never touches the game: the title's frames are the native demo's.
        lines = [line.encode() for line in trace_lines(page)]
        check(len(lines) > clicked + 120 and len(lines) < FIRST_SCRIPT_FRAME,
              "%d frames traced" % len(lines))
        differ = [i for i, line in enumerate(lines) if line != expected[i]]
        check(not differ, "the trace differs from the native one at frame %d"
              % (differ[:1] or [0])[0])
        say("  its %d frames traced equal the native ones, before and after the sound began"
            % len(lines))

    # Without Web Audio: one line in debug.txt, and the game plays on.
    with open_page(ctx, "trace", NO_AUDIO) as page:
        wait_frames(page, "frames without sound", 90)
        log = read_file(page, "/game/debug.txt")
        lines = [line.strip() for line in log.splitlines() if line.strip().startswith("Sound")]
        check(len(lines) == 1 and "DirectSoundCreate" in lines[0], "debug.txt says %r" % log)
        check(not page.errors and not sound_label(page), "the page shows %r" % sound_label(page))
        say("  without Web Audio the game plays on; debug.txt: %s" % lines[0])

    # Without worklets: the page's own processor plays the tune.
    with open_page(ctx, "", NO_WORKLETS) as page:
        wait_audio(page, "the sound opened", "!!a.output", 30)
        page.click("#screen")
        wait_audio(page, "a second of sound", "a.played >= %d" % SOUND_RATE, 15)
        audio = audio_stats(page)
        check(audio["output"] == "script-processor" and audio["peak"] > 0.01,
              "without worklets: %r, peak %.4f" % (audio["output"], audio["peak"]))
        say("  without worklets the page's own processor plays it (peak %.3f, heard after "
            "%.0f ms)" % (audio["peak"], percentile(audio["latencies"], 0.5)))


def scenario_pixels(ctx):
    # The demo up to the muffin melting; unpaced, the last frame drawn is one of its last.
    until = 2150
    with open_page(ctx, "script=demo.script&fps=0&frames=%d" % until) as page:
        ended(page, "the run", 120)
        number = page_stats(page)["lastFrameNumber"]
        shown = canvas_565(page)
    check(1800 < number <= until, "the canvas last showed frame %d, not one of play" % number)
    check_native_frame(ctx, shown, number, until, "web-frame-%d.png" % number)
    say("  frame %d on the canvas equals the native frame in every pixel" % number)


def check_native_frame(ctx, shown, number, until, name):
    """A picture (5-6-5, written out as `name`) equals the native demo's frame `number`."""
    folder = empty_folder(ctx.out, name.replace(".png", "-native"))
    status, _, _ = native_run(ctx.native, folder, {
        "TOLVO_SCRIPT": DEMO, "TOLVO_FPS": "0", "TOLVO_FRAMES": str(until),
        "TOLVO_CAPTURE": os.path.join(folder, "frames"), "TOLVO_CAPTURE_EVERY": str(number)})
    check(status == 0, "the native run ended with %d" % status)
    path = os.path.join(folder, "frames", "frame-%06d.png" % number)
    check(os.path.exists(path), "the native run captured no frame %d" % number)
    native = screen.rgb_to_565(np.asarray(Image.open(path).convert("RGB")))
    check(native.shape == shown.shape, "the native frame is %s, the canvas %s" % (
        native.shape, shown.shape))
    screen.write_png(os.path.join(ctx.out, name), screen.rgb_from_565(shown))
    differ = int((native != shown).sum())
    check(differ == 0, "frame %d: %d pixels differ from the native program's" % (number, differ))


def scenario_missing(ctx):
    missing = "titlepage.tif"
    # The native program's own box for the same loss, from the headless host.
    images = os.path.join(empty_folder(ctx.out, "missing-images"), "Images")
    os.makedirs(images)
    source = os.path.abspath(os.path.join(ctx.native, "Images"))
    for name in os.listdir(source):
        if name != missing:
            os.symlink(os.path.join(source, name), os.path.join(images, name))
    status, _, errors = native_run(ctx.native, os.path.join(ctx.out, "missing-native"),
                                   {"TOLVO_FRAMES": "3"}, images)
    boxes = [line for line in errors.splitlines() if line.startswith("[message box] ")]
    check(boxes, "the native program showed no box without %s" % missing)
    # A site whose package lacks the picture.
    site_dir = empty_folder(ctx.out, "missing-site")
    for name in SITE_FILES:
        if name != "game-files.tar.gz":
            shutil.copyfile(os.path.join(ctx.web, name), os.path.join(site_dir, name))
    subprocess.run([sys.executable, os.path.join(ROOT, "engine", "platform", "hosts", "web",
                                                 "make_site.py"),
                    "--files", os.path.join(site_dir, "game-files.tar.gz"),
                    "--pack", os.path.join(ctx.web, "Images"),
                    "--pack", os.path.join(ctx.web, "Sounds"), "--leave-out", "Images/" + missing],
                   check=True, timeout=120)
    with Site(site_dir) as site, open_page(ctx, "trace", site=site) as page:
        # Asked from the moment of navigating, when the page may not be there yet.
        page.wait_for("the message box", lambda: is_open(page, "box"), 30)
        page.screenshot(os.path.join(ctx.out, "web-missing-box.png"))
        shown = page_stats(page)["messageBoxes"][0]
        line = "[message box] %s: %s" % (shown["caption"], shown["text"])
        check(line in errors, "the page's box says %r, the native program's %r" % (
            line, errors))
        on_page = page_text(page, "#box-text")
        check(on_page == shown["text"], "the dialog shows %r" % on_page)
        check(not page_text(page, "#notices"), "the bar shows %r besides the dialog"
              % page_text(page, "#notices"))
        frames = frame(page).get("frame", 0)
        time.sleep(0.5)
        check(frame(page).get("frame", 0) == frames,
              "the game went on while its message box was open")
        say("  the dialog shows the engine's box: %s" % line)
        press(page, "Enter")
        page.wait_for("the dialog to close", lambda: not is_open(page, "box"), 10)
        wait_frames(page, "frames after the dialog", frames + 31, 20)
        say("  Enter dismissed it and the game went on (frame %d)" % frame(page)["frame"])


def scenario_settings(ctx):
    for query, env, page_says in SETTINGS:
        folder = empty_folder(os.path.join(ctx.out, "settings-native"),
                              query.split("&")[0].replace("=", "-"))
        os.symlink("/dev/full", os.path.join(folder, "recording.script"))
        with open(os.path.join(folder, "close.script"), "w") as stream:
            stream.write("5 close\n")
        status, _, errors = native_run(ctx.native, folder, env)
        wanted = [line for line in errors.splitlines() if line and line[0] != "["] + page_says
        with open_page(ctx, query, FULL_DISK) as page:
            page.wait_for("the bar to say %s" % wanted, lambda: all(
                line in page_text(page, "#notices") for line in wanted), 30)
            ends = env["TOLVO_FRAMES"].isdigit()
            if ends:
                said, shown = ended(page, "the run", 60), page_text(page, "#ended-text")
                check(said == ["exit %d" % status] and "(exit %d)" % status in shown,
                      "the page said %s and %r, the native program ended with %d" % (
                          exit_lines(page), shown, status))
            log = open_log(page)
            check(all(line in log for line in wanted), "the debug log lacks some of %s: %r" % (
                wanted, log))
            say("  ?%s: the bar and the debug log show %s%s" % (
                query, wanted, ", then 'exit %d'" % status if ends else ""))


def scenario_measure(ctx):
    with open(DEMO, encoding="utf-8") as stream:
        close = [int(line.split()[0]) for line in stream if line.strip().endswith(" close")]
    frames = close[-1] - 1  # the frames run before the window closes
    transfers, starts = [], []
    for _ in range(3):
        # As on a first visit: past the service worker that earlier checks' pages left.
        with ctx.browser.new_page() as page:
            page.send("Network.setBypassServiceWorker", {"bypass": True})
            page.navigate(ctx.site.url + "index.html")
            page.wait_for("the first frame", lambda: page_stats(page).get("firstFrame"), 30)
            starts.append({name: page_stats(page)[name] for name in START_UP})
            time.sleep(0.3)  # let the last loads report
            transfers.append(sum(size for _, size in page.transferred.values()))
    # Browser and native runs in turns, so that each pair meets the machine alike; the
    # ratio is the middle one of the pairs'. A native frame: the demo's run less a run of
    # one frame (start-up and the end), the better of two each.
    browser_costs, native_costs = [], []
    work = os.path.join(ctx.out, "measure-native")
    for _ in range(5):
        with open_page(ctx, "script=demo.script&fps=0") as page:
            page.wait_for("the end of the demo", lambda: page_stats(page).get("exitTime"), 180)
            info = page_stats(page)
        check(info["exitCode"] == 0, "the demo ended with %s" % info["exitCode"])
        browser_costs.append((info["exitTime"] - info["firstFrame"]) / (frames - 1))
        full, one = (min(native_run(ctx.native, work, dict(settings, TOLVO_FPS="0"))[1]
                         for _ in range(2))
                     for settings in ({"TOLVO_SCRIPT": DEMO}, {"TOLVO_FRAMES": "1"}))
        native_costs.append(1000 * (full - one) / (frames - 1))
    # The demo paced, with WebGL and with the 2D canvas: game frames a second (and the
    # display's, which a busy machine slows as well) over PACED_SECONDS of play.
    paced, display = {}, {}
    with Browser(extra_args=["--disable-3d-apis"]) as browser_2d:
        for renderer, browser in (("webgl", ctx.browser), ("2d", browser_2d)):
            query = "script=demo.script&frames=%d" % (60 * (PACED_SECONDS + 10))
            with open_page(ctx, query, browser=browser) as page:
                page.wait_for("the first frame", lambda: page_stats(page).get("firstFrame"), 30)
                time.sleep(1)
                game_rate, display_rate = paced_rates(page, PACED_SECONDS)
            paced[renderer], display[renderer] = round(game_rate, 2), round(display_rate, 2)
    transfer = max(transfers)
    # All an install keeps: also the manifest, its icons and the worker, not the page's loads.
    site = sum(os.path.getsize(os.path.join(ctx.web, name)) for name in site_files(ctx.web))
    start = {name: round(sorted(run[name] for run in starts)[1], 1) for name in START_UP}
    browser, native = min(browser_costs), min(native_costs)
    ratio = sorted(b / n for b, n in zip(browser_costs, native_costs))[len(browser_costs) // 2]
    measured = {"firstFrameMs": min(run["firstFrame"] for run in starts), "startUpMs": start,
                "browserFrameMs": round(browser, 4), "frameShare": round(browser * 60 / 1000, 3),
                "pacedFps": paced, "displayFps": display, "pacedSeconds": PACED_SECONDS}
    throttle = cpu_throttle()
    # Slowed, the figures are a phone's (against the native program unslowed, no ratio).
    figures.write(ctx.out, "web-measure", dict(
        transferBytes=transfer, siteBytes=site, throttled=dict(measured, throttle=throttle))
                  if throttle > 1
                  else dict(measured, transferBytes=transfer, siteBytes=site,
                            nativeFrameMs=round(native, 4), frameCostRatio=round(ratio, 2),
                            frames=frames, browserRuns=browser_costs, nativeRuns=native_costs))
    # The times depend on the machine and its other work: figures for the report, not checks.
    say("  transfer %.2f MB, the whole site %.2f MB (limit %.0f MB each), first frame %.0f ms "
        "(in the middle run: program ready %.0f, files unpacked %.0f, in the file system %.0f, "
        "first frame %.0f)" % (
            transfer / 1e6, site / 1e6, TRANSFER_LIMIT / 1e6, measured["firstFrameMs"],
            *(start[name] for name in START_UP)))
    say("  unpaced frame %.3f ms in the browser (%.0f%% of a 60 Hz frame), %.3f ms native "
        "(the fastest of %d each): %.2fx in the middle pair" % (
            browser, 100 * measured["frameShare"], native, len(browser_costs), ratio))
    say("  paced demo over %g s: %.1f game frames a second with WebGL (display %.1f), %.1f "
        "with the 2D canvas (display %.1f)" % (PACED_SECONDS, paced["webgl"], display["webgl"],
                                               paced["2d"], display["2d"]))
    check(transfer <= TRANSFER_LIMIT and site <= TRANSFER_LIMIT,
          "the page transfers %d bytes, the site holds %d" % (transfer, site))


SCENARIOS = [("web-title", scenario_title), ("web-title-2d", scenario_title_2d),
             ("web-keys", scenario_keys), ("web-sound", scenario_sound),
             ("web-gamepad", scenario_gamepad), ("web-demo", scenario_demo),
             ("web-pixels", scenario_pixels), ("web-missing", scenario_missing),
             ("web-settings", scenario_settings), ("web-measure", scenario_measure),
             ("web-phone", web_phone.scenario_phone),
             ("web-hidden", web_loop.scenario_hidden)]
from . import web_offline  # noqa: E402  (its checks use this module's)
SCENARIOS += web_offline.SCENARIOS


def run(native, site, out, only=None):
    """The web checks named in `only` (all when empty) on the site folder, in one browser;
    the names of those that failed."""
    for name in SITE_FILES:
        check(os.path.exists(os.path.join(site, name)), "%s is missing (make web)"
              % os.path.join(site, name))
    os.makedirs(out, exist_ok=True)
    ctx = argparse.Namespace(native=native, web=site, out=out)
    with Site(site) as ctx.site, Browser() as ctx.browser:
        return run_scenarios(SCENARIOS, ctx, only, summary=False)
