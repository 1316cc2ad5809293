#!/usr/bin/env bash
# Seeds each fault of faults.txt, one at a time, into a scratch copy of the
# tree, rebuilds it and runs the tests of the program the faulty file belongs
# to (ctest label velmorix or tessaran). Every fault not marked equivalent
# must make a test fail; the working tree and its builds are never touched.
#
#   run.sh PRESET [FAULTS]      e.g. run.sh linux
#
# Exits 1 when a fault survives, 2 when the list no longer fits the code (a
# text not found exactly once, a fault that does not build).
set -u
[ $# -ge 1 ] || { echo "usage: $0 PRESET [FAULTS]" >&2; exit 2; }
preset=$1
top=$(cd "$(dirname "$0")/../.." && pwd)
faults=$(realpath "${2:-$top/tests/mutation/faults.txt}")
scratch=$(mktemp -d "${TMPDIR:-/tmp}/mutation.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# Passable, not listable: the as-user test's plain user loads the build's library.
chmod 0711 "$scratch"
src=$scratch/src build=$scratch/build log=$scratch/log
start=$SECONDS

die() { echo "mutation: $*" >&2; exit 2; }

# The faults, as parallel arrays; a block ends at a blank line.
files=() froms=() tos=() whys=() equivalents=()
add_fault() {
    [ -n "$file" ] || return 0
    files+=("$file") froms+=("$from") tos+=("$to") whys+=("$why") equivalents+=("$equivalent")
    file= from= to= why= equivalent=
}
file= from= to= why= equivalent=
while IFS= read -r line; do
    case "$line" in '#'*) continue ;; '') add_fault; continue ;; esac
    key=${line%% *} value=${line#"${line%% *}"}
    value=${value#"${value%%[! ]*}"}
    case "$key" in
        file | from | to | why | equivalent) printf -v "$key" '%s' "$value" ;;
        *) die "$faults: unknown line: $line" ;;
    esac
done < "$faults"
add_fault

# Replaces text $2 by $3 in file $1; fails unless $2 occurs exactly once.
seed() {
    local text rest
    text=$(cat "$1" && printf x) && text=${text%x}
    rest=${text#*"$2"}
    [ "$rest" != "$text" ] && [[ $rest != *"$2"* ]] || return 1
    printf '%s' "${text%%"$2"*}$3$rest" > "$1"
}

# The tree as it stands, edits not yet committed included, without builds.
mkdir "$src"
(cd "$top" && git ls-files -z --cached --others --exclude-standard |
    tar --null -T - --ignore-failed-read -cf -) | tar -xf - -C "$src"
for i in "${!files[@]}"; do
    cp "$src/${files[$i]}" "$scratch/original" 2> /dev/null && seed "$src/${files[$i]}" "${froms[$i]}" "" ||
        die "${files[$i]}: not exactly once: ${froms[$i]}"
    cp "$scratch/original" "$src/${files[$i]}"
done

# Unoptimised and without debug information: the GoogleTest files compile three
# times faster, and the programs link faster; gold, where there, faster still.
echo "== mutation: building $preset, unoptimised, in $scratch"
linker=()
command -v ld.gold > /dev/null && linker=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=gold)
(cd "$src" && cmake --preset "$preset" -B "$build" -DCMAKE_BUILD_TYPE= "${linker[@]}" > "$log" &&
    cmake --build "$build" -j2 >> "$log") || { cat "$log"; die "the unchanged tree does not build"; }

# The program's tests, quick ones first; the first failure ends the run. A
# failing case leaves its work folder behind: TMPDIR keeps them in scratch.
mkdir "$scratch/tmp"
run_tests() { # label
    local ctest=(env TMPDIR="$scratch/tmp" ctest --test-dir "$build" -j2 --timeout 60 --stop-on-failure -L "^$1\$")
    "${ctest[@]}" -E '^e2e\.' > "$log" 2>&1 && "${ctest[@]}" -R '^e2e\.' >> "$log" 2>&1
}
for label in velmorix tessaran; do
    run_tests "$label" || { cat "$log"; die "the $label tests fail without any fault"; }
done
echo "== mutation: built and tested unchanged in $((SECONDS - start)) s"

killed=0 survived=0 equivalent=0
for i in "${!files[@]}"; do
    file=${files[$i]}
    case "$file" in
        port_tool/* | platform/velmorix/* | ondrel/* | driver_interface/*) label=velmorix ;;
        installer/* | platform/tessaran/*) label=tessaran ;;
        *) die "$file: no program's tests cover it" ;;
    esac
    fault_start=$SECONDS
    cp "$src/$file" "$scratch/original"
    seed "$src/$file" "${froms[$i]}" "${tos[$i]}"
    cmake --build "$build" -j2 > "$log" 2>&1 || { cat "$log"; die "$file: does not build: ${tos[$i]}"; }
    run_tests "$label" && verdict=survived || verdict=killed
    if [ -n "${equivalents[$i]}" ]; then
        equivalent=$((equivalent + 1)) verdict="$verdict, marked equivalent"
    elif [ $verdict = killed ]; then
        killed=$((killed + 1))
    else
        survived=$((survived + 1)) verdict=SURVIVED
    fi
    printf '%-10s %3d s  %s: %s\n' "$verdict" $((SECONDS - fault_start)) "$file" "${whys[$i]}"
    # A fresh time stamp, so that the next build compiles the file again.
    cp "$scratch/original" "$src/$file"
done

echo "== mutation: $killed of $((killed + survived)) faults killed ($equivalent more marked" \
    "equivalent) in $((SECONDS - start)) s"
[ $survived = 0 ]
