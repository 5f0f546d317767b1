"""Conversions between WGS84 geodetic coordinates and the Polish national grid PUWG 1992.

PUWG 1992 is a single-zone Gauss-Krueger projection of the GRS80 ellipsoid with central meridian
19 degrees east, scale 0.9993 on that meridian, false northing -5 300 000 m and false easting
500 000 m. The two functions take numpy arrays of any shape (or lists, scalars, pandas Series,
masked arrays), broadcast together and paired by position, and give the zelmor C++ library's results
bit for bit, computed with the interpreter lock released so that threads convert in parallel, and in
slices, so that Ctrl-C stops a long call at once:

    >>> import zelmor
    >>> x, y, status = zelmor.to_grid([52.0, 47.0], [19.0, 19.0])
    >>> latitude, longitude = zelmor.to_geodetic(x[:1], y[:1])

Coordinates keep the order of the zelmor program's files: latitude before longitude, x (northing)
before y (easting).
"""

from __future__ import annotations

import numbers
from typing import Callable, List, NamedTuple, Optional, Tuple, Union

import numpy as np
import numpy.typing as npt

from . import _zelmor

__all__ = ["to_grid", "to_geodetic", "CONVERTED", "LATITUDE_OUTSIDE", "LONGITUDE_OUTSIDE"]
__version__: str = _zelmor.__version__

#: Status of a point converted to the grid.
CONVERTED: int = _zelmor.CONVERTED
#: Status of a point whose latitude lies outside 48..56 degrees (checked first).
LATITUDE_OUTSIDE: int = _zelmor.LATITUDE_OUTSIDE
#: Status of a point whose longitude lies outside 13..25 degrees.
LONGITUDE_OUTSIDE: int = _zelmor.LONGITUDE_OUTSIDE

#: A float64 result: an array of the inputs' broadcast shape (masked where an input is), or a numpy
#: scalar for scalar inputs.
Floats = Union[npt.NDArray[np.float64], np.float64]
#: An int32 status result, shaped (and masked) as the float results.
Statuses = Union[npt.NDArray[np.int32], np.int32]


def _is_missing_value(kind: type) -> bool:
    """Whether `kind` is the type of pandas' missing value, pd.NA (told without importing pandas)."""
    return kind.__name__ == "NAType" and kind.__module__.startswith("pandas")


def _is_real(kind: type) -> bool:
    """Whether values of type `kind` are real numbers: Python's and numpy's integers and floats, and
    anything else registered as numbers.Real, but not booleans, which numpy would take as 0 and 1."""
    return issubclass(kind, numbers.Real) and not issubclass(kind, (bool, np.bool_))


def _position(flat_index: int, shape: Tuple[int, ...]) -> object:
    """The position of the `flat_index`th element of an array of `shape`: a number for a one-dimensional
    array, a tuple of indices for others."""
    where = tuple(int(index) for index in np.unravel_index(flat_index, shape))
    return where[0] if len(where) == 1 else where


def _from_objects(array: np.ndarray, name: str) -> np.ndarray:
    """An array of Python objects (from a list, a tuple, an object array or Series) as float64, each
    element a real number or pd.NA, which is NaN; a TypeError names the argument and what it held."""
    flat = array.ravel()
    kinds = set(map(type, flat))
    wrong = {kind for kind in kinds if not (_is_real(kind) or _is_missing_value(kind))}
    if wrong:
        # The first element that is not a number, where it is: in a column read as text (a decimal comma
        # read with a reader that expects a point), the one row to look at.
        position, held = next((i, element) for i, element in enumerate(flat) if type(element) in wrong)
        raise TypeError(f"{name} must be real numbers, but holds {held!r} ({type(held).__name__}) "
                        f"at position {_position(position, array.shape)}")
    if any(_is_missing_value(kind) for kind in kinds):
        flat = np.array([np.nan if _is_missing_value(type(element)) else element for element in flat], dtype=object)
    return flat.astype(np.float64).reshape(array.shape)


