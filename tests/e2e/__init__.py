"""End-to-end checks of Muffin Meltdown as a player meets it: python3 -m tests.e2e (native.py,
windows.py, web.py) and python3 -m tests.e2e.release (release.py), on one harness (harness/)."""
