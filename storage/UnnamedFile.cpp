#include "UnnamedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarvik {

bool openUnnamedFile(QFile& file, const QString& folder) {
    const QByteArray where = QFile::encodeName(folder);
    int fd = ::open(where.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EACCES && errno != EROFS && errno != ENOSPC) {
        // vfat, exFAT, NFS and CIFS make no unnamed files.
        QByteArray name = where + "/.tarvik-cli-XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0)
            ::unlink(name.constData());
    }
    if (fd < 0) {
        file.setFileName(folder);
        // QFile takes its error from a failed open of the folder itself.
        file.open(QIODevice::ReadOnly | QIODevice::ExistingOnly);
        file.close();
        return false;
    }
    if (!file.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

} // namespace tarvik
