#pragma once
// What the benchmarks share to time work: thread CPU time, the machine's load beside each
// figure, and the median of repeated measurements.
#include <time.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <string>
#include <vector>

namespace benchtiming {

// CPU seconds the calling thread has used: waiting costs nothing, and other work on the
// machine counts only where it slows this thread down.
inline double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The load averages over one, five and fifteen minutes, as /proc/loadavg gives them.
inline std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// The one-minute load average alone.
inline std::string oneMinuteLoad()
{
    const std::string all = loadAverage();
    return all.substr(0, all.find(' '));
}

// The middle value (the upper one of an even count); 0 for none.
inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

}  // namespace benchtiming
