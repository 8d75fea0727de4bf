#pragma once

#include <time.h>

namespace vantrok::bench {

// The calling thread's processor time, the clock the station's engine time is
// counted with, so the two can be subtracted.
inline double threadCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The whole process's processor time: beyond the calling thread's, that of
// the station's TDS endpoint when the benchmark runs on the FreeTDS road.
inline double processCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace vantrok::bench
