# What the bench scripts share, sourced with the program they time and their
# BIN_DIR argument: the build's programs (the linux preset, built if missing)
# in $bin, /usr/bin/time, and a scratch folder $work removed on exit.
#
#   . scripts/bench_setup.sh PROGRAM [BIN_DIR]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bin=${2:-build/linux/bin}
if [ ! -x "$bin/$1" ]; then
    cmake --preset linux > /dev/null && cmake --build --preset linux > /dev/null
fi
bin=$(cd "$bin" && pwd)
command -v /usr/bin/time > /dev/null 2>&1 || { apt-get update -q && apt-get install -y -q time; } > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
