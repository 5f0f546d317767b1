"""Arguments that keep their kind: Dask arrays (results are Dask arrays, computed block by block when
asked for), xarray DataArrays (results are DataArrays with their dimensions and coordinates) and pandas
Series (results are Series with their index). Each is told by its type's name and module, so that no
package is imported that the caller has not."""

from __future__ import annotations

from typing import Any, Optional, Tuple

import numpy as np

from . import _arrays


def _is(value: Any, package: str, name: str) -> bool:
    kind = type(value)
    return kind.__name__ == name and kind.__module__.split(".")[0] == package


def _is_dask_frame_column(value: Any) -> bool:
    return _is(value, "dask", "Series") or _is(value, "dask", "DataFrame")


def kind_of(first: Any, second: Any) -> Optional[str]:
    """"xarray", "dask" or "pandas" when either argument is of that kind (in that order), else None."""
    for package, name in (("xarray", "DataArray"), ("dask", "Array"), ("pandas", "Series")):
        if _is(first, package, name) or _is(second, package, name):
            return package
    if _is_dask_frame_column(first) or _is_dask_frame_column(second):
        return "dask frame"
    return None


def _no_out(out: Any, kind: str) -> None:
    if out is not None:
        raise TypeError(f"out= takes numpy arrays; the results of {kind} are made by it")


def _dask(conversion: _arrays.Conversion, first: Any, second: Any) -> Tuple[Any, ...]:
    """Dask arrays of the results, in the chunks of the (first) Dask coordinate, broadcast together; each
    block is converted when it is computed, all of its results at once."""
    import dask.array as da

    names = conversion.names
    arguments = []
    for value, name in ((first, names[0]), (second, names[1])):
        if _is(value, "dask", "Array"):
            if value.dtype.kind not in "iuf":
                raise TypeError(f"{name} must be real numbers, not {value.dtype} ({type(value).__name__})")
            arguments.append(value)
        else:
            arguments.append(_arrays.reals(value, name)[0])

    def block(first_block: np.ndarray, second_block: np.ndarray) -> Tuple[np.ndarray, ...]:
        return tuple(np.asarray(result) for result in _arrays.convert(conversion, first_block, second_block))

    # Broadcast together, and in the chunks of the first Dask argument (the other rechunked to them).
    broadcast = da.broadcast_arrays(*(da.asarray(argument) for argument in arguments))
    chunks = broadcast[0 if _is(first, "dask", "Array") else 1].chunks
    broadcast = [array.rechunk(chunks) for array in broadcast]
    signature = "(),()->" + ",".join(["()"] * len(conversion.result_names))
    return tuple(da.apply_gufunc(block, signature, *broadcast, output_dtypes=list(conversion.result_dtypes)))


def _xarray(conversion: _arrays.Conversion, first: Any, second: Any) -> Tuple[Any, ...]:
    """DataArrays of the results, named, with the coordinates' dimensions and coordinates; lazy where the
    coordinates are Dask-backed. Coordinates whose indexes differ are refused (xarray's exact join)."""
    import xarray

    def block(first_data: Any, second_data: Any) -> Tuple[Any, ...]:
        return convert_kind(conversion, first_data, second_data, None)

    results = xarray.apply_ufunc(block, first, second, output_core_dims=[[]] * len(conversion.result_names),
                                 dask="allowed", join="exact")
    return tuple(result.rename(name) for result, name in zip(results, conversion.result_names))


def _pandas(conversion: _arrays.Conversion, first: Any, second: Any, out: Any) -> Tuple[Any, ...]:
    """Series of the results with the coordinates' index. Two Series whose indexes differ are refused:
    paired by position, a filtered or re-sorted frame's points would get another point's coordinates."""
    names = conversion.names
    series = [value for value in (first, second) if _is(value, "pandas", "Series")]
    if len(series) == 2 and not series[0].index.equals(series[1].index):
        raise ValueError(
            f"{names[0]} and {names[1]} have different indexes, and would be paired by position: align them "
            f"first ({names[0]}, {names[1]} = {names[0]}.align({names[1]})), or give each one's .to_numpy() "
            "to pair them by position")
    results = _arrays.convert(conversion, first, second, out)
    index = series[0].index
    if out is not None or np.shape(results[0]) != (len(index),):
        return results
    return tuple(type(series[0])(result, index=index, name=name, copy=False)
                 for result, name in zip(results, conversion.result_names))


def convert_kind(conversion: _arrays.Conversion, first: Any, second: Any, out: Any) -> Tuple[Any, ...]:
    """The conversion of arguments of any kind, each kind's results of its own kind."""
    kind = kind_of(first, second)
    if kind is None:
        return _arrays.convert(conversion, first, second, out)
    if kind == "pandas":
        return _pandas(conversion, first, second, out)
    _no_out(out, {"dask": "Dask arrays", "xarray": "DataArrays"}.get(kind, "Dask dataframes"))
    if kind == "dask":
        return _dask(conversion, first, second)
    if kind == "xarray":
        return _xarray(conversion, first, second)
    raise TypeError("columns of a Dask dataframe are converted partition by partition: use "
                    "zelmor.with_grid(frame) or zelmor.with_geodetic(frame), or frame.map_partitions")
