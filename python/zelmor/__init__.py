"""Conversions between WGS84 geodetic coordinates and the Polish national grid PUWG 1992.

PUWG 1992 is a single-zone Gauss-Krueger projection of the GRS80 ellipsoid with central meridian
19 degrees east, scale 0.9993 on that meridian, false northing -5 300 000 m and false easting
500 000 m. The two functions take numpy arrays of any shape (or anything numpy makes one of: lists,
scalars, pandas Series), broadcast together, and give the zelmor C++ library's results bit for bit,
computed with the interpreter lock released so that threads convert in parallel:

    >>> import zelmor
    >>> x, y, status = zelmor.to_grid([52.0, 47.0], [19.0, 19.0])
    >>> latitude, longitude = zelmor.to_geodetic(x[:1], y[:1])

Coordinates keep the order of the zelmor program's files: latitude before longitude, x (northing)
before y (easting).
"""

from __future__ import annotations

from typing import Tuple, Union

import numpy as np
import numpy.typing as npt

from . import _zelmor

__all__ = ["to_grid", "to_geodetic", "CONVERTED", "LATITUDE_OUTSIDE", "LONGITUDE_OUTSIDE"]
__version__ = "1.0.0"

#: Status of a point converted to the grid.
CONVERTED: int = _zelmor.CONVERTED
#: Status of a point whose latitude lies outside 48..56 degrees (checked first).
LATITUDE_OUTSIDE: int = _zelmor.LATITUDE_OUTSIDE
#: Status of a point whose longitude lies outside 13..25 degrees.
LONGITUDE_OUTSIDE: int = _zelmor.LONGITUDE_OUTSIDE

#: A float64 result: an array of the inputs' broadcast shape, or a numpy scalar for scalar inputs.
Floats = Union[npt.NDArray[np.float64], np.float64]
#: An int32 status result, shaped as the float results.
Statuses = Union[npt.NDArray[np.int32], np.int32]


def _coordinates(first: npt.ArrayLike, second: npt.ArrayLike, names: Tuple[str, str]):
    """The two coordinates as flat, contiguous float64 arrays of their broadcast shape, and that shape."""
    arrays = []
    for value, name in zip((first, second), names):
        array = np.asarray(value)
        # Signed and unsigned integers and floats are real numbers; booleans, complex numbers,
        # strings, None and other objects are not coordinates.
        if array.dtype.kind not in "iuf":
            raise TypeError(f"{name} must be real numbers, not {array.dtype} ({type(value).__name__})")
        arrays.append(array)
    try:
        broadcast = np.broadcast_arrays(*arrays)
    except ValueError:
        raise ValueError(
            f"{names[0]} and {names[1]} cannot be broadcast together: shapes {arrays[0].shape} and {arrays[1].shape}"
        ) from None
    shape = broadcast[0].shape
    flat = [np.ascontiguousarray(array, dtype=np.float64).reshape(-1) for array in broadcast]
    return flat[0], flat[1], shape


def _convert(conversion, first: npt.ArrayLike, second: npt.ArrayLike, names: Tuple[str, str]):
    """The results of the extension's `conversion` of the two coordinates, in their broadcast shape (numpy
    scalars when that is the shape of a scalar)."""
    flat_first, flat_second, shape = _coordinates(first, second, names)
    return tuple(result.reshape(shape)[()] for result in conversion(flat_first, flat_second))


def to_grid(latitude: npt.ArrayLike, longitude: npt.ArrayLike) -> Tuple[Floats, Floats, Statuses]:
    """WGS84 latitude and longitude to PUWG 1992 x and y.

    Parameters
    ----------
    latitude, longitude
        Decimal degrees, north and east positive: arrays of any real dtype (taken as float64) and of
        shapes that broadcast together, or lists, scalars, pandas Series.

    Returns
    -------
    x, y, status
        x (northing) and y (easting) in metres, float64, and the status of each point, int32:
        0 (CONVERTED) converted; 1 (LATITUDE_OUTSIDE) latitude outside 48..56 degrees, checked
        first; 2 (LONGITUDE_OUTSIDE) longitude outside 13..25 degrees. Both ends of each range are
        inside. x and y are NaN where the status is not 0. A latitude or longitude that is NaN
        passes its own check and gives NaN x and y with status 0. Scalars in give numpy scalars out.

    Raises
    ------
    TypeError
        A coordinate that is not real numbers (strings, None, booleans, complex numbers).
    ValueError
        Shapes that do not broadcast together.
    """
    return _convert(_zelmor.to_grid, latitude, longitude, ("latitude", "longitude"))


def to_geodetic(x: npt.ArrayLike, y: npt.ArrayLike) -> Tuple[Floats, Floats]:
    """PUWG 1992 x and y to WGS84 latitude and longitude.

    Parameters
    ----------
    x, y
        x (northing) and y (easting) in metres: arrays of any real dtype (taken as float64) and of
        shapes that broadcast together, or lists, scalars, pandas Series.

    Returns
    -------
    latitude, longitude
        Decimal degrees, float64. Every point converts, inside the country or not; longitudes stay
        within -71..109 degrees (the longitude difference comes from a one-argument arctangent), and
        points too far out for the formulas (such as x = 1e300) give NaN. Scalars in give numpy
        scalars out.

    Raises
    ------
    TypeError
        A coordinate that is not real numbers (strings, None, booleans, complex numbers).
    ValueError
        Shapes that do not broadcast together.
    """
    return _convert(_zelmor.to_geodetic, x, y, ("x", "y"))
