"""The Python package against the C++ one-point functions, bit for bit, over any shape and dtype."""

import os
import signal
import threading
import time
from pathlib import Path

import numpy as np
import pytest

import zelmor
from conftest import optional
from zelmor import _zelmor

SPECIALS = [0.0, -0.0, np.nan, -np.nan, np.inf, -np.inf, 1e300, -1e300, 48.0, 56.0, 13.0, 25.0,
            47.9999999999, 56.0000000001, 12.9999999999, 25.0000000001]


def bits(values):
    return np.asarray(values, dtype=np.float64).view(np.uint64)


def points(seed, centre, spread, count=20000):
    """Random coordinates around `centre`, with every special value among them."""
    random = np.random.default_rng(seed)
    values = random.uniform(centre - spread, centre + spread, count)
    values[: len(SPECIALS) * 4] = np.repeat(SPECIALS, 4)
    random.shuffle(values)
    return values


def test_every_point_as_the_one_point_functions_give_it():
    latitude, longitude = points(1, 52.0, 5.0), points(2, 19.0, 7.0)
    x, y, status = zelmor.to_grid(latitude, longitude)
    one = np.array([_zelmor.geodetic_to_grid_one(a, b) for a, b in zip(latitude, longitude)])
    assert np.array_equal(bits(x), bits(one[:, 0])) and np.array_equal(bits(y), bits(one[:, 1]))
    assert np.array_equal(status, one[:, 2]) and status.dtype == np.int32

    grid_x, grid_y = points(3, 500000.0, 700000.0), points(4, 500000.0, 700000.0)
    latitude, longitude = zelmor.to_geodetic(grid_x, grid_y)
    one = np.array([_zelmor.grid_to_geodetic_one(a, b) for a, b in zip(grid_x, grid_y)])
    assert np.array_equal(bits(latitude), bits(one[:, 0])) and np.array_equal(bits(longitude), bits(one[:, 1]))


def test_worked_values_and_what_lies_outside():
    x, y, status = zelmor.to_grid([52, 47, 52, 57, 52], [19, 19, 12, 30, 26])
    assert f"{x[0]:.4f} {y[0]:.4f}" == "459309.2094 500000.0000"
    assert status.tolist() == [zelmor.CONVERTED] + [zelmor.LATITUDE_OUTSIDE, zelmor.LONGITUDE_OUTSIDE] * 2
    assert np.isnan(x[1:]).all() and np.isnan(y[1:]).all()
    latitude, longitude = zelmor.to_geodetic(459309.2094, 500000)
    assert f"{latitude:.4f} {longitude:.4f}" == "52.0000 19.0000"


BASE_LATITUDE = np.linspace(47.5, 56.5, 12)
BASE_LONGITUDE = np.linspace(12.5, 25.5, 12)


def pandas():
    return optional("pandas")


def unaligned(values):
    """`values` as float64 in a contiguous buffer that starts one byte off a double's alignment."""
    raw = np.zeros(len(values) * 8 + 1, dtype=np.uint8)
    array = raw[1:].view(np.float64)
    array[:] = values
    return array


# Each row: the arguments as a user gives them (made when the test runs, so that only the rows that need
# pandas skip without it), and the float64 values they stand for, NaN for a missing value.
def dask_array():
    return optional("dask.array")


def xarray():
    return optional("xarray")


