#pragma once

#include <chrono>

namespace tarvik {

// Time that only ever moves forward, from some fixed moment: what the
// progress display paces its paints by.
class MonotonicClock {
  public:
    virtual ~MonotonicClock() = default;
    virtual std::chrono::nanoseconds now() const = 0;
};

// The system's steady clock.
const MonotonicClock& steadyClock();

} // namespace tarvik
