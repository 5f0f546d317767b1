"""The numpy side of the conversions: arguments read as real numbers, broadcast together, and handed to
the extension whole or a slice at a time, into new result arrays or the caller's own."""

from __future__ import annotations

import numbers
from typing import Any, Callable, List, NamedTuple, Optional, Tuple

import numpy as np
import numpy.typing as npt

from . import _zelmor


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


def reals(value: npt.ArrayLike, name: str) -> Tuple[np.ndarray, Optional[np.ndarray]]:
    """`value` as an array of real numbers of its shape, and the mask of its hidden values (a masked
    array's), or None. Hidden values are NaN in the array: they are converted as NaN, and their results
    are masked."""
    if np.ma.isMaskedArray(value):
        data, _ = reals(np.ma.getdata(value), name)
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


class Conversion(NamedTuple):
    """One direction of the extension: the conversion into given one-dimensional arrays, the new result
    arrays of a shape that it fills, and the names of its arguments and results and its results' dtypes."""

    into: Callable[..., None]
    new_results: Callable[[Tuple[int, ...]], Tuple[np.ndarray, ...]]
    names: Tuple[str, str]
    result_names: Tuple[str, ...]
    result_dtypes: Tuple[type, ...]


TO_GRID = Conversion(_zelmor.to_grid_into, _zelmor.new_grid_results, ("latitude", "longitude"),
                     ("x", "y", "status"), (np.float64, np.float64, np.int32))
TO_GEODETIC = Conversion(_zelmor.to_geodetic_into, _zelmor.new_geodetic_results, ("x", "y"),
                         ("latitude", "longitude"), (np.float64, np.float64))


def _ready(array: np.ndarray) -> bool:
    """Whether the extension can read `array` as it is: contiguous, aligned float64, no value repeated
    by broadcasting."""
    return array.dtype == np.float64 and array.flags.c_contiguous and array.flags.aligned


def _in_slices(conversion: Conversion, arrays: List[np.ndarray], results: List[np.ndarray]) -> None:
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


def _given_results(conversion: Conversion, out: Any, shape: Tuple[int, ...],
                   inputs: List[np.ndarray]) -> Tuple[np.ndarray, ...]:
    """The caller's result arrays `out`, checked: one for each result, numpy arrays of its dtype and of
    the points' shape, writeable, C-contiguous and aligned (the extension writes them directly), and
    sharing no memory with each other or the coordinates."""
    count = len(conversion.result_names)
    if not isinstance(out, tuple) or len(out) != count:
        raise TypeError(f"out must be a tuple of {count} arrays ({', '.join(conversion.result_names)}), "
                        f"not {type(out).__name__}")
    for place, (array, name, dtype) in enumerate(zip(out, conversion.result_names, conversion.result_dtypes)):
        if not isinstance(array, np.ndarray) or np.ma.isMaskedArray(array):
            raise TypeError(f"out's {name} must be a numpy array, not {type(array).__name__}")
        if array.dtype != dtype:
            raise TypeError(f"out's {name} must be {np.dtype(dtype)}, not {array.dtype}")
        if array.shape != shape:
            raise ValueError(f"out's {name} must have the points' shape {shape}, not {array.shape}")
        if not (array.flags.writeable and array.flags.c_contiguous and array.flags.aligned):
            raise ValueError(f"out's {name} must be a writeable, C-contiguous and aligned array")
        others = list(out[:place]) + list(out[place + 1:]) + inputs
        if any(np.may_share_memory(array, other) for other in others):
            raise ValueError(f"out's {name} shares memory with another result or with a coordinate")
    return out


def convert(conversion: Conversion, first: npt.ArrayLike, second: npt.ArrayLike, out: Any = None):
    """The results of the extension's `conversion` of the two coordinates, paired by position and
    broadcast together: in their broadcast shape (numpy scalars when that is a scalar's), masked where
    either coordinate is; or, with `out`, written into the caller's arrays, which are returned. Arrays
    the extension reads as they are go to it whole, and so do small ones; any other (broadcast,
    strided, of another dtype) a slice at a time."""
    names = conversion.names
    (first_array, first_mask), (second_array, second_mask) = reals(first, names[0]), reals(second, names[1])
    try:
        broadcast = np.broadcast_arrays(first_array, second_array)
    except ValueError:
        raise ValueError(
            f"{names[0]} and {names[1]} cannot be broadcast together: shapes {first_array.shape} and {second_array.shape}"
        ) from None
    shape = broadcast[0].shape
    # Made in their final shape (or the caller's), and written through one-dimensional views of their memory.
    if out is None:
        results: Tuple[np.ndarray, ...] = conversion.new_results(shape)
    else:
        results = _given_results(conversion, out, shape, [first_array, second_array])
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
    if out is not None:
        return results
    # A scalar's results as numpy scalars; every other result is the array itself, not a view of it.
    return tuple(result[()] if result.ndim == 0 else result for result in results)
