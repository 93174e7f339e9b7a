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

} // namespace tarvik
