// Fuzzer of the whole batch conversion over an in-memory "dane.txt": whatever the bytes, every physical
// line gets exactly one outcome (a result line or a message), line numbers rise strictly, the count of
// lines read is the number of physical lines, and no result is "nan".
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "run_invariants.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const zelmor_test::InMemoryRun run = zelmor_test::run_in_memory(input);
    const std::string broken = zelmor_test::broken_rule(input, run);
    if (!broken.empty()) {
        std::fprintf(stderr, "%s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
