#include "OpenCaptureFile.h"

#include "CaptureFormat.h"
#include "LgcFormat.h"
#include "ReadableFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

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

// The format the file's content shows, or nothing.
const CaptureFormatRow* formatOf(QFile& file) {
    for (const CaptureFormatRow& row : captureFormats())
        if (row.recognises && row.recognises(file))
            return &row;
    return nullptr;
}

// The formats that are read, and for a file named as a .lgc why it is none:
// a .lgc shows itself only by its size.
QString notACapture(const QString& path, qint64 size) {
    QStringList extensions;
    for (const CaptureFormatRow& row : captureFormats())
        if (row.read)
            extensions.append(u'.' + QLatin1String(row.extension));
    extensions.sort();
    const QString last = extensions.takeLast();
    QString text = QStringLiteral("it is not a capture that tarvik-cli reads (%1)")
                       .arg(extensions.isEmpty() ? last : extensions.join(u", ") + " or " + last);
    if (captureFormatForName(path) == CaptureFormat::Lgc) {
        const QLocale english(QLocale::English);
        text += QStringLiteral("; a .lgc holds exactly %1 bytes and this file %2")
                    .arg(english.toString(CaptureFileSize), english.toString(size));
    }
    return text;
}

} // namespace

std::unique_ptr<SampleSource> OpenCaptureFile(const QString& path, QString* whyNot) {
    auto file = std::make_unique<QFile>(path);
    QString wrong;
    std::unique_ptr<SampleSource> source;
    if (!openForReading(*file, ReadableKinds::RegularFile))
        wrong = whyNotReadable(path);
    else if (const CaptureFormatRow* format = formatOf(*file); !format)
        wrong = notACapture(path, file->size());
    else
        source = format->read(std::move(file), path, wrong);
    if (!source && whyNot)
        *whyNot = QStringLiteral("\"%1\" cannot be read as a capture: %2.").arg(path, wrong);
    return source;
}

} // namespace tarvik
