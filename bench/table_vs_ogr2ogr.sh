#!/usr/bin/env bash
# The table converter against the program and against GDAL's ogr2ogr, on spreadsheet-shaped CSV tables of
# N rows (an id, the coordinates, a height, a code), both ways, side by side in every round:
#   zelmor       the same points as W lines of a dane.txt;
#   zelmor-csv   the table to the grid, and a grid table to WGS84;
#   ogr2ogr      the same two conversions (CSV driver, coordinates by column name, GEOMETRY=AS_XY).
# Medians over the rounds and ratios taken within each round; peak resident memory; then the values
# compared, ogr2ogr's rounded to four decimals as zelmor prints them.
#
#   bench/table_vs_ogr2ogr.sh [rows] [rounds]        (defaults: 1000000 rows, 5 rounds)
set -euo pipefail
for tool in /usr/bin/time ogr2ogr python3; do
    command -v "$tool" > /dev/null || { echo "$0 needs $tool: sudo apt-get install time gdal-bin python3" >&2; exit 1; }
done
rows=${1:-1000000}
rounds=${2:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZELMOR_BENCH_BUILD:-$root/build-bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZELMOR_BUILD_BENCHMARKS=ON -DZELMOR_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$root/bench/table_tables.py" make "$rows" "$work"
seconds() { "$build/bench/wall_time" "$@"; }
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
column() { awk -v c="$1" '{print $c}' "$work/times" | median; }
ratio() { awk -v a="$1" -v b="$2" '{print $a / $b}' "$work/times" | median; }
ogr() {  # ogr2ogr's conversion of $1 (columns $2, $3 as x and y) from EPSG:$4 to EPSG:$5, into $6
    rm -f "$6"
    ogr2ogr -f CSV "$6" "$1" -oo X_POSSIBLE_NAMES="$2" -oo Y_POSSIBLE_NAMES="$3" -oo KEEP_GEOM_COLUMNS=YES \
        -s_srs "EPSG:$4" -t_srs "EPSG:$5" -lco GEOMETRY=AS_XY
}
export -f ogr

: > "$work/times"
for ((round = 1; round <= rounds; round++)); do
    program=$(cd "$work" && seconds "$build/zelmor")
    to_grid=$(seconds "$build/zelmor-csv" "$work/geodetic.csv" -o "$work/zelmor-grid.csv")
    to_geodetic=$(seconds "$build/zelmor-csv" "$work/grid.csv" -o "$work/zelmor-geodetic.csv")
    ogr_grid=$(seconds bash -c "ogr '$work/geodetic.csv' lon lat 4326 2180 '$work/ogr-grid.csv'")
    ogr_geodetic=$(seconds bash -c "ogr '$work/grid.csv' y x 2180 4326 '$work/ogr-geodetic.csv'")
    echo "$program $to_grid $to_geodetic $ogr_grid $ogr_geodetic" >> "$work/times"
done
rss() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }

printf '%d rows, medians of %d rounds\n\n' "$rows" "$rounds"
printf 'zelmor, the points as dane.txt    %7.3f s  %6d KiB\n' "$(column 1)" "$(cd "$work" && rss "$build/zelmor")"
printf 'zelmor-csv, table to the grid     %7.3f s  %6d KiB  %.2fx the program\n' "$(column 2)" \
    "$(rss "$build/zelmor-csv" "$work/geodetic.csv" -o "$work/zelmor-grid.csv")" "$(ratio 2 1)"
printf 'zelmor-csv, grid table to WGS84   %7.3f s  %6d KiB\n' "$(column 3)" \
    "$(rss "$build/zelmor-csv" "$work/grid.csv" -o "$work/zelmor-geodetic.csv")"
printf 'ogr2ogr, table to the grid        %7.3f s  %6d KiB  %.1fx zelmor-csv\n' "$(column 4)" \
    "$(rss bash -c "ogr '$work/geodetic.csv' lon lat 4326 2180 '$work/ogr-grid.csv'")" "$(ratio 4 2)"
printf 'ogr2ogr, grid table to WGS84      %7.3f s  %6d KiB  %.1fx zelmor-csv\n\n' "$(column 5)" \
    "$(rss bash -c "ogr '$work/grid.csv' y x 2180 4326 '$work/ogr-geodetic.csv'")" "$(ratio 5 3)"
python3 "$root/bench/table_tables.py" compare "$work/zelmor-grid.csv" "$work/ogr-grid.csv" grid || true
python3 "$root/bench/table_tables.py" compare "$work/zelmor-geodetic.csv" "$work/ogr-geodetic.csv" geodetic || true
