"""web-hidden: the paced demo with sound, another tab in front of it for five seconds: no
frame runs and the sound is suspended; back, no catching up, and the native trace."""

import time

from . import web
from .harness.session import check, say


def scenario_hidden(ctx, seconds=5, frames=420):
    expected = web.native_demo_trace(ctx).split(b"\n")[:frames]
    hidden = "document.hidden"
    with web.open_page(ctx, "script=demo.script&trace&frames=%d" % frames) as page:
        # A page told it has the focus is never hidden: the tab's real state here.
        page.send("Emulation.setFocusEmulationEnabled", {"enabled": False})
        page.wait_js("the page", "!!document.getElementById('keys')", 10)
        page.click("#keys")  # lets the page play sound
        web.wait_frames(page, "the title page's tune", 150)
        other = ctx.browser.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        page.wait_js("the page hidden", hidden, 10)
        time.sleep(0.3)  # a frame under way as the page went may finish
        at = web.frame(page)["frame"]
        time.sleep(seconds)
        still, sound = web.frame(page)["frame"], web.audio_stats(page).get("state")
        ctx.browser.send("Target.closeTarget", {"targetId": other})
        page.wait_js("the page shown", "!" + hidden, 10)
        back = time.monotonic()
        time.sleep(0.5)
        rate = (web.frame(page)["frame"] - still) / (time.monotonic() - back)
        check(still == at and sound == "suspended" and rate <= 75, "hidden, frames %d to %d ran "
              "and the sound was %r; back, %.0f frames a second" % (at, still, sound, rate))
        web.wait_exit(page, "the run", 60)
        got = [line.encode() for line in web.trace_lines(page)]
    check(got == expected, "the trace (%d frames) differs from the native one" % len(got))
    say("  hidden %d s at frame %d: no frames, the sound suspended; back at %.0f frames a "
        "second; the %d frames traced are the native ones" % (seconds, at, rate, frames))
