#include "SettingsNumber.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace tarvik {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Past this many decades a value is infinite or zero in double precision
// whatever its digits; exponents are clamped well beyond it.
constexpr std::int64_t DecadeLimit = 400;
constexpr std::int64_t ExponentClamp = 1'000'000'000;

// digits (no leading or trailing zeros, not empty) times ten to exponent,
// correctly rounded to double.
double scaledValue(const std::string& digits, std::int64_t exponent) {
    const std::int64_t decades = static_cast<std::int64_t>(digits.size()) + exponent;
    const double overflow = std::numeric_limits<double>::infinity();
    if (decades > DecadeLimit)
        return overflow;
    if (decades < -DecadeLimit)
        return 0.0;
    const std::string text = digits + 'e' + std::to_string(exponent);
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        return decades > 0 ? overflow : 0.0;
    return value;
}

} // namespace

double settingsNumber(QByteArrayView text) {
    std::string kept;
    kept.reserve(static_cast<std::size_t>(text.size()));
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            kept += c;
    }

    std::size_t pos = 0;
    const auto at = [&kept, &pos](std::size_t offset = 0) {
        return pos + offset < kept.size() ? kept[pos + offset] : '\0';
    };

    bool negative = false;
    if (at() == '+' || at() == '-') {
        negative = at() == '-';
        ++pos;
    }

    // The mantissa's digits without leading zeros, and the power of ten that
    // scales them to the value.
    std::string digits;
    std::int64_t exponent = 0;
    bool anyDigit = false;
    for (; isDigit(at()); ++pos) {
        anyDigit = true;
        if (!digits.empty() || at() != '0')
            digits += at();
    }
    if (at() == '.') {
        for (++pos; isDigit(at()); ++pos) {
            anyDigit = true;
            if (!digits.empty() || at() != '0')
                digits += at();
            --exponent;
        }
    }
    if (!anyDigit)
        return 0.0;

    if (at() == 'E' || at() == 'e') {
        const std::size_t signWidth = (at(1) == '+' || at(1) == '-') ? 1 : 0;
        if (isDigit(at(1 + signWidth))) {
            const bool negativeExponent = at(1) == '-';
            std::int64_t written = 0;
            for (pos += 1 + signWidth; isDigit(at()); ++pos) {
                if (written < ExponentClamp)
                    written = written * 10 + (at() - '0');
            }
            exponent += negativeExponent ? -written : written;
        }
    }

    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++exponent;
    }
    const double magnitude = digits.empty() ? 0.0 : scaledValue(digits, exponent);
    return negative ? -magnitude : magnitude;
}

std::optional<float> settingsPosition(double number) {
    const auto single = static_cast<float>(number);
    if (std::isinf(single))
        return std::nullopt;
    return single;
}

std::optional<ColourValue> settingsColour(double number) {
    // The default rounding mode sends halves to the even neighbour.
    const double whole = std::nearbyint(number);
    using Range = std::numeric_limits<ColourValue>;
    if (!(whole >= double(Range::min()) && whole <= double(Range::max())))
        return std::nullopt;
    return static_cast<ColourValue>(whole);
}

namespace {

QByteArray numberText(auto value, std::chars_format format) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    QByteArray text(buffer, result.ptr - buffer);
    text.replace('e', 'E');
    if (value > 0)
        text.prepend(' ');
    return text;
}

} // namespace

QByteArray positionText(float twips) {
    if (twips == 0.0F)
        return QByteArrayLiteral(" 0");
    const auto format =
        twips == std::trunc(twips) ? std::chars_format::fixed : std::chars_format::general;
    // The shortest text of the single-precision value: " 150.1" rather than
    // the digits of that value held as a double.
    const QByteArray shortest = numberText(twips, format);
    // The file's number is read as a double and then rounded to single
    // precision. Rounded twice, a few such texts (7.038531E-26) come back as
    // a neighbour; the double's own shortest text reads back exactly.
    if (settingsPosition(settingsNumber(shortest)) == twips)
        return shortest;
    return numberText(double{twips}, format);
}

QByteArray colourText(ColourValue colour) {
    QByteArray text = QByteArray::number(colour);
    if (colour >= 0)
        text.prepend(' ');
    return text;
}

} // namespace tarvik
