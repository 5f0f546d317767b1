"""GeoPandas and shapely geometries between WGS84 (EPSG:4326) and PUWG 1992 (EPSG:2180), in the axis
order GIS uses: a point's x is its longitude or easting, its y its latitude or northing. (zelmor's own
functions keep the surveyors' order: to_grid takes latitude first and gives x, the northing, first.)

    >>> import geopandas, zelmor.geo
    >>> places = geopandas.GeoSeries.from_xy([21.0122, 19.9366], [52.2297, 50.0614], crs="EPSG:4326")
    >>> on_grid = zelmor.geo.to_puwg92(places)   # EPSG:2180: x easting 637382.2044..., y northing 486757.2095...
    >>> shapely.ops.transform(zelmor.geo.grid_transform, polygon)   # any geometry, longitude-latitude in

The values are to_grid's and to_geodetic's, bit for bit."""

from __future__ import annotations

import warnings
from typing import Any, Callable, List, Optional, Tuple

import numpy as np
import numpy.typing as npt

from . import to_geodetic, to_grid

__all__ = ["to_puwg92", "to_wgs84", "grid_transform", "geodetic_transform", "OutsideAreaWarning"]

WGS84 = 4326   # EPSG code of WGS84 geodetic coordinates, longitude-latitude in GIS order
PUWG92 = 2180  # EPSG code of PUWG 1992, easting-northing in GIS order


class OutsideAreaWarning(UserWarning):
    """Geometries that did not convert (outside the accepted area, or too far out for the formulas) and
    are missing (None) in the result; the warning says how many."""


def grid_transform(x: npt.ArrayLike, y: npt.ArrayLike, z: Optional[npt.ArrayLike] = None) -> Tuple[Any, ...]:
    """Longitudes `x` and latitudes `y` (degrees) to eastings and northings (metres), for
    shapely.ops.transform: (easting, northing), and `z` as it came when given. Points outside the
    accepted area (latitude 48..56, longitude 13..25) get NaN coordinates."""
    northing, easting, _ = to_grid(y, x)
    return (easting, northing) if z is None else (easting, northing, z)


def geodetic_transform(x: npt.ArrayLike, y: npt.ArrayLike, z: Optional[npt.ArrayLike] = None) -> Tuple[Any, ...]:
    """Eastings `x` and northings `y` (metres) to longitudes and latitudes (degrees), for
    shapely.ops.transform: (longitude, latitude), and `z` as it came when given."""
    latitude, longitude = to_geodetic(y, x)
    return (longitude, latitude) if z is None else (longitude, latitude, z)


def _epsg_of(points: Any, expected: int) -> None:
    """Refuses a GeoSeries in another CRS than `expected` (one without a CRS is taken to be in it)."""
    if points.crs is not None and points.crs.to_epsg() != expected:
        raise ValueError(f"the points must be in EPSG:{expected}, not {points.crs.to_string()}: "
                         f"to_crs(epsg={expected}) first")


def _converted(points: Any, source: int, target: int, transform: Callable) -> Any:
    """`points` (a GeoSeries) in `target` by `transform` (x and y to new x and y): points all at once, as
    arrays, other geometries through shapely.ops.transform; None where a geometry did not convert, empty
    and missing geometries as they were; the index and name kept."""
    # (Neither has type information in Debian 12.)
    import geopandas  # type: ignore[import]
    import shapely.ops  # type: ignore[import]

    if not isinstance(points, geopandas.GeoSeries):
        raise TypeError(f"points must be a geopandas GeoSeries, not {type(points).__name__} "
                        "(a GeoDataFrame's is its .geometry)")
    _epsg_of(points, source)
    geometries = np.asarray(points.values, dtype=object)
    result = geometries.copy()
    present = ~(points.isna().to_numpy() | points.is_empty.to_numpy())
    is_point = present & (points.geom_type == "Point").to_numpy()
    failed = 0
    if is_point.any():
        new_x, new_y = transform(points[is_point].x.to_numpy(), points[is_point].y.to_numpy())
        converted = np.isfinite(new_x) & np.isfinite(new_y)
        made = np.asarray(geopandas.points_from_xy(new_x, new_y), dtype=object)
        made[~converted] = None
        result[is_point] = made
        failed += int((~converted).sum())
    for place in np.flatnonzero(present & ~is_point):
        unconverted: List[int] = []

        def checked(*coordinates: Any) -> Tuple[Any, ...]:
            new = transform(*coordinates)
            unconverted.extend(1 for axis in new[:2] if not np.isfinite(np.asarray(axis, dtype=np.float64)).all())
            return new

        geometry = shapely.ops.transform(checked, geometries[place])
        result[place] = None if unconverted else geometry
        failed += 1 if unconverted else 0
    if failed:
        warnings.warn(f"{failed} of {len(points)} geometries did not convert (outside the accepted area: "
                      "latitude 48..56, longitude 13..25 degrees) and are missing (None)",
                      OutsideAreaWarning, stacklevel=3)
    return geopandas.GeoSeries(result, index=points.index, name=points.name, crs=f"EPSG:{target}")


def to_puwg92(points: Any) -> Any:
    """A GeoSeries of WGS84 geometries (EPSG:4326, or no CRS: x longitude, y latitude) in PUWG 1992
    (EPSG:2180: x easting, y northing), with its index and name. A geometry with a point outside the
    accepted area is None (missing) in the result, counted in an OutsideAreaWarning."""
    return _converted(points, WGS84, PUWG92, grid_transform)


def to_wgs84(points: Any) -> Any:
    """A GeoSeries of PUWG 1992 geometries (EPSG:2180, or no CRS: x easting, y northing) in WGS84
    (EPSG:4326: x longitude, y latitude), with its index and name. Points too far out for the formulas
    are None, counted in an OutsideAreaWarning."""
    return _converted(points, PUWG92, WGS84, geodetic_transform)
