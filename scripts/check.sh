#!/usr/bin/env bash
# Every test: installs what it needs, builds every preset, runs every suite.
set -euo pipefail
cd "$(dirname "$0")/.."

# Debian packages the build and the tests need.
packages=(cmake ninja-build g++ libgtest-dev pciutils)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" > /dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi

for preset in linux asan; do
    echo "== $preset: build"
    cmake --preset "$preset" > /dev/null
    cmake --build --preset "$preset" -j2
    echo "== $preset: tests"
    ctest --preset "$preset" -j2
done
