"""The Python package's speed beside the C++ batch forms and PROJ's transformer, and Dask's on threads.

On N random points of the accepted area (and their grid coordinates), each round times, one after the
other: the package each way, into new results and into the caller's own (out=); the C++ batch forms on
the same arrays (bench/batch_forms_timing, the median of three passes into result arrays written
before its clock starts: the best case); and pyproj's transformer, EPSG:4326 to EPSG:2180 and back,
into new results and in place (inplace=True, its fastest way, on copies made before the clock starts). Medians over the rounds are printed, with ratios taken within each round (the
machine is shared, so single timings wander). Then a Dask array of ten times as many points, in blocks
of N, is converted on one thread and on two, in turn, over the same number of rounds.

    python3 bench/python_speed.py [points] [rounds]        (defaults: 1000000, 7)

Needs the package importable (installed, or PYTHONPATH=<build>/python), python3-pyproj and
python3-dask, and builds build-bench (as bench/whole_program.sh does) for batch_forms_timing.
"""

import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import dask
import dask.array as da
import numpy as np
import pyproj

import zelmor

root = Path(__file__).resolve().parent.parent
build = root / "build-bench"
points = int(sys.argv[1]) if len(sys.argv) > 1 else 1_000_000
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 7


def seconds(work):
    start = time.perf_counter()
    work()
    return time.perf_counter() - start


def cpp_batch_seconds(files):
    """The C++ batch forms' times, to the grid and to degrees, on the arrays in `files`."""
    output = subprocess.run([build / "bench" / "batch_forms_timing", *files, "3"], check=True, capture_output=True,
                            text=True)
    return [float(word) for word in output.stdout.split()]


def main():
    subprocess.run(["cmake", "-S", root, "-B", build, "-DCMAKE_BUILD_TYPE=Release", "-DZELMOR_BUILD_BENCHMARKS=ON",
                    "-DZELMOR_BUILD_TESTS=OFF", "-DZELMOR_BUILD_PYTHON=OFF"], check=True, capture_output=True)
    subprocess.run(["cmake", "--build", build, "-j2", "--target", "batch_forms_timing"], check=True, capture_output=True)
    random = np.random.default_rng(1992)
    latitude, longitude = random.uniform(48.0, 56.0, points), random.uniform(13.0, 25.0, points)
    x, y, _ = zelmor.to_grid(latitude, longitude)
    forward = pyproj.Transformer.from_crs("EPSG:4326", "EPSG:2180")   # latitude, longitude to x, y
    inverse = pyproj.Transformer.from_crs("EPSG:2180", "EPSG:4326")   # x, y to latitude, longitude
    proj_x, proj_y = forward.transform(latitude, longitude)
    print(f"{points} points; largest difference from PROJ: {max(np.abs(proj_x - x).max(), np.abs(proj_y - y).max()):.6f} m")

    times = {f"{who} {direction}": [] for who in ("package", "out=", "C++", "pyproj", "in place")
             for direction in ("to grid", "to degrees")}
    grid_out = (np.empty(points), np.empty(points), np.empty(points, dtype=np.int32))
    degrees_out = (np.empty(points), np.empty(points))
    with tempfile.TemporaryDirectory() as work:
        files = [Path(work) / name for name in ("latitude", "longitude", "x", "y")]
        for path, values in zip(files, (latitude, longitude, x, y)):
            values.tofile(path)
        for _ in range(rounds):
            times["package to grid"].append(seconds(lambda: zelmor.to_grid(latitude, longitude)))
            times["package to degrees"].append(seconds(lambda: zelmor.to_geodetic(x, y)))
            times["out= to grid"].append(seconds(lambda: zelmor.to_grid(latitude, longitude, out=grid_out)))
            times["out= to degrees"].append(seconds(lambda: zelmor.to_geodetic(x, y, out=degrees_out)))
            cpp_to_grid, cpp_to_degrees = cpp_batch_seconds(files)
            times["C++ to grid"].append(cpp_to_grid)
            times["C++ to degrees"].append(cpp_to_degrees)
            times["pyproj to grid"].append(seconds(lambda: forward.transform(latitude, longitude)))
            times["pyproj to degrees"].append(seconds(lambda: inverse.transform(x, y)))
            pair = (latitude.copy(), longitude.copy())
            times["in place to grid"].append(seconds(lambda: forward.transform(*pair, inplace=True)))
            pair = (x.copy(), y.copy())
            times["in place to degrees"].append(seconds(lambda: inverse.transform(*pair, inplace=True)))

    def ratio(numerator, denominator):
        return statistics.median(a / b for a, b in zip(times[numerator], times[denominator]))

    print(f"\nmedians of {rounds} rounds")
    print(f"{'direction':<12} {'package':>9} {'C++ batch':>10} {'package / C++':>14} {'pyproj':>9} {'pyproj / package':>17}")
    for direction in ("to grid", "to degrees"):
        package, cpp, proj = (statistics.median(times[f"{who} {direction}"]) for who in ("package", "C++", "pyproj"))
        print(f"{direction:<12} {package:8.3f}s {cpp:9.3f}s {ratio(f'package {direction}', f'C++ {direction}'):14.2f} "
              f"{proj:8.3f}s {ratio(f'pyproj {direction}', f'package {direction}'):17.2f}")
    print(f"\n{'direction':<12} {'out=':>9} {'pyproj in place':>16} {'in place / out=':>16}")
    for direction in ("to grid", "to degrees"):
        into, in_place = (statistics.median(times[f"{who} {direction}"]) for who in ("out=", "in place"))
        print(f"{direction:<12} {into:8.3f}s {in_place:15.3f}s {ratio(f'in place {direction}', f'out= {direction}'):16.2f}")

    # Dask: ten times as many points, in blocks of a million, on one thread and on two.
    many = 10 * points
    dask_latitude = da.from_array(np.tile(latitude, 10), chunks=points)
    dask_longitude = da.from_array(np.tile(longitude, 10), chunks=points)
    grid = zelmor.to_grid(dask_latitude, dask_longitude)   # Dask arrays of x, y and status, lazily
    threads = {1: [], 2: []}
    for _ in range(rounds):
        for workers in (1, 2):
            with dask.config.set(scheduler="threads", num_workers=workers):
                # Kept in memory as blocks (persist), not gathered into one array: gathering is one
                # thread's work, the same for both, and only the conversions are under test here.
                threads[workers].append(seconds(lambda: dask.persist(*grid)))
    one, two = statistics.median(threads[1]), statistics.median(threads[2])
    within_rounds = statistics.median(first / second for first, second in zip(threads[1], threads[2]))
    print(f"\nDask, {many} points to the grid on threads: one {one:.3f}s, two {two:.3f}s: two {one / two:.2f}x as "
          f"fast as one by the medians, {within_rounds:.2f}x by the median of each round's ratio")


if __name__ == "__main__":
    main()
