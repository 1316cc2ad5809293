#!/usr/bin/env bash
# A few end-to-end cases under valgrind: any invalid access, use of
# uninitialised memory or leak makes the program exit 1 and the case fail.
#
#   valgrind.sh BIN_DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BIN_DIR" >&2; exit 2; }
cases=$(cd "$(dirname "$0")/../e2e" && pwd)
"$cases/run_cases.sh" --bin "$1" \
    --launcher "valgrind -q --error-exitcode=1 --leak-check=full" \
    "$cases/cases/velmorix/one-card-port-300" \
    "$cases/cases/velmorix/two-cards-only-last-moved" \
    "$cases/cases/velmorix/failing-read-skips-the-slot" \
    "$cases/cases/velmorix/driver-open-error-from-bus" \
    "$cases/cases/tessaran/success" \
    "$cases/cases/tessaran/older-copy-replaced" \
    "$cases/cases/tessaran/unparsable-registry-left-as-it-was"