# Each row: the arguments as a user gives them (made when the test runs, so that only the rows that need
# an optional package skip without it), the float64 values they stand for (NaN for a missing value), and
# the kind of the results when it is not numpy's: pandas' Series keep their index, xarray's DataArrays
# their dimensions and coordinates, Dask's arrays their chunks.
@pytest.mark.parametrize(
    "make, values, kind",
    [(*row, None) if len(row) == 2 else row for row in [
        (lambda: (pandas().Series(BASE_LATITUDE, index=BASE_LATITUDE.argsort()), 19.5), (BASE_LATITUDE, 19.5), "Series"),
        (lambda: (pandas().Series([52.0, 53.0], index=[7, 3]), pandas().Series([19.0, 20.0], index=[7, 3])),
         ([52.0, 53.0], [19.0, 20.0]), "Series"),
        (lambda: (dask_array().from_array(BASE_LATITUDE.reshape(3, 4), chunks=(2, 3)), BASE_LONGITUDE[:4]),
         (BASE_LATITUDE.reshape(3, 4), BASE_LONGITUDE[:4]), "Array"),
        (lambda: (xarray().DataArray(BASE_LATITUDE.reshape(3, 4), dims=("row", "column"), coords={"row": [5, 6, 7]}),
                  xarray().DataArray(BASE_LONGITUDE[:4], dims=("column",))),
         (BASE_LATITUDE.reshape(3, 4), BASE_LONGITUDE[:4]), "DataArray"),
        (lambda: (xarray().DataArray(BASE_LATITUDE, dims=("point",)).chunk(5), xarray().DataArray(BASE_LONGITUDE, dims=("point",))),
         (BASE_LATITUDE, BASE_LONGITUDE), "DataArray"),
        (lambda: (52.5, 19.5), (52.5, 19.5)),
        (lambda: (np.float32(52.5), 19), (52.5, 19.0)),
        (lambda: ([52, 53], (19, 20.5)), ([52.0, 53.0], [19.0, 20.5])),
        (lambda: (((52, 53), (54, 55)), [19, 20]), ([[52.0, 53.0], [54.0, 55.0]], [19.0, 20.0])),
        (lambda: (BASE_LATITUDE.reshape(3, 4), BASE_LONGITUDE[:4]), (BASE_LATITUDE.reshape(3, 4), BASE_LONGITUDE[:4])),
        (lambda: (BASE_LATITUDE.reshape(3, 4).T, BASE_LONGITUDE.reshape(3, 4).T),  # not contiguous
         (BASE_LATITUDE.reshape(3, 4).T, BASE_LONGITUDE.reshape(3, 4).T)),
        (lambda: (BASE_LATITUDE[::2], BASE_LONGITUDE[::2]), (BASE_LATITUDE[::2], BASE_LONGITUDE[::2])),  # strided
        (lambda: (unaligned(BASE_LATITUDE), unaligned(BASE_LONGITUDE)), (BASE_LATITUDE, BASE_LONGITUDE)),
        (lambda: (BASE_LATITUDE.astype(np.float32), BASE_LONGITUDE.astype(np.float16)),
         (BASE_LATITUDE.astype(np.float32), BASE_LONGITUDE.astype(np.float16))),
        (lambda: (np.arange(47, 58, dtype=np.int64), np.arange(12, 23, dtype=np.uint8)),
         (np.arange(47, 58), np.arange(12, 23))),
        (lambda: (np.array([52.0, 53], dtype=object), np.array([19, 20.0], dtype=object)), ([52.0, 53.0], [19.0, 20.0])),
        (lambda: (np.empty((0, 3)), np.empty(3)), (np.empty((0, 3)), np.empty(3))),
        (lambda: (pandas().Series(BASE_LATITUDE), pandas().Series(BASE_LONGITUDE)), (BASE_LATITUDE, BASE_LONGITUDE), "Series"),
        (lambda: (pandas().Series([52.0, 53.0], dtype=object), [19, 20]), ([52.0, 53.0], [19.0, 20.0]), "Series"),
        # pandas' nullable numbers, as convert_dtypes() and the nullable readers give them: pd.NA is NaN.
        (lambda: (pandas().Series([52.0, None, 54.0], dtype="Float64"), pandas().Series([19, 20, None], dtype="Int64")),
         ([52.0, np.nan, 54.0], [19.0, 20.0, np.nan]), "Series"),
        (lambda: (pandas().Series([52.5], dtype="Float32"), pandas().Series([19], dtype="UInt8")), ([52.5], [19.0]), "Series"),
        (lambda: (np.array([52.0, pandas().NA], dtype=object), 19), ([52.0, np.nan], 19.0)),
    ]],
)
def test_every_form_of_argument_gives_what_its_values_give(make, values, kind):
    latitude, longitude = make()
    given = [argument for argument in (latitude, longitude) if type(argument).__name__ == kind]
    expected_shape = np.broadcast_shapes(np.shape(values[0]), np.shape(values[1]))
    plain = [np.broadcast_to(np.asarray(value, dtype=np.float64), expected_shape).ravel() for value in values]
    # Any pair of numbers is grid coordinates too: both ways, each result as the plain arrays give it.
    for convert, dtypes in ((zelmor.to_grid, (np.float64, np.float64, np.int32)), (zelmor.to_geodetic, (np.float64,) * 2)):
        results = convert(latitude, longitude)
        for result, name in zip(results, ("x", "y", "status") if convert is zelmor.to_grid else ("latitude", "longitude")):
            assert type(result).__name__ == kind if kind else isinstance(result, (np.ndarray, np.generic))
            if kind == "Series":
                assert result.index.equals(given[0].index) and result.name == name
            if kind == "DataArray":
                assert result.dims == given[0].dims and result.coords.to_dataset().identical(given[0].coords.to_dataset()) and result.name == name
                assert (result.chunks is None) == (given[0].chunks is None)  # lazy where its input is
            if kind == "Array":
                assert result.chunks == given[0].chunks  # the shapes here broadcast to the Dask argument's
        for result, reference, dtype in zip(results, convert(*plain), dtypes):
            result = np.asarray(result)
            assert np.shape(result) == expected_shape and np.asarray(result).dtype == dtype
            assert np.array_equal(bits(np.ravel(result)), bits(reference)) if dtype == np.float64 else \
                np.array_equal(np.ravel(result), reference)
        if expected_shape == ():
            assert all(isinstance(result, np.generic) for result in results)


