#!/bin/sh
# Installs the Debian packages a build needs, quickly when all are present. (The tests
# need imagemagick for the demo tools.)
# Usage: tools/deps.sh GROUP...   (groups: build test art play windows e2e bench fuzz web docs)
# As root it runs apt-get; otherwise it prints the line to run.
set -e

pkgs_build="cmake g++ make pkg-config libsdl2-dev libpng-dev"
pkgs_test="libgtest-dev libgmock-dev python3-pil libtiff-tools clang-format imagemagick"
pkgs_art="python3 python3-pil python3-numpy fonts-dejavu-core fonts-comic-neue"
pkgs_play="imagemagick"
pkgs_windows="mingw-w64 g++-mingw-w64-x86-64"
pkgs_e2e="wine wine64 xvfb xdotool x11-apps x11-utils python3-numpy"
# The peers, and the profilers docs/performance.md uses (perf, callgrind).
pkgs_bench="libbenchmark-dev libsdl2-dev libpixman-1-dev libtiff-dev linux-perf valgrind"
pkgs_fuzz="clang libclang-rt-14-dev"
# The browser build (Emscripten brings binaryen and its own clang) and its tests in Chromium.
pkgs_web="cmake make emscripten binaryen chromium nodejs python3"
pkgs_release="desktop-file-utils appstream binutils"
# The engine's API reference (make docs).
pkgs_docs="doxygen"

want=""
for group in "$@"; do
    eval "list=\$pkgs_$group"
    if [ -z "$list" ]; then
        echo "deps: unknown group '$group'" >&2
        exit 2
    fi
    want="$want $list"
done

missing=""
for p in $want; do
    case " $missing " in *" $p "*) continue ;; esac
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $p" ;;
    esac
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "Missing packages. Install them with:"
    echo "  sudo apt-get install -y$missing"
    exit 1
fi

echo "deps: installing$missing"
stamp=/var/lib/apt/periodic/tolvo-update-stamp
if [ ! -f "$stamp" ] || [ -n "$(find "$stamp" -mmin +720 2>/dev/null)" ]; then
    apt-get update -qq
    mkdir -p "$(dirname "$stamp")" && touch "$stamp"
fi
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
