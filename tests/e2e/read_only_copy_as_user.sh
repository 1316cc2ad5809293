#!/usr/bin/env bash
# Files a plain user may not change, refused as Windows refuses them and left
# as they were: an older read-only kulvaspe.dll (CopyFileA fails), a
# read-only registry file or bus file, and a bus file of another owner, which
# a rewrite would hand to the user (all error 5). As root, a bus file
# rewritten for its user keeps owner, group and mode. Root may write any
# file, so as root the runs drop to nobody; without a way to do so it skips.
#
#   read_only_copy_as_user.sh BIN_DIR     (exit 77: skipped)
set -u
[ $# -eq 1 ] || { echo "usage: $0 BIN_DIR" >&2; exit 2; }
bin=$(cd "$1" && pwd)
cases=$(cd "$(dirname "$0")/cases" && pwd)
bus=$cases/../../../examples/one-card.bus
model=$cases/tessaran/older-copy-replaced

as_user=()
if [ "$(id -u)" = 0 ]; then
    command -v setpriv > /dev/null || { echo "skip: root, and no setpriv to run as nobody"; exit 77; }
    as_user=(setpriv --reuid nobody --regid "$(id -g nobody)" --clear-groups)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s\n' "Created registry keys for Tarnwick" \
    "ERROR: Can't copy file KULVASPE.DLL" "ERROR: Can't copy KULVASPE.DLL" > "$work/copy-refused"
ok=1
fail() { echo "FAIL: $*"; ok=0; }

# run WHAT PROGRAM FILE MODE OWNER [as root]: a fresh work folder, FILE in it
# given MODE and (as root) OWNER; PROGRAM runs, as the plain user unless
# "as root" is given, and leaves its output in $work, $status and $file.
run() {
    rm -rf "$work/run" && mkdir "$work/run" && run=$work/run file=$3
    cp -R "$model/files/." "$model/registry.reg" "$bin/$2" "$run/" && cp "$bus" "$run/bus.txt"
    if [ ${#as_user[@]} != 0 ]; then chown -R "nobody:$(id -g nobody)" "$run" && chown "$5" "$run/$3"; fi
    chmod "$4" "$run/$3"
    cp -p "$run/$3" "$work/before"
    local who=("${as_user[@]}")
    [ "${6:-}" != "as root" ] || who=()
    (cd "$run" && TESSARAN_REGISTRY=registry.reg ONDREL_SIM=bus.txt "${who[@]}" "./$2" \
        < /dev/null > "$work/stdout" 2> "$work/stderr")
    status=$?
    [ "$(stat -c %U:%G:%a "$run/$3")" = "$(stat -c %U:%G:%a "$work/before")" ] || fail "$1: $3 changed hands"
}
# refused WHAT STATUS STDOUT_FILE STDERR_PATTERN (over all lines as one):
# the file was left byte for byte.
refused() {
    cmp -s "$3" "$work/stdout" || { fail "$1: standard output:"; cat "$work/stdout"; }
    [ -z "$4" ] || tr '\n' ' ' < "$work/stderr" | grep -q "$4" || { fail "$1: standard error:"; cat "$work/stderr"; }
    [ $status = "$2" ] || fail "$1: exit status $status, expected $2"
    cmp -s "$work/before" "$run/$file" || fail "$1: $file was changed"
}

# The refusals: run, then what the program must have said, as in the cases
# where the same fails for another reason (velmorix: the card not moved).
reg_refused=$cases/tessaran/platform-type-key-unavailable/expect/stdout
not_moved=$cases/velmorix/write-ignored-card-keeps-its-base/expect/stdout
#    what                  program  file                          mode owner
run  "read-only copy"      tessaran VisualDSP/system/kulvaspe.dll 0444 nobody
refused "read-only copy"   255 "$work/copy-refused" ""
run  "read-only registry"  tessaran registry.reg                  0444 nobody
refused "read-only registry" 255 "$reg_refused" "registry.reg: Permission denied"
run  "read-only bus file"  velmorix bus.txt                       0444 nobody
refused "read-only bus file" 255 "$not_moved" "error 5.*Card not moved"
if [ ${#as_user[@]} != 0 ]; then
    run  "bus file of root" velmorix bus.txt                      0666 root:root
    refused "bus file of root" 255 "$not_moved" "another user or group.*error 5.*Card not moved"
    run  "nobody's bus file, root's run" velmorix bus.txt         0640 nobody "as root"
    [ $status = 0 ] && ! cmp -s "$work/before" "$run/bus.txt" || fail "root's run did not rewrite the bus file"
fi
[ $ok = 1 ] || exit 1
echo "ok   read-only files kept, run as ${as_user[*]:-$(id -un)}; a file rewritten by root kept its owner"
