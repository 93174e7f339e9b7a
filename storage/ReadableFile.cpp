#include "ReadableFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvik {

namespace {

bool isReadable(mode_t mode, ReadableKinds kinds) {
    if (S_ISREG(mode))
        return true;
    return kinds == ReadableKinds::RegularFileOrDevice && (S_ISCHR(mode) || S_ISBLK(mode));
}

} // namespace

bool openForReading(QFile& file, ReadableKinds kinds) {
    const QByteArray name = QFile::encodeName(file.fileName());
    struct stat named {};
    if (::stat(name.constData(), &named) != 0 || !isReadable(named.st_mode, kinds))
        return false;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened {};
    if (::fstat(fd, &opened) == 0 && isReadable(opened.st_mode, kinds) &&
        file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
    return false;
}

} // namespace tarvik
