# Sourced by the hardening scripts after they set $bin: the helper programs
# the build made beside the tests (tests/hardening in the build folder).
top_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tools=$(cd "$bin/../tests/hardening" && pwd)

die() { echo "FAIL: $*" >&2; exit 1; }

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
