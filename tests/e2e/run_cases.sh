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
#   expect/stderr    expected standard error (absent: empty); expect/stderr.PLATFORM,
#                    when present, holds for that platform instead (the stand-ins
#                    explain their own failures there)
#   expect/status    expected exit status (absent: 0)
#   expect/files/    every file here must exist in the work folder with these bytes
#   expect/absent    paths, one a line, that must not exist in the work folder afterwards
#   check            optional script run in the work folder afterwards; must exit 0
#   platforms        optional: the platforms the case applies to, one a line
#                    (linux, win32, win64); absent: every platform
#   uses             optional: files the case shares instead of holding a copy,
#                    one "SOURCE DEST" a line. DEST is a path in the case
#                    folder (files/bus.txt, expect/files/trace.txt, ...), which
#                    the case must not hold itself; the runner reads the case
#                    as if SOURCE's bytes stood there. SOURCE is a path from
#                    the repository's top folder (examples/one-card.bus, or
#                    tests/e2e/fixtures/, where what several cases share
#                    lives), or, starting with ./, from the case folder.
#                    Lines with the same DEST join their sources in order (a
#                    shared trace of the scan, then the case's own last lines).
# and, for tessaran, the registry, which each platform keeps its own way
# (linux: the file TESSARAN_REGISTRY names, here registry.reg in the work
# folder; win32 and win64: Wine's registry in the private prefix):
#   registry.reg          REGEDIT4 text the registry holds before the run
#   registry-unavailable  present: the registry refuses to create the
#                         platform-type key (linux: the registry file lies in
#                         a folder that does not exist)
#   expect/registry       the watched keys and values afterwards, as
#                         registry_listing.sh prints them (keys without values
#                         are left out: the platforms differ in which of those
#                         they keep)
# The program runs in a new session with no terminal and standard input from
# /dev/null, so a key wait returns at once.
#
# Platforms: linux runs the native programs; win32 and win64 run the Windows
# ones under Wine (--platform win32 --launcher scripts/wine32 --exe-suffix
# .exe for the PE32 programs users get; --platform win64 --launcher
# /usr/lib/wine/wine64 for the x86-64 twin; the hooks are in
# platform_wine.sh). The same case files serve all, with two differences the
# runner makes itself:
#   - Line ends on Windows: a Windows program's C library writes standard output
#     and standard error in text mode, turning every \n into \r\n, as Windows
#     programs always have (and Wine passes the bytes on unchanged). So there
#     the expected stdout and stderr are read with each \n as \r\n
#     before the byte comparison; the captured output itself is never
#     altered, so a missing or stray \r still fails. Files the programs write
#     (bus file, trace, copies) are binary and compared as they are.
#   - The trace named by ONDREL_TRACE ends with "close" on Linux, the
#     stand-in's own handle release; on Windows the release is the system's
#     CloseHandle, which the library never sees, so that line is not expected.
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
[ -n "$bin" ] && [ ${#cases[@]} -gt 0 ] || { echo "usage: $0 --bin DIR [--platform linux|win32|win64] [--launcher CMD] [--exe-suffix S] CASE..." >&2; exit 2; }
bin=$(cd "$bin" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)

# The registry as each platform keeps it. seed: before the run, in the work
# folder; listing: afterwards, on standard output.
linux_registry_seed() { # case_dir work
    if [ -f "$1/registry-unavailable" ]; then
        envs+=("TESSARAN_REGISTRY=no-such-folder/registry.reg")
    else
        envs+=("TESSARAN_REGISTRY=registry.reg")
        [ -f "$1/registry.reg" ] && cp "$1/registry.reg" "$2/registry.reg"
    fi
    return 0
}
linux_registry_listing() { # work
    [ -f "$1/registry.reg" ] && "$here/registry_listing.sh" < "$1/registry.reg"
    return 0
}
# The bytes a platform's run must produce, from the case's expected files.
linux_expected_stream() { cat "$1"; }     # expected-file
linux_expected_file() { cat "$2"; }       # relative-path expected-file trace-path

# The hooks each platform's runs go through.
case "$platform" in
    linux) hooks=linux ;;
    win32 | win64) hooks=wine; . "$here/platform_wine.sh"; wine_setup "$bin" "$launcher" ;;
    *) echo "$0: unknown platform $platform" >&2; exit 2 ;;
