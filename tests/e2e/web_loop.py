"""The web host's loop when the page is hidden, as a browser hides it.

  web-hidden    the demo, paced, with sound; another tab opened over it for five seconds:
                no frame runs and the sound is suspended meanwhile; back, the game goes on
                from the same frame without catching up, and the trace is the native one
"""

import time

from . import web
from .harness.session import check, say

HIDDEN_SECONDS = 5
HIDE_AT = 150  # a frame of the title page, its tune playing
FRAMES = 420


def scenario_hidden(ctx):
    expected = web.native_demo_trace(ctx).split(b"\n")[:FRAMES]
    with web.open_page(ctx, "script=demo.script&trace&frames=%d" % FRAMES) as page:
        # A page that is told it has the focus is never hidden: the tab's real state here.
        page.send("Emulation.setFocusEmulationEnabled", {"enabled": False})
        page.wait_js("the page", "!!document.getElementById('keys')", 10)
        page.click("#keys")  # lets the page play sound
        web.wait_audio(page, "the sound to start", "a.state == 'running'", 10)
        web.wait_frames(page, "the frames before hiding", HIDE_AT)
        # Another tab in front, as a player switching tabs: the page is hidden.
        other = ctx.browser.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        try:
            page.wait_for("the page hidden", lambda: page.evaluate("document.hidden"), 10)
            time.sleep(0.3)  # a frame under way when the page went may finish
            at = web.frame(page)["frame"]
            time.sleep(HIDDEN_SECONDS)
            still = web.frame(page)["frame"]
            sound = web.audio_stats(page).get("state")
        finally:
            ctx.browser.send("Target.closeTarget", {"targetId": other})
        check(still == at, "frames %d to %d ran while the page was hidden" % (at, still))
        check(sound == "suspended", "the sound was %r while the page was hidden" % sound)
        page.wait_for("the page shown", lambda: not page.evaluate("document.hidden"), 10)
        back = time.monotonic()
        web.wait_audio(page, "the sound back", "a.state == 'running'", 10)
        # No burst: the next half second runs about half a second of frames.
        time.sleep(0.5)
        ran = (web.frame(page)["frame"] - still) / (time.monotonic() - back)
        check(ran <= 75, "after the page came back the game ran %.0f frames a second" % ran)
        held = web.page_stats(page)["held"]
        check(held >= 1000 * HIDDEN_SECONDS, "the page counted %.0f ms held" % held)
        web.wait_exit(page, "the run", 60)
        got = [line.encode() for line in web.trace_lines(page)]
    differ = [i for i, (a, b) in enumerate(zip(got, expected)) if a != b]
    check(len(got) == FRAMES and not differ, "the trace (%d frames) differs from the native "
          "one at frame %d" % (len(got), (differ or [len(got)])[0] + 1))
    say("  hidden %d s at frame %d: no frames, the sound suspended; back: %.0f frames a second, "
        "the %d frames traced equal the native ones" % (HIDDEN_SECONDS, at, ran, FRAMES))
