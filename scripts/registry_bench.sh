#!/usr/bin/env bash
# Times a whole tessaran run (nine registry changes, each written to disk)
# on registry files that also hold 5,000 and 40,000 keys of other programs,
# in both forms, and reports the time, the peak memory and how both grow.
#
#   scripts/registry_bench.sh [BIN_DIR]      (default build/linux/bin, built if missing)
#
# Each figure is the median of five runs, each from a fresh copy of the file.
# Peak memory is the peak resident size; "file's KiB" takes away what the
# same run costs on a registry of one key (the program and its libraries).
. "$(dirname "$0")/bench_setup.sh" tessaran "${1:-}"
mkdir -p "$work/VisualDSP/system"
echo "kulvaspe stand-in component" > "$work/kulvaspe.dll"

median() { sort -n | sed -n 3p; }

# Runs tessaran five times on a copy of $work/original.reg; prints the
# median seconds and peak KiB.
measure() {
    : > "$work/runs"
    for run in 1 2 3 4 5; do
        cp "$work/original.reg" "$work/registry.reg"
        (cd "$work" && TESSARAN_REGISTRY=registry.reg /usr/bin/time -f '%e %M' -o "$work/time" \
            "$bin/tessaran" > "$work/stdout") || { echo "tessaran failed: $(cat "$work/stdout")" >&2; exit 1; }
        cat "$work/time" >> "$work/runs"
    done
    echo "$(cut -d' ' -f1 "$work/runs" | median) $(cut -d' ' -f2 "$work/runs" | median)"
}

tests/common/generate_registry.sh 0 4 > "$work/original.reg"
read -r _ base_kib < <(measure)
echo "a run on a registry of one key: $base_kib KiB at its peak"
printf '%-8s %-5s %10s %9s %10s %8s %12s %8s\n' keys form bytes seconds "peak KiB" "/size" "file's KiB" "/size"
declare -A seconds
for form in 4 5; do
    for keys in 5000 40000; do
        tests/common/generate_registry.sh "$keys" "$form" > "$work/original.reg"
        size=$(stat -c %s "$work/original.reg")
        read -r s kib < <(measure)
        seconds[$form.$keys]=$s
        printf '%-8s %-5s %10s %9s %10s %8s %12s %8s\n' "$keys" "$form" "$size" "$s" "$kib" \
            "$(awk -v k="$kib" -v b="$size" 'BEGIN { printf "%.1f", k * 1024 / b }')" "$((kib - base_kib))" \
            "$(awk -v k="$((kib - base_kib))" -v b="$size" 'BEGIN { printf "%.1f", k * 1024 / b }')"
    done
    awk -v a="${seconds[$form.5000]}" -v b="${seconds[$form.40000]}" -v f="$form" \
        'BEGIN { printf "form %s: eight times the keys took %.1f times the time\n", f, (a > 0 ? b / a : 0) }'
done
