#!/usr/bin/env bash
# The main job on the bundled example: velmorix finds the card on a
# simulated bus and moves its I/O window, first to the default base, then to 300.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/linux/bin

if [ ! -x "$bin/velmorix" ]; then
    echo "== building (first run only)"
    command -v cmake > /dev/null && command -v ninja > /dev/null && dpkg -s libgtest-dev > /dev/null 2>&1 \
        || { apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q cmake ninja-build g++ libgtest-dev; }
    cmake --preset linux -S "$root" > /dev/null
    cmake --build "$root/build/linux" -j2 > /dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/examples/one-card.bus" "$work/bus.txt"
export ONDREL_SIM=$work/bus.txt ONDREL_TRACE=$work/trace.txt

echo "== velmorix            (bus file: a copy of examples/one-card.bus)"
"$bin/velmorix" || echo "   [exit status $?]"
echo
echo
echo "== velmorix 300        (the same bus, where the first run left the card)"
"$bin/velmorix" 300 || echo "   [exit status $?]"
echo
echo
echo "== the calls into the driver library (ONDREL_TRACE), without the empty slots"
grep -v -- '-> fail$' "$work/trace.txt"
