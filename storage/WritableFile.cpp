#include "WritableFile.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

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

QString finishWriting(QSaveFile& file, WriteMode mode, bool written) {
    // A small write stays in Qt's buffer, and commit() replaces the old file
    // even when writing that buffer out fails, as it does on a full disk: the
    // buffer is written out first, so that such a failure counts. A write cut
    // short gives no reason; asking again for the rest brings it out.
    if (written && (file.flush() || file.flush()) && file.commit())
        return {};
    // Closing forgets the reason.
    QString failure = file.errorString();
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
