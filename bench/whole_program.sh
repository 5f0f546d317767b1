#!/usr/bin/env bash
# Whole-program throughput on three files of N point lines made from a fixed seed (bench/make_points):
#   mixed  W lines with 7 decimals and P lines with 4, at random, one space apart, LF;
#   gnss   W lines with 9 decimals and P lines with 4, alternating, LF;
#   field  CR LF, a tab or two spaces in one gap of ten, W with 6-10 decimals, P with 2-4, 1% bad lines.
#
#   bench/whole_program.sh [lines] [rounds]        (defaults: 1000000 lines, 7 rounds)
#
# Each round runs, for each file in turn: zelmor; the two conversions alone on the same points (read
# before the clock starts), one point at a time and in groups as the batch forms convert them; the same
# batch loop written the plain fgets/sscanf/fprintf way; and, where
# PROJ's cs2cs is installed, cs2cs on the geodetic points of the mixed file. With ZELMOR_BENCH_BASELINE
# set to another build of zelmor, that program runs beside it in every round (before and after a change).
# Medians over the rounds are printed, with ratios taken within each round: this machine is shared, so
# single timings wander. Each timed run writes a fresh wyniki.txt (truncating a large one left by the run
# before is the file system's cost, not the program's). Peak resident memory comes from /usr/bin/time -v.
set -euo pipefail
for tool in /usr/bin/time bc; do
    command -v "$tool" > /dev/null || { echo "$0 needs $tool: sudo apt-get install time bc libbenchmark-dev" >&2; exit 1; }
done
lines=${1:-1000000}
rounds=${2:-7}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZELMOR_BENCH_BUILD:-$root/build-bench}
baseline=${ZELMOR_BENCH_BASELINE:-}
shapes=(mixed gnss field)

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZELMOR_BUILD_BENCHMARKS=ON -DZELMOR_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for shape in "${shapes[@]}"; do
    mkdir -p "$work/$shape/zelmor" "$work/$shape/plain" "$work/$shape/baseline"
    "$build/bench/make_points" "$lines" 1992 "$shape" > "$work/$shape/zelmor/dane.txt"
    ln "$work/$shape/zelmor/dane.txt" "$work/$shape/plain/dane.txt"
    ln "$work/$shape/zelmor/dane.txt" "$work/$shape/baseline/dane.txt"
    : > "$work/$shape/times"
done
# cs2cs reads "latitude longitude" for EPSG:4326 and writes x (northing) and y (easting) for EPSG:2180.
awk '$1 == "W" {print $2, $3}' "$work/mixed/zelmor/dane.txt" > "$work/forward.txt"
forward_lines=$(wc -l < "$work/forward.txt")

seconds() { "$build/bench/wall_time" "$@"; }  # wall time of a command, in seconds
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
column() { awk -v c="$1" '{print $c}' "$2" | median; }

for ((round = 1; round <= rounds; round++)); do
    for shape in "${shapes[@]}"; do
        dir=$work/$shape
        rm -f "$dir"/*/wyniki.txt
        program=$(cd "$dir/zelmor" && seconds "$build/zelmor")
        conversions=$("$build/bench/conversions_only" "$dir/zelmor/dane.txt" 3 2>/dev/null)
        plain=$(cd "$dir/plain" && seconds "$build/bench/plain_stdio_loop")
        before=-
        if [ -n "$baseline" ]; then
            before=$(cd "$dir/baseline" && seconds "$baseline")
        fi
        proj=-
        if [ "$shape" = mixed ] && command -v cs2cs > /dev/null; then
            proj=$(seconds sh -c "cs2cs -f %.4f EPSG:4326 EPSG:2180 < '$work/forward.txt'")
        fi
        echo "$program $conversions $plain $before $proj" >> "$dir/times"  # conversions: two columns
    done
done

printf '%d lines per file, medians of %d rounds\n\n' "$lines" "$rounds"
# Columns of a round: zelmor, conversions one at a time, conversions in groups, plain loop, baseline, cs2cs.
printf '%-6s %9s %9s %10s %7s %10s %7s %11s %7s %10s\n' file zelmor lines/s 'conv. 1x1' ratio 'in groups' ratio \
    'plain loop' '(x)' 'peak RSS'
for shape in "${shapes[@]}"; do
    dir=$work/$shape
    cmp -s "$dir/zelmor/wyniki.txt" "$dir/plain/wyniki.txt" || echo "warning: zelmor and the plain loop wrote different results for $shape"
    program=$(column 1 "$dir/times")
    rss=$(cd "$dir/zelmor" && /usr/bin/time -v "$build/zelmor" 2>&1 >/dev/null | awk -F: '/Maximum resident/ {gsub(/ /, "", $2); print $2}')
    printf '%-6s %8.3fs %8.2fM %9.3fs %7.2f %9.3fs %7.2f %10.3fs %6.1fx %6d KiB\n' "$shape" "$program" \
        "$(echo "$lines / $program / 1000000" | bc -l)" "$(column 2 "$dir/times")" \
        "$(awk '{print $1 / $2}' "$dir/times" | median)" "$(column 3 "$dir/times")" \
        "$(awk '{print $1 / $3}' "$dir/times" | median)" "$(column 4 "$dir/times")" \
        "$(awk '{print $4 / $1}' "$dir/times" | median)" "$rss"
done
if [ -n "$baseline" ]; then
    printf '\nbaseline %s\n' "$baseline"
    for shape in "${shapes[@]}"; do
        dir=$work/$shape
        printf '%-6s %8.3fs  zelmor / baseline %.3f\n' "$shape" "$(column 5 "$dir/times")" \
            "$(awk '{print $1 / $5}' "$dir/times" | median)"
    done
fi
if command -v cs2cs > /dev/null; then
    printf '\ncs2cs, geodetic points of the mixed file: %.3f s for %d points\n' "$(column 6 "$work/mixed/times")" "$forward_lines"
fi
