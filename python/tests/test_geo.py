"""GeoPandas and shapely in GIS axis order: values bit for bit to_grid's and to_geodetic's, the CRS set, the
index kept, geometries that do not convert missing and counted. (Skipped without GeoPandas and shapely,
unless ZELMOR_REQUIRE_PYTHON_EXTRAS=1.)"""

import warnings

import numpy as np
import pytest

import zelmor
from conftest import optional

geopandas, geometry, ops = (optional(name) for name in ("geopandas", "shapely.geometry", "shapely.ops"))
import zelmor.geo  # noqa: E402  (after the skip: it needs nothing, but its tests do)


def bits(values):
    return np.asarray(values, dtype=np.float64).view(np.uint64)


def converted(convert, series):
    with warnings.catch_warnings(record=True) as said:
        warnings.simplefilter("always")
        result = convert(series)
    counts = [str(w.message).split(" of ")[0] for w in said if issubclass(w.category, zelmor.geo.OutsideAreaWarning)]
    return result, int(counts[0]) if counts else 0


# Each row: longitude-latitude points (None: a missing geometry), and how many of them do not convert.
@pytest.mark.parametrize(
    "points, outside",
    [
        ([(21.0122, 52.2297), (19.9366, 50.0614), (14.55, 53.43)], 0),
        ([(21.0, 52.0), (30.0, 52.0), (19.0, 47.0), None], 2),
        ([], 0),
    ],
)
def test_points_go_to_the_grid_easting_first_and_back(points, outside):
    series = geopandas.GeoSeries([geometry.Point(p) if p else None for p in points], index=np.arange(len(points)) * 3,
                                 crs="EPSG:4326", name="places")
    grid, failed = converted(zelmor.geo.to_puwg92, series)
    assert failed == outside and grid.crs.to_epsg() == 2180 and grid.index.equals(series.index) and grid.name == "places"
    for point, result in zip(points, grid):
        x, y, status = zelmor.to_grid(point[1], point[0]) if point else (np.nan, np.nan, 1)
        assert (result is None) == (status != 0)
        if result is not None:  # x is the easting, to_grid's y; y the northing, to_grid's x
            assert bits([result.x, result.y]).tolist() == bits([y, x]).tolist()
    back, failed = converted(zelmor.geo.to_wgs84, grid)
    assert failed == 0 and back.crs.to_epsg() == 4326
    for result, on_grid in zip(back, grid):
        if on_grid is not None:
            latitude, longitude = zelmor.to_geodetic(on_grid.y, on_grid.x)
            assert bits([result.x, result.y]).tolist() == bits([longitude, latitude]).tolist()


def test_other_geometries_through_shapelys_transform():
    line = geometry.LineString([(19.0, 52.0), (20.5, 53.25), (21.0, 50.0)])
    on_grid = ops.transform(zelmor.geo.grid_transform, line)
    x, y, _ = zelmor.to_grid([52.0, 53.25, 50.0], [19.0, 20.5, 21.0])
    assert bits(np.array(on_grid.coords)).tolist() == bits(np.column_stack([y, x])).tolist()
    assert ops.transform(zelmor.geo.geodetic_transform, on_grid).equals_exact(line, 1e-9)
    series = geopandas.GeoSeries([line, geometry.Polygon([(19, 52), (30, 52), (19, 53)])], crs="EPSG:4326")
    grid, failed = converted(zelmor.geo.to_puwg92, series)
    assert failed == 1 and grid[0].equals(on_grid) and grid[1] is None


@pytest.mark.parametrize("given, error", [
    (lambda: geopandas.GeoSeries([geometry.Point(19, 52)], crs="EPSG:3857"), ValueError),
    (lambda: [geometry.Point(19, 52)], TypeError),
])
def test_what_is_not_a_wgs84_geoseries_is_refused(given, error):
    with pytest.raises(error):
        zelmor.geo.to_puwg92(given())