def test_the_extension_is_handed_aligned_contiguous_doubles(monkeypatch):
    handed = []

    def spying(convert):
        def spy(first, second, *results):
            handed.extend(array.flags.aligned and array.flags.c_contiguous and array.dtype == np.float64
                          for array in (first, second))
            return convert(first, second, *results)
        return spy

    monkeypatch.setattr(zelmor, "TO_GRID", zelmor.TO_GRID._replace(into=spying(_zelmor.to_grid_into)))
    for size in (12, 2 * _zelmor.SLICE_POINTS):  # copied whole, and read a slice at a time
        latitude, longitude = np.linspace(48, 56, size), np.linspace(13, 25, size)
        zelmor.to_grid(unaligned(latitude), unaligned(longitude)[::-1])
    assert len(handed) > 4 and all(handed)


def test_masked_points_stay_masked_converted_as_nan():
    latitude = np.ma.masked_array([52.0, 53.0, 54.0], mask=[False, True, False])
    longitude = np.ma.masked_array([19.0, 20.0, 21.0], mask=[False, False, True])
    for results in (zelmor.to_grid(latitude, longitude), zelmor.to_geodetic(latitude, longitude)):
        for result in results:
            assert np.ma.isMaskedArray(result) and result.mask.tolist() == [False, True, True]
            assert np.isnan(result.data[1:]).all() or result.dtype == np.int32  # the hidden values are NaN
    # Converted as NaN: status 0 (NaN passes the area's checks), hidden.
    assert zelmor.to_grid(latitude, longitude)[2].data.tolist() == [0, 0, 0]
    x, _, status = zelmor.to_grid(np.ma.masked_array(52.0, mask=True), 19)
    assert x is np.ma.masked and status is np.ma.masked


