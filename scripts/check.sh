#!/usr/bin/env bash
# Every test: installs what it needs, builds every preset, runs every suite.
set -euo pipefail
cd "$(dirname "$0")/.."
# The signing check signs with a throwaway key of its own; a maintainer's
# key in the environment would sign the packages the other checks compare.
unset SIGN_PKCS12 SIGN_PASSWORD SIGN_CERT SIGN_KEY SIGN_TIMESTAMP_URL

# Installs the Debian packages named that are not there yet. A package
# removed with its configuration kept is known to dpkg, but not there.
install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f '${Status}\n' "$p" 2> /dev/null | grep -q ' installed$' || missing+=("$p")
    done
    [ ${#missing[@]} -gt 0 ] || return 0
    echo "== installing ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}

build_preset() {
    echo "== $1: build"
    cmake --preset "$1" > /dev/null
    cmake --build --preset "$1" -j2
}

# Each stage's time, printed at the end however the run ends.
stage_names=() stage_seconds=() stage_name= stage_start=$SECONDS
stage() { # NAME: ends the stage before, begins this one
    [ -z "$stage_name" ] || stage_names+=("$stage_name") stage_seconds+=($((SECONDS - stage_start)))
    stage_name=$1 stage_start=$SECONDS
    [ -z "$1" ] || echo "== $1"
}
print_stage_times() {
    local i
    # A run that ends early takes the background differential with it.
    if [ -n "${differential_pid:-}" ]; then
        pkill -P "$differential_pid" 2> /dev/null || true
        kill "$differential_pid" 2> /dev/null || true
    fi
    stage ""
    echo "== stage times"
    for i in "${!stage_names[@]}"; do printf '%6d s  %s\n' "${stage_seconds[$i]}" "${stage_names[$i]}"; done
    printf '%6d s  total\n' $SECONDS
}
trap print_stage_times EXIT

stage "packages"
install_missing cmake ninja-build g++ libgtest-dev pciutils clang clang-format libclang-rt-14-dev valgrind \
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 zip unzip osslsigncode openssl qemu-user-static debootstrap

# The 32-bit Wine root (scripts/wine32, made once per machine) is made while
# every stage that needs no Wine runs: it mostly waits for the package archive.
wine32=$PWD/scripts/wine32
wine32_log=$(mktemp)
"$wine32" --version > "$wine32_log" 2>&1 &
wine32_pid=$!

stage "format"
clang-format --dry-run --Werror $(git ls-files '*.cpp' '*.h')

for preset in linux asan; do
    stage "$preset: build and tests"
    build_preset "$preset"
    ctest --preset "$preset" -j2
done
stage "bus files against lspci"; tests/ondrel/lspci_differential.sh build/linux/bin 3000

# Hardening, against the linux build: each fuzz target for a fixed time,
# kills at random moments, concurrent runs on one registry, valgrind.
stage "fuzz"
tests/fuzz/run.sh 20
stage "hardening"
tests/hardening/crash_safety.sh build/linux/bin 200
tests/hardening/concurrency.sh build/linux/bin 50 8
tests/hardening/valgrind.sh build/linux/bin

# Windows: the MinGW cross builds, their import tables and resources, the
# ZIP users get with its checksums, built twice to the same bytes. The win64
# twin is built and its imports and resources checked, so that the sources
# stay 64-bit clean; it is not shipped, so it is not run.
stage "windows: builds, imports, resources, package"
for preset in win32 win64; do
    build_preset "$preset"
done
tests/windows/check_imports.sh --windows-2000 i686-w64-mingw32-objdump pei-i386 build/win32/bin
tests/windows/check_imports.sh x86_64-w64-mingw32-objdump pei-x86-64 build/win64/bin
version=$(sed -n 's/^project(.* VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
grep -qF "describes version $version." README.md || { echo "FAIL: README.md is not about $version"; exit 1; }
tests/windows/check_resources.sh "$version" i686-w64-mingw32-windres build/win32/bin
tests/windows/check_resources.sh "$version" x86_64-w64-mingw32-windres build/win64/bin
zip=velmorix-tessaran-$version-win32.zip
cmake --build build/win32 --target package_zip > /dev/null
tests/windows/check_package.sh "build/win32/$zip" build/win32/bin
tests/windows/check_readme_txt.sh "build/win32/$zip" "$version" tests/e2e
sums=$(cd build/win32 && sha256sum --strict -c SHA256SUMS) && echo "$sums"
[ "$sums" = "$zip: OK" ] || { echo "FAIL: SHA256SUMS does not cover just $zip"; exit 1; }
stage "windows: win32 again, in a clean folder: the same bytes"
rm -rf build/win32-repro
cmake --preset win32 -B build/win32-repro > /dev/null
cmake --build build/win32-repro --target package_zip -j2 > /dev/null
for file in bin/velmorix.exe bin/tessaran.exe "$zip" SHA256SUMS; do
    cmp "build/win32/$file" "build/win32-repro/$file"
done
echo "== the two builds agree, $zip sha256 $(sha256sum < "build/win32/$zip" | cut -d' ' -f1)"

# The differential check of registry files against Wine's reg import mostly
# waits on Wine, not on the processors: it starts here, once the Wine root
# is there, and runs beside the mutation check and the other Wine suites. Its
# output comes at the end.
differential_log=$(mktemp)
{
    differential_start=$SECONDS
    "$wine32" --version > /dev/null 2>&1 || exit 1  # returns once the root is made
    differential_status=0
    tests/windows/registry_differential.sh build/linux/bin build/win32/bin "$wine32" || differential_status=$?
    echo "== registry differential took $((SECONDS - differential_start)) s"
    exit $differential_status
} > "$differential_log" 2>&1 &
differential_pid=$!

# Seeded faults: every one the tests must catch (tests/mutation/faults.txt).
stage "mutation"
tests/mutation/run.sh linux

stage "32-bit Wine for the win32 suites (set up once per machine, since the start)"
wait $wine32_pid || { cat "$wine32_log"; echo "FAIL: no 32-bit Wine"; exit 1; }
cat "$wine32_log"

# The shipped PE32 programs under 32-bit Wine (scripts/wine32): signed, the
# whole end-to-end suite again (same cases), the port base against msvcrt,
# the registry file interop; then the differential's result.
stage "win32: signed with a throwaway key, twice; end-to-end on the signed programs"
tests/windows/check_signing.sh build/win32 build/win32-repro "$wine32"
stage "win32: end-to-end suite under Wine, build/win32/bin"
tests/e2e/run_cases.sh --bin build/win32/bin --platform win32 --launcher "$wine32" --exe-suffix .exe \
    tests/e2e/cases/*/*
stage "win32: port base against msvcrt's strtoul, build/win32/bin"
tests/windows/port_base_vs_msvcrt.sh build/win32/bin "$wine32"
stage "win32: a Linux registry file imported into Wine, build/win32/bin"
tests/windows/registry_interop.sh build/linux/bin build/win32/bin "$wine32"
stage "win32: Linux registry files against Wine's reg import, file by file (started with the mutation check)"
differential_status=0
wait $differential_pid || differential_status=$?
cat "$differential_log"
[ $differential_status = 0 ] || { echo "FAIL: the registry differential, status $differential_status"; exit 1; }