esac

passed=0 failed=0 skipped=0

fail() { echo "FAIL $case_name: $*"; ok=0; }

# The case as the rest of the run reads it: a copy of its folder with the
# files its uses names laid out in it.
assemble_case() { # case_dir copy
    mkdir "$2" && cp -R "$1/." "$2/"
    [ -f "$1/uses" ] || return 0
    local source dest
    while read -r source dest || [ -n "$source" ]; do
        [ -n "$source" ] || continue
        case "$source" in ./*) source=$1/$source ;; *) source=$top/$source ;; esac
        if [ -e "$1/$dest" ]; then
            fail "uses: $dest is in the case folder too"
        elif [ ! -f "$source" ]; then
            fail "uses: no file $source"
        else
            mkdir -p "$(dirname "$2/$dest")" && cat "$source" >> "$2/$dest" || fail "uses: $dest not laid out"
        fi
    done < "$1/uses"
}

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

    local work out
    work=$(mktemp -d)
    out=$work/.e2e
    mkdir "$out"
    assemble_case "$case_dir" "$out/case"
    case_dir=$out/case
    [ -d "$case_dir/files" ] && cp -R "$case_dir/files/." "$work/"

    local args=()
    if [ -f "$case_dir/args" ]; then
        mapfile -t args < "$case_dir/args"
    fi
    local envs=()
    if [ -f "$case_dir/env" ]; then
        mapfile -t envs < "$case_dir/env"
    fi

    # (Not in a subshell: linux's seed adds to envs.)
    if [ "$program" = tessaran ] && ! "${hooks}_registry_seed" "$case_dir" "$work" > "$out/seed"; then
        fail "registry not seeded: $(cat "$out/seed")"
    fi
    local setting trace=
    for setting in "${envs[@]}"; do
        case "$setting" in ONDREL_TRACE=*) trace=${setting#ONDREL_TRACE=} ;; esac
    done
    (cd "$work" && env "${envs[@]}" setsid -w $launcher "$bin/$program$suffix" "${args[@]}" \
        < /dev/null > "$out/stdout" 2> "$out/stderr")
    local status=$?

    local empty=$out/empty
    : > "$empty"
    local stream
    for stream in stdout stderr; do
        local want=$case_dir/expect/$stream
        [ -f "$want.$platform" ] && want=$want.$platform
        [ -f "$want" ] || want=$empty
        "${hooks}_expected_stream" "$want" > "$out/expected-$stream"
        compare "$out/expected-$stream" "$out/$stream" "$stream"
    done

    local want_status=0
    [ -f "$case_dir/expect/status" ] && want_status=$(tr -d ' \n' < "$case_dir/expect/status")
    [ "$status" = "$want_status" ] || fail "exit status $status, expected $want_status"

    if [ -f "$case_dir/expect/registry" ]; then
        "${hooks}_registry_listing" "$work" > "$out/registry"
        # Reading changes nothing, so a second read that matches shows the
        # registry was right and the first read missed (a read under Wine
        # once came back short of a whole key).
        if ! cmp -s "$case_dir/expect/registry" "$out/registry"; then
            echo "note $case_name: registry listing differs, reading it again"
            "${hooks}_registry_listing" "$work" > "$out/registry"
        fi
        compare "$case_dir/expect/registry" "$out/registry" "registry"
    fi
    if [ -d "$case_dir/expect/files" ]; then
        while IFS= read -r -d '' f; do
            local rel=${f#"$case_dir/expect/files/"}
            if [ -f "$work/$rel" ]; then
                "${hooks}_expected_file" "$rel" "$f" "$trace" > "$out/expected-file"
                compare "$out/expected-file" "$work/$rel" "$rel"
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
