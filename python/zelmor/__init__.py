"""Conversions between WGS84 geodetic coordinates and the Polish national grid PUWG 1992.

PUWG 1992 is a single-zone Gauss-Krueger projection of the GRS80 ellipsoid with central meridian
19 degrees east, scale 0.9993 on that meridian, false northing -5 300 000 m and false easting
500 000 m. The two functions take numpy arrays of any shape (or lists, scalars, pandas Series,
masked arrays; Dask arrays, xarray DataArrays and pandas Series give results of their own kind),
broadcast together and paired by position, and give the zelmor C++ library's results bit for bit, computed with the interpreter lock released so that threads convert in parallel, and in
slices, so that Ctrl-C stops a long call at once:

    >>> import zelmor
    >>> x, y, status = zelmor.to_grid([52.0, 47.0], [19.0, 19.0])
    >>> latitude, longitude = zelmor.to_geodetic(x[:1], y[:1])

Coordinates keep the order of the zelmor program's files: latitude before longitude, x (northing)
before y (easting).
"""

from __future__ import annotations

from typing import Any, Optional, Sequence, Tuple, Union, cast

import numpy as np
import numpy.typing as npt

from . import _zelmor
from ._arrays import TO_GEODETIC, TO_GRID
from ._kinds import convert_kind

__all__ = ["to_grid", "to_geodetic", "with_grid", "with_geodetic", "CONVERTED", "LATITUDE_OUTSIDE",
           "LONGITUDE_OUTSIDE"]
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


def to_grid(latitude: npt.ArrayLike, longitude: npt.ArrayLike, *,
            out: Optional[Tuple[np.ndarray, np.ndarray, np.ndarray]] = None) -> Tuple[Floats, Floats, Statuses]:
    """WGS84 latitude and longitude to PUWG 1992 x and y.

    Parameters
    ----------
    latitude, longitude
        Decimal degrees, north and east positive: arrays of any real dtype (taken as float64) and of
        shapes that broadcast together, or lists and tuples of real numbers, scalars, pandas Series
        (of numpy dtypes or pandas' nullable ones, whose pd.NA is NaN here), masked arrays.
        Dask arrays give Dask arrays of the results, in the same chunks, computed block by block
        only when asked for; xarray DataArrays give DataArrays with their dimensions and coordinates
        (lazy where they are Dask-backed); pandas Series give Series with their index. Two Series (or
        DataArrays) whose indexes differ are refused rather than paired by position.
    out
        Arrays to write the results into, instead of new ones: numpy arrays of the results' dtypes and
        of the points' broadcast shape, writeable and C-contiguous; they are returned.

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
        its first element that is not a number and where it is; `out` that is not a tuple of numpy
        arrays of the results' dtypes, or given with Dask arrays or DataArrays.
    ValueError
        Shapes that do not broadcast together; Series or DataArrays whose indexes differ; `out`
        arrays of another shape, not writeable or contiguous, or sharing memory.
    KeyboardInterrupt
        Ctrl-C during the call, which stops it within a fraction of a second.
    """
    # (Typed as numpy's results: other kinds' are typed by their own packages, where at all.)
    return cast(Tuple[Floats, Floats, Statuses], convert_kind(TO_GRID, latitude, longitude, out))


def to_geodetic(x: npt.ArrayLike, y: npt.ArrayLike, *,
                out: Optional[Tuple[np.ndarray, np.ndarray]] = None) -> Tuple[Floats, Floats]:
    """PUWG 1992 x and y to WGS84 latitude and longitude.

    Parameters
    ----------
    x, y
        x (northing) and y (easting) in metres: arrays of any real dtype (taken as float64) and of
        shapes that broadcast together, or lists and tuples of real numbers, scalars, pandas Series
        (of numpy dtypes or pandas' nullable ones, whose pd.NA is NaN here), masked arrays.
        Dask arrays give Dask arrays of the results, in the same chunks, computed block by block
        only when asked for; xarray DataArrays give DataArrays with their dimensions and coordinates
        (lazy where they are Dask-backed); pandas Series give Series with their index. Two Series (or
        DataArrays) whose indexes differ are refused rather than paired by position.
    out
        Arrays to write the results into, instead of new ones: numpy arrays of the results' dtypes and
        of the points' broadcast shape, writeable and C-contiguous; they are returned.

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
        its first element that is not a number and where it is; `out` that is not a tuple of numpy
        arrays of the results' dtypes, or given with Dask arrays or DataArrays.
    ValueError
        Shapes that do not broadcast together; Series or DataArrays whose indexes differ; `out`
        arrays of another shape, not writeable or contiguous, or sharing memory.
    KeyboardInterrupt
        Ctrl-C during the call, which stops it within a fraction of a second.
    """
    return cast(Tuple[Floats, Floats], convert_kind(TO_GEODETIC, x, y, out))


def _with_columns(frame: Any, convert: Any, columns: Tuple[str, str], names: Sequence[str]) -> Any:
    """A copy of `frame` with `convert`'s results of its two `columns` added under `names`; a Dask
    DataFrame's partition by partition."""
    if type(frame).__module__.split(".")[0] == "dask":
        return frame.map_partitions(_with_columns, convert, columns, names)
    return frame.assign(**dict(zip(names, convert(frame[columns[0]], frame[columns[1]]))))


def with_grid(frame: Any, latitude: str = "latitude", longitude: str = "longitude",
              names: Sequence[str] = ("x", "y", "status")) -> Any:
    """A copy of the pandas (or Dask) DataFrame `frame` with the grid's columns added: x, y and status
    of its columns `latitude` and `longitude` (see to_grid), under `names`, row by row with its index.
    A Dask DataFrame gets them partition by partition, lazily."""
    return _with_columns(frame, to_grid, (latitude, longitude), names)


def with_geodetic(frame: Any, x: str = "x", y: str = "y", names: Sequence[str] = ("latitude", "longitude")) -> Any:
    """A copy of the pandas (or Dask) DataFrame `frame` with latitude and longitude of its columns `x`
    and `y` added (see to_geodetic), under `names`."""
    return _with_columns(frame, to_geodetic, (x, y), names)
