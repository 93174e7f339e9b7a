#include "PortLibraries.h"

#include <QCoreApplication>
#include <QDir>

namespace tarvik {

PortLibraryFile portLibraryFor(PortVia via) {
    switch (via) {
    case PortVia::Win95Io:
        return Win95IoLibrary;
    case PortVia::Simulated: {
        // Kept for the run: the library is opened by this path.
        static const QByteArray path =
            QFile::encodeName(QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral("../" TARVIK_PORT_LIBDIR "/simulated/") +
                                            QString::fromLatin1(Inpout32Library.fileName)));
        return {path.constData(), Inpout32Library.writeFunction, Inpout32Library.readFunction};
    }
    case PortVia::Inpout32:
        break;
    }
    return Inpout32Library;
}

} // namespace tarvik
