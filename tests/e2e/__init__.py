"""End-to-end checks of Muffin Meltdown as a player meets it: the native build (native.py),
the Windows build under Wine (windows.py), the web build in Chromium (web.py), and the
release archives (release.py), on one harness (harness/). Run from the source root:

    python3 -m tests.e2e --native build --windows build-windows --web build-web --out build/e2e
    python3 -m tests.e2e.release --dist dist --native build --release-build build-release --out DIR
"""
