#include "AllOrNothingFile.h"

#include "WritableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>

namespace tarvik {

QString whyNotReplaceable(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat named {};
    if (::stat(name.constData(), &named) != 0)
        return {};
    if (S_ISDIR(named.st_mode))
        return QStringLiteral("it is a folder; name a file in it");
    if (S_ISFIFO(named.st_mode))
        return QStringLiteral("it is a named pipe, not a regular file; name a regular file");
    if (!S_ISREG(named.st_mode))
        return QStringLiteral("it is not a regular file; name a regular file");
    if (::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0)
        return QStringLiteral("it is not writable; make it writable or name another file");
    return {};
}

namespace {

// Why no new file can be made in the folder, as a clause; empty when one can.
QString whyFolderTakesNoFile(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    const QString shown = QDir::toNativeSeparators(folder);
    struct stat named {};
    if (::stat(name.constData(), &named) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QStringLiteral("the folder %1 does not exist; create it or name another folder")
                .arg(shown);
        return QStringLiteral("the folder %1 cannot be reached (%2); name another folder")
            .arg(shown, qt_error_string(errno));
    }
    if (!S_ISDIR(named.st_mode))
        return QStringLiteral("%1 is not a folder; name a file in a folder").arg(shown);
    // The permission bits do not tell (root passes them, an access list or a
    // read-only disk may refuse), so a file is made: an unnamed one, which
    // vanishes as it is closed.
    const int probe = ::open(name.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    int refused = probe >= 0 ? 0 : errno;
    if (probe >= 0)
        ::close(probe);
    // A filesystem without unnamed files (vfat, NFS) has only the bits to go
    // by, as this program's own user holds them.
    if (refused != 0 && refused != EACCES && refused != EPERM && refused != EROFS &&
        refused != ENOSPC && refused != EDQUOT)
        refused = ::faccessat(AT_FDCWD, name.constData(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
    switch (refused) {
    case 0:
        return {};
    case EROFS:
        return QStringLiteral("the folder %1 is on a read-only disk; name a folder on another")
            .arg(shown);
    case ENOSPC:
    case EDQUOT:
        return diskFullText(0);
    case EACCES:
    case EPERM:
        return QStringLiteral("the folder %1 may not be written by this user; name another "
                              "folder")
            .arg(shown);
    default:
        return QStringLiteral("no file can be made in the folder %1 (%2); name another folder")
            .arg(shown, qt_error_string(refused));
    }
}

} // namespace

QString whyNotCreatable(const QString& path, qint64 bytesNeeded) {
    const QString folder = QFileInfo(path).absolutePath();
    if (QString wrong = whyFolderTakesNoFile(folder); !wrong.isEmpty())
        return wrong;
    if (QString wrong = whyNotReplaceable(path); !wrong.isEmpty())
        return wrong;
    struct statvfs disk {};
    if (bytesNeeded > 0 && ::statvfs(QFile::encodeName(folder).constData(), &disk) == 0) {
        // The old file, if any, makes room only once the new one replaces it.
        const auto free = static_cast<qint64>(disk.f_bavail) * static_cast<qint64>(disk.f_frsize);
        if (free < bytesNeeded)
            return QStringLiteral("the disk has %1 free and the capture needs %2; free some "
                                  "room on it or write to another disk")
                .arg(byteSizeText(free), byteSizeText(bytesNeeded));
    }
    return {};
}

QString writeAllOrNothing(const QString& path, const std::function<QString(QIODevice&)>& produce) {
    if (QString wrong = whyNotReplaceable(path); !wrong.isEmpty())
        return wrong;
    // No writing in place where the folder takes no new files: a failure
    // would leave half a file under the name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return writeFailureText(file);
    // Left uncommitted, the new file is thrown away.
    if (QString wrong = produce(file); !wrong.isEmpty())
        return wrong;
    return finishWriting(file, WriteMode::Replacing, true);
}

} // namespace tarvik
