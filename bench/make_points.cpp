// Writes a file of N mixed point lines from a fixed seed, as a field export would hold them: geodetic
// points ("W latitude longitude", seven decimals, about a centimetre) and grid points ("P x y", four
// decimals), half of each, all inside the accepted area.
//
//   make_points N [seed] > dane.txt
#include <cstdio>
#include <cstdlib>
#include <random>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_points N [seed]\n");
        return 2;
    }
    const long long count = std::atoll(argv[1]);
    const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1992;
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> latitude(49.0, 54.8);   // degrees
    std::uniform_real_distribution<double> longitude(14.1, 24.1);  // degrees
    std::uniform_real_distribution<double> northing(130000.0, 780000.0);  // metres
    std::uniform_real_distribution<double> easting(170000.0, 860000.0);   // metres
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    for (long long i = 0; i < count; ++i) {
        if (random() & 1) {
            std::printf("W %.7f %.7f\n", latitude(random), longitude(random));
        } else {
            std::printf("P %.4f %.4f\n", northing(random), easting(random));
        }
    }
    return 0;
}
