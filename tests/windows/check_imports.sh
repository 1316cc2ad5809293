#!/usr/bin/env bash
# The Windows programs must start on a bare Windows: velmorix.exe imports
# only system DLLs and ondrel.dll (the four UniDrv_* calls, by the plain
# names the card maker's library exports), tessaran.exe only system DLLs.
# The stand-in ondrel.dll exports exactly those four calls. With
# --windows-2000 (the shipped 32-bit programs) they must also load on
# Windows 2000 SP4: each function they import is on its DLL's list in
# imports/ (whose heads say how a name gets on), and the subsystem version,
# which the loader refuses when above its own, is at most 5.00.
#
#   check_imports.sh [--windows-2000] OBJDUMP FORMAT BIN_DIR
#   e.g. check_imports.sh --windows-2000 i686-w64-mingw32-objdump pei-i386 build/win32/bin
set -u
windows_2000=false
[ "$1" = --windows-2000 ] && { windows_2000=true; shift; }
objdump=$1 format=$2 bin=$3
lists=$(dirname "$0")/imports

system_dlls='advapi32.dll kernel32.dll msvcrt.dll'
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The DLLs a program imports from, lower case, one a line, sorted.
imported_dlls() { # file
    "$objdump" -p "$1" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort
}

# The names a program imports from one DLL (lower case), sorted.
imported_names() { # file dll
    "$objdump" -p "$1" | awk -v dll="$2" '
        /^\tDLL Name: / { inside = tolower($3) == dll; next }
        /^$/ { inside = 0 }
        inside && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print $3 }' | sort
}

exported_names() { # file
    "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/ s/^\t\[ *[0-9]*\] //p' | sort
}

listed() { # list-file: its names, sorted
    grep -v '^#' "$1" | sort
}

words() { tr ' ' '\n' <<< "$1" | sort; }

check_program() { # name extra-allowed-dll
    local file=$bin/$1 dll
    [ -f "$file" ] || { fail "$file missing"; return; }
    "$objdump" -p "$file" | grep -q "file format $format\$" || fail "$1 is not $format"
    echo "$1 ($(stat -c %s "$file") bytes) imports: $(imported_dlls "$file" | tr '\n' ' ')"
    for dll in $(imported_dlls "$file"); do
        grep -qx "$dll" <(words "$system_dlls $2") || fail "$1 imports $dll"
    done
}

check_loads_on_windows_2000() { # name
    local file=$bin/$1 dll list name subsystem
    [ -f "$file" ] || return
    for dll in $(imported_dlls "$file"); do
        list=$(find "$lists" -maxdepth 1 -iname "$dll.txt")
        [ -n "$list" ] || { fail "$1 imports from $dll, which has no list in $lists"; continue; }
        for name in $(comm -23 <(imported_names "$file" "$dll") <(listed "$list")); do
            fail "$1 imports $name from $dll, not on $list"
        done
    done
    subsystem=$("$objdump" -p "$file" | awk '$1 == "MajorSubsystemVersion" { major = $2 }
        $1 == "MinorSubsystemVersion" { minor = $2 } END { printf "%d.%02d", major, minor }')
    [ "${subsystem/./}" -le 500 ] \
        || fail "$1: MajorSubsystemVersion/MinorSubsystemVersion $subsystem, above Windows 2000's 5.00"
}

check_program velmorix.exe ondrel.dll
check_program tessaran.exe ""
unidrv_calls=$(listed "$lists/ondrel.dll.txt")
imported_dlls "$bin/velmorix.exe" | grep -qx ondrel.dll || fail "velmorix.exe does not import ondrel.dll"
[ "$(imported_names "$bin/velmorix.exe" ondrel.dll)" = "$unidrv_calls" ] \
    || fail "velmorix.exe imports from ondrel.dll: $(imported_names "$bin/velmorix.exe" ondrel.dll | tr '\n' ' ')"
[ "$(exported_names "$bin/ondrel.dll")" = "$unidrv_calls" ] \
    || fail "ondrel.dll exports: $(exported_names "$bin/ondrel.dll" | tr '\n' ' ')"
if $windows_2000; then
    check_loads_on_windows_2000 velmorix.exe
    check_loads_on_windows_2000 tessaran.exe
fi

[ $failures = 0 ] && echo "imports and exports as they should be$($windows_2000 && echo ', on Windows 2000 SP4 and later')"
[ $failures = 0 ]
