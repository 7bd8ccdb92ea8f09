#pragma once

// Small helpers shared by the benchmark programs.

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double maximum(const std::vector<double> &v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// One figure per line, "name value unit", so that bench/run-all can collect them.
inline void figure(const char *name, double value, const char *unit)
{
    std::printf("%-28s %10.3f %s\n", name, value, unit);
    std::fflush(stdout);
}

} // namespace bench
