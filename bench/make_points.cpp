// Writes a file of N point lines of one shape (bench/point_lines.hpp) from a fixed seed.
//
//   make_points N [seed] [mixed|gnss|field] > dane.txt
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "point_lines.hpp"

int main(int argc, char** argv)
{
    using namespace zelmor_bench;
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_points N [seed] [mixed|gnss|field]\n");
        return 2;
    }
    const long long count = std::atoll(argv[1]);
    const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1992;
    const char* name = argc > 3 ? argv[3] : kShapeNames[0];
    int shape = 0;
    while (shape < 3 && std::strcmp(name, kShapeNames[shape]) != 0) {
        ++shape;
    }
    if (shape == 3) {
        std::fprintf(stderr, "make_points: unknown shape %s\n", name);
        return 2;
    }
    PointLines lines{};
    lines.random.seed(seed);
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    for (long long i = 0; i < count; ++i) {
        const std::string line = next_line(lines, static_cast<Shape>(shape));
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return 0;
}
