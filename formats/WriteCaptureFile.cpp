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

QString whyNotWritable(const QString& path, CaptureFormat format, std::int64_t samples) {
    // The rate is not asked for here: a capture measures its own.
    const QString wrong =
        samples > 0 ? refusal(format, {samples, 1.0, {}}, path) : whyNotReplaceable(path);
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
