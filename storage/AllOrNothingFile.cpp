#include "AllOrNothingFile.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace tarvik {

QString whyNotReplaceable(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat named {};
    if (::stat(name.constData(), &named) != 0)
        return {};
    if (S_ISDIR(named.st_mode))
        return QStringLiteral("it is a folder");
    if (S_ISFIFO(named.st_mode))
        return QStringLiteral("it is a named pipe, not a regular file");
    if (!S_ISREG(named.st_mode))
        return QStringLiteral("it is not a regular file");
    if (::access(name.constData(), W_OK) != 0)
        return QStringLiteral("it is not writable");
    return {};
}

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

QString writeAllOrNothing(const QString& path, const std::function<QString(QIODevice&)>& produce) {
    if (QString wrong = whyNotReplaceable(path); !wrong.isEmpty())
        return wrong;
    // No writing in place where the folder takes no new files: a failure
    // would leave half a file under the name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // Left uncommitted, the new file is thrown away.
    if (QString wrong = produce(file); !wrong.isEmpty())
        return wrong;
    // Qt's commit() does not notice when its own buffer fails to reach the
    // file, so that is flushed and checked first.
    if (!file.flush() || !file.commit())
        return file.errorString();
    return {};
}

} // namespace tarvik
