#!/usr/bin/env bash
# The resources of both shipped programs, read back with windres: a manifest
# asking for the caller's own rights on every supported Windows, and version
# strings that carry the project's version and the program's own file name.
#
#   check_resources.sh VERSION WINDRES BIN_DIR
#   e.g. check_resources.sh 1.0.0 i686-w64-mingw32-windres build/win32/bin
set -u
version=$1 windres=$2 bin=$3
# Vista, 7, 8, 8.1, 10 and 11.
supported_os='e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a
              4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78
              8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a'
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for exe in velmorix.exe tessaran.exe; do
    # windres writes the resources as .rc text, with quotes doubled in strings.
    rc=$("$windres" -i "$bin/$exe" -O rc | sed 's/""/"/g')
    has() { grep -qF -- "$1" <<< "$rc" || fail "$exe: no $1"; }
    value() { sed -n "s/^ *VALUE \"$1\", \"\(.*\)\"\$/\1/p" <<< "$rc"; }

    has '1 24 /* RT_MANIFEST */'
    has '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'
    for id in $supported_os; do has "<supportedOS Id=\"{$id}\"/>"; done
    has "FILEVERSION ${version//./, }, 0"
    for name in FileVersion ProductVersion; do
        [ "$(value $name)" = "$version" ] || fail "$exe: $name is '$(value $name)', not $version"
    done
    [ "$(value OriginalFilename)" = "$exe" ] || fail "$exe: OriginalFilename is '$(value OriginalFilename)'"
    [ "$(value InternalName)" = "${exe%.exe}" ] || fail "$exe: InternalName is '$(value InternalName)'"
    [ -n "$(value FileDescription)" ] && [ -n "$(value ProductName)" ] || fail "$exe: no description or product name"
    echo "$exe $(value FileVersion): $(value FileDescription)"
done

[ $failures = 0 ] && echo "manifest and version resources as they should be"
[ $failures = 0 ]
