// The printer port through the processor's own port instructions, as the
// library of the same name did on Windows. Linux lets a process use them
// after ioperm(), which needs CAP_SYS_RAWIO. The program never holds that
// capability: tarvik-launcher opens the three registers and then starts the
// program without any capability, and the permission survives the start. So
// this library first looks whether the port is open to it already, and only
// otherwise asks for it itself, which succeeds for root.

#include "KernelLockdown.h"
#include "Launcher.h"
#include "PortExports.h"
#include "PortRegisters.h"
#include "ScopedSignalHandler.h"

#if defined(__x86_64__) || defined(__i386__)

#include <sys/io.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace tarvik {
namespace {

constexpr unsigned long FirstRegister = TarvikDataRegister;
constexpr unsigned long RegisterCount = TarvikRegisterCount;
constexpr unsigned short StatusRegister = TarvikStatusRegister;
// The highest address ioperm() can open; above it a process would need iopl().
constexpr unsigned long LastIopermAddress = 0x3FF;
constexpr short NothingThere = 0xFF;

bool granted = false;
bool triedOnce = false;
char reason[768];

sigjmp_buf probeFault;
volatile pid_t probingThread = 0;
const ScopedSignalHandler* probeHandler = nullptr;

// A port instruction without permission faults with SIGSEGV. A fault in any
// other thread is none of the probe's business: the previous handler comes
// back and the faulting instruction, run again, meets it.
void onProbeFault(int) {
    if (gettid() != probingThread) {
        if (probeHandler)
            probeHandler->restorePrevious();
        else
            signal(SIGSEGV, SIG_DFL); // in the moment before the probe knows its handler
        return;
    }
    siglongjmp(probeFault, 1);
}

// Whether the registers are open to this process already, as the launcher
// leaves them: one read of the status register, which changes nothing on the
// port, under a handler of its own for the fault it raises otherwise. The
// previous handler (Qt Test has one) and signal mask come back afterwards.
bool permissionInherited() {
    // Unblocked as well: a fault while SIGSEGV is blocked would end the process.
    const ScopedSignalHandler onFault(SIGSEGV, onProbeFault);
    probeHandler = &onFault;
    volatile bool inherited = false;
    probingThread = gettid();
    if (sigsetjmp(probeFault, 1) == 0) {
        inb(StatusRegister);
        inherited = true;
    }
    probingThread = 0;
    probeHandler = nullptr;
    return inherited;
}

const char* reachPort() {
    if (granted)
        return nullptr;
    triedOnce = true;
    if (permissionInherited() || ioperm(FirstRegister, RegisterCount, 1) == 0) {
        granted = true;
        return nullptr;
    }
    const int error = errno;
    const char* const launcher = tarvikLauncherPath();
    if (error == EPERM && tarvikKernelLockedDown())
        std::snprintf(reason, sizeof reason,
                      "the kernel is locked down, as under Secure Boot, and forbids the "
                      "processor's port instructions to every program. Use the other SCAN "
                      "button, which goes through the kernel's parallel-port driver.");
    else if (error == EPERM)
        std::snprintf(reason, sizeof reason,
                      "the processor's port instructions are not open to this program (ioperm: "
                      "%s). Start it through %s, which opens the printer port's registers to it "
                      "and nothing else%s. The launcher needs a capability for that, given once "
                      "by an administrator: sudo setcap cap_sys_rawio+ep %s",
                      std::strerror(error), launcher,
                      std::strcmp(launcher, TARVIK_INSTALLED_LAUNCHER) == 0
                          ? "; it runs for members of the lp group (sudo usermod -aG lp $USER, "
                            "then log in again)"
                          : "",
                      launcher);
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

TARVIK_PORT_API const char* TarvikPortStatus(void) {
    return reachPort();
}

// The permission stays: once given up, a program started by the launcher
// could not have it back.
TARVIK_PORT_API void TarvikPortRelease(void) {}

TARVIK_PORT_API void vbOut(short address, short value) {
    const auto port = static_cast<unsigned short>(address);
    if (mayUse(port))
        outb(static_cast<unsigned char>(value & 0xFF), port);
}

TARVIK_PORT_API short vbInp(short address) {
    const auto port = static_cast<unsigned short>(address);
    return mayUse(port) ? static_cast<short>(inb(port)) : NothingThere;
}

} // namespace tarvik

#else

namespace tarvik {

TARVIK_PORT_API const char* TarvikPortStatus(void) {
    return "port instructions exist only on x86 processors. Use the other SCAN button, "
           "which reaches the port through the kernel's parallel-port driver.";
}

TARVIK_PORT_API void TarvikPortRelease(void) {}

TARVIK_PORT_API void vbOut(short, short) {}

TARVIK_PORT_API short vbInp(short) {
    return 0xFF;
}

} // namespace tarvik

#endif
