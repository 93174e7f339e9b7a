#include "WriteCaptureFile.h"

#include "AllOrNothingFile.h"
#include "CaptureFile.h"
#include "SigrokSessionWriter.h"
#include "VcdWriter.h"
#include "WritableFile.h"

#include <QIODevice>
#include <QLocale>

#include <vector>

namespace tarvik {

namespace {

QString writeLgc(QIODevice& device, SampleSource& source) {
    std::vector<std::uint8_t> block(SamplesPerBlock * BytesPerSample);
    for (;;) {
        const std::int64_t got = source.read(block.data(), SamplesPerBlock);
        if (got < 0)
            return readFailure(source);
        if (got == 0)
            return {};
        if (!writeAll(device, reinterpret_cast<const char*>(block.data()), got * BytesPerSample))
            return device.errorString();
    }
}

// Why the capture cannot be written in the format at all.
QString whyNotInFormat(const CaptureFacts& facts, CaptureFormat format) {
    if (facts.sampleCount <= 0)
        return QStringLiteral("the capture has no samples");
    const QLocale english(QLocale::English);
    if (format == CaptureFormat::Lgc && facts.sampleCount != SampleCount)
        return QStringLiteral("a .lgc holds exactly %1 samples and this capture has %2; write it "
                              "as sr or vcd")
            .arg(english.toString(SampleCount), english.toString(facts.sampleCount));
    if (format == CaptureFormat::Vcd && facts.sampleRate <= 0)
        return QStringLiteral("a value change dump needs the sample rate, which this capture does "
                              "not record; give it with --samplerate");
    return {};
}

} // namespace

QString WriteCaptureFile(const QString& path, CaptureFormat format, SampleSource& source) {
    QString wrong = whyNotInFormat(source.facts(), format);
    if (wrong.isEmpty())
        wrong = whyNotReplaceable(path);
    if (wrong.isEmpty()) {
        switch (format) {
        case CaptureFormat::Lgc:
            wrong =
                writeAllOrNothing(path, [&](QIODevice& file) { return writeLgc(file, source); });
            break;
        case CaptureFormat::Vcd:
            wrong =
                writeAllOrNothing(path, [&](QIODevice& file) { return writeVcd(file, source); });
            break;
        case CaptureFormat::Sr:
            wrong = writeAllOrNothing(
                path, [&](QIODevice& file) { return writeSigrokSession(file, source); });
            break;
        }
    }
    if (wrong.isEmpty())
        return {};
    return QStringLiteral("\"%1\" was not written: %2.").arg(path, wrong);
}

} // namespace tarvik
