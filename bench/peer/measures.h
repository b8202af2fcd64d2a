// What the peer host reads about itself: the processor time of the thread that runs it, the
// monotonic and the real-time clocks, and the resident memory of the process. The LÖVE project
// reads the same clocks and the same file, so the two are measured alike.
#pragma once

#include <time.h>

#include <fstream>
#include <string>

namespace peer {

inline double secondsOn(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Processor time of the calling thread alone: other programs on a shared machine, and the
// renderer's own threads, do not count.
inline double threadSeconds() {
    return secondsOn(CLOCK_THREAD_CPUTIME_ID);
}

inline double wallSeconds() {
    return secondsOn(CLOCK_MONOTONIC);
}

// Microseconds since 1970, the clock the benchmark script reads when it starts a program.
inline double realMicroseconds() {
    return secondsOn(CLOCK_REALTIME) * 1e6;
}

// VmRSS of /proc/self/status in kilobytes; 0 where there is no such file.
inline long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string field;
    long kilobytes = 0;
    while (status >> field) {
        if (field == "VmRSS:") {
            status >> kilobytes;
            break;
        }
    }
    return kilobytes;
}

}  // namespace peer
