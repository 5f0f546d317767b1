#!/usr/bin/env bash
# Whole-program throughput on a file of N mixed point lines made from a fixed seed.
#
#   bench/whole_program.sh [lines] [rounds]        (defaults: 1000000 lines, 7 rounds)
#
# Each round runs, one after the other on the same file: zelmor; the two conversions alone on the same
# points (read before the clock starts); the same batch loop written the plain fgets/sscanf/fprintf way;
# and, where PROJ's cs2cs is installed, cs2cs on the geodetic half of the points. Medians over the rounds
# are printed, with ratios taken from the same rounds: this machine is shared, so single timings wander.
# Each timed run writes a fresh wyniki.txt (truncating a large one left by the run before is the file
# system's cost, not the program's). Peak resident memory comes from /usr/bin/time -v.
set -euo pipefail
lines=${1:-1000000}
rounds=${2:-7}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZELMOR_BENCH_BUILD:-$root/build-bench}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZELMOR_BUILD_BENCHMARKS=ON -DZELMOR_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/zelmor" "$work/plain"
"$build/bench/make_points" "$lines" 1992 > "$work/zelmor/dane.txt"
ln "$work/zelmor/dane.txt" "$work/plain/dane.txt"
# cs2cs reads "latitude longitude" for EPSG:4326 and writes x (northing) and y (easting) for EPSG:2180.
awk '$1 == "W" {print $2, $3}' "$work/zelmor/dane.txt" > "$work/forward.txt"
forward_lines=$(wc -l < "$work/forward.txt")

seconds() { "$build/bench/wall_time" "$@"; }  # wall time of a command, in seconds
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

: > "$work/times"
for ((round = 1; round <= rounds; round++)); do
    rm -f "$work/zelmor/wyniki.txt" "$work/plain/wyniki.txt"
    program=$(cd "$work/zelmor" && seconds "$build/zelmor")
    conversions=$("$build/bench/conversions_only" "$work/zelmor/dane.txt" 3 2>/dev/null)
    plain=$(cd "$work/plain" && seconds "$build/bench/plain_stdio_loop")
    proj=-
    if command -v cs2cs > /dev/null; then
        proj=$(seconds sh -c "cs2cs -f %.4f EPSG:4326 EPSG:2180 < '$work/forward.txt'")
    fi
    echo "$program $conversions $plain $proj" >> "$work/times"
done
cmp -s "$work/zelmor/wyniki.txt" "$work/plain/wyniki.txt" || echo "warning: zelmor and the plain loop wrote different results"

program=$(awk '{print $1}' "$work/times" | median)
conversions=$(awk '{print $2}' "$work/times" | median)
plain=$(awk '{print $3}' "$work/times" | median)
ratio_to_conversions=$(awk '{print $1 / $2}' "$work/times" | median)
plain_over_program=$(awk '{print $3 / $1}' "$work/times" | median)
rss=$(cd "$work/zelmor" && /usr/bin/time -v "$build/zelmor" 2>&1 >/dev/null | awk -F: '/Maximum resident/ {gsub(/ /, "", $2); print $2}')

printf 'lines                          %d (%d rounds, medians)\n' "$lines" "$rounds"
printf 'zelmor                         %.3f s, %.1f million lines/s\n' "$program" "$(echo "$lines / $program / 1000000" | bc -l)"
printf 'conversions alone              %.3f s\n' "$conversions"
printf 'zelmor / conversions alone     %.2f\n' "$ratio_to_conversions"
printf 'plain stdio loop               %.3f s (%.1f x zelmor)\n' "$plain" "$plain_over_program"
printf 'zelmor peak RSS                %d KiB\n' "$rss"
if command -v cs2cs > /dev/null; then
    proj=$(awk '{print $4}' "$work/times" | median)
    printf 'cs2cs, geodetic half           %.3f s for %d points\n' "$proj" "$forward_lines"
else
    printf 'cs2cs                          not installed\n'
fi
