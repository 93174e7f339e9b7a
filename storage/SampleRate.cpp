#include "SampleRate.h"

#include <cmath>
#include <cstdint>

namespace tarvik {

namespace {

// Enough for any rate up to HighestSampleRate written out to the hertz.
constexpr int MostDigits = 18;

std::int64_t multiplierFor(QChar prefix) {
    switch (prefix.toLower().unicode()) {
    case 'k':
        return 1'000;
    case 'm':
        return 1'000'000;
    case 'g':
        return 1'000'000'000;
    default:
        return 0;
    }
}

} // namespace

std::optional<double> parseSampleRate(QStringView text) {
    text = text.trimmed();
    // The digits make one whole number, and the point says by how many tens
    // it is too large: so "723.456k" is 723456 exactly, as no binary
    // fraction on the way could make it.
    std::int64_t digits = 0;
    int digitCount = 0;
    int fractionDigits = 0;
    bool point = false;
    qsizetype k = 0;
    for (; k < text.size(); ++k) {
        const QChar c = text[k];
        if (c == u'.' && !point) {
            point = true;
        } else if (c.isDigit() && c.unicode() < 128) {
            if (++digitCount > MostDigits)
                return std::nullopt;
            digits = digits * 10 + (c.unicode() - '0');
            fractionDigits += point ? 1 : 0;
        } else {
            break;
        }
    }
    if (digitCount == 0)
        return std::nullopt;
    QStringView unit = text.mid(k).trimmed();
    std::int64_t multiplier = 1;
    if (!unit.isEmpty() && multiplierFor(unit.front()) != 0) {
        multiplier = multiplierFor(unit.front());
        unit = unit.mid(1);
    }
    if (!unit.isEmpty() && unit.compare(u"Hz", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const long double rate = static_cast<long double>(digits) *
                             static_cast<long double>(multiplier) / std::pow(10.0L, fractionDigits);
    // sigrok holds rates in whole hertz; a fraction would be lost on the way.
    if (rate < 1.0L || rate > HighestSampleRate || std::floor(rate) != rate)
        return std::nullopt;
    return static_cast<double>(rate);
}

QString sampleRateText(double rate) {
    const auto hz = static_cast<std::uint64_t>(std::llround(rate));
    struct Prefix {
        std::uint64_t size;
        int fractionWidth;
        const char* name;
    };
    constexpr Prefix Prefixes[] = {
        {1'000'000'000, 9, "G"}, {1'000'000, 6, "M"}, {1'000, 3, "k"}, {1, 0, ""}};
    for (const Prefix& prefix : Prefixes) {
        if (hz < prefix.size && prefix.size > 1)
            continue;
        QString number = QString::number(hz / prefix.size);
        if (const std::uint64_t fraction = hz % prefix.size; fraction != 0) {
            QString decimals =
                QStringLiteral("%1").arg(fraction, prefix.fractionWidth, 10, QLatin1Char('0'));
            while (decimals.endsWith(u'0'))
                decimals.chop(1);
            number += u'.' + decimals;
        }
        return QStringLiteral("%1 %2Hz").arg(number, QLatin1String(prefix.name));
    }
    return {};
}

QString samplesPerSecondText(double rate) {
    QString text = sampleRateText(rate);
    text.chop(2);
    return text + QStringLiteral("S/s");
}

} // namespace tarvik
