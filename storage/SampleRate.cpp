#include "SampleRate.h"

#include <QByteArray>

#include <cmath>
#include <cstdint>

namespace tarvik {

std::optional<double> parseSampleRate(QStringView text) {
    const QByteArray bytes = text.toUtf8();
    return parseSampleRateText(std::string_view(bytes.constData(), std::size_t(bytes.size())));
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
