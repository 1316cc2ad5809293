#!/usr/bin/env bash
# The registry file the Linux tessaran writes is REGEDIT4 text that Wine's
# `reg import` takes as it is, and it holds exactly the keys and values that
# tessaran.exe writes into Wine's registry. Both are read back with
# `reg export` and compared as registry_listing.sh prints them, and against
# the Linux file's own listing; for a plain install path and for one full of
# the characters REGEDIT4 escapes.
#
#   registry_interop.sh LINUX_BIN WINDOWS_BIN LAUNCHER   (scripts/wine32 or wine64)
set -u
linux_bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/../e2e" && pwd)
. "$here/platform_wine.sh"
wine_setup "$2" "$3"

failures=0
ok=1
fail() { echo "FAIL $case_name: $*"; ok=0; }

# A work folder as the installer finds it: the component beside it and the
# host's system folder, with the registry seeded from seed.reg.
make_work() { # folder seed.reg
    mkdir -p "$1/.e2e" "$1/VisualDSP/system"
    echo "kulvaspe stand-in component" > "$1/kulvaspe.dll"
    mkdir -p "$1/case" && cp "$2" "$1/case/registry.reg"
}

# The listing of a work folder's registry, read again once if it lacks any
# of the five keys: reading changes nothing, and a read under Wine once came
# back short of a whole key.
whole_listing() { # work
    wine_registry_listing "$1" > "$1/.e2e/listing"
    if [ "$(grep -c '^\[' "$1/.e2e/listing")" != 5 ]; then
        echo "note $case_name: $(basename "$1") listing short of keys, reading it again" >&2
        wine_registry_listing "$1" > "$1/.e2e/listing"
    fi
    cat "$1/.e2e/listing"
}

check_install_path() { # name install-path-as-REGEDIT4-text
    case_name=$1
    ok=1
    local work
    work=$(mktemp -d)
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Analog Devices\\VisualDSP++ 4.0]\n"Install Path"="%s"\n' \
        "$2" > "$work/seed.reg"

    # Linux: the stand-in's file, and its listing.
    make_work "$work/linux" "$work/seed.reg"
    cp "$work/seed.reg" "$work/linux/registry.reg"
    (cd "$work/linux" && TESSARAN_REGISTRY=registry.reg "$linux_bin/tessaran" > .e2e/stdout 2>&1)
    "$here/registry_listing.sh" < "$work/linux/registry.reg" > "$work/linux.listing"

    # Wine: that file imported into a cleared registry...
    make_work "$work/imported" "$work/linux/registry.reg"
    wine_registry_seed "$work/imported/case" "$work/imported" || fail "registry not seeded"
    whole_listing "$work/imported" > "$work/imported.listing"

    # ... and tessaran.exe's own writing, from the same seed.
    make_work "$work/wine" "$work/seed.reg"
    wine_registry_seed "$work/wine/case" "$work/wine" || fail "registry not seeded"
    # Only the registration matters here: the copy has no system folder to
    # go to unless the install path is the plain one.
    (cd "$work/wine" && "$wine_launcher" "$wine_bin/tessaran.exe" > .e2e/stdout 2>&1 < /dev/null)
    head -n 1 "$work/wine/.e2e/stdout" | grep -qx $'Created registry keys for Tarnwick\r' \
        || fail "tessaran.exe did not register: $(tr -d '\r' < "$work/wine/.e2e/stdout")"
    whole_listing "$work/wine" > "$work/wine.listing"

    # All five keys with values, or the comparisons prove nothing.
    local keys
    keys=$(grep -c '^\[' "$work/wine.listing")
    [ "$keys" = 5 ] || fail "tessaran.exe left $keys keys with values, not 5"
    cmp -s "$work/imported.listing" "$work/wine.listing" \
        || { fail "imported Linux file and tessaran.exe differ"; diff "$work/imported.listing" "$work/wine.listing"; }
    cmp -s "$work/linux.listing" "$work/wine.listing" \
        || { fail "Linux file and tessaran.exe differ"; diff "$work/linux.listing" "$work/wine.listing"; }

    if [ $ok = 1 ]; then
        echo "ok   $case_name: $keys keys alike"
        rm -rf "$work"
    else
        failures=$((failures + 1))
        echo "     work folder kept: $work"
    fi
}

check_install_path plain-install-path 'VisualDSP\\'
check_install_path escaped-install-path 'Tools\\\"Quoted\\\" \\\\ dir = [x]\\'

[ $failures = 0 ]
