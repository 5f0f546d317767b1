// The conversions' result arrays: numpy's own arrays, which numpy frees and resizes as any other, whose
// memory, when large, is taken in huge pages. Fresh memory is mapped in page by page as the conversion
// first writes to it; in 4 KiB pages that took a fifth of the conversion's time on a million points, in
// 2 MiB pages next to nothing.
#pragma once

#include <pybind11/pybind11.h>

#include <vector>

namespace zelmor_python {

// Makes numpy's C interface ready for the functions below; false, with the Python error set, when it
// cannot be.
bool load_numpy();

// A new numpy array of doubles, or of C ints, of `shape` (C order); nullptr, with the Python error set
// (MemoryError, or ValueError for a negative length), when it cannot be made.
PyObject* new_doubles(const std::vector<Py_ssize_t>& shape);
PyObject* new_ints(const std::vector<Py_ssize_t>& shape);

}  // namespace zelmor_python
