#!/usr/bin/env bash
# Runs end-to-end cases against one build of the programs.
#
#   run_cases.sh --bin DIR [--platform NAME] [--launcher CMD] [--exe-suffix SUFFIX] CASE_DIR...
#
# A case is a folder under cases/<program>/:
#   args             one argument per line (absent: no arguments)
#   env              NAME=VALUE lines, set for the run (paths relative to the work folder)
#   files/           copied into a fresh work folder, which is the working directory
#   expect/stdout    expected standard output, byte for byte (absent: empty)
#   expect/stderr    expected standard error (absent: empty)
#   expect/status    expected exit status (absent: 0)
#   expect/files/    every file here must exist in the work folder with these bytes
#   expect/absent    paths, one a line, that must not exist in the work folder afterwards
#   check            optional script run in the work folder afterwards; must exit 0
#   platforms        optional: the platforms the case applies to, one a line
#                    (linux, win64); absent: every platform
# The program runs in a new session with no terminal and standard input from
# /dev/null, so a key wait returns at once.
set -u

bin= launcher= suffix= platform=linux
cases=()
while [ $# -gt 0 ]; do
    case "$1" in
        --bin) bin=$2; shift 2 ;;
        --launcher) launcher=$2; shift 2 ;;
        --exe-suffix) suffix=$2; shift 2 ;;
        --platform) platform=$2; shift 2 ;;
        *) cases+=("$1"); shift ;;
    esac
done
[ -n "$bin" ] && [ ${#cases[@]} -gt 0 ] || { echo "usage: $0 --bin DIR [--launcher CMD] [--exe-suffix S] CASE..." >&2; exit 2; }
bin=$(cd "$bin" && pwd)

passed=0 failed=0 skipped=0

fail() { echo "FAIL $case_name: $*"; ok=0; }

compare() { # expected-file actual-file what
    if ! cmp -s "$1" "$2"; then
        fail "$3 differs"
        diff <(od -c "$1") <(od -c "$2") | head -20
    fi
}

run_case() {
    local case_dir=$1
    case_dir=$(cd "$case_dir" && pwd)
    local program
    program=$(basename "$(dirname "$case_dir")")
    case_name="$program/$(basename "$case_dir")"
    ok=1
    if [ -f "$case_dir/platforms" ] && ! grep -qx "$platform" "$case_dir/platforms"; then
        skipped=$((skipped + 1)); echo "skip $case_name (not for $platform)"
        return
    fi

    local work
    work=$(mktemp -d)
    [ -d "$case_dir/files" ] && cp -R "$case_dir/files/." "$work/"

    local args=()
    if [ -f "$case_dir/args" ]; then
        mapfile -t args < "$case_dir/args"
    fi
    local envs=()
    if [ -f "$case_dir/env" ]; then
        mapfile -t envs < "$case_dir/env"
    fi

    local out=$work/.e2e
    mkdir "$out"
    (cd "$work" && env "${envs[@]}" setsid -w $launcher "$bin/$program$suffix" "${args[@]}" \
        < /dev/null > "$out/stdout" 2> "$out/stderr")
    local status=$?

    local empty=$out/empty
    : > "$empty"
    local stream
    for stream in stdout stderr; do
        local want=$case_dir/expect/$stream
        [ -f "$want" ] || want=$empty
        compare "$want" "$out/$stream" "$stream"
    done

    local want_status=0
    [ -f "$case_dir/expect/status" ] && want_status=$(tr -d ' \n' < "$case_dir/expect/status")
    [ "$status" = "$want_status" ] || fail "exit status $status, expected $want_status"

    if [ -d "$case_dir/expect/files" ]; then
        while IFS= read -r -d '' f; do
            local rel=${f#"$case_dir/expect/files/"}
            if [ -f "$work/$rel" ]; then
                compare "$f" "$work/$rel" "$rel"
            else
                fail "$rel missing"
            fi
        done < <(find "$case_dir/expect/files" -type f -print0)
    fi
    if [ -f "$case_dir/expect/absent" ]; then
        while IFS= read -r rel; do
            [ -z "$rel" ] || [ ! -e "$work/$rel" ] || fail "$rel should not exist"
        done < "$case_dir/expect/absent"
    fi
    if [ -x "$case_dir/check" ]; then
        (cd "$work" && BIN=$bin CASE_DIR=$case_dir "$case_dir/check") || fail "check script failed"
    fi

    if [ $ok = 1 ]; then
        passed=$((passed + 1)); echo "ok   $case_name"
        rm -rf "$work"
    else
        failed=$((failed + 1)); echo "     work folder kept: $work"
    fi
}

for c in "${cases[@]}"; do
    run_case "$c"
done
echo "$passed passed, $failed failed, $skipped skipped"
[ $failed = 0 ]
