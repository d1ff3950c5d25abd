// The benchmarks' clock and statistics, shared by those with a window and those without.
#pragma once
#include "platform/system.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

inline double nowMs()
{
    return static_cast<double>(platformCounter()) * 1000.0 / static_cast<double>(platformCounterFrequency());
}

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The process's peak resident memory in MB (the kernel's high-water mark), 0 when unknown.
inline double peakResidentMb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0.0;
}

} // namespace bench
