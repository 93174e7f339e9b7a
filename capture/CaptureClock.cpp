#include "CaptureClock.h"

#include "MonotonicNs.h"

#include <sys/prctl.h>

#include <cerrno>
#include <ctime>

namespace tarvik {

SystemCaptureClock::SystemCaptureClock() {
    // A sleep may otherwise end up to 50 us late by the kernel's leave.
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
}

std::int64_t SystemCaptureClock::nowNs() {
    return tarvikMonotonicNs();
}

bool SystemCaptureClock::sleepUntil(std::int64_t ns, const std::atomic<bool>& stop) {
    const timespec until{time_t(ns / 1'000'000'000), long(ns % 1'000'000'000)};
    while (!stop.load(std::memory_order_relaxed)) {
        // A signal handler is installed without SA_RESTART, so Ctrl-C ends
        // the sleep with EINTR.
        if (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) != EINTR)
            return true;
    }
    return false;
}

} // namespace tarvik
