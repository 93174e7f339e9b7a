#include "CaptureFormat.h"

#include "LgcFormat.h"
#include "SigrokSession.h"
#include "VcdFormat.h"

#include <QFileInfo>
#include <QLocale>
#include <QStringList>

#include <array>

namespace tarvik {

namespace {

constexpr std::array<CaptureFormatRow, 3> Formats{{
    {CaptureFormat::Sr, "sr", "srzip", "sr", 0, false, false, recognisesSigrokSession,
     readSigrokSession, writeSigrokSession},
    {CaptureFormat::Vcd, "vcd", nullptr, "vcd", 0, true, true, nullptr, nullptr, writeVcd},
    {CaptureFormat::Lgc, "lgc", nullptr, "lgc", SampleCount, false, false, recognisesLgc, readLgc,
     writeLgc},
}};

} // namespace

std::span<const CaptureFormatRow> captureFormats() {
    return Formats;
}

const CaptureFormatRow& captureFormat(CaptureFormat format) {
    for (const CaptureFormatRow& row : Formats)
        if (row.format == format)
            return row;
    return Formats.front();
}

std::optional<CaptureFormat> parseCaptureFormat(QStringView text) {
    for (const CaptureFormatRow& row : Formats)
        if (text == QLatin1String(row.name) || (row.alias && text == QLatin1String(row.alias)))
            return row.format;
    return std::nullopt;
}

std::optional<CaptureFormat> captureFormatForName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty())
        return Formats.front().format;
    for (const CaptureFormatRow& row : Formats)
        if (suffix.compare(QLatin1String(row.extension), Qt::CaseInsensitive) == 0)
            return row.format;
    return std::nullopt;
}

QString captureFormatExtensions() {
    QStringList extensions;
    for (const CaptureFormatRow& row : Formats)
        extensions << QLatin1Char('.') + QLatin1String(row.extension);
    return extensions.join(QLatin1String(", "));
}

QString captureFormatNames() {
    QString names;
    for (std::size_t k = 0; k < Formats.size(); ++k) {
        if (k > 0)
            names += k + 1 == Formats.size() ? QStringLiteral(" or ") : QStringLiteral(", ");
        names += QLatin1String(Formats[k].name);
    }
    return names;
}

QString whyNotInFormat(CaptureFormat format, const CaptureFacts& facts) {
    const CaptureFormatRow& row = captureFormat(format);
    if (facts.sampleCount <= 0)
        return QStringLiteral("the capture has no samples");
    const QLocale english(QLocale::English);
    if (row.fixedSampleCount != 0 && facts.sampleCount != row.fixedSampleCount)
        return QStringLiteral("a .%1 holds exactly %2 samples and this capture has %3; write it "
                              "as sr or vcd")
            .arg(QLatin1String(row.extension), english.toString(row.fixedSampleCount),
                 english.toString(facts.sampleCount));
    if (row.needsRate && facts.sampleRate <= 0)
        return QStringLiteral("a value change dump needs the sample rate, which this capture does "
                              "not record; give it with --samplerate");
    return {};
}

} // namespace tarvik
