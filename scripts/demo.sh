#!/usr/bin/env bash
# The main job on the bundled examples: velmorix finds the card on a
# simulated bus and moves its I/O window, first to the default base, then to
# 300; tessaran registers the emulator in a registry file and copies its
# component into the host's system folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/linux/bin

if [ ! -x "$bin/velmorix" ]; then
    echo "== building (first run only)"
    command -v cmake > /dev/null && command -v ninja > /dev/null && dpkg-query -W -f '${Status}\n' libgtest-dev 2> /dev/null | grep -q ' installed$' \
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

echo
echo "== tessaran            (in $work/host: a registry file with the host's Install Path,"
echo "                        a stand-in kulvaspe.dll, the host's empty system folder)"
mkdir -p "$work/host/VisualDSP/system"
cd "$work/host"
printf 'stand-in target component\n' > kulvaspe.dll
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Analog Devices\\VisualDSP++ 4.0]\n"Install Path"="VisualDSP\\\\"\n' > tessaran.reg
TESSARAN_REGISTRY=tessaran.reg "$bin/tessaran" || echo "   [exit status $?]"
echo
echo "== the registry file afterwards (tessaran.reg)"
cat tessaran.reg
echo "== the host's system folder afterwards"
ls -l VisualDSP/system
