"""The Python package against the C++ one-point functions, bit for bit, over any shape and dtype."""

import threading
import time

import numpy as np
import pytest

import zelmor
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


pandas = pytest.importorskip("pandas")
BASE_LATITUDE = np.linspace(47.5, 56.5, 12)
BASE_LONGITUDE = np.linspace(12.5, 25.5, 12)


@pytest.mark.parametrize(
    "latitude, longitude",
    [
        (52.5, 19.5),
        (np.float32(52.5), 19),
        ([52, 53], [19, 20]),
        (BASE_LATITUDE.reshape(3, 4), BASE_LONGITUDE[:4]),  # broadcast
        (BASE_LATITUDE.reshape(3, 4).T, BASE_LONGITUDE.reshape(3, 4).T),  # not contiguous
        (BASE_LATITUDE[::2], BASE_LONGITUDE[::2]),  # strided
        (BASE_LATITUDE.astype(np.float32), BASE_LONGITUDE.astype(np.float16)),
        (np.arange(47, 58, dtype=np.int64), np.arange(12, 23, dtype=np.uint8)),
        (pandas.Series(BASE_LATITUDE), pandas.Series(BASE_LONGITUDE)),
        (np.empty((0, 3)), np.empty(3)),
    ],
)
def test_shapes_and_dtypes(latitude, longitude):
    expected_shape = np.broadcast_shapes(np.shape(latitude), np.shape(longitude))
    flat_latitude, flat_longitude = (
        np.broadcast_to(np.asarray(value, dtype=np.float64), expected_shape).ravel() for value in (latitude, longitude)
    )
    flat = zelmor.to_grid(flat_latitude, flat_longitude)
    for result, reference, dtype in zip(zelmor.to_grid(latitude, longitude), flat, (np.float64, np.float64, np.int32)):
        assert np.shape(result) == expected_shape and np.asarray(result).dtype == dtype
        assert np.array_equal(np.ravel(result), reference, equal_nan=True)
    if expected_shape == ():
        assert all(isinstance(result, np.generic) for result in zelmor.to_grid(latitude, longitude))
    back = zelmor.to_geodetic(latitude, longitude)  # any pair of numbers is grid coordinates too
    assert all(np.shape(result) == expected_shape for result in back)


@pytest.mark.parametrize(
    "first, second, error",
    [
        ("52", 19, TypeError),
        (None, 19, TypeError),
        ([52, None], [19, 19], TypeError),
        (52, 19 + 1j, TypeError),
        (True, 19, TypeError),
        (object(), 19, TypeError),
        ([52, 53, 54], [19, 20], ValueError),
        (np.ones((2, 3)), np.ones((3, 2)), ValueError),
    ],
)
def test_bad_input_is_a_clear_error(first, second, error):
    for convert in (zelmor.to_grid, zelmor.to_geodetic):
        with pytest.raises(error):
            convert(first, second)


def test_the_interpreter_lock_is_released_while_converting():
    # This thread must go on running while another converts two million points: with the lock held, it
    # could run only in the interpreter's switching slices (5 ms) before the conversion takes the lock.
    latitude, longitude = np.full(2_000_000, 52.0), np.full(2_000_000, 19.0)
    call, steps = [], []

    def convert():
        call.append(time.perf_counter())
        zelmor.to_grid(latitude, longitude)
        call.append(time.perf_counter())

    worker = threading.Thread(target=convert)
    worker.start()
    while worker.is_alive():
        steps.append(time.perf_counter())
    worker.join()
    during = [step for step in steps if call[0] < step < call[1]]
    assert during and during[-1] - during[0] > (call[1] - call[0]) / 2
