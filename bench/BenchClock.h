// The benchmarks' clock and figures: the performance counter in milliseconds and percentiles.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace korvane::bench {

inline LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// A span of the performance counter in milliseconds.
inline double Ms(LONGLONG ticks) {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    return static_cast<double>(ticks) / perMs;
}

// The value below which a share `p` (0 to 1) of the values lie; 0 for none.
inline double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1,
                           static_cast<size_t>(p * static_cast<double>(values.size())))];
}

}  // namespace korvane::bench
