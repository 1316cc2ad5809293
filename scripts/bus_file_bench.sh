#!/usr/bin/env bash
# Times a whole velmorix run that moves the card to 340 (so the bus file is read,
# rewritten and saved) on bus files of about 10 MB that hold one card and
# otherwise only blank lines, only comments, or only headers of functions
# in other domains, and reports the time, the peak memory and both against
# the file's size.
#
#   scripts/bus_file_bench.sh [BIN_DIR]      (default build/linux/bin, built if missing)
#
# Each figure is the median of three runs, each from a fresh copy of the
# file. Peak memory is the peak resident size; "file's KiB" takes away what
# the same run costs on the bare one-card example (the program and its
# libraries).
. "$(dirname "$0")/bench_setup.sh" velmorix "${1:-}"
size=$((10 * 1024 * 1024))

median() { sort -n | sed -n 2p; }

# Runs velmorix three times on a copy of $work/original.bus; prints the
# median seconds and peak KiB. Every run must print what the bare example's
# run printed: the filler changes nothing the program sees.
measure() {
    : > "$work/runs"
    for run in 1 2 3; do
        cp "$work/original.bus" "$work/card.bus"
        ONDREL_SIM="$work/card.bus" /usr/bin/time -f '%e %M' -o "$work/time" \
            "$bin/velmorix" 340 > "$work/stdout" 2>&1 || true
        if [ -f "$work/expected" ] && ! cmp -s "$work/stdout" "$work/expected"; then
            echo "velmorix printed something else: $(cat "$work/stdout")" >&2
            exit 1
        fi
        cat "$work/time" >> "$work/runs"
    done
    echo "$(cut -d' ' -f1 "$work/runs" | median) $(cut -d' ' -f2 "$work/runs" | median)"
}

# Prints the line (a printf format of the line's number) until the next
# one would take the text past the size.
lines_of() { awk -v size="$size" -v format="$1\n" 'BEGIN {
    for (i = 65536; (n += length(line = sprintf(format, int(i / 65536), int(i / 256) % 256, int(i / 8) % 32, i % 8))) <= size; i++)
        printf "%s", line }'; }

cp examples/one-card.bus "$work/original.bus"
read -r _ base_kib < <(measure)
cp "$work/stdout" "$work/expected"
echo "a run on examples/one-card.bus: $base_kib KiB at its peak"
printf '%-9s %10s %8s %10s %6s %11s %6s\n' filler bytes seconds "peak KiB" /size "file's KiB" /size
for kind in blank comment header; do
    case $kind in
    blank) lines_of "" ;;
    comment) lines_of "# comment" ;;
    # Distinct functions of domains 1 and up, none of them read by the scan.
    header) lines_of "%04x:%02x:%02x.%d " ;;
    esac > "$work/original.bus"
    cat examples/one-card.bus >> "$work/original.bus"
    bytes=$(stat -c %s "$work/original.bus")
    read -r s kib < <(measure)
    printf '%-9s %10s %8s %10s %6s %11s %6s\n' "$kind" "$bytes" "$s" "$kib" \
        "$(awk -v k="$kib" -v b="$bytes" 'BEGIN { printf "%.1f", k * 1024 / b }')" "$((kib - base_kib))" \
        "$(awk -v k="$((kib - base_kib))" -v b="$bytes" 'BEGIN { printf "%.1f", k * 1024 / b }')"
done
