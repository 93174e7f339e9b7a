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

constexpr std::array<CaptureFormatRow, 4> Formats{{
    {CaptureFormat::Sr, "sr", "srzip", "sr", 0, false, false, recognisesSigrokSession,
     readSigrokSession, writeSigrokSession},
    {CaptureFormat::Vcd, "vcd", nullptr, "vcd", 0, true, true, nullptr, nullptr, writeVcd},
    {CaptureFormat::Lgc, "lgc", nullptr, "lgc", SampleCount, false, false, recognisesLgc, readLgc,
     writeLgc},
    // The .lgc layout at any length, as sigrok-cli reads it from a pipe with
    // -I binary:numchannels=16.
    {CaptureFormat::Binary, "binary", nullptr, "bin", 0, false, true, nullptr, nullptr, writeLgc},
}};

QString namesOf(bool (*wanted)(const CaptureFormatRow&)) {
    QStringList names;
    for (const CaptureFormatRow& row : Formats)
        if (wanted(row))
            names << QLatin1String(row.name);
    const QString last = names.takeLast();
    return names.isEmpty() ? last
                           : names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

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
    return namesOf([](const CaptureFormatRow&) { return true; });
}

QString streamingFormatNames() {
    return namesOf([](const CaptureFormatRow& row) { return row.streams; });
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