@pytest.mark.parametrize(
    "first, second, error, named, says",
    [(*row, "") if len(row) == 4 else row for row in [
        # A column read as text where one cell has a decimal comma: the error names that cell and its row.
        (lambda: pandas().Series([52.1, 53.2, "52,2297", "x"]), 19, TypeError, 0, "'52,2297' (str) at position 2"),
        ([[52.0, 53.0], [54.0, "55"]], 19, TypeError, 0, "'55' (str) at position (1, 1)"),
        (52, np.array(["19,5", "20"]), TypeError, 1, "<U4 (ndarray): '19,5' at position 0"),
        # Two Series of different indexes: never paired by position in silence.
        (lambda: pandas().Series([52.0, 53.0], index=[1, 0]), lambda: pandas().Series([19.0, 20.0]), ValueError, 0,
         "or give each one's .to_numpy() to pair them by position"),
        (lambda: xarray().DataArray([52.0, 53.0], dims="p", coords={"p": [1, 2]}),
         lambda: xarray().DataArray([19.0, 20.0], dims="p", coords={"p": [2, 3]}), ValueError, None, ""),
        (lambda: dask_array().from_array(np.array(["52"])), 19, TypeError, 0, "not <U2 (Array)"),
        ("52", 19, TypeError, 0),
        (52, "19", TypeError, 1),
        (None, 19, TypeError, 0),
        ([52, None], [19, 19], TypeError, 0),
        (52, 19 + 1j, TypeError, 1),
        (True, 19, TypeError, 0),
        (np.array([True, False]), [19, 20], TypeError, 0),
        ([5e5, True], [5e5, 5e5], TypeError, 0),  # a boolean among numbers is not 1.0
        ([52, 53], ((19,), (np.bool_(False),)), TypeError, 1),
        (object(), 19, TypeError, 0),
        (lambda: pandas().Series([True, None], dtype="boolean"), 19, TypeError, 0),
        (52, lambda: pandas().Series(["19"], dtype="string"), TypeError, 1),
        ([[52], [53, 54]], [19], TypeError, 0),  # rows of unequal length hold lists, not numbers
        ([52, 53, 54], [19, 20], ValueError, 0),
        (np.ones((2, 3)), np.ones((3, 2)), ValueError, 0),
    ]],
)
def test_bad_input_is_a_clear_error_naming_its_argument(first, second, error, named, says):
    first, second = (value() if callable(value) else value for value in (first, second))
    for convert, names in ((zelmor.to_grid, ("latitude", "longitude")), (zelmor.to_geodetic, ("x", "y"))):
        with pytest.raises(error) as raised:
            convert(first, second)
        assert named is None or str(raised.value).startswith(names[named]) and str(raised.value).endswith(says)


@pytest.mark.parametrize("convert", [zelmor.to_grid, zelmor.to_geodetic])
def test_the_interpreter_lock_is_released_while_converting(convert):
    # This thread must go on running while another converts two million points (eight slices): with the
    # lock held for a slice, it would stand still for the slice's 20 ms or more. Its longest stand-still
    # during the call is measured, the shortest of three calls (the machine may pause either thread).
    first, second = np.full(2_000_000, 52.0), np.full(2_000_000, 19.0)

    def longest_stand_still():
        call, steps = [], []

        def run():
            call.append(time.perf_counter())
            convert(first, second)
            call.append(time.perf_counter())

        worker = threading.Thread(target=run)
        worker.start()
        while worker.is_alive():
            steps.append(time.perf_counter())
        worker.join()
        during = [call[0]] + [step for step in steps if call[0] < step < call[1]] + [call[1]]
        return max(np.diff(during))

    assert min(longest_stand_still() for _ in range(3)) < 0.010


def test_a_call_of_many_slices_gives_what_small_calls_give():
    count = 2 * _zelmor.SLICE_POINTS + 12345
    latitude, longitude = points(5, 52.0, 5.0, count), points(6, 19.0, 7.0, count)
    for convert in (zelmor.to_grid, zelmor.to_geodetic):
        whole = convert(latitude, longitude)
        pieces = [convert(latitude[at:at + 100_000], longitude[at:at + 100_000]) for at in range(0, count, 100_000)]
        for result, parts in zip(whole, zip(*pieces)):
            assert np.array_equal(bits(result) if result.dtype == np.float64 else result,
                                  bits(np.concatenate(parts)) if result.dtype == np.float64 else np.concatenate(parts))


def resident_bytes():
    """The process's resident memory now, from Linux's /proc."""
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def handler_name(array=None):
    """numpy's name of the allocator that made `array`'s memory, or of the one numpy uses now."""
    multiarray = np.core.multiarray
    return multiarray.get_handler_name() if array is None else multiarray.get_handler_name(array)


