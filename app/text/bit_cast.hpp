// The bits of a value as another type of the same size: std::bit_cast, or, where the C++ library lacks
// it (the libc++ of Debian's emscripten, for the browser build), the compiler built-in that it is made of.
#pragma once

#include <version>

#if defined(__cpp_lib_bit_cast)
#include <bit>
#endif

namespace zelmor {

#if defined(__cpp_lib_bit_cast)
using std::bit_cast;
#else
template <typename To, typename From>
constexpr To bit_cast(const From& from) noexcept
{
    static_assert(sizeof(To) == sizeof(From));
    return __builtin_bit_cast(To, from);
}
#endif

}  // namespace zelmor
