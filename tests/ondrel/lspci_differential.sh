#!/usr/bin/env bash
# Bus files mean to the stand-in what they mean to `lspci -F FILE -D -xxxx`:
# of each of COUNT generated files both read the same functions with the same
# bytes, or both refuse it; where they differ on purpose it is counted. A file
# both read takes a write by the stand-in, which lspci must read back.
#   lspci_differential.sh BIN_DIR [COUNT [SEED]]     (default 3000 files)
set -euo pipefail
tools=$(cd "$1/../tests/ondrel" && pwd)
count=${2:-3000} seed=${3:-$RANDOM}
work=$(mktemp -d) && export work
trap 'rm -rf "$work"' EXIT

# N.bus; with a long line or an unterminated last line, also N.twin, the
# same with that line short or ended, for lspci to read in its place.
awk -v count="$count" -v dir="$work" -v seed="$seed" '
function pick(s,  a) { return a[int(rand() * split(s, a, "|")) + 1] }
function put(text, tail) { body = body text tail eol; twin = twin text eol; if (tail != "") has_twin = 1 }
function long_tail(  s) { while (length(s) < 260 + rand() * 200) s = s "word "; return s }
function byte(at) { return rand() < m ? pick("0|000|zz|AB") : at == 14 && rand() < .3 ? "02" : rand() < .5 ? "00" : sprintf("%02x", int(rand() * 256)) }
function row(offset, count,  s, i) {
    s = sprintf("%0" (rand() < m ? 1 + int(rand() * 9) : 2) pick("x|x|X"), offset) (rand() < m ? pick(":|:\t|:  ") : ": ")
    for (i = 0; i < count; i++)
        s = s (i == 0 ? "" : rand() < m ? pick("\t|  ") : " ") byte(offset + i)
    return s (rand() < m ? pick(" |  |\t") : "")
}
function wide(  s, n) { for (n = 17 + int(rand() * 60); n > 0; n--) s = s " " byte(); put(sprintf("%02x:", 16 * int(rand() * 8)) s) }
function extra(  s, cut) {  # a line lspci -nnvvv 2>&1 or a user may put among the rows
    s = rand() < .1 ? pick("nul|long") : pick("plain|plain|plain|split|blank|outside|wide")
    if (s == "split") { s = row(16 * int(rand() * 16), 16); cut = int(rand() * length(s)); put(substr(s, 1, cut) "pcilib: warning"); put(substr(s, cut + 1)) }
    else if (s == "long") put(pick("# |\tCapabilities: [40] "), long_tail())
    else if (s == "wide") wide()
    else if (s == "outside") { put(""); put(row(0, 16)) }
    else put(s == "nul" ? sprintf("# a%cb", 0) : s == "blank" ? "" : pick("# a comment|# sim: bios-absent|0: 00 00 00| |   |\t|" \
        "\tSubsystem: Device 1c7b:0000|pcilib: sysfs_read_vpd: read failed: No such device"))
}
function function_block(  a, end, o) {
    a = pick("00|01|0a|1") ":" pick("00|09|1f|20|ff|9") "." pick("0|1|8|9|a")
    if (rand() < .3) a = pick("0000|0000|0001|abcd|10000|000|000000") ":" a
    if (rand() < .02) put(a " ", long_tail()); else put(a pick(" Signal processing controller: Device 1c7b:0e26| Host bridge| |  two|\tClass|"))
    for (end = pick("16|48|64|64|128|256|256|4096") + 0; o < end; o += 16) {  # o starts at 0, a local
        if (rand() < m) extra()
        put(row(rand() < m ? pick("0|1|4088|4092|4095|4096|16777215|2147483647") : o, rand() < m ? int(rand() * 18) : 16))
    }
    if (rand() < .2) wide()
}
BEGIN {
    srand(seed)
    for (n = 0; n < count; n++) {
        m = pick("0|0|0|.001|.005|.02"); eol = rand() < .2 ? "\r\n" : "\n"; body = twin = ""; has_twin = 0
        for (k = 1 + int(rand() * 4); k > 0; k--) { if (rand() < .5) extra(); function_block(); if (rand() < .6) put("") }
        if (rand() < .05) { body = body body; twin = twin twin }  # two outputs pasted into one file
        if (rand() < .03) { body = substr(body, 1, length(body) - length(eol)); has_twin = 1 }
        printf "%s", body > (dir "/" n ".bus"); close(dir "/" n ".bus")
        if (has_twin) { printf "%s", twin > (dir "/" n ".twin"); close(dir "/" n ".twin"); print n > (dir "/twins") }
    }
    printf "" > (dir "/twins")
}'
"$tools/bus_file_dump" "$work" "$count" > "$work/ours"

lspci_runs() {  # N...: lspci on each file (its twin if any), then on the stand-in's write into it
    for n; do
        f=$work/$n.bus && [ -f "$work/$n.twin" ] && f=$work/$n.twin
        echo "== $n"; s=0; lspci -n -F "$f" -D -xxxx 2>&1 || s=$?; echo "status $s"
        [ "$s$f" = "0$work/$n.bus" ] && [ -f "$work/$n.written" ] || continue
        echo "== $n written"; s=0; lspci -n -F "$work/$n.written" -D -xxxx 2>&1 || s=$?; echo "status $s"
    done > "$work/lspci.$1"
}
export -f lspci_runs  # -n: no name lookups, which cost most of lspci's time
seq 0 $((count - 1)) | xargs -P 2 -n 200 bash -c 'lspci_runs "$@"' _

awk -v seed="$seed" -v count="$count" '
FILENAME ~ /twins$/ { twin[$0] = 1; next }
/^== / { key = substr($0, 4); theirs = FILENAME !~ /ours$/; if (!theirs) keys[key] = 1; next }
/^$/ { next }
/^(lspci|ondrel): / { why[key, theirs] = $0; $0 = "refused" }
/^[0-9a-f]+:[0-9a-f][0-9a-f]:[0-9a-f][0-9a-f]\.[0-9]( |$)/ { $0 = $1; if (theirs && seen[key, $0]++) twice[key] = 1; if (!theirs && key !~ / / && !/^0000:/) domains++ }
theirs && key !~ / / && /^WARNING/ { short++ }
{ text[key, theirs] = text[key, theirs] $0 "\n" }
END {
    for (k in keys) {
        if (!((k, 1) in text))
            continue  # a written file whose original lspci did not read
        if (text[k, 0] == text[k, 1]) { alike++; writes += k ~ / /; refused += why[k, 0] != ""; long += k in twin && why[k, 0] == ""; continue }
        if (why[k, 0] ~ /given twice/ && twice[k]) { given_twice++; continue }
        failed++; print "FAIL " k (k in twin ? " (lspci read its twin)" : "") ": stand-in " (why[k, 0] ? why[k, 0] : "reads it") ", lspci " (why[k, 1] ? why[k, 1] : "reads it")
        n = split(text[k, 0], a, "\n"); split(text[k, 1], b, "\n")
        for (i = 1; i < n && a[i] == b[i]; i++); print "  stand-in: " a[i] "\n  lspci:    " b[i]
    }
    printf "%d files (seed %s): %d read alike, %d refused by both, %d written and read back alike; on purpose: %d with a long line or an unterminated last one read, %d refused for a function given twice, %d functions under 64 bytes read, %d outside domain 0 never probed; %d FAILED\n", count, seed, alike - writes - refused, refused, writes, long, given_twice, short, domains, failed
    exit (failed > 0)
}' "$work/twins" "$work/ours" "$work"/lspci.*
