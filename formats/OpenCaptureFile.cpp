#include "OpenCaptureFile.h"

#include "CaptureFormat.h"
#include "LgcFormat.h"
#include "ReadableFile.h"

#include <QFile>
#include <QFileInfo>

namespace tarvik {

namespace {

QString whyNotReadable(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("it does not exist");
    if (!info.isFile())
        return QStringLiteral("it is not a regular file");
    return QStringLiteral("it cannot be opened");
}

// The format the file's content shows; a file that shows none is taken for a
// .lgc, whose reader says what is wrong with it.
const CaptureFormatRow& formatOf(QFile& file) {
    for (const CaptureFormatRow& row : captureFormats())
        if (row.recognises && row.recognises(file))
            return row;
    return captureFormat(CaptureFormat::Lgc);
}

} // namespace

std::unique_ptr<SampleSource> OpenCaptureFile(const QString& path, QString* whyNot) {
    auto file = std::make_unique<QFile>(path);
    QString wrong;
    std::unique_ptr<SampleSource> source;
    if (!openForReading(*file, ReadableKinds::RegularFile))
        wrong = whyNotReadable(path);
    else
        source = formatOf(*file).read(std::move(file), path, wrong);
    if (!source && whyNot)
        *whyNot = QStringLiteral("\"%1\" cannot be read as a capture: %2.").arg(path, wrong);
    return source;
}

} // namespace tarvik
