"""The end-to-end checks' harness, for the native, Windows, web and release checks alike:
session (checks, waits, processes, the scenario runner), xserver, screen, view, wine,
browser, game, figures and pe, each described in its own docstring."""
