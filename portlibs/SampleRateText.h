#pragma once

// A sample rate as the user writes it, read by one rule wherever one is
// given: on tarvik-cli's command line and, for the simulated port library,
// which must do without Qt, in its environment. Standard C++ only.

#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarvik {

// The fastest rate a capture may claim: 1 THz, so that a time stamp in the
// finest timescale a dump file names, the femtosecond, stays whole.
inline constexpr double HighestSampleRate = 1e12;

namespace rate_text {

// Enough for any rate up to HighestSampleRate with a fraction of a Hz.
inline constexpr int MostDigits = 18;

inline std::string_view trimmed(std::string_view text) {
    constexpr std::string_view Space = " \t\n\v\f\r";
    const auto first = text.find_first_not_of(Space);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Space) - first + 1);
}

inline std::int64_t multiplierFor(char prefix) {
    switch (prefix) {
    case 'k':
    case 'K':
        return 1'000;
    case 'm':
    case 'M':
        return 1'000'000;
    case 'g':
    case 'G':
        return 1'000'000'000;
    default:
        return 0;
    }
}

inline bool isHz(std::string_view unit) {
    return unit.size() == 2 && (unit[0] == 'H' || unit[0] == 'h') &&
           (unit[1] == 'Z' || unit[1] == 'z');
}

} // namespace rate_text

// A sample rate as sigrok-cli takes it: a number of Hz, with or without a
// decimal fraction, an optional k, M or G (in either case) and an optional
// "Hz" ("1000000", "62.5k", "1M", "250 kHz", "723.456 kHz"), which must come
// to a whole number of Hz. Nothing for zero, for a fraction of a hertz
// ("1.5"), for more than HighestSampleRate and for any other text.
inline std::optional<double> parseSampleRateText(std::string_view text) {
    text = rate_text::trimmed(text);
    // The digits make one whole number, and the point says by how many tens
    // it is too large: so "723.456k" is 723456 exactly, as no binary
    // fraction on the way could make it.
    std::int64_t digits = 0;
    int digitCount = 0;
    int fractionDigits = 0;
    bool point = false;
    std::size_t k = 0;
    for (; k < text.size(); ++k) {
        const char c = text[k];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            if (++digitCount > rate_text::MostDigits)
                return std::nullopt;
            digits = digits * 10 + (c - '0');
            fractionDigits += point ? 1 : 0;
        } else {
            break;
        }
    }
    if (digitCount == 0)
        return std::nullopt;
    std::string_view unit = rate_text::trimmed(text.substr(k));
    std::int64_t multiplier = 1;
    if (!unit.empty() && rate_text::multiplierFor(unit.front()) != 0) {
        multiplier = rate_text::multiplierFor(unit.front());
        unit.remove_prefix(1);
    }
    if (!unit.empty() && !rate_text::isHz(unit))
        return std::nullopt;
    const long double rate = static_cast<long double>(digits) *
                             static_cast<long double>(multiplier) / std::pow(10.0L, fractionDigits);
    // sigrok keeps rates in whole hertz.
    if (rate < 1.0L || rate > HighestSampleRate || rate != std::floor(rate))
        return std::nullopt;
    return static_cast<double>(rate);
}

} // namespace tarvik
