#!/usr/bin/env bash
# Prints the registry keys tessaran writes, with their values, in one
# canonical form: keys sorted, each followed by its values sorted, CR and
# blank lines gone, hex continuation lines joined, keys without values left
# out. Reads regedit export text (REGEDIT4 or version 5.00, UTF-8) on
# standard input, so that the Linux registry file and a Wine `reg export`
# compare alike.
LC_ALL=C awk '
    BEGIN {
        watched[1] = "hkey_local_machine\\software\\analog devices"
        watched[2] = "hkey_classes_root\\visualdsp.kulvaspe"
        watched[3] = "hkey_classes_root\\clsid\\{5e2b07a4-91c3-4f6d-a8e0-3b7d19c64f52}"
    }
    function is_watched(key,    k, lower, w) {
        lower = tolower(key)
        for (k in watched) {
            w = watched[k]
            if (lower == w || index(lower, w "\\") == 1) return 1
        }
        return 0
    }
    { sub(/\r$/, "") }
    pending != "" { $0 = pending $0; pending = "" }
    /\\$/ && key_on { sub(/\\$/, ""); sub(/^[ \t]+/, "", $0); pending = $0; next }
    /^\[.*\]$/ {
        key = substr($0, 2, length($0) - 2)
        key_on = is_watched(key)
        next
    }
    key_on && /^(@|")/ { gsub(/,[ \t]+/, ","); print key "\001" $0 }
' | sort -t $'\001' -k1,1 -k2 | awk -F $'\001' '
    $1 != key { if (NR > 1) print ""; key = $1; print "[" key "]" }
    { print $2 }
'
