#!/usr/bin/env bash
# Runs the port base comparison with msvcrt's strtoul under Wine, in a
# private prefix made as the end-to-end suite makes its own.
#
#   port_base_vs_msvcrt.sh WINDOWS_BIN LAUNCHER   (scripts/wine32 or wine64)
set -u
. "$(dirname "$0")/../e2e/platform_wine.sh"
wine_setup "$1" "$2"

"$wine_launcher" "$wine_bin/../tests/windows/port_base_vs_msvcrt.exe" < /dev/null
