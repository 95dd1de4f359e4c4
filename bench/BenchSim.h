#pragma once
// Starts vx5x-sim on a pseudo-terminal for a benchmark and stops it again; what a
// benchmark measures about itself.
#include "support/SimProcess.h"

#include <cstdio>
#include <sys/resource.h>
#include <time.h>

namespace bench {

// vx5x-sim as a benchmark runs it: its own latency, its messages passed on.
struct SimProcess : vx::test::SimProcess {
    SimProcess()
    {
        logRequests = false;
        latencyMs = -1;
    }
};

inline double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

inline double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec) + double(u.ru_utime.tv_usec) / 1e6 + double(u.ru_stime.tv_sec) + double(u.ru_stime.tv_usec) / 1e6;
}

inline long residentKiB()
{
    long kib = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmRSS: %ld", &kib) == 1) break;
        std::fclose(f);
    }
    return kib;
}

// Seconds one character takes on the line: start + data + parity + stop bits.
inline double charSeconds(int baud, int dataBits, bool parity, int stopBits)
{
    return (1 + dataBits + (parity ? 1 : 0) + stopBits) / double(baud);
}

} // namespace bench
