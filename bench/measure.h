#pragma once

// What the benchmark programs read of themselves: a clock in nanoseconds and the resident
// set. Header-only, as the reference window does not link the program's library.

#include <ctime>
#include <fstream>
#include <string>

inline long long nowNs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// The resident set in KiB, as /proc/self/status gives it; -1 when it cannot be read.
inline long rssKib()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}
