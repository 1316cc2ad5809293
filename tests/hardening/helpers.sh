# Sourced by the hardening scripts after they set $bin: the helper programs
# the build made beside the tests (tests/hardening in the build folder), a
# work folder gone at exit, where failing files are kept, and the registry
# the scripts start from.
top_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tools=$(cd "$bin/../tests/hardening" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=$top_dir/build/hardening/failures
reg_case=$top_dir/tests/e2e/cases/tessaran/success

# The registry of other programs and the host, without tessaran's keys and
# without the first line.
other_programs() {
    printf '; kept by other programs\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other Vendor\\Tool]\n'
    printf '"Count"=dword:0000002a\n"Blob"=hex:01,02,03,\\\n  04,05\n"Quoted"="a \\"quoted\\" \\\\ path\\\\"\n\n'
    tail -n +2 "$reg_case/registry.reg"
    printf '\n[HKEY_CLASSES_ROOT\\.other]\n@="Other.File"\n'
}

die() { echo "FAIL: $*" >&2; exit 1; }

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
