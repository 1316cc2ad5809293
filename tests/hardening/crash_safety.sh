#!/usr/bin/env bash
# Kills tessaran and velmorix with SIGKILL at random moments and checks the
# file each was changing: it must always be one that a run leaves whole.
#
#   crash_safety.sh BIN_DIR [RUNS]      (default 200 runs per program)
#
# tessaran rewrites the registry file once per key or value it adds, so a
# killed run may stop between two of them: the file must then be exactly one
# of the states an uninterrupted run passes through (recorded by preloading
# a rename hook), never a mix or a truncation. velmorix rewrites the bus file
# once: it must be exactly the file before the run or after it; it is given
# the port base the card is not at, so that every run changes the file.
# Temporary files a kill leaves behind are counted, kept until the end and
# shown not to disturb a later run. HARDENING_SEED repeats a sequence of
# kill moments.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 BIN_DIR [RUNS]" >&2; exit 2; }
bin=$(cd "$1" && pwd)
runs=${2:-200}
. "$(dirname "$0")/helpers.sh"

seed=${HARDENING_SEED:-$(( $(date +%s) % 32768 ))}
RANDOM=$seed
echo "crash safety: seed $seed"

hash_of() { md5sum < "$1" | cut -d' ' -f1; }
random_below() { echo $(( (RANDOM * 32768 + RANDOM) % $1 )); }

