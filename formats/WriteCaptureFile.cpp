#include "WriteCaptureFile.h"

#include "AllOrNothingFile.h"

#include <QIODevice>

namespace tarvik {

namespace {

QString refusal(CaptureFormat format, const CaptureFacts& facts, const QString& path) {
    const QString wrong = whyNotInFormat(format, facts);
    return wrong.isEmpty() ? whyNotReplaceable(path) : wrong;
}

} // namespace

QString whyNotWritable(const QString& path, CaptureFormat format, std::int64_t samples,
                       std::int64_t bytesBeside) {
    // The rate is not asked for here: a capture measures its own.
    // 0 samples: a number not known before the capture ends.
    QString wrong = samples > 0 ? whyNotInFormat(format, {samples, 1.0, {}}) : QString();
    if (wrong.isEmpty()) {
        // Only a .lgc's size is known before it is written; the others are
        // compressed or depend on how often the lines change.
        const std::int64_t ownSize =
            captureFormat(format).fixedSampleCount > 0 ? samples * BytesPerSample : 0;
        wrong = whyNotCreatable(path, ownSize + bytesBeside);
    }
    return wrong.isEmpty() ? wrong
                           : QStringLiteral("\"%1\" cannot be written: %2.").arg(path, wrong);
}

QString WriteCaptureFile(const QString& path, CaptureFormat format, SampleSource& source) {
    QString wrong = refusal(format, source.facts(), path);
    if (wrong.isEmpty()) {
        const auto write = captureFormat(format).write;
        wrong = writeAllOrNothing(path, [&](QIODevice& file) { return write(file, source); });
    }
    if (wrong.isEmpty())
        return {};
    return QStringLiteral("\"%1\" was not written: %2.").arg(path, wrong);
}

} // namespace tarvik
