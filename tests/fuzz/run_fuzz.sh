#!/bin/sh
# Runs each fuzz target for a bounded time on its seed corpus and keeps any input that
# crashes under tests/fuzz/regressions/, where make test replays it from then on.
# Usage: run_fuzz.sh BUILD_DIR SECONDS_PER_TARGET
set -e
build=$1
seconds=${2:-60}
FUZZ_MALLOC_MB=${FUZZ_MALLOC_MB:-256}
FUZZ_RSS_MB=${FUZZ_RSS_MB:-512}
# AddressSanitizer's quarantine of freed memory would otherwise count in the resident size.
export ASAN_OPTIONS="quarantine_size_mb=32${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
here=$(cd "$(dirname "$0")" && pwd)
[ -x "$build/fuzz/fuzz_tiff" ] && [ -x "$build/fuzz/fuzz_text" ] && [ -x "$build/fuzz/fuzz_wav" ] ||
    { echo "run_fuzz: build fuzz_tiff, fuzz_text and fuzz_wav in $build first" >&2; exit 2; }

"$here/make_seed_corpus.sh" "$build"

failed=0
for target in tiff text wav; do
    work=$build/fuzz/work/$target
    artifacts=$build/fuzz/artifacts/$target
    log=$build/fuzz/$target.log
    mkdir -p "$work" "$artifacts"
    options="-max_total_time=$seconds -print_final_stats=1 -close_fd_mask=3 -timeout=60"
    # No input may make a reader allocate much more than it can back: a file of 16 KiB
    # gets its planes within the readers' fixed allowance, so any allocation beyond these
    # limits is a finding.
    options="$options -malloc_limit_mb=$FUZZ_MALLOC_MB -rss_limit_mb=$FUZZ_RSS_MB"
    options="$options -artifact_prefix=$artifacts/"
    if [ "$target" = tiff ]; then
        options="$options -max_len=16384 -dict=$here/tiff.dict"
    fi
    if [ "$target" = wav ]; then
        options="$options -max_len=16384 -dict=$here/wav.dict"
    fi
    echo "fuzz_$target: $seconds s ..."
    status=0
    # shellcheck disable=SC2086
    "$build/fuzz/fuzz_$target" $options "$work" "$build/fuzz/seed/$target" >"$log" 2>&1 ||
        status=$?
    grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 | sed "s/^/fuzz_$target: /" || true
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" |
        sed "s/^/fuzz_$target: /" || true
    if [ "$status" != 0 ]; then
        failed=1
        echo "fuzz_$target: FAILED (status $status); log: $log" >&2
        grep -E 'ERROR|runtime error|SUMMARY|text fuzz|wav fuzz' "$log" | head -5 >&2 || true
        for found in "$artifacts"/*; do
            [ -f "$found" ] || continue
            kept=$here/regressions/$target/$(basename "$found")
            cp "$found" "$kept"
            echo "fuzz_$target: kept $kept (replayed by make test)" >&2
        done
    fi
done
exit $failed