def test_results_own_their_memory_and_give_it_back():
    large = np.full(2 * _zelmor.SLICE_POINTS, 52.0)  # 8 MiB a result: as numpy backs large arrays
    x, y, status = zelmor.to_grid(large, 19)
    latitude, longitude = zelmor.to_geodetic(large, large)
    assert x.flags.owndata and status.flags.owndata
    # In huge pages, each result on a page of its own; numpy's own allocator in use again after the call.
    for result in (x, y, status, latitude, longitude):
        assert result.ctypes.data % (2 << 20) == 0 and handler_name(result) == "zelmor_huge_pages"
    assert handler_name() == handler_name(np.ones(10**6)) == "default_allocator"
    start = x[:10].copy()
    x.resize(10)  # as any array numpy made: it is x's own memory, and keeps its values
    assert np.array_equal(x, start)
    before = resident_bytes()
    for _ in range(40):
        zelmor.to_grid(large, large)
        zelmor.to_geodetic(large, large)
    assert resident_bytes() - before < 100 * 2**20  # 40 calls each way that kept their results: some 1.3 GiB
    # Resized down, results give back their large blocks: 20 calls' results are some 400 MiB.
    before = resident_bytes()
    kept = [zelmor.to_grid(large, large) for _ in range(20)]
    for results in kept:
        for result in results:
            result.resize(10, refcheck=False)
    assert resident_bytes() - before < 20 * 2**20


def peak_resident_bytes_of(call):
    """How far `call()` raised the process's resident memory at its peak above what it was before (Linux:
    the peak is set back to now first)."""
    with open("/proc/self/clear_refs", "w") as clear:
        clear.write("5")
    before = resident_bytes()
    call()
    with open("/proc/self/status") as status:
        peak = next(int(line.split()[1]) * 1024 for line in status if line.startswith("VmHWM:"))
    return peak - before


def test_a_broadcast_argument_is_never_copied_whole():
    # Ten million points from a broadcast scalar: 200 MB of results (x, y, status), and nothing more
    # than slices of the arguments; a whole copy of them would add 160 MB.
    count = 10_000_000
    kept = []
    peak = peak_resident_bytes_of(lambda: kept.append(zelmor.to_grid(np.broadcast_to(52.0, (count,)), 19.0)))
    assert peak < 20 * count + 40 * 2**20
    x, y, status = kept.pop()
    assert x.shape == (count,) and f"{x[-1]:.4f} {y[-1]:.4f}" == "459309.2094 500000.0000" and status.max() == 0
    del x, y, status
    peak = peak_resident_bytes_of(lambda: kept.append(zelmor.to_geodetic(np.broadcast_to(459309.2094, (count,)), 500000)))
    assert peak < 16 * count + 40 * 2**20
    assert f"{kept[0][0][-1]:.4f} {kept[0][1][-1]:.4f}" == "52.0000 19.0000"


# A second's work in contiguous arrays, and ten seconds' from a broadcast scalar (a whole copy of which
# would take seconds before the first slice).
@pytest.mark.parametrize("convert", [zelmor.to_grid, zelmor.to_geodetic])
@pytest.mark.parametrize("make", [lambda: (np.full(40 * _zelmor.SLICE_POINTS, 52.0), np.full(40 * _zelmor.SLICE_POINTS, 19.0)),
                                  lambda: (np.broadcast_to(52.0, (10**8,)), 19.0)])
def test_ctrl_c_stops_a_long_call_at_once_and_the_next_call_works(convert, make):
    first, second = make()
    threading.Timer(0.05, os.kill, (os.getpid(), signal.SIGINT)).start()
    started = time.perf_counter()
    with pytest.raises(KeyboardInterrupt):
        convert(first, second)
    assert time.perf_counter() - started < 0.5
    assert f"{zelmor.to_grid(52, 19)[0]:.4f}" == "459309.2094"


def test_python_m_zelmor_reports_the_versions():
    import subprocess
    import sys

    run = subprocess.run([sys.executable, "-m", "zelmor"], capture_output=True, text=True, check=True)
    lines = run.stdout.splitlines()
    assert [line.split()[0] for line in lines] == ["zelmor", "projection", "numpy", "python"]
    assert lines[0].startswith(f"zelmor {zelmor.__version__} (") and lines[2] == f"numpy {np.__version__}"
    assert lines[1].startswith(f"projection library {_zelmor.__version__} (in ")


