#include "ConvertCaptureFile.h"

#include "OpenCaptureFile.h"
#include "SampleRateOverride.h"
#include "WriteCaptureFile.h"

#include <QFile>

#include <sys/stat.h>

namespace tarvik {

bool isSameFile(const QString& first, const QString& second) {
    struct stat one {};
    struct stat other {};
    return ::stat(QFile::encodeName(first).constData(), &one) == 0 &&
           ::stat(QFile::encodeName(second).constData(), &other) == 0 &&
           one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

QString ConvertCaptureFile(const QString& input, const QString& output, CaptureFormat format,
                           double rateOverride) {
    if (isSameFile(input, output))
        return QStringLiteral("\"%1\" was not written: it is the file being converted.")
            .arg(output);
    QString whyNot;
    std::unique_ptr<SampleSource> source = OpenCaptureFile(input, &whyNot);
    if (!source)
        return whyNot;
    if (rateOverride > 0)
        source = withSampleRate(std::move(source), rateOverride);
    return WriteCaptureFile(output, format, *source);
}

} // namespace tarvik
