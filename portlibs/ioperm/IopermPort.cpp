// The printer port through the processor's own port instructions, as the
// library of the same name did on Windows. Linux lets a process use them
// after ioperm(), which needs root or the CAP_SYS_RAWIO capability.

#include "PortExports.h"

#if defined(__x86_64__) || defined(__i386__)

#include <sys/io.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned long FirstRegister = 0x378;
constexpr unsigned long RegisterCount = 3;
// The highest address ioperm() can open; above it a process would need iopl().
constexpr unsigned long LastIopermAddress = 0x3FF;
constexpr short NothingThere = 0xFF;

bool granted = false;
bool triedOnce = false;
char reason[512];

// The program's own file, for the setcap command line.
const char* programFile() {
    static char path[256];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "<program file>";
    path[length] = '\0';
    return path;
}

const char* reachPort() {
    if (granted)
        return nullptr;
    triedOnce = true;
    if (ioperm(FirstRegister, RegisterCount, 1) == 0) {
        granted = true;
        return nullptr;
    }
    const int error = errno;
    if (error == EPERM)
        std::snprintf(reason, sizeof reason,
                      "the processor's port instructions are not allowed to this user (ioperm: "
                      "%s). Run the program as root, or give it the CAP_SYS_RAWIO capability: "
                      "sudo setcap cap_sys_rawio+ep %s",
                      std::strerror(error), programFile());
    else
        std::snprintf(reason, sizeof reason,
                      "this system offers no port instructions (ioperm: %s), as inside many "
                      "containers and virtual machines. Use the other SCAN button, which goes "
                      "through the kernel's parallel-port driver.",
                      std::strerror(error));
    return reason;
}

// The printer port's own registers are opened once; any other address is
// opened when it is used, and one that cannot be opened is left alone rather
// than faulting the program.
bool mayUse(unsigned short address) {
    if (address - FirstRegister < RegisterCount) {
        if (!granted && !triedOnce)
            reachPort();
        return granted;
    }
    return address <= LastIopermAddress && ioperm(address, 1, 1) == 0;
}

} // namespace

const char* TarvikPortStatus(void) {
    return reachPort();
}

void vbOut(short address, short value) {
    const auto port = static_cast<unsigned short>(address);
    if (mayUse(port))
        outb(static_cast<unsigned char>(value & 0xFF), port);
}

short vbInp(short address) {
    const auto port = static_cast<unsigned short>(address);
    return mayUse(port) ? static_cast<short>(inb(port)) : NothingThere;
}

#else

const char* TarvikPortStatus(void) {
    return "port instructions exist only on x86 processors. Use the other SCAN button, "
           "which reaches the port through the kernel's parallel-port driver.";
}

void vbOut(short, short) {}

short vbInp(short) {
    return 0xFF;
}

#endif
