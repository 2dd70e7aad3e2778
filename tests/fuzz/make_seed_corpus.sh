#!/bin/sh
# Seed corpora for the fuzz targets.
# Usage: make_seed_corpus.sh BUILD_DIR
#   BUILD_DIR/fuzz/seed/tiff: the Pillow and tiffcp pictures of the imaging tests
#     (BUILD_DIR/tests/image_tool_pictures), the game's art (BUILD_DIR/Images) and every
#     kept regression input;
#   BUILD_DIR/fuzz/seed/text: a few lines and run-length streams, and the kept inputs;
#   BUILD_DIR/fuzz/seed/wav: the files Python's wave module wrote for the sound tests
#     (BUILD_DIR/tests/wave_tool_files) and every kept regression input.
set -e
build=$1
here=$(cd "$(dirname "$0")" && pwd)
[ -n "$build" ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }

tiff=$build/fuzz/seed/tiff
text=$build/fuzz/seed/text
rm -rf "$tiff" "$text"
mkdir -p "$tiff" "$text"

found=0
for picture in "$build"/tests/image_tool_pictures/*.tif "$build"/Images/*.tif; do
    [ -f "$picture" ] || continue
    folder=$(basename "$(dirname "$picture")")
    cp "$picture" "$tiff/$folder-$(basename "$picture")"
    found=$((found + 1))
done
if [ "$found" = 0 ]; then
    echo "make_seed_corpus: no pictures under $build (build the art and image_tool_pictures)" >&2
    exit 1
fi
for kept in "$here"/regressions/tiff/*; do
    [ -f "$kept" ] && cp "$kept" "$tiff/kept-$(basename "$kept")"
done

# Text inputs: the first byte is GetToken's separator, the rest the line; the same
# bytes also go through the run-length coders.
n=0
seed() {
    n=$((n + 1))
    printf "$1" >"$text/seed-$n"
}
seed ' abc def\n'
seed ',a,b,,c\n'
seed ' \t  word\tnext\n'
seed ' Images\\titlepage.tif 900 500\n'
seed ' last line without newline'
seed '\001\377\007\200\377\000\001\002\003'
seed '\003\001\002\003\004\202\012\176'
for kept in "$here"/regressions/text/*; do
    [ -f "$kept" ] && cp "$kept" "$text/kept-$(basename "$kept")"
done

wav=$build/fuzz/seed/wav
rm -rf "$wav"
mkdir -p "$wav"
for sound in "$build"/tests/wave_tool_files/*.wav "$here"/regressions/wav/*; do
    [ -f "$sound" ] && cp "$sound" "$wav/$(basename "$(dirname "$sound")")-$(basename "$sound")"
done
echo "make_seed_corpus: $(ls "$tiff" | wc -l) TIF seeds, $(ls "$text" | wc -l) text seeds," \
    "$(ls "$wav" | wc -l) WAV seeds"
