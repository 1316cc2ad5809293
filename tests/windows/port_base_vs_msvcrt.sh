#!/usr/bin/env bash
# Runs the port base comparison with msvcrt's strtoul under wine64, in a
# private prefix made as the end-to-end suite makes its own.
#
#   port_base_vs_msvcrt.sh WIN64_BIN WINE64
set -u
bin=$(cd "$1" && pwd)
launcher=$2
here=$(cd "$(dirname "$0")/../e2e" && pwd)
envs=()
fail() { echo "FAIL: $*"; }
. "$here/platform_win64.sh"
win64_setup

"$launcher" "$bin/../tests/windows/port_base_vs_msvcrt.exe" < /dev/null