# The middle one of five uninterrupted runs, in microseconds: kills are
# spread from start-up to past that, so most land within a run. tessaran's
# window is three times as long: its nine flushed rewrites take much longer
# under a loaded disk than when measured, and later states must be hit too.
typical_run() { # command...
    local times=() i how status us
    for i in 1 2 3 4 5; do
        read -r how status us < <("$tools/kill_after" never "$@")
        [ "$how $status" = "exit 0" ] || die "uninterrupted $* ended: $how $status"
        times+=("$us")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

keep_failure() { # file what
    mkdir -p "$failures"
    cp "$1" "$failures/$(basename "$1").$2"
    die "$2: file is no state a run leaves; kept in $failures"
}

# ---------------------------------------------------------------- tessaran
t=$work/tessaran
mkdir -p "$t"
cp -R "$reg_case/files/." "$t/"
registry=$t/registry.reg
{ echo REGEDIT4; echo; other_programs; } | sed 's/$/\r/' > "$work/state.0"
"$tools/registry_dump" "$work/state.0" > /dev/null

# Every state of an uninterrupted run, in order.
cp "$work/state.0" "$registry"
(cd "$t" && TESSARAN_REGISTRY=$registry SNAPSHOT_WATCH=$registry SNAPSHOT_PREFIX=$work/state \
    LD_PRELOAD=$tools/rename_snapshots.so ASAN_OPTIONS=verify_asan_link_order=0 \
    "$bin/tessaran" > /dev/null) || die "tessaran fails without a kill"
declare -A reg_state
last=0
while [ -f "$work/state.$((last + 1))" ]; do last=$((last + 1)); done
[ $last -gt 0 ] || die "no registry rewrite recorded"
for k in $(seq 0 $last); do
    "$tools/registry_dump" "$work/state.$k" > /dev/null || die "state $k does not parse"
    reg_state[$(hash_of "$work/state.$k")]=$k
done
cmp -s "$work/state.$last" "$registry" || die "the last recorded state is not the file"
grep -q 'Other Vendor' "$work/state.$last" || die "unrelated keys lost"

rm -f "$t/VisualDSP/system/kulvaspe.dll"
cp "$work/state.0" "$registry"
typical=$(cd "$t" && TESSARAN_REGISTRY=$registry typical_run "$bin/tessaran")

declare -A seen
killed=0 finished=0 leftovers=0
started=$(now_ms)
for run in $(seq "$runs"); do
    cp "$work/state.0" "$registry"
    rm -f "$t/VisualDSP/system/kulvaspe.dll"
    delay=$(random_below $((typical * 3 + 1)))
    read -r how _ < <(cd "$t" && TESSARAN_REGISTRY=$registry "$tools/kill_after" "$delay" "$bin/tessaran")
    [ "$how" = killed ] && killed=$((killed + 1)) || finished=$((finished + 1))
    k=${reg_state[$(hash_of "$registry")]:-}
    [ -n "$k" ] || keep_failure "$registry" "tessaran-run-$run-delay-$delay"
    seen[$k]=$(( ${seen[$k]:-0} + 1 ))
    dll=$t/VisualDSP/system/kulvaspe.dll
    if [ -e "$dll" ] && ! cmp -s "$dll" "$t/kulvaspe.dll"; then
        keep_failure "$dll" "tessaran-run-$run-delay-$delay"
    fi
done
leftovers=$(find "$t" -name 'registry.reg.??????' -o -name 'kulvaspe.dll.??????' | wc -l)
histogram=
for k in $(seq 0 $last); do histogram+=" $k:${seen[$k]:-0}"; done
echo "tessaran: $runs runs in $(( $(now_ms) - started )) ms (a run takes ${typical} us): $killed killed," \
     "$finished finished, 0 failures; registry state after k of $last rewrites:$histogram;" \
     "$leftovers temporary files left by kills"

# What kills leave behind is never taken for the file.
cp "$work/state.0" "$registry"
rm -f "$t/VisualDSP/system/kulvaspe.dll"
(cd "$t" && TESSARAN_REGISTRY=$registry "$bin/tessaran" > /dev/null) || die "tessaran fails after the kills"
cmp -s "$registry" "$work/state.$last" || die "a run among leftovers writes another registry"
cmp -s "$t/VisualDSP/system/kulvaspe.dll" "$t/kulvaspe.dll" || die "a run among leftovers copies another file"

# ---------------------------------------------------------------- velmorix
bus_case=$top_dir/examples/one-card.bus
v=$work/velmorix
mkdir -p "$v"
bus=$v/bus.txt
run_velmorix() { # file port
    ONDREL_SIM=$1 "$bin/velmorix" "$2" > /dev/null || die "velmorix $2 fails without a kill"
}
cp "$bus_case" "$work/at-300"; run_velmorix "$work/at-300" 300
cp "$work/at-300" "$work/at-340"; run_velmorix "$work/at-340" 340
cp "$work/at-340" "$work/again-300"; run_velmorix "$work/again-300" 300
cmp -s "$work/at-300" "$work/again-300" || die "moving the card back and forth does not give the same file"
! cmp -s "$work/at-300" "$work/at-340" || die "the two port bases give the same file"
for f in "$bus_case" "$work/at-300" "$work/at-340"; do
    lspci -F "$f" -xxx > /dev/null || die "lspci cannot read $f"
done
at_300=$(hash_of "$work/at-300")
at_340=$(hash_of "$work/at-340")

cp "$bus_case" "$bus"
typical=$(ONDREL_SIM=$bus typical_run "$bin/velmorix" 300)
killed=0 finished=0 changed=0
started=$(now_ms)
for run in $(seq "$runs"); do
    before=$(hash_of "$bus")
    if [ "$before" = "$at_300" ]; then port=340 after=$at_340; else port=300 after=$at_300; fi
    delay=$(random_below $((typical * 6 / 5 + 1)))
    read -r how _ < <(ONDREL_SIM=$bus "$tools/kill_after" "$delay" "$bin/velmorix" $port)
    [ "$how" = killed ] && killed=$((killed + 1)) || finished=$((finished + 1))
    now=$(hash_of "$bus")
    [ "$now" = "$before" ] || [ "$now" = "$after" ] || keep_failure "$bus" "velmorix-run-$run-delay-$delay"
    [ "$now" = "$after" ] && changed=$((changed + 1))
    lspci -F "$bus" -xxx > /dev/null || keep_failure "$bus" "velmorix-run-$run-lspci"
done
leftovers=$(find "$v" -name 'bus.txt.??????' | wc -l)
echo "velmorix: $runs runs in $(( $(now_ms) - started )) ms (a run takes ${typical} us): $killed killed," \
     "$finished finished, 0 failures; file moved on in $changed, left as it was in $((runs - changed));" \
     "$leftovers temporary files left by kills"

# A later run reads the bus file, never a leftover, and saves as usual.
before=$(hash_of "$bus")
if [ "$before" = "$at_300" ]; then port=340 after=$at_340; else port=300 after=$at_300; fi
run_velmorix "$bus" $port
[ "$(hash_of "$bus")" = "$after" ] || die "a run among leftovers writes another bus file"
