# Sourced by the hardening scripts: builds their small helper programs from
# the sources here and tessaran's registry stand-in, into build/hardening,
# when they are missing or older than their sources.
hardening_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top_dir=$(cd "$hardening_dir/../.." && pwd)
tools=$top_dir/build/hardening
cxx=${CXX:-c++}

build_helper() { # output source... -- extra flags
    local output=$tools/$1; shift
    local sources=() flags=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do sources+=("$1"); shift; done
    [ $# -gt 0 ] && shift && flags=("$@")
    local stale=0 s
    [ -f "$output" ] || stale=1
    for s in "${sources[@]}"; do [ "$s" -nt "$output" ] && stale=1; done
    [ $stale = 0 ] && return 0
    "$cxx" -std=c++17 -O1 -g -Wall -Wextra -Werror -I"$top_dir/platform" "${flags[@]}" \
        "${sources[@]}" -o "$output"
}

build_helpers() {
    mkdir -p "$tools"
    local p=$top_dir/platform
    build_helper kill_after "$hardening_dir/kill_after.cpp" &&
    build_helper rename_snapshots.so "$hardening_dir/rename_snapshots.cpp" -- -shared -fPIC -ldl &&
    build_helper registry_dump "$hardening_dir/registry_dump.cpp" "$p/tessaran_regfile_linux.cpp" &&
    build_helper registry_set "$hardening_dir/registry_set.cpp" "$p/tessaran_registry_linux.cpp" \
        "$p/tessaran_files_linux.cpp" "$p/tessaran_regfile_linux.cpp"
}

die() { echo "FAIL: $*" >&2; exit 1; }

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
