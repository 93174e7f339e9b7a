#pragma once

/* The monotonic clock in nanoseconds, the one clock every capture, schedule
 * and simulated port keeps time by. Plain C. */

#include <stdint.h>
#include <time.h>

static inline int64_t tarvikMonotonicNs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * 1000000000 + now.tv_nsec;
}
