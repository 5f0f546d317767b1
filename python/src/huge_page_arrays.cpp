#include "huge_page_arrays.hpp"

#define NPY_NO_DEPRECATED_API NPY_1_22_API_VERSION
#include <numpy/arrayobject.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zelmor_python {
namespace {

// A huge page of memory, bytes: arrays from this size on are mapped on huge-page boundaries.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

#if defined(__linux__)

// What the allocator keeps just before each block it hands out: the whole mapping the block lies in,
// and the block's size, for numpy's resize, which gives only the new size.
struct Mapping {
    void* start;
    std::size_t length;
    std::size_t size;
};

std::size_t rounded_up(std::size_t value, std::size_t unit)
{
    return (value + unit - 1) / unit * unit;
}

// A block of `size` bytes that starts on a huge page, in a mapping of its own (memory the allocator owns,
// not the C library's), which the system is asked to back with huge pages when it is large. The mapping reaches a huge
// page before the block, for the Mapping record and the alignment.
void* map_block(void*, std::size_t size)
{
    const std::size_t length = rounded_up(std::max<std::size_t>(size, 1), kHugePage) + kHugePage;
    void* start = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED) {
        return nullptr;
    }
    const auto first = reinterpret_cast<std::uintptr_t>(start);
    auto* block = reinterpret_cast<char*>(rounded_up(first + sizeof(Mapping), kHugePage));
    // Not for a small block (an array resized down): its first touch would take a whole huge page.
    if (size >= kHugePage) {
        madvise(block, length - static_cast<std::size_t>(block - static_cast<char*>(start)), MADV_HUGEPAGE);
    }
    reinterpret_cast<Mapping*>(block)[-1] = Mapping{start, length, size};
    return block;
}

void* map_zeroed_block(void* context, std::size_t count, std::size_t size)
{
    if (size != 0 && count > SIZE_MAX / size) {
        return nullptr;
    }
    return map_block(context, count * size);  // anonymous mappings are zeros
}

void unmap_block(void*, void* block, std::size_t)
{
    if (block != nullptr) {
        const Mapping mapping = static_cast<Mapping*>(block)[-1];
        munmap(mapping.start, mapping.length);
    }
}

void* remap_block(void* context, void* block, std::size_t size)
{
    void* moved = map_block(context, size);
    if (moved != nullptr && block != nullptr) {
        std::memcpy(moved, block, std::min(size, static_cast<Mapping*>(block)[-1].size));
        unmap_block(context, block, 0);
    }
    return moved;
}

PyDataMem_Handler huge_page_allocator = {
    "zelmor_huge_pages", 1, {nullptr, map_block, map_zeroed_block, remap_block, unmap_block}};

// numpy's handle on the allocator, made once and kept for good: every array made with it holds it.
PyObject* allocator_handle()
{
    static PyObject* const handle = PyCapsule_New(&huge_page_allocator, "mem_handler", nullptr);
    return handle;
}

#endif

// A new array of `shape` of numpy's type `type`, each value `value_size` bytes; large ones are made with
// the huge-page allocator.
PyObject* new_array(const std::vector<Py_ssize_t>& shape, int type, std::size_t value_size)
{
    std::vector<npy_intp> lengths(shape.begin(), shape.end());
    std::size_t bytes = value_size;
    for (const npy_intp length : lengths) {
        if (length < 0) {
            PyErr_SetString(PyExc_ValueError, "negative dimensions are not allowed");
            return nullptr;
        }
        bytes *= static_cast<std::size_t>(length);
    }
    const int dimensions = static_cast<int>(lengths.size());
#if defined(__linux__)
    if (bytes >= kHugePage && allocator_handle() != nullptr) {
        PyObject* const previous = PyDataMem_SetHandler(allocator_handle());
        if (previous == nullptr) {
            return nullptr;
        }
        PyObject* const array = PyArray_SimpleNew(dimensions, lengths.data(), type);
        Py_XDECREF(PyDataMem_SetHandler(previous));
        Py_DECREF(previous);
        return array;
    }
#endif
    static_cast<void>(bytes);
    return PyArray_SimpleNew(dimensions, lengths.data(), type);
}

}  // namespace

bool load_numpy()
{
    return _import_array() >= 0;
}

PyObject* new_doubles(const std::vector<Py_ssize_t>& shape)
{
    return new_array(shape, NPY_DOUBLE, sizeof(double));
}

PyObject* new_ints(const std::vector<Py_ssize_t>& shape)
{
    return new_array(shape, NPY_INT, sizeof(int));
}

}  // namespace zelmor_python
