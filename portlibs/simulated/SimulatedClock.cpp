#include "SimulatedClock.h"

#include "MonotonicNs.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace tarvik {

double parseSimulatedRate(const char* text) {
    if (!text)
        return 0.0;
    char* end = nullptr;
    double rate = std::strtod(text, &end);
    if (end == text || !std::isfinite(rate) || rate <= 0.0)
        return 0.0;
    while (*end == ' ')
        ++end;
    switch (*end) {
    case 'k':
        rate *= 1e3;
        ++end;
        break;
    case 'M':
        rate *= 1e6;
        ++end;
        break;
    case 'G':
        rate *= 1e9;
        ++end;
        break;
    default:
        break;
    }
    if (std::strcmp(end, "Hz") == 0 || std::strcmp(end, "hz") == 0)
        end += 2;
    return *end == '\0' ? rate : 0.0;
}

SimulatedClock::SimulatedClock()
    : rate_(parseSimulatedRate(std::getenv("TARVIK_SIMULATED_RATE"))) {}

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
