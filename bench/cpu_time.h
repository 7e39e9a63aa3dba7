#pragma once
// CPU time of the process and of the calling thread, in milliseconds; the
// calling thread's page faults.
#include <sys/resource.h>
#include <time.h>

namespace bench {

inline double processCpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

inline double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Minor and major: a fresh page's first touch costs its clearing, which a
// virtual machine may have to back first.
inline long threadPageFaults() {
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return u.ru_minflt + u.ru_majflt;
}

}  // namespace bench
