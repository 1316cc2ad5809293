#!/usr/bin/env bash
# Runs tessaran many times at once against one registry file shared with
# other programs, and checks that no update is lost.
#
#   concurrency.sh BIN_DIR [ROUNDS] [PROCESSES]     (default 50 rounds of 8)
#
# Every round starts from a registry without tessaran's keys, so that all
# its processes race to add them, holding keys and values of other programs
# (with a fresh key of the round's own at its head and at its tail, CRLF line
# ends every other round). Alongside the tessaran processes as many writers
# add one value each, through the same registry code, to one shared key.
# tessaran writes the same keys and values in every process, so a lost
# update among them alone would not show; a rewrite from a stale or partial
# reading would drop the round's keys or a writer's value. Afterwards the
# file must parse and hold exactly: what it held before the round,
# tessaran's keys and values, and every writer's value.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 BIN_DIR [ROUNDS] [PROCESSES]" >&2; exit 2; }
bin=$(cd "$1" && pwd)
rounds=${2:-50}
processes=${3:-8}
. "$(dirname "$0")/helpers.sh"

registry=$work/registry.reg

hex_of_string() { printf '%s\0' "$1" | od -An -tx1 -v | tr -d ' \n'; }

round_registry() { # round
    {
        printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Hardening\\Round %d Head]\n' "$1"
        printf '"Marker"="head of round %d"\n"Bytes"=hex:%02x,00,ff\n\n' "$1" $(( $1 % 256 ))
        other_programs
        printf '\n[HKEY_CLASSES_ROOT\\Round %d.Tail]\n@="tail of round %d"\n' "$1" "$1"
    } | if [ $(( $1 % 2 )) = 1 ]; then sed 's/$/\r/'; else cat; fi
}

# One process's folder: its own component, the host's system folder.
for p in $(seq "$processes"); do
    mkdir -p "$work/p$p/VisualDSP/system"
    echo "component copied by process $p" > "$work/p$p/kulvaspe.dll"
done

# What tessaran adds, from one run on its own.
mkdir -p "$work/alone/VisualDSP/system"
cp "$work/p1/kulvaspe.dll" "$work/alone/"
round_registry 0 > "$work/alone/registry.reg"
"$tools/registry_dump" "$work/alone/registry.reg" | sort > "$work/alone.before"
(cd "$work/alone" && TESSARAN_REGISTRY=registry.reg "$bin/tessaran" > /dev/null) || die "tessaran fails on its own"
"$tools/registry_dump" "$work/alone/registry.reg" | sort > "$work/alone.after"
comm -13 "$work/alone.before" "$work/alone.after" > "$work/tessaran.lines"
[ -s "$work/tessaran.lines" ] || die "tessaran added nothing on its own"

shared_key='SOFTWARE\Hardening\Writers'
started=$(now_ms)
for round in $(seq "$rounds"); do
    round_registry "$round" > "$registry"
    "$tools/registry_dump" "$registry" | sort > "$work/before"

    pids=()
    for p in $(seq "$processes"); do
        (cd "$work/p$p" && TESSARAN_REGISTRY=$registry exec "$bin/tessaran" > stdout 2> stderr) &
        pids+=($!)
        TESSARAN_REGISTRY=$registry "$tools/registry_set" HKLM "$shared_key" "w$p" "round $round writer $p" &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid" || die "round $round: a process failed (status $?)"
    done

    {
        cat "$work/before" "$work/tessaran.lines"
        echo 'HKEY_LOCAL_MACHINE\SOFTWARE\Hardening\Writers'
        for p in $(seq "$processes"); do
            printf 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Hardening\\Writers\tw%d\t%s\n' "$p" \
                "$(hex_of_string "round $round writer $p")"
        done
    } | sort -u > "$work/expected"
    if ! "$tools/registry_dump" "$registry" | sort > "$work/after" || ! cmp -s "$work/expected" "$work/after"; then
        mkdir -p "$failures"
        cp "$registry" "$failures/concurrency-round-$round.reg"
        diff "$work/expected" "$work/after" | head -20 >&2 || true
        die "round $round: the registry is not what every process wrote; kept in $failures"
    fi
    for p in $(seq "$processes"); do
        cmp -s "$work/p$p/stdout" "$reg_case/expect/stdout" || die "round $round: process $p printed $(cat "$work/p$p/stdout")"
        cmp -s "$work/p$p/VisualDSP/system/kulvaspe.dll" "$work/p$p/kulvaspe.dll" ||
            die "round $round: process $p did not copy its component"
        rm "$work/p$p/VisualDSP/system/kulvaspe.dll"
    done
done
echo "concurrency: $rounds rounds of $processes tessaran processes and $processes writers at once" \
     "in $(( $(now_ms) - started )) ms, 0 failures; each round kept $(wc -l < "$work/before") listed" \
     "keys and values and added $(wc -l < "$work/tessaran.lines") of tessaran's and $((processes + 1)) of the writers'"
