#include "SimulatedClock.h"

#include "MonotonicNs.h"
#include "SampleRateText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace tarvik {

SimulatedClock::SimulatedClock() {
    constexpr const char* Variable = "TARVIK_SIMULATED_RATE";
    const char* const text = std::getenv(Variable);
    if (!text || text[0] == '\0')
        return;
    if (const auto rate = parseSampleRateText(text)) {
        rate_ = *rate;
        return;
    }
    std::snprintf(problem_, sizeof problem_,
                  "%s is \"%.64s\", which is no sample rate. Give one as --samplerate takes it "
                  "(1000000, 1M, 250k), or unset %s for a port that answers at once.",
                  Variable, text, Variable);
}

std::int64_t SimulatedClock::nextRead() {
    ++reads_;
    if (rate_ <= 0.0)
        return reads_;
    std::int64_t now = tarvikMonotonicNs();
    if (reads_ == 0) {
        startNs_ = now;
        return 0;
    }
    // Counted from the start, so that no rounding adds up from read to read.
    const auto due = startNs_ + static_cast<std::int64_t>(std::ceil(double(reads_) * 1e9 / rate_));
    while (now < due)
        now = tarvikMonotonicNs();
    const auto reached =
        static_cast<std::int64_t>(std::floor(double(now - startNs_) * rate_ / 1e9));
    return reached > reads_ ? reached : reads_;
}

} // namespace tarvik
