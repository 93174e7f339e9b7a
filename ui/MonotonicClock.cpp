#include "MonotonicClock.h"

namespace tarvik {

namespace {

class SteadyClock final : public MonotonicClock {
  public:
    std::chrono::nanoseconds now() const override {
        return std::chrono::steady_clock::now().time_since_epoch();
    }
};

} // namespace

const MonotonicClock& steadyClock() {
    static const SteadyClock clock;
    return clock;
}

} // namespace tarvik
