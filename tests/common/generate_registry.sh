#!/usr/bin/env bash
# Prints a registry file holding N keys of other programs and the host's Install Path.
#
#   generate_registry.sh N [4|5]
#
# 4: REGEDIT4 in code page 1252; 5: version 5.00 in UTF-16LE with a
# byte-order mark; CRLF in both, as regedit writes them. The host's key
# comes halfway, so that other keys stand before and after it.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 N [4|5]" >&2; exit 2; }
form=${2:-4}
LC_ALL=C awk -v n="$1" -v form="$form" '
    # ASCII text as hex(2) data with its NUL, two bytes a character in version 5.00.
    function text_hex(s,    i, out) {
        for (i = 1; i <= length(s) + 1; i++)
            out = out (i > 1 ? "," : "") sprintf("%02x", ord[substr(s, i, 1)]) (form == 5 ? ",00" : "")
        return out
    }
    BEGIN {
        for (i = 32; i < 127; i++) ord[sprintf("%c", i)] = i
        print form == 5 ? "Windows Registry Editor Version 5.00" : "REGEDIT4"
        for (i = 1; i <= n + 1; i++) {
            if (i == int(n / 2) + 1)
                print "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Analog Devices\\VisualDSP++ 4.0]\n\"Install Path\"=\"VisualDSP\\\\\""
            if (i > n) break
            # Every fourth key nests under the one before; some are in HKCR and HKCU.
            parent = i % 4 ? sprintf("Vendor %d\\Product %d", i % 97, i) : parent "\\Part " i
            root = i % 10 == 3 ? "HKEY_CLASSES_ROOT" : i % 10 == 7 ? "HKEY_CURRENT_USER\\Software" : "HKEY_LOCAL_MACHINE\\SOFTWARE"
            printf "\n[%s\\%s]\n", root, parent
            if (i % 2) printf "@=\"default %d\"\n", i
            printf "\"Name\"=\"Grüße %d: \\\"quoted\\\" C:\\\\dir\\\\file.txt\"\n", i
            printf "\"Count\"=dword:%08x\n", i * 2654435761 % 4294967296
            if (i % 3 == 0) {
                printf "\"Blob\"=hex:"
                for (b = 0; b < 60; b++) printf "%02x%s", (i + b * 7) % 256, b == 59 ? "\n" : b % 20 == 19 ? ",\\\n  " : ","
            }
            if (i % 5 == 0) printf "\"Path\"=hex(2):%s\n", text_hex("%SystemRoot%\\app" i)
        }
    }' | sed 's/$/\r/' | if [ "$form" = 5 ]; then
    printf '\xff\xfe'
    iconv -f UTF-8 -t UTF-16LE
else
    iconv -f UTF-8 -t CP1252
fi
