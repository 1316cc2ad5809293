#!/usr/bin/env bash
# The ZIP users get holds the two programs, exactly as built and checked,
# and the users' README.txt, in one folder named as the ZIP; nothing of the stand-ins
# (no ondrel.dll).
#
#   check_package.sh ZIP BIN_DIR
set -u
zip=$1 bin=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -f "$zip" ] || { echo "FAIL: $zip missing"; exit 1; }
unzip -l "$zip"

# Every file, without the one folder the archive unpacks into.
entries=$(unzip -Z1 "$zip" | grep -v '/$')
folders=$(sed -n 's|/[^/]*$||p' <<< "$entries" | sort -u)
[ "$(wc -l <<< "$folders")" = 1 ] || fail "not one top folder: $folders"
[ "$folders" = "$(basename "$zip" .zip)" ] || fail "top folder $folders is not named as the ZIP"
names=$(sed 's|.*/||' <<< "$entries" | sort)
[ "$names" = "$(printf '%s\n' README.txt tessaran.exe velmorix.exe)" ] \
    || fail "files are: $(tr '\n' ' ' <<< "$names")"

for program in velmorix.exe tessaran.exe; do
    entry=$(grep "/$program\$" <<< "$entries")
    [ -n "$entry" ] && cmp -s <(unzip -p "$zip" "$entry") "$bin/$program" \
        || fail "$program is not the one in $bin"
done

[ $failures = 0 ] && echo "package holds exactly velmorix.exe, tessaran.exe and README.txt"
[ $failures = 0 ]
