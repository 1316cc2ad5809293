#!/usr/bin/env bash
# The Linux tessaran's registry file means to Wine's `reg import` what tessaran.exe leaves in Wine's registry.
#
#   registry_differential.sh LINUX_BIN WINDOWS_BIN LAUNCHER [FILE...]
#   (LAUNCHER: scripts/wine32 for the PE32 build, or wine64)
#
# For each registry file F (either form) the Linux tessaran turns a copy of
# F into R, in F's form. F goes into one fresh Wine registry by `reg import`
# and tessaran.exe runs there; R goes into another. The two must export
# alike: other keys mean what they meant, tessaran's keys are tessaran.exe's.
# Without FILE: registry_cases/*.reg and 3000 generated keys, each in both
# forms, and a real export of Wine's HKLM\SOFTWARE.
set -uo pipefail
linux_bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e/platform_wine.sh"
wine_setup "$2" "$3"
shift 3

failures=0
fail() { echo "FAIL $case_name: $*"; ok=0; }
inputs=$(mktemp -d)
# A second prefix, so that the two sides of an input run at once.
prefix_b=$(wine_new_prefix)
trap 'wine_teardown; WINEPREFIX=$prefix_b wine_teardown; rm -rf "$inputs"' EXIT

# The roots inputs write to; HKEY_CLASSES_ROOT is SOFTWARE\Classes.
roots=('HKEY_LOCAL_MACHINE\SOFTWARE' 'HKEY_CURRENT_USER')
printf 'Created registry keys for Tarnwick\nCopy KULVASPE.DLL\n' > "$inputs/stdout"
sed 's/$/\r/' "$inputs/stdout" > "$inputs/stdout.exe"

is_utf16() { [ "$(head -c 2 "$1" | od -An -tx1)" = " ff fe" ]; }
line_ends() { LC_ALL=C awk '{ n += /\r$/ } END { print n == NR ? "CRLF" : n ? "mixed" : "LF" }' "$1"; }

# A case in both forms: 8-bit (code page 1252) with its own first line and
# line ends, REGEDIT4 or version 5.00, and version 5.00 in UTF-16LE with CRLF.
both_forms() { # case.reg
    local name
    name=$(basename "$1" .reg)
    iconv -f UTF-8 -t CP1252 "$1" > "$inputs/$name-4.reg"
    { printf '\xff\xfe'; sed '1s/.*/Windows Registry Editor Version 5.00/; s/\r*$/\r/' "$1" |
        iconv -f UTF-8 -t UTF-16LE; } > "$inputs/$name-5.reg"
}

# A work folder as the installer finds it: the registry file, the component
# and a system folder under the file's last (relative) Install Path.
make_work() { # folder registry-file
    local install
    install=$(if is_utf16 "$2"; then iconv -f UTF-16LE -t UTF-8 "$2"; else cat "$2"; fi |
        LC_ALL=C sed -n 's/^"install path"="\(.*\)"\r*$/\1/Ip' | tail -n 1 | sed 's/\\\\/\//g')
    mkdir -p "$1/${install%/}/system"
    echo "kulvaspe stand-in component" > "$1/kulvaspe.dll"
    cp "$2" "$1/registry.reg"
}

# Imports the folder's registry.reg into the template's registry, runs
# tessaran.exe if asked, exports the roots to export.txt.
wine_side() { # prefix folder [tessaran.exe]
    local -x WINEPREFIX=$1
    local root status message
    wine_reset_registry
    message=$(wine_run "$2" reg import registry.reg) || { fail "$message"; return 1; }
    if [ $# = 3 ]; then
        (cd "$2" && "$wine_launcher" "$wine_bin/tessaran.exe" > stdout 2>&1 < /dev/null)
        status=$?
        cmp -s "$inputs/stdout.exe" "$2/stdout" ||
            { fail "tessaran.exe: status $status: $(tr -d '\r' < "$2/stdout")"; return 1; }
    fi
    for root in "${roots[@]}"; do
        message=$(wine_run "$2" reg export "$root" export.reg /y) || { fail "$message"; return 1; }
        iconv -f UTF-16LE -t UTF-8 "$2/export.reg" | tr -d '\r' >> "$2/export.txt"
    done
}

check() { # name registry-file
    case_name=$1
    ok=1
    local file=$2 work status start=$SECONDS a b
    work=$(mktemp -d)
    make_work "$work/linux" "$file"
    (cd "$work/linux" && TESSARAN_REGISTRY=registry.reg "$linux_bin/tessaran" > stdout 2> stderr)
    status=$?
    if [ $status != 0 ] || ! cmp -s "$inputs/stdout" "$work/linux/stdout"; then
        fail "tessaran: status $status: $(cat "$work/linux/stdout" "$work/linux/stderr")"
    elif ! cmp -s <(head -n 1 "$file") <(head -n 1 "$work/linux/registry.reg"); then
        fail "tessaran changed the header line, the file's form"
    elif is_utf16 "$file" && ! iconv -f UTF-16LE -t UTF-8 "$work/linux/registry.reg" | awk '!/\r$/ { exit 1 }'; then
        fail "tessaran left a version 5.00 file that is not UTF-16LE with CRLF throughout"
    elif ! is_utf16 "$file" && [ "$(line_ends "$file")" != "$(line_ends "$work/linux/registry.reg")" ]; then
        fail "tessaran changed the line ends of an 8-bit file"
    else
        make_work "$work/wine" "$file"
        make_work "$work/imported" "$work/linux/registry.reg"
        wine_side "$WINEPREFIX" "$work/wine" tessaran.exe & a=$!
        wine_side "$prefix_b" "$work/imported" & b=$!
        wait $a || ok=0
        wait $b || ok=0
        if [ $ok = 1 ] && ! cmp -s "$work/wine/export.txt" "$work/imported/export.txt"; then
            fail "Wine's registry after tessaran.exe (-) and after importing tessaran's file (+) differ:"
            diff -U 1 "$work/wine/export.txt" "$work/imported/export.txt" | sed -n '3,30p'
        fi
    fi
    if [ $ok = 1 ]; then
        echo "ok   $case_name: $(grep -c '^\[' "$work/wine/export.txt") keys alike ($((SECONDS - start)) s)"
        rm -rf "$work"
    else
        failures=$((failures + 1))
        echo "     work folder kept: $work ($((SECONDS - start)) s)"
    fi
}

if [ $# = 0 ]; then
    for f in "$here"/registry_cases/*.reg; do both_forms "$f"; done
    for form in 4 5; do "$here/../common/generate_registry.sh" 3000 $form > "$inputs/generated-$form.reg"; done
    # The template's HKLM\SOFTWARE as reg export writes it, with the host's key.
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Analog Devices\\VisualDSP++ 4.0]\n"Install Path"="VisualDSP\\\\"\n' \
        > "$inputs/seed.reg"
    case_name=real-export
    wine_run "$inputs" reg import seed.reg &&
        wine_run "$inputs" reg export 'HKEY_LOCAL_MACHINE\SOFTWARE' real-export.reg /y || exit 1
    set -- "$inputs"/*-[45].reg "$inputs/real-export.reg"
fi
total_start=$SECONDS
for f in "$@"; do check "$(basename "$f" .reg)" "$f"; done
echo "$# files in $((SECONDS - total_start)) s"
[ $failures = 0 ]
