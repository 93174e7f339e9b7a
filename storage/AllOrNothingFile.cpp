#include "AllOrNothingFile.h"

#include "WritableFile.h"

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
    return finishWriting(file, WriteMode::Replacing, true);
}

} // namespace tarvik
