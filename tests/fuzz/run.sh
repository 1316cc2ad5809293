#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs them all, side by side, for a fixed time.
#   tests/fuzz/run.sh [SECONDS_PER_TARGET]    (default 20)
# New inputs go to a scratch folder; the seed corpora here stay as committed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
seconds=${1:-20}
build=$top/build/fuzz

(cd "$top" && cmake --preset fuzz > /dev/null && cmake --build --preset fuzz -j2 > /dev/null)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# All targets at once: each runs for its wall-clock time on whatever core is free.
pids=()
for target in "$build"/bin/*_fuzz; do
    name=$(basename "$target" _fuzz)
    mkdir -p "$scratch/$name"
    "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$scratch/$name-" \
        "$scratch/$name" "$here/corpus/$name" > "$scratch/$name.log" 2>&1 &
    pids+=($!)
done
i=0
for target in "$build"/bin/*_fuzz; do
    name=$(basename "$target" _fuzz)
    log=$scratch/$name.log
    if ! wait "${pids[$i]}"; then
        echo "FUZZ FAILURE in $name:"
        tail -40 "$log"
        kill "${pids[@]}" 2> /dev/null || true
        cp "$scratch"/*crash-* "$scratch"/*leak-* "$top/build/" 2>/dev/null || true
        exit 1
    fi
    i=$((i + 1))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz $name: $runs executions in ${seconds}s, no failure"
done
