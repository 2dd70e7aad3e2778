#!/usr/bin/env bash
# tests/starter/check.sh NATIVE WINDOWS WEB WORK: what someone starting a game on Tolvo
# does, with nothing but this tree and the Debian packages (no network): the engine of
# each build folder (made with --target tolvo-package) installed into a prefix of its own
# under WORK, then the starter, copied out of the tree, built against each:
#   native   the prefix moved after installing; find_package(Tolvo) only, and its
#            headless test (ctest); then again with pkg-config and a single compiler
#            command, playing the same script to the same trace;
#   Windows  the mingw-w64 toolchain file the prefix holds: starter.exe, its launcher
#            Starter.exe, Images/ and Sounds/;
#   web      the Emscripten toolchain file: the site (page, program, packed files).
# Each step says what it does; the first failure stops the run with its output.
set -euo pipefail
# Without a network where this machine allows it (a namespace of its own), to be sure.
if [ -z "${TOLVO_OFFLINE:-}" ] && unshare -n true 2>/dev/null; then
    TOLVO_OFFLINE=1 exec unshare -n "$0" "$@"
fi
native=$1 windows=$2 web=$3 work=$4
tree=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
cp -r "$tree/templates/starter" "$work/starter"
starter=$work/starter
# What the environment may have set for other runs would change the game's.
unset TOLVO_HOST TOLVO_SCRIPT TOLVO_RECORD TOLVO_FRAMES TOLVO_TRACE TOLVO_CAPTURE TOLVO_FPS
log=$work/log.txt

step() {
    echo "starter-test: $1"
    shift
    if ! "$@" >>"$log" 2>&1; then
        echo "starter-test: FAILED: $*" >&2
        tail -n 40 "$log" >&2
        exit 1
    fi
}
install_engine() { cmake --install "$1" --component engine --prefix "$2"; }
expect_files() {
    local folder=$1
    shift
    for file in "$@"; do
        [ -s "$folder/$file" ] || { echo "missing: $folder/$file"; return 1; }
    done
}
# The script's trace, by the program in FOLDER (with Images/ and Sounds/ beside it).
play() {
    (cd "$1" && TOLVO_HOST=headless TOLVO_FPS=0 TOLVO_SCRIPT="$starter/test/walk.script" \
        TOLVO_TRACE=walk.trace ./starter) && cmp "$1/walk.trace" "$starter/test/walk.trace"
}

# Installed in one place and used from another: the package finds itself where it is.
step "installing the engine ($native) into $work/prefix (by way of another folder)" \
    install_engine "$native" "$work/moved"
mv "$work/moved" "$work/prefix"
step "building the starter with find_package(Tolvo)" \
    cmake -S "$starter" -B "$work/build" -DCMAKE_PREFIX_PATH="$work/prefix"
step "  ... cmake --build" cmake --build "$work/build" -j 2
step "  ... its headless test (ctest)" ctest --test-dir "$work/build" --output-on-failure

pkg=$work/pkg-config
mkdir -p "$pkg"
cp -r "$starter/images" "$pkg/Images"
cp -r "$starter/sounds" "$pkg/Sounds"
export PKG_CONFIG_PATH=$work/prefix/lib/pkgconfig
# shellcheck disable=SC2046 # the flags are words
step "building the starter with pkg-config and one compiler command" \
    c++ -std=c++17 "$starter/starter.cpp" $(pkg-config --cflags --libs tolvo) -o "$pkg/starter"
step "  ... playing its script to the same trace" play "$pkg"
unset PKG_CONFIG_PATH

step "installing the engine ($windows) into $work/prefix-windows" \
    install_engine "$windows" "$work/prefix-windows"
step "building the starter for Windows (mingw-w64)" \
    cmake -S "$starter" -B "$work/build-windows" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$work/prefix-windows/share/tolvo/toolchains/mingw-w64.cmake" \
    -DCMAKE_PREFIX_PATH="$work/prefix-windows"
step "  ... cmake --build" cmake --build "$work/build-windows" -j 2
step "  ... starter.exe, Starter.exe, Images/, Sounds/" expect_files "$work/build-windows" \
    starter.exe Starter.exe Images/floor.tif Sounds/step.wav

step "installing the engine ($web) into $work/prefix-web" install_engine "$web" "$work/prefix-web"
step "building the starter's web site (Emscripten)" \
    cmake -S "$starter" -B "$work/build-web" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$work/prefix-web/share/tolvo/toolchains/emscripten.cmake" \
    -DCMAKE_FIND_ROOT_PATH="$work/prefix-web" -DCMAKE_PREFIX_PATH="$work/prefix-web"
step "  ... cmake --build" cmake --build "$work/build-web" -j 2
step "  ... index.html, starter.js, starter.wasm, game-files.tar.gz" \
    expect_files "$work/build-web/starter-web" index.html starter.js starter.wasm game-files.tar.gz
echo "starter-test: all passed${TOLVO_OFFLINE:+, with no network} (log: $log)"