def _reals(value: npt.ArrayLike, name: str) -> Tuple[np.ndarray, Optional[np.ndarray]]:
    """`value` as an array of real numbers of its shape, and the mask of its hidden values (a masked
    array's), or None. Hidden values are NaN in the array: they are converted as NaN, and their results
    are masked."""
    if np.ma.isMaskedArray(value):
        data, _ = _reals(np.ma.getdata(value), name)
        mask = np.ma.getmaskarray(value)
        return np.where(mask, np.nan, data), mask
    dtype = getattr(value, "dtype", None)
    if dtype is not None and not isinstance(dtype, np.dtype) and hasattr(value, "to_numpy"):
        # pandas' own types: the nullable numbers (Float64, Int64 and the like) are real numbers, with
        # pd.NA a missing value; others (boolean, string, category) are not.
        if dtype.kind not in "iuf":
            raise TypeError(f"{name} must be real numbers, not {dtype} ({type(value).__name__})")
        return value.to_numpy(dtype=np.float64, na_value=np.nan), None
    if isinstance(value, (list, tuple)):
        # As objects, so that a boolean among the numbers stays one (numpy would make it 1.0).
        array = np.array(value, dtype=object)
    else:
        array = np.asarray(value)
    if array.dtype == object:
        array = _from_objects(array, name)
    # Signed and unsigned integers and floats are real numbers; booleans, complex numbers, strings
    # and dates are not coordinates.
    if array.dtype.kind not in "iuf":
        first = f": {array.flat[0]!r} at position {_position(0, array.shape)}" if array.size else ""
        raise TypeError(f"{name} must be real numbers, not {array.dtype} ({type(value).__name__}){first}")
    return array, None


class _Conversion(NamedTuple):
    """One direction of the extension: the conversion into given one-dimensional arrays, and the new
    result arrays of a shape that it fills."""

    into: Callable[..., None]
    new_results: Callable[[Tuple[int, ...]], Tuple[np.ndarray, ...]]


_TO_GRID = _Conversion(_zelmor.to_grid_into, _zelmor.new_grid_results)
_TO_GEODETIC = _Conversion(_zelmor.to_geodetic_into, _zelmor.new_geodetic_results)


def _ready(array: np.ndarray) -> bool:
    """Whether the extension can read `array` as it is: contiguous, aligned float64, no value repeated
    by broadcasting."""
    return array.dtype == np.float64 and array.flags.c_contiguous and array.flags.aligned


def _in_slices(conversion: _Conversion, arrays: List[np.ndarray], results: List[np.ndarray]) -> None:
    """The conversion of broadcast, strided, unaligned or other-typed `arrays` into the one-dimensional
    `results`, read a slice at a time as contiguous, aligned float64 (numpy's buffered iteration, in C
    order), so that no full-size copy of them is ever made: memory is the results', and Ctrl-C is heard
    after each slice."""
    # (numpy 1.24's type stubs leave out the "contig" flag, which nditer takes.)
    slices = np.nditer(arrays, flags=["external_loop", "buffered", "zerosize_ok"],
                       op_flags=[["readonly", "contig", "aligned"]] * 2,  # type: ignore[list-item]
                       op_dtypes=[np.float64] * 2, casting="unsafe", buffersize=_zelmor.SLICE_POINTS, order="C")
    at = 0
    for first, second in slices:
        end = at + len(first)
        conversion.into(first, second, *(result[at:end] for result in results))
        at = end


