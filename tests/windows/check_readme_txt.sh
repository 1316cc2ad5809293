#!/usr/bin/env bash
# The users' README.txt, as packed in the ZIP: CRLF throughout, at most 250
# lines of at most 100 characters, this version, and every program message it
# quotes on a line of its own one that the programs print. The messages are
# the end-to-end cases' expected outputs, so that the two cannot drift apart:
# a line quotes a message when its first word (capitalised, or ***) begins a
# line the programs print; driver error codes may differ.
#
#   check_readme_txt.sh ZIP VERSION E2E_DIR
set -eu
zip=$1 version=$2 e2e=$3

readme=$(mktemp)
trap 'rm -f "$readme"' EXIT
unzip -p "$zip" "$(basename "$zip" .zip)/README.txt" > "$readme"

mapfile -t outputs < <(find "$e2e" -path '*expect*' -type f \( -name stdout -o -name 'stderr*' \) | sort)
[ ${#outputs[@]} -gt 0 ] || { echo "FAIL: no expected outputs under $e2e"; exit 1; }

failures=$(awk -v readme="$readme" -v version="$version" '
    function plain(s) {
        sub(/\r$/, "", s); gsub(/^[ \t]+|[ \t]+$/, "", s)
        gsub(/error=[0-9a-f]{8}/, "error=XXXXXXXX", s)
        return s
    }
    function first_word(s) { sub(/ .*/, "", s); return s ~ /^[A-Z*]/ ? s : "" }
    FILENAME != readme { line = plain($0); printed[line] = 1; quoted[first_word(line)] = 1; next }
    {
        text = $0
        if (sub(/\r$/, "", text) == 0) print "README.txt:" FNR ": line not ended by CRLF"
        if (index(text, "\r")) print "README.txt:" FNR ": a CR inside the line"
        if (length(text) > 100) print "README.txt:" FNR ": " length(text) " characters, over 100"
        line = plain(text)
        word = first_word(line)
        if (word != "" && (word in quoted) && !(line in printed))
            print "README.txt:" FNR ": quotes a message no program prints: " line
        if (index(text, "version " version)) said_version = 1
    }
    END {
        if (FNR > 250) print "README.txt: " FNR " lines, over 250"
        if (!said_version) print "README.txt: does not say version " version
    }' "${outputs[@]}" "$readme")

[ -z "$failures" ] || { sed 's/^/FAIL: /' <<< "$failures"; exit 1; }
echo "README.txt: CRLF, $(wc -l < "$readme") lines of at most 100 characters, version $version," \
     "every quoted message printed by a case"
