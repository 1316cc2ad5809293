#!/usr/bin/env bash
# tessaran as a plain user over a read-only older kulvaspe.dll: the copy must
# fail as CopyFileA does and leave the old file alone. Root may write any
# file, so as root the run drops to nobody; without a way to do so it skips.
#
#   read_only_copy_as_user.sh BIN_DIR     (exit 77: skipped)
set -u
[ $# -eq 1 ] || { echo "usage: $0 BIN_DIR" >&2; exit 2; }
model=$(cd "$(dirname "$0")/cases/tessaran/older-copy-replaced" && pwd)

as_user=()
if [ "$(id -u)" = 0 ]; then
    command -v setpriv > /dev/null || { echo "skip: root, and no setpriv to run as nobody"; exit 77; }
    as_user=(setpriv --reuid nobody --regid "$(id -g nobody)" --clear-groups)
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$model/files/." "$model/registry.reg" "$1/tessaran" "$work/"
old=$work/VisualDSP/system/kulvaspe.dll
chmod a-w "$old"
[ ${#as_user[@]} = 0 ] || chown -R nobody "$work"

(cd "$work" && TESSARAN_REGISTRY=registry.reg "${as_user[@]}" ./tessaran < /dev/null > stdout)
status=$?

printf '%s\n' "Created registry keys for Tarnwick" \
    "ERROR: Can't copy file KULVASPE.DLL" "ERROR: Can't copy KULVASPE.DLL" > "$work/expected"
ok=1
cmp -s "$work/expected" "$work/stdout" || { echo "FAIL: standard output:"; cat "$work/stdout"; ok=0; }
[ $status = 255 ] || { echo "FAIL: exit status $status, expected 255"; ok=0; }
cmp -s "$model/files/VisualDSP/system/kulvaspe.dll" "$old" || { echo "FAIL: the read-only copy was replaced"; ok=0; }
[ $ok = 1 ] || exit 1
echo "ok   read-only older copy kept, run as ${as_user[*]:-$(id -un)}"
