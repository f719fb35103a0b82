// Clocks and the machine's load for the benchmark programs.
#pragma once

#include <time.h>

#include <cstdint>
#include <cstdio>

namespace bench {

// The 1-minute load average, to put wall-clock figures in context (-1 when unknown).
inline double LoadAverage()
{
    double load = -1;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1)
            load = -1;
        std::fclose(f);
    }
    return load;
}

// CPU time of the whole process, in seconds.
inline double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

// Monotonic wall-clock time, in seconds and in nanoseconds.
inline double WallSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

inline int64_t NowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

}  // namespace bench
