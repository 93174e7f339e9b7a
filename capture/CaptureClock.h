#pragma once

#include <atomic>
#include <cstdint>

namespace tarvik {

// The clock a capture keeps time by, passed in as the port is, so that a
// schedule can be checked against a clock that a test moves.
class CaptureClock {
  public:
    virtual ~CaptureClock() = default;
    virtual std::int64_t nowNs() = 0;
    // Waits until the time; false when stop was set first, which ends the
    // wait at once.
    virtual bool sleepUntil(std::int64_t ns, const std::atomic<bool>& stop) = 0;
};

// The monotonic clock, sleeping with a timer slack of 1 ns so that a sleep
// ends on time; a signal ends a sleep at once.
class SystemCaptureClock final : public CaptureClock {
  public:
    SystemCaptureClock();
    std::int64_t nowNs() override;
    bool sleepUntil(std::int64_t ns, const std::atomic<bool>& stop) override;
};

} // namespace tarvik
