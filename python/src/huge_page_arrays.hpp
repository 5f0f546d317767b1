// The conversions' result arrays: numpy's own arrays, which numpy frees and resizes as any other, whose
// memory, when large, is taken in huge pages. Fresh memory is mapped in page by page as the conversion
// first writes to it; in 4 KiB pages that took a fifth of the conversion's time on a million points, in
// 2 MiB pages next to nothing.
#pragma once

#include <pybind11/pybind11.h>

namespace zelmor_python {

// Makes numpy's C interface ready for the functions below; false, with the Python error set, when it
// cannot be.
bool load_numpy();

// A new one-dimensional numpy array of `count` doubles, or of `count` C ints; nullptr, with the Python
// error set (MemoryError), when there is no memory for it.
PyObject* new_doubles(Py_ssize_t count);
PyObject* new_ints(Py_ssize_t count);

}  // namespace zelmor_python
