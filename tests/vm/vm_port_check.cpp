// The port checks run inside the test VM, one per command line:
//   vm_port_check [--port parportN] capture LIBRARY CHECK
//                                              a whole SCAN through the library
//   vm_port_check [--port parportN] refused LIBRARY CHECK TEXT...
//                                              the SCAN answers within a second with one
//                                              message saying every TEXT, and changes nothing
//   vm_port_check hold                         claims /dev/parport0 and leaves a process holding it
// LIBRARY is inpout32 or win95io, on parport0 unless --port names another
// port. Each prints a PASS or FAIL line; the exit
// status says the same.

#include "ScanCheck.h"

#include <linux/ppdev.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace tarvik {

namespace {

// Returns once the port is claimed; a child process keeps the claim until the
// machine stops.
bool hold() {
    const int fd = ::open("/dev/parport0", O_RDWR);
    if (fd < 0 || ioctl(fd, PPCLAIM) != 0)
        return report(false, "hold", QString::fromLocal8Bit(std::strerror(errno)));
    if (fork() == 0) {
        for (;;)
            pause();
    }
    return report(true, "hold", QStringLiteral("/dev/parport0 claimed"));
}

} // namespace

int runCheck(int argc, char* argv[]) {
    QString port = QStringLiteral(TARVIK_DEFAULT_PORT);
    if (argc > 2 && std::strcmp(argv[1], "--port") == 0) {
        port = QString::fromLocal8Bit(argv[2]);
        argc -= 2;
        argv += 2;
    }
    const std::string command = argc > 1 ? argv[1] : "";
    const std::string library = argc > 2 ? argv[2] : "";
    const PortLibraryFile* file = library == "inpout32"  ? &Inpout32Library
                                  : library == "win95io" ? &Win95IoLibrary
                                                         : nullptr;
    if (command == "capture" && file && argc == 4)
        return checkCapture(*file, port, argv[3]) ? 0 : 1;
    if (command == "refused" && file && argc >= 4) {
        QStringList texts;
        for (int i = 4; i < argc; ++i)
            texts << QString::fromLocal8Bit(argv[i]);
        return checkRefused(*file, port, argv[3], texts) ? 0 : 1;
    }
    if (command == "hold")
        return hold() ? 0 : 1;
    std::fputs("usage: vm_port_check [--port parportN] capture LIBRARY CHECK, or refused LIBRARY "
               "CHECK TEXT...; or vm_port_check hold\n",
               stderr);
    return 2;
}

} // namespace tarvik

int main(int argc, char* argv[]) {
    return tarvik::runCheck(argc, argv);
}
