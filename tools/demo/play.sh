#!/bin/sh
# Starts the built game for a person. With a display: `play` opens the game in a window,
# `demo` plays the built-in demo there as an attract mode; both paced at 60 frames a
# second. Without a display, both play the demo on the headless host and write it out as
# an animation and a contact sheet.
# Usage: tools/demo/play.sh BUILD play|demo
set -e
build=$1
mode=${2:-play}
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
    echo "$mode: no display (DISPLAY and WAYLAND_DISPLAY are unset), so the built-in demo plays headless instead."
    exec /usr/bin/python3 "$here/demo.py" --build "$build" --out "$build/demo"
fi

export TOLVO_HOST=sdl TOLVO_FPS=60
cd "$build"
if [ "$mode" = demo ]; then
    echo "demo: the built-in demo plays in the window; Esc quits."
    TOLVO_SCRIPT="$here/demo.script" exec ./muffins
fi
echo "Keys: arrows walk, G milk, F rolling pin, T splash milk, R swing pin, P/O pause/resume, Space start, Esc quit."
exec ./muffins
