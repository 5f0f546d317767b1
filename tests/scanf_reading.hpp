// The reference for the line scanner: what the C library's "%1s %lf %lf" reads from a line, with the
// scanner's one deliberate difference applied.
#pragma once

#include <cstdio>
#include <string>

namespace zelmor_test {

struct ScanfReading {
    int items;  // 0 to 3
    char tag;
    double first;
    double second;
};

// What "%1s %lf %lf" reads from `line` (up to its first NUL, as a C string). A second number that runs
// into a comma and a digit ("21,0122") is a number with a decimal comma, which the scanner refuses
// rather than read as its whole part: there the reading has two items.
inline ScanfReading scanf_reading(const std::string& line)
{
    char tag[2] = {};
    ScanfReading reading{0, 0, 0.0, 0.0};
    int end = 0;
    const int items = std::sscanf(line.c_str(), "%1s %lf %lf%n", tag, &reading.first, &reading.second, &end);
    reading.items = items < 0 ? 0 : items;
    reading.tag = tag[0];
    const char* after = line.c_str() + end;
    if (reading.items == 3 && after[0] == ',' && after[1] >= '0' && after[1] <= '9') {
        reading.items = 2;
    }
    return reading;
}

}  // namespace zelmor_test
