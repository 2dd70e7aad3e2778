"""The end-to-end checks' harness, for the native, Windows, web and release checks alike.

  session   Failure and check, bounded waits, say, sha256, processes stopped by their own
            id, fresh folders, the one scenario runner and the entry points' main
  xserver   throw-away Xvfb screens with real key events; the title page on them
  screen    xwd dumps read every plausible way, 5-6-5 pictures, PNG and PAM files
  view      where the SDL host places its view in a window of any size
  wine      Windows programs under Wine in a private prefix
  browser   headless Chromium over the DevTools pipe, and a site on 127.0.0.1
  game      Muffin Meltdown as the checks meet it: debug.txt, its trace, the title page,
            the hero's walk, the recording, the native program run headless
  figures   the measured times against their goals, reported and never failing
  pe        what a Windows program carries for Explorer (the release checks)
"""
