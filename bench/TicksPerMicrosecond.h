#pragma once

#include <x86intrin.h>

#include <chrono>
#include <cstdint>

// The processor's time-stamp counter ticks per microsecond: the benchmarks
// time stamp with the counter, which costs far less than any clock call.
inline double measureTicksPerUs() {
    using Clock = std::chrono::steady_clock;
    const auto startTime = Clock::now();
    const std::uint64_t startTicks = __rdtsc();
    while (Clock::now() - startTime < std::chrono::milliseconds(20)) {
    }
    return double(__rdtsc() - startTicks) /
           std::chrono::duration<double, std::micro>(Clock::now() - startTime).count();
}