def _convert(conversion: _Conversion, first: npt.ArrayLike, second: npt.ArrayLike, names: Tuple[str, str]):
    """The results of the extension's `conversion` of the two coordinates, paired by position and
    broadcast together: in their broadcast shape (numpy scalars when that is a scalar's), masked where
    either coordinate is. Arrays the extension reads as they are go to it whole, and so do small ones;
    any other (broadcast, strided, of another dtype) a slice at a time."""
    (first_array, first_mask), (second_array, second_mask) = _reals(first, names[0]), _reals(second, names[1])
    try:
        broadcast = np.broadcast_arrays(first_array, second_array)
    except ValueError:
        raise ValueError(
            f"{names[0]} and {names[1]} cannot be broadcast together: shapes {first_array.shape} and {second_array.shape}"
        ) from None
    shape = broadcast[0].shape
    # Made in their final shape, and written through one-dimensional views of their own memory.
    results: Tuple[np.ndarray, ...] = conversion.new_results(shape)
    flat_results = [result.reshape(-1) for result in results]
    if all(_ready(array) for array in broadcast) or results[0].size <= _zelmor.SLICE_POINTS:
        # Contiguous and aligned, as the C++ code reads doubles: as they are, or copied when that is small.
        flat = [np.require(array, np.float64, ["C_CONTIGUOUS", "ALIGNED"]).reshape(-1) for array in broadcast]
        conversion.into(*flat, *flat_results)
    else:
        _in_slices(conversion, broadcast, flat_results)
    if first_mask is not None or second_mask is not None:
        hidden = np.zeros(shape, dtype=bool)
        for mask in (first_mask, second_mask):
            if mask is not None:
                hidden |= np.broadcast_to(mask, shape)
        results = tuple(np.ma.masked_array(result, mask=hidden) for result in results)
    # A scalar's results as numpy scalars; every other result is the array itself, not a view of it.
    return tuple(result[()] if result.ndim == 0 else result for result in results)


def to_grid(latitude: npt.ArrayLike, longitude: npt.ArrayLike) -> Tuple[Floats, Floats, Statuses]:
    """WGS84 latitude and longitude to PUWG 1992 x and y.

    Parameters
    ----------
    latitude, longitude
        Decimal degrees, north and east positive: arrays of any real dtype (taken as float64) and of
        shapes that broadcast together, or lists and tuples of real numbers, scalars, pandas Series
        (of numpy dtypes or pandas' nullable ones, whose pd.NA is NaN here), masked arrays. Two
        Series are paired by position, not by their index.

    Returns
    -------
    x, y, status
        x (northing) and y (easting) in metres, float64, and the status of each point, int32:
        0 (CONVERTED) converted; 1 (LATITUDE_OUTSIDE) latitude outside 48..56 degrees, checked
        first; 2 (LONGITUDE_OUTSIDE) longitude outside 13..25 degrees. Both ends of each range are
        inside. x and y are NaN where the status is not 0. A latitude or longitude that is NaN (a
        missing value) passes its own check and gives NaN x and y with status 0: to tell missing
        points apart, test x for NaN. Scalars in give numpy scalars out; where an input is a masked
        array, all three results are masked where it is.

    Raises
    ------
    TypeError
        A coordinate that is not real numbers (strings, None, booleans, complex numbers), named with
        what it held.
    ValueError
        Shapes that do not broadcast together.
    KeyboardInterrupt
        Ctrl-C during the call, which stops it within a fraction of a second.
    """
    return _convert(_TO_GRID, latitude, longitude, ("latitude", "longitude"))


def to_geodetic(x: npt.ArrayLike, y: npt.ArrayLike) -> Tuple[Floats, Floats]:
    """PUWG 1992 x and y to WGS84 latitude and longitude.

    Parameters
    ----------
    x, y
        x (northing) and y (easting) in metres: arrays of any real dtype (taken as float64) and of
        shapes that broadcast together, or lists and tuples of real numbers, scalars, pandas Series
        (of numpy dtypes or pandas' nullable ones, whose pd.NA is NaN here), masked arrays. Two
        Series are paired by position, not by their index.

    Returns
    -------
    latitude, longitude
        Decimal degrees, float64. Every point converts, inside the country or not; longitudes stay
        within -71..109 degrees (the longitude difference comes from a one-argument arctangent), and
        points too far out for the formulas (such as x = 1e300), or missing (NaN), give NaN. Scalars
        in give numpy scalars out; where an input is a masked array, the results are masked where it
        is.

    Raises
    ------
    TypeError
        A coordinate that is not real numbers (strings, None, booleans, complex numbers), named with
        what it held.
    ValueError
        Shapes that do not broadcast together.
    KeyboardInterrupt
        Ctrl-C during the call, which stops it within a fraction of a second.
    """
    return _convert(_TO_GEODETIC, x, y, ("x", "y"))
