#include "PortLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace tarvik {

namespace {

QString text(const char* s) {
    return QString::fromLocal8Bit(s);
}

// The folders dlopen() searches for a bare file name on behalf of this
// program: LD_LIBRARY_PATH, the program's RUNPATH, then the system's own.
QStringList searchFolders() {
    void* self = dlopen(nullptr, RTLD_LAZY);
    if (!self)
        return {};
    QStringList folders;
    Dl_serinfo size{};
    if (dlinfo(self, RTLD_DI_SERINFOSIZE, &size) == 0) {
        const std::unique_ptr<Dl_serinfo, decltype(&std::free)> info(
            static_cast<Dl_serinfo*>(std::malloc(size.dls_size)), &std::free);
        if (info) {
            *info = size;
            if (dlinfo(self, RTLD_DI_SERINFO, info.get()) == 0) {
                for (unsigned i = 0; i < info->dls_cnt; ++i)
                    folders << text(info->dls_serpath[i].dls_name);
            }
        }
    }
    dlclose(self);
    return folders;
}

QString loadedPath(void* handle) {
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name)
        return text(map->l_name);
    return {};
}

// dlsym() returns the address of a function as an object pointer; POSIX makes
// the conversion back to a function pointer valid.
template <typename Function> Function lookUp(void* handle, const char* name) {
    return reinterpret_cast<Function>(dlsym(handle, name));
}

QString notLoaded(const char* fileName, const QString& folder, const QString& reason) {
    const QString name = text(fileName);
    if (!folder.isEmpty())
        return QStringLiteral("The port library %1 could not be loaded from %2: %3.\n\n"
                              "It comes with the program: install or build the program again.")
            .arg(name, folder, reason);
    return QStringLiteral("The port library %1 could not be loaded: %2.\n\n"
                          "The program looks for it in these folders, in this order:\n%3\n\n"
                          "Put %1 into one of them, or start the program with LD_LIBRARY_PATH "
                          "naming the folder that holds it.")
        .arg(name, reason, searchFolders().join(QLatin1Char('\n')));
}

QString lacksFunction(const char* fileName, const QString& path, const char* function) {
    const QString name = text(fileName);
    return QStringLiteral("The port library %1 (%2) has no function %3, so it is not the "
                          "port library the program expects.\n\n"
                          "Replace it with the %1 that comes with this program.")
        .arg(name, path, text(function));
}

QString refusesPort(const char* fileName, const QString& path, const QString& port,
                    const char* reason) {
    return QStringLiteral("The port library %1 (%2) does not take %3 as the port: %4")
        .arg(text(fileName), path, port, text(reason));
}

QString unreachable(const char* fileName, const QString& path, const char* reason) {
    return QStringLiteral("The port library %1 (%2) cannot reach the printer port: %3")
        .arg(text(fileName), path, text(reason));
}

} // namespace

QString SimulatedPortFolder() {
    // From the program's own file, as the kernel started it: tarvik-cli runs
    // without a QCoreApplication, which would cost it a third of its start.
    return QDir::cleanPath(
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath())
            .dir()
            .absoluteFilePath(QStringLiteral("../" TARVIK_PORT_LIBDIR "/simulated")));
}

PortLibrary::~PortLibrary() {
    if (handle_)
        dlclose(handle_);
}

QString PortLibrary::open() {
    if (!handle_) {
        if (QString failure = load(); !failure.isEmpty())
            return failure;
    }
    if (status_) {
        if (const char* reason = status_()) {
            const QString failure =
                unreachable(file_.fileName, loadedPath(handle_), reason) + advice();
            unload();
            return failure;
        }
    }
    return {};
}

QString PortLibrary::advice() const {
    const char* instead = instead_ ? instead_() : nullptr;
    if (!instead)
        return {};
    for (const PortLibraryFile& other : {Inpout32Library, Win95IoLibrary}) {
        if (std::strcmp(instead, other.fileName) == 0)
            return QStringLiteral(" Use %1, which reaches the port %2.")
                .arg(choiceName_ ? choiceName_(other) : text(other.fileName), text(other.way));
    }
    return {};
}

void PortLibrary::close() {
    if (release_)
        release_();
}

QString PortLibrary::load() {
    const QByteArray path =
        folder_.isEmpty() ? QByteArray(file_.fileName)
                          : QFile::encodeName(folder_ + QLatin1Char('/') + text(file_.fileName));
    void* handle = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        // Taken at once: looking up the search folders resets dlerror().
        const char* reason = dlerror();
        return notLoaded(file_.fileName, folder_,
                         reason ? text(reason) : QStringLiteral("no reason given"));
    }

    // Both functions are looked up here rather than at their first call: the
    // first call is the control write, and a missing function must be found
    // before the capture has changed anything. The addresses are kept.
    const auto write = lookUp<WriteFunction>(handle, file_.writeFunction);
    const auto read = lookUp<ReadFunction>(handle, file_.readFunction);
    if (!write || !read) {
        const QString failure = lacksFunction(file_.fileName, loadedPath(handle),
                                              write ? file_.readFunction : file_.writeFunction);
        dlclose(handle);
        return failure;
    }
    if (const auto select = lookUp<SelectFunction>(handle, TARVIK_PORT_SELECT_NAME)) {
        if (const char* reason = select(port_.toLocal8Bit().constData())) {
            const QString failure = refusesPort(file_.fileName, loadedPath(handle), port_, reason);
            dlclose(handle);
            return failure;
        }
    }
    handle_ = handle;
    write_ = write;
    read_ = read;
    status_ = lookUp<StatusFunction>(handle, TARVIK_PORT_STATUS_NAME);
    instead_ = lookUp<InsteadFunction>(handle, TARVIK_PORT_INSTEAD_NAME);
    release_ = lookUp<ReleaseFunction>(handle, TARVIK_PORT_RELEASE_NAME);
    return {};
}

void PortLibrary::unload() {
    dlclose(handle_);
    handle_ = nullptr;
    write_ = nullptr;
    read_ = nullptr;
    status_ = nullptr;
    instead_ = nullptr;
    release_ = nullptr;
}

} // namespace tarvik
