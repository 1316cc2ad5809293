#!/usr/bin/env bash
# Files a plain user may not change, refused as Windows refuses them (the
# stand-ins' error 5) and left as they were: an older read-only kulvaspe.dll
# (CopyFileA fails), a read-only registry or bus file, a bus file of root's
# that a rewrite would hand to the user. A bus file root rewrites for its
# user keeps owner, group and mode. Root may write any file, so as root the
# runs drop to nobody; without a way to do so it skips.
#
#   read_only_copy_as_user.sh BIN_DIR     (exit 77: skipped)
set -u
[ $# -eq 1 ] || { echo "usage: $0 BIN_DIR" >&2; exit 2; }
bin=$(cd "$1" && pwd) e2e=$(cd "$(dirname "$0")" && pwd)
model=$e2e/cases/tessaran/older-copy-replaced

as_user=()
if [ "$(id -u)" = 0 ]; then
    command -v setpriv > /dev/null || { echo "skip: root, and no setpriv to run as nobody"; exit 77; }
    as_user=(setpriv --reuid nobody --regid "$(id -g nobody)" --clear-groups)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%s\n' "Created registry keys for Tarnwick" \
    "ERROR: Can't copy file KULVASPE.DLL" "ERROR: Can't copy KULVASPE.DLL" > "$work/expected"
ok=1
fail() { echo "FAIL: $what: $*"; ok=0; }
# FILE is given MODE and, as root, OWNER; PROGRAM runs as the user (as root if
# WHO says so) and must end with STATUS, print STDOUT (a file), say PATTERN on
# standard error (its lines joined), leave FILE as AFTER holds it ("kept":
# unchanged) and leave its owner, group and mode.
while IFS='|' read -r what program file mode owner who status stdout pattern after; do
    [ ${#as_user[@]} != 0 ] || [ "$owner$who" = nobodyuser ] || continue  # only root can set these up
    rm -rf "$work/run" "$work/before" && mkdir "$work/run" && cd "$work/run" || exit 1
    cp -R "$model/files/." "$model/registry.reg" "$bin/$program" . && cp "$e2e/../../examples/one-card.bus" bus.txt
    [ ${#as_user[@]} = 0 ] || { chown -R "nobody:$(id -g nobody)" . && chown "$owner" "$file"; }
    chmod "$mode" "$file" && cp -p "$file" "$work/before" && [ "$after" != kept ] || after=$work/before
    runner=("${as_user[@]}") && [ "$who" = user ] || runner=()
    TESSARAN_REGISTRY=registry.reg ONDREL_SIM=bus.txt "${runner[@]}" "./$program" < /dev/null > stdout 2> stderr
    got=$? && [ $got = "$status" ] || fail "exit status $got, expected $status"
    cmp -s "$stdout" stdout || { fail "standard output:"; cat stdout; }
    [ -z "$pattern" ] || tr '\n' ' ' < stderr | grep -q "$pattern" || { fail "standard error:"; cat stderr; }
    cmp -s "$after" "$file" || fail "$file not as expected afterwards"
    [ "$(stat -c %U:%G:%a "$file")" = "$(stat -c %U:%G:%a "$work/before")" ] || fail "$file changed hands"
done << EOF
read-only copy|tessaran|VisualDSP/system/kulvaspe.dll|0444|nobody|user|255|$work/expected||kept
read-only registry|tessaran|registry.reg|0444|nobody|user|255|$e2e/cases/tessaran/platform-type-key-unavailable/expect/stdout|registry.reg: Permission denied|kept
read-only bus file|velmorix|bus.txt|0444|nobody|user|255|$e2e/cases/velmorix/write-ignored-card-keeps-its-base/expect/stdout|error 5.*Card not moved|kept
bus file of root|velmorix|bus.txt|0666|root:root|user|255|$e2e/cases/velmorix/write-ignored-card-keeps-its-base/expect/stdout|another user or group.*error 5.*Card not moved|kept
bus file of nobody, root's run|velmorix|bus.txt|0640|nobody|root|0|$e2e/cases/velmorix/one-card-default-port/expect/stdout||$e2e/fixtures/one-card-moved-to-340.bus
EOF
[ $ok = 1 ] || exit 1
echo "ok   read-only files kept, run as ${as_user[*]:-$(id -un)}${as_user[*]:+; a file rewritten by root kept its owner}"
