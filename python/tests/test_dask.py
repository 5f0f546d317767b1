"""Points in Dask arrays and dataframes, converted block by block as the README shows: on threads, and on
a cluster of local worker processes whose every listening socket is on 127.0.0.1; the results are the
single call's, bit for bit. (Where Dask or the packages it brings are missing these are skipped, unless
ZELMOR_REQUIRE_PYTHON_EXTRAS=1.)"""

import sys

import numpy as np

import zelmor
from conftest import optional

da, dd, distributed, pandas, psutil, cloudpickle = (
    optional(name) for name in ("dask.array", "dask.dataframe", "distributed", "pandas", "psutil", "cloudpickle")
)
# The functions below travel to the worker processes by value: this module is not on their path.
cloudpickle.register_pickle_by_value(sys.modules[__name__])

random = np.random.default_rng(7)
LATITUDE = random.uniform(47.5, 56.5, 100_000)
LONGITUDE = random.uniform(12.5, 25.5, 100_000)


def grid_of(latitude, longitude):
    """x and y of Dask arrays of latitude and longitude, stacked: one array of shape (2, ...)."""
    return da.map_blocks(lambda a, b: np.stack(zelmor.to_grid(a, b)[:2]), latitude, longitude, new_axis=0,
                         chunks=((2,),) + latitude.chunks, dtype=np.float64)


def with_grid(points):
    """A partition of points with x, y and status beside latitude and longitude."""
    x, y, status = zelmor.to_grid(points["latitude"], points["longitude"])
    return points.assign(x=x, y=y, status=status)


def same_as_one_call(x, y, status=None):
    expected = zelmor.to_grid(LATITUDE, LONGITUDE)
    for got, wanted in ((x, expected[0]), (y, expected[1])):
        assert np.array_equal(np.asarray(got).view(np.uint64), wanted.view(np.uint64))
    assert status is None or np.array_equal(status, expected[2])


def points_frame(partitions):
    return dd.from_pandas(pandas.DataFrame({"latitude": LATITUDE, "longitude": LONGITUDE}), npartitions=partitions)


def test_arrays_and_dataframes_on_threads():
    latitude, longitude = da.from_array(LATITUDE, chunks=7_000), da.from_array(LONGITUDE, chunks=7_000)
    x, y = grid_of(latitude, longitude).compute(scheduler="threads", num_workers=2)
    same_as_one_call(x, y)
    frame = points_frame(9).map_partitions(with_grid).compute(scheduler="threads", num_workers=2)
    same_as_one_call(frame["x"], frame["y"], frame["status"])


def test_a_cluster_of_local_processes_listening_on_loopback_only():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                                  dashboard_address="127.0.0.1:0", worker_dashboard_address="127.0.0.1:0") as cluster, \
            distributed.Client(cluster) as client:
        frame = client.compute(points_frame(4).map_partitions(with_grid)).result()
        same_as_one_call(frame["x"], frame["y"], frame["status"])
        processes = [psutil.Process()] + psutil.Process().children(recursive=True)
        listening = [c.laddr for p in processes for c in p.connections(kind="inet") if c.status == psutil.CONN_LISTEN]
        assert len(listening) >= 5 and all(address.ip == "127.0.0.1" for address in listening), listening


def never_computed(shape, chunks):
    """A Dask array whose blocks raise when computed: a conversion that stays lazy never meets them."""
    def refuse(block):
        raise AssertionError("a Dask argument was computed before its results were asked for")
    return da.map_blocks(refuse, da.zeros(shape, chunks=chunks), dtype=np.float64)


def test_dask_arguments_stay_lazy_and_give_dask_results_in_their_chunks():
    latitude = never_computed((10**9,), 10**7)  # 10^9 points: 8 GB each way, were they computed whole
    x, y, status = zelmor.to_grid(latitude, 19.0)
    back = zelmor.to_geodetic(latitude, latitude)
    for result in (x, y, status) + back:
        assert isinstance(result, da.Array) and result.chunks == latitude.chunks
    assert status.dtype == np.int32
    xarray = optional("xarray")
    lazy = zelmor.to_grid(xarray.DataArray(latitude, dims="point"), 19.0)[0]
    assert isinstance(lazy.data, da.Array) and lazy.dims == ("point",)
    # Computed, each block's three results come from one conversion, and are the single call's.
    x, y, status = zelmor.to_grid(da.from_array(LATITUDE, chunks=7_000), da.from_array(LONGITUDE, chunks=9_000))
    same_as_one_call(*da.compute(x, y, status, scheduler="threads"))


def test_a_dask_frame_gets_its_columns_partition_by_partition():
    frame = zelmor.with_grid(points_frame(5))
    assert isinstance(frame, dd.DataFrame) and frame.npartitions == 5
    computed = frame.compute(scheduler="threads")
    same_as_one_call(computed["x"], computed["y"], computed["status"])
    try:
        zelmor.to_grid(points_frame(2)["latitude"], 19.0)
        raise AssertionError("a Dask dataframe's column was converted whole")
    except TypeError as error:
        assert "zelmor.with_grid(frame)" in str(error)
