// The extension module zelmor._zelmor: the projection library's batch forms over one-dimensional,
// contiguous float64 arrays (the package's Python layer checks, converts and broadcasts its arguments
// first), run with the interpreter lock released so that other threads convert at the same time.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdlib>
#include <limits>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <zelmor/projection.hpp>

namespace py = pybind11;

namespace {

// Coordinates as the Python layer hands them over: float64, contiguous, one dimension.
using Coordinates = py::array_t<double, py::array::c_style>;
// Conversion statuses, one per point, with the library's values: C ints, numpy's int32 here.
using Statuses = py::array_t<int, py::array::c_style>;

// The result of a point outside the accepted area, which the library leaves uncomputed.
constexpr double kNotANumber = std::numeric_limits<double>::quiet_NaN();

// A huge page of memory, bytes: result arrays from this size on are allocated on huge-page boundaries.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// A new array of `count` values for results. Fresh memory is mapped in page by page as the conversion
// first writes to it; in 4 KiB pages that took a third of the conversion's time on a million points
// (measured on the development machine), in 2 MiB pages next to nothing. So a large array is aligned
// to huge pages and the system is asked to back it with them (where it does, on Linux).
template <typename Value>
py::array_t<Value, py::array::c_style> new_results(std::size_t count)
{
    const std::size_t bytes = (count * sizeof(Value) + kHugePage - 1) / kHugePage * kHugePage;
    if (count * sizeof(Value) < kHugePage) {
        return py::array_t<Value, py::array::c_style>(static_cast<py::ssize_t>(count));
    }
    void* memory = std::aligned_alloc(kHugePage, bytes);
    if (memory == nullptr) {
        throw std::bad_alloc();  // MemoryError in Python
    }
#if defined(__linux__)
    madvise(memory, bytes, MADV_HUGEPAGE);
#endif
    const py::capsule owner(memory, [](void* block) { std::free(block); });
    return py::array_t<Value, py::array::c_style>({static_cast<py::ssize_t>(count)}, {}, static_cast<Value*>(memory),
                                                  owner);
}

// The number of points in two arrays of equal length; raises ValueError when the lengths differ.
std::size_t point_count(const Coordinates& first, const Coordinates& second)
{
    if (first.ndim() != 1 || second.ndim() != 1 || first.size() != second.size()) {
        throw py::value_error("the two coordinate arrays must be one-dimensional and of the same length");
    }
    return static_cast<std::size_t>(first.size());
}

// x, y (metres) and status of each point given by latitude and longitude (degrees); x and y are NaN
// where the status is not zero.
py::tuple to_grid(const Coordinates& latitude, const Coordinates& longitude)
{
    const std::size_t count = point_count(latitude, longitude);
    Coordinates x = new_results<double>(count);
    Coordinates y = new_results<double>(count);
    Statuses statuses = new_results<int>(count);
    double* const xs = x.mutable_data();
    double* const ys = y.mutable_data();
    int* const status = statuses.mutable_data();
    {
        py::gil_scoped_release unlocked;
        zelmor::geodetic_to_grid_batch(status, xs, ys, latitude.data(), longitude.data(), count);
        for (std::size_t i = 0; i < count; ++i) {
            if (status[i] != zelmor::kConverted) {
                xs[i] = kNotANumber;
                ys[i] = kNotANumber;
            }
        }
    }
    return py::make_tuple(x, y, statuses);
}

// Latitude and longitude (degrees) of each point given by x and y (metres).
py::tuple to_geodetic(const Coordinates& x, const Coordinates& y)
{
    const std::size_t count = point_count(x, y);
    Coordinates latitude = new_results<double>(count);
    Coordinates longitude = new_results<double>(count);
    Statuses statuses = new_results<int>(count);
    {
        py::gil_scoped_release unlocked;
        zelmor::grid_to_geodetic_batch(statuses.mutable_data(), latitude.mutable_data(), longitude.mutable_data(),
                                       x.data(), y.data(), count);
    }
    return py::make_tuple(latitude, longitude);
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
    module.doc() = "The projection library's batch conversions; use the functions of the zelmor package.";
    module.attr("CONVERTED") = zelmor::kConverted;
    module.attr("LATITUDE_OUTSIDE") = zelmor::kLatitudeOutside;
    module.attr("LONGITUDE_OUTSIDE") = zelmor::kLongitudeOutside;
    module.def("to_grid", &to_grid, py::arg("latitude"), py::arg("longitude"),
               "(x, y, status) of contiguous float64 arrays of latitude and longitude.");
    module.def("to_geodetic", &to_geodetic, py::arg("x"), py::arg("y"),
               "(latitude, longitude) of contiguous float64 arrays of x and y.");
    module.def("geodetic_to_grid_one", &geodetic_to_grid_one, py::arg("latitude"), py::arg("longitude"),
               "The one-point conversion: (x, y, status), x and y NaN unless the status is 0.");
    module.def("grid_to_geodetic_one", &grid_to_geodetic_one, py::arg("x"), py::arg("y"),
               "The one-point conversion: (latitude, longitude).");
}
