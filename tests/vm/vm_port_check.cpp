// The port checks run inside the test VM, one per command line:
//   vm_port_check capture inpout32|win95io  a whole SCAN through the library
//   vm_port_check refused win95io           the SCAN says why it cannot reach the port
//   vm_port_check hold                      claims /dev/parport0 and leaves a process holding it
//   vm_port_check busy                      the lower SCAN answers "busy" within a second
// Each prints a PASS or FAIL line; the exit status says the same.

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

bool refused(const PortLibraryFile& file, const std::string& check) {
    const ScanResult result = scan(file);
    return report(unchanged(result), check.c_str(), result.messages.join(QLatin1Char('\n')));
}

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

bool busy() {
    const ScanResult result = scan(Inpout32Library);
    const bool passed = unchanged(result) &&
                        result.messages.first().contains(QStringLiteral("is busy")) &&
                        result.seconds < 1.0;
    return report(passed, "inpout32-busy",
                  QStringLiteral("%1 s: %2")
                      .arg(result.seconds)
                      .arg(result.messages.join(QLatin1Char('\n'))));
}

} // namespace

int runCheck(const std::string& command, const char* library) {
    const std::string name = library ? library : "";
    const PortLibraryFile* file = name == "inpout32"  ? &Inpout32Library
                                  : name == "win95io" ? &Win95IoLibrary
                                                      : nullptr;
    if (command == "capture" && file)
        return checkCapture(*file, (name + "-capture").c_str()) ? 0 : 1;
    if (command == "refused" && file)
        return refused(*file, name + "-refused") ? 0 : 1;
    if (command == "hold")
        return hold() ? 0 : 1;
    if (command == "busy")
        return busy() ? 0 : 1;
    std::fputs("usage: vm_port_check capture|refused inpout32|win95io, or hold, or busy\n", stderr);
    return 2;
}

} // namespace tarvik

int main(int argc, char* argv[]) {
    return tarvik::runCheck(argc > 1 ? argv[1] : "", argc > 2 ? argv[2] : nullptr);
}
