#!/usr/bin/env bash
# The Windows programs must start on a bare Windows: velmorix.exe imports
# only system DLLs and ondrel.dll (the four UniDrv_* calls, by the plain
# names the card maker's library exports), tessaran.exe only system DLLs.
# The stand-in ondrel.dll exports exactly those four calls.
#
#   check_imports.sh OBJDUMP FORMAT BIN_DIR
#   e.g. check_imports.sh i686-w64-mingw32-objdump pei-i386 build/win32/bin
set -u
objdump=$1 format=$2 bin=$3

system_dlls='advapi32.dll kernel32.dll msvcrt.dll'
unidrv_calls='UniDrv_Open UniDrv_PCI_GetStatus UniDrv_PCI_ReadCfgSpace UniDrv_PCI_WriteCfgData'
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The DLLs a program imports from, lower case, one a line, sorted.
imported_dlls() { # file
    "$objdump" -p "$1" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort
}

# The names a program imports from one DLL, sorted.
imported_names() { # file dll
    "$objdump" -p "$1" | awk -v dll="$2" '
        /^\tDLL Name: / { inside = tolower($3) == dll; next }
        /^$/ { inside = 0 }
        inside && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print $3 }' | sort
}

exported_names() { # file
    "$objdump" -p "$1" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/ s/^\t\[ *[0-9]*\] //p' | sort
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

check_program velmorix.exe ondrel.dll
check_program tessaran.exe ""
imported_dlls "$bin/velmorix.exe" | grep -qx ondrel.dll || fail "velmorix.exe does not import ondrel.dll"
[ "$(imported_names "$bin/velmorix.exe" ondrel.dll)" = "$(words "$unidrv_calls")" ] \
    || fail "velmorix.exe imports from ondrel.dll: $(imported_names "$bin/velmorix.exe" ondrel.dll | tr '\n' ' ')"
[ "$(exported_names "$bin/ondrel.dll")" = "$(words "$unidrv_calls")" ] \
    || fail "ondrel.dll exports: $(exported_names "$bin/ondrel.dll" | tr '\n' ' ')"

[ $failures = 0 ] && echo "imports and exports as they should be"
[ $failures = 0 ]
