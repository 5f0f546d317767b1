// The extension module zelmor._zelmor: the projection library's batch forms over one-dimensional,
// contiguous, aligned float64 arrays (the package's Python layer checks, converts and broadcasts its
// arguments first), run with the interpreter lock released so that other threads convert at the same
// time, and in slices, between which the interpreter is asked whether Ctrl-C was pressed.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <limits>
#include <memory>
#include <vector>

#include <zelmor/projection.hpp>

#include "huge_page_arrays.hpp"

namespace py = pybind11;

namespace {

// Coordinates as the Python layer hands them over: float64, contiguous, one dimension.
using Coordinates = py::array_t<double, py::array::c_style>;
// Conversion statuses, one per point, with the library's values: C ints, numpy's int32 here.
using Statuses = py::array_t<int, py::array::c_style>;

// The result of a point outside the accepted area, which the library leaves uncomputed.
constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// Points converted between two looks at the interpreter's signals: some 25 ms of work, so that Ctrl-C
// on a call of a hundred million points is answered at once rather than when the call returns.
constexpr std::size_t kSlicePoints = std::size_t{1} << 18;

// A new array of results, as new_doubles or new_ints `made` it (numpy's own, in huge pages when large);
// their MemoryError when they could not.
template <typename Results>
Results results_array(PyObject* made)
{
    if (made == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<Results>(made);
}

// The number of points in two arrays of equal length; raises ValueError when the lengths differ.
std::size_t point_count(const Coordinates& first, const Coordinates& second)
{
    if (first.ndim() != 1 || second.ndim() != 1 || first.size() != second.size()) {
        throw py::value_error("the two coordinate arrays must be one-dimensional and of the same length");
    }
    return static_cast<std::size_t>(first.size());
}

// Runs `convert_slice(start, count)` over the `count` points a slice at a time, with the interpreter lock
// released during each; between slices, a signal the interpreter has noted (Ctrl-C's KeyboardInterrupt)
// ends the call with that exception, the results being let go with it.
template <typename Slice>
void in_slices(std::size_t count, Slice convert_slice)
{
    for (std::size_t start = 0; start < count; start += kSlicePoints) {
        {
            const py::gil_scoped_release unlocked;
            convert_slice(start, std::min(kSlicePoints, count - start));
        }
        if (PyErr_CheckSignals() != 0) {
            throw py::error_already_set();
        }
    }
}

// The number of points of two coordinate arrays and of the result arrays they go to; raises ValueError
// when their lengths differ.
std::size_t checked_count(const Coordinates& first, const Coordinates& second,
                          std::initializer_list<py::ssize_t> results)
{
    const std::size_t count = point_count(first, second);
    for (const py::ssize_t length : results) {
        if (static_cast<std::size_t>(length) != count) {
            throw py::value_error("the result arrays must be as long as the coordinate arrays");
        }
    }
    return count;
}

// Into x, y (metres) and status, each point given by latitude and longitude (degrees); x and y are NaN
// where the status is not zero.
void to_grid_into(const Coordinates& latitude, const Coordinates& longitude, Coordinates& x, Coordinates& y,
                  Statuses& statuses)
{
    const std::size_t count = checked_count(latitude, longitude, {x.size(), y.size(), statuses.size()});
    double* const xs = x.mutable_data();
    double* const ys = y.mutable_data();
    int* const status = statuses.mutable_data();
    const double* const latitudes = latitude.data();
    const double* const longitudes = longitude.data();
    in_slices(count, [&](std::size_t start, std::size_t points) {
        zelmor::geodetic_to_grid_batch(status + start, xs + start, ys + start, latitudes + start, longitudes + start,
                                       points);
        for (std::size_t i = start; i < start + points; ++i) {
            if (status[i] != zelmor::kConverted) {
                xs[i] = kNotANumber;
                ys[i] = kNotANumber;
            }
        }
    });
}

// Into latitude and longitude (degrees), each point given by x and y (metres). The statuses, always 0,
// are kept a slice at a time.
void to_geodetic_into(const Coordinates& x, const Coordinates& y, Coordinates& latitude, Coordinates& longitude)
{
    const std::size_t count = checked_count(x, y, {latitude.size(), longitude.size()});
    double* const latitudes = latitude.mutable_data();
    double* const longitudes = longitude.mutable_data();
    const double* const xs = x.data();
    const double* const ys = y.data();
    const auto statuses = std::make_unique<int[]>(std::min(count, kSlicePoints));
    in_slices(count, [&](std::size_t start, std::size_t points) {
        zelmor::grid_to_geodetic_batch(statuses.get(), latitudes + start, longitudes + start, xs + start, ys + start,
                                       points);
    });
}

// New result arrays of `shape`: (x, y, status) to the grid, (latitude, longitude) back.
py::tuple new_grid_results(const std::vector<py::ssize_t>& shape)
{
    return py::make_tuple(results_array<Coordinates>(zelmor_python::new_doubles(shape)),
                          results_array<Coordinates>(zelmor_python::new_doubles(shape)),
                          results_array<Statuses>(zelmor_python::new_ints(shape)));
}

py::tuple new_geodetic_results(const std::vector<py::ssize_t>& shape)
{
    return py::make_tuple(results_array<Coordinates>(zelmor_python::new_doubles(shape)),
                          results_array<Coordinates>(zelmor_python::new_doubles(shape)));
}

// The one-point functions themselves, for the tests that hold the batch forms to them.
py::tuple geodetic_to_grid_one(double latitude, double longitude)
{
    double x = kNotANumber;
    double y = kNotANumber;
    const int status = zelmor::geodetic_to_grid(x, y, latitude, longitude);
    return py::make_tuple(x, y, status);
}

py::tuple grid_to_geodetic_one(double x, double y)
{
    double latitude = 0.0;
    double longitude = 0.0;
    zelmor::grid_to_geodetic(latitude, longitude, x, y);
    return py::make_tuple(latitude, longitude);
}

}  // namespace

PYBIND11_MODULE(_zelmor, module)
{
    if (!zelmor_python::load_numpy()) {
        throw py::error_already_set();
    }
    module.doc() = "The projection library's batch conversions; use the functions of the zelmor package.";
    module.attr("__version__") = ZELMOR_VERSION;
    module.attr("CONVERTED") = zelmor::kConverted;
    module.attr("LATITUDE_OUTSIDE") = zelmor::kLatitudeOutside;
    module.attr("LONGITUDE_OUTSIDE") = zelmor::kLongitudeOutside;
    module.attr("SLICE_POINTS") = kSlicePoints;
    // The results are written where they are given, never into a copy: no conversion of them is allowed.
    module.def(
        "to_grid_into", &to_grid_into, py::arg("latitude"), py::arg("longitude"), py::arg("x").noconvert(),
        py::arg("y").noconvert(), py::arg("status").noconvert(),
        "Into contiguous float64 x, y and int32 status, of contiguous float64 arrays of latitude and longitude.");
    module.def("to_geodetic_into", &to_geodetic_into, py::arg("x"), py::arg("y"), py::arg("latitude").noconvert(),
               py::arg("longitude").noconvert(),
               "Into contiguous float64 latitude and longitude, of contiguous float64 arrays of x and y.");
    module.def("new_grid_results", &new_grid_results, py::arg("shape"),
               "New (x, y, status) arrays of `shape`, as to_grid makes them.");
    module.def("new_geodetic_results", &new_geodetic_results, py::arg("shape"),
               "New (latitude, longitude) arrays of `shape`, as to_geodetic makes them.");
    module.def("geodetic_to_grid_one", &geodetic_to_grid_one, py::arg("latitude"), py::arg("longitude"),
               "The one-point conversion: (x, y, status), x and y NaN unless the status is 0.");
    module.def("grid_to_geodetic_one", &grid_to_geodetic_one, py::arg("x"), py::arg("y"),
               "The one-point conversion: (latitude, longitude).");
}