def test_the_python_pages_spreadsheet_example_runs_as_written(tmp_path, monkeypatch):
    pandas()  # skipped, with a note, where pandas is missing
    page = (Path(__file__).resolve().parents[2] / "docs" / "python.md").read_text()
    block = page.split("<!-- python table example")[1].split("```python\n")[1].split("```")[0]
    (tmp_path / "punkty.csv").write_bytes("\ufeffNr;B;L;Opis\r\n1;52,2297;21,0122;PKiN\r\n2;60;21;poza\r\n".encode())
    monkeypatch.chdir(tmp_path)
    exec(block, {})
    written = (tmp_path / "punkty_zelmor.csv").read_text(encoding="utf-8-sig").splitlines()
    assert written == ["Nr;B;L;Opis;X_PUWG92;Y_PUWG92;status", "1;52,2297;21,0122;PKiN;486757,2095;637382,2044;0",
                       "2;60,0;21,0;poza;;;1"]


def grid_out(shape=(12,), dtypes=(np.float64, np.float64, np.int32)):
    return tuple(np.empty(shape, dtype=dtype) for dtype in dtypes)


# Each row: the `out` a caller gives to_grid for BASE_LATITUDE and BASE_LONGITUDE (made when the test runs),
# and the error it is, or None where the results are written into it.
@pytest.mark.parametrize(
    "make, error, says",
    [
        (grid_out, None, ""),
        (lambda: tuple(np.empty((2, 12), dtype=dtype)[1] for dtype in (np.float64, np.float64, np.int32)), None, ""),
        (lambda: list(grid_out()), TypeError, "out must be a tuple of 3 arrays (x, y, status), not list"),
        (lambda: grid_out()[:2], TypeError, "out must be a tuple of 3 arrays"),
        (lambda: grid_out(dtypes=(np.float64, np.float32, np.int32)), TypeError, "out's y must be float64, not float32"),
        (lambda: grid_out(dtypes=(np.float64, np.float64, np.int64)), TypeError, "out's status must be int32, not int64"),
        (lambda: grid_out(shape=(13,)), ValueError, "out's x must have the points' shape (12,), not (13,)"),
        (lambda: (np.empty(24)[::2],) + grid_out()[1:], ValueError, "out's x must be a writeable, C-contiguous"),
        (lambda: (BASE_LATITUDE.copy(),) * 2 + grid_out()[2:], ValueError, "out's x shares memory"),
        (lambda: (BASE_LATITUDE,) + grid_out()[1:], ValueError, "out's x shares memory with another result or with a coordinate"),
        (lambda: (pandas().Series(np.empty(12)),) + grid_out()[1:], TypeError, "out's x must be a numpy array, not Series"),
    ],
)
def test_out_takes_the_callers_arrays_or_says_why_not(make, error, says):
    out = make()
    if error is not None:
        with pytest.raises(error) as raised:
            zelmor.to_grid(BASE_LATITUDE, BASE_LONGITUDE, out=out)
        assert says in str(raised.value)
        return
    expected = zelmor.to_grid(BASE_LATITUDE, BASE_LONGITUDE)
    given = zelmor.to_grid(BASE_LATITUDE, BASE_LONGITUDE, out=out)
    assert all(result is array for result, array in zip(given, out))
    for result, reference in zip(given, expected):
        assert np.array_equal(result.view(np.uint8), reference.view(np.uint8))


def test_out_fills_a_frames_own_columns_and_blocks_of_a_loop():
    frame = pandas().DataFrame({"latitude": BASE_LATITUDE, "longitude": BASE_LONGITUDE})
    frame["x"], frame["y"], frame["status"] = np.nan, np.nan, np.int32(0)
    zelmor.to_grid(frame["latitude"], frame["longitude"],
                   out=(frame["x"].to_numpy(), frame["y"].to_numpy(), frame["status"].to_numpy()))
    expected = zelmor.with_grid(frame[["latitude", "longitude"]])
    assert frame.equals(expected)
    x, y = np.empty(4), np.empty(4)
    for start in range(0, 12, 4):  # one pair of result arrays for every block
        zelmor.to_geodetic(expected["x"][start:start + 4].to_numpy(), expected["y"][start:start + 4].to_numpy(), out=(x, y))
        assert np.array_equal(x, zelmor.to_geodetic(expected["x"], expected["y"])[0][start:start + 4], equal_nan=True)
