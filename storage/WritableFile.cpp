#include "WritableFile.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>

#include <sys/stat.h>

#include <cerrno>

namespace tarvik {

WriteMode openForWriting(QSaveFile& file) {
    const QByteArray name = QFile::encodeName(file.fileName());
    struct stat named {};
    const bool exists = ::stat(name.constData(), &named) == 0;
    if (exists && !S_ISREG(named.st_mode))
        return WriteMode::NotARegularFile;
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return WriteMode::Failed;
    // Qt does not say which way it opened the file; the handle tells: in
    // place it is the named file itself.
    struct stat opened {};
    const bool inPlace = exists && ::fstat(file.handle(), &opened) == 0 &&
                         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
    return inPlace ? WriteMode::InPlace : WriteMode::Replacing;
}

// QIODevice::write may take less than it was given (a file that hits its size
// limit does); asking again for the rest brings out the error, if any.
bool writeAll(QIODevice& device, const char* bytes, qint64 size) {
    while (size > 0) {
        const qint64 written = device.write(bytes, size);
        if (written <= 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

QString writeFailureText(const QIODevice& device) {
    // Qt keeps only the system's text of the error, not its number.
    const QString said = device.errorString();
    if (said == qt_error_string(ENOSPC) || said == qt_error_string(EDQUOT))
        return diskFullText(0);
    return said;
}

QString diskFullText(qint64 bytesNeeded) {
    const QString room =
        bytesNeeded > 0 ? QStringLiteral(" (the capture needs %1)").arg(byteSizeText(bytesNeeded))
                        : QString();
    return QStringLiteral("the disk is full%1; free some room on it or write to another disk")
        .arg(room);
}

QString byteSizeText(qint64 bytes) {
    const QLocale english(QLocale::English);
    if (bytes < 1000)
        return QStringLiteral("%1 bytes").arg(bytes);
    const char* const units[] = {"kB", "MB", "GB", "TB"};
    double size = static_cast<double>(bytes) / 1000;
    int unit = 0;
    for (; size >= 999.95 && unit < 3; ++unit)
        size /= 1000;
    // Three figures at most: "289 kB", "4.1 MB".
    return QStringLiteral("%1 %2").arg(english.toString(size, 'f', size < 99.95 ? 1 : 0),
                                       QLatin1String(units[unit]));
}

QString finishWriting(QSaveFile& file, WriteMode mode, bool written) {
    // A small write stays in Qt's buffer, and commit() replaces the old file
    // even when writing that buffer out fails, as it does on a full disk: the
    // buffer is written out first, so that such a failure counts. A write cut
    // short gives no reason; asking again for the rest brings it out.
    if (written && (file.flush() || file.flush()) && file.commit())
        return {};
    // Closing forgets the reason.
    QString failure = writeFailureText(file);
    // Written in place, the open file is the named one, which QSaveFile would
    // remove were it destroyed while open; commit() closes it as it stands.
    if (mode == WriteMode::InPlace && file.isOpen())
        file.commit();
    return failure;
}

QString writeWhole(QSaveFile& file, WriteMode mode, QByteArrayView bytes) {
    return finishWriting(file, mode, writeAll(file, bytes.data(), bytes.size()));
}

} // namespace tarvik
