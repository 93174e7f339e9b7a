// The printer port through the processor's own port instructions, as the
// library of the same name did on Windows. Linux lets a process use them
// after ioperm(), which needs CAP_SYS_RAWIO. The program never holds that
// capability: tarvik-launcher opens the port's three registers and then starts
// the program without any capability, and the permission survives the start.
// So this library first looks whether the port is open to it already, and
// only otherwise asks for it itself, which succeeds for root.
//
// The port is the chosen one of the kernel's, parport0 unless the program
// chooses another, wherever it lies (PortBase.h); the program's register
// addresses only choose the register. An address with
// no port behind it would read as all lines high without a word, so every
// capture first makes sure that a port answers there.
//
// Where the kernel's driver may still reach the port, the library says so
// apart from its sentence (TarvikPortInstead), for each program to name that
// way in its own words.

#include "KernelLockdown.h"
#include "KernelPorts.h"
#include "Launcher.h"
#include "PortBase.h"
#include "PortExports.h"
#include "PortName.h"
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

// The program's addresses of the data, status and control registers.
constexpr unsigned short FirstRegister = TarvikDataRegister;
constexpr unsigned short RegisterCount = TarvikRegisterCount;
constexpr unsigned short StatusOffset = TarvikStatusRegister - TarvikDataRegister;
constexpr unsigned short ControlOffset = TarvikControlRegister - TarvikDataRegister;
// The control bits every printer port reads back as written: strobe, auto
// feed, initialise and select. The kernel's driver recognises a port by them;
// the others read back differently from one chip to another.
constexpr unsigned char ReadBackControl = 0x0F;
constexpr short NothingThere = 0xFF;

int portNumber = 0;
unsigned short base = TarvikDataRegister;
bool baseFromKernel = false;
bool granted = false;
bool triedOnce = false;
char reason[1024];
// The library to advise after the last failure, or null.
const char* instead = nullptr;

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
        inb(base + StatusOffset);
        inherited = true;
    }
    probingThread = 0;
    probeHandler = nullptr;
    return inherited;
}

// The chosen port is one the kernel does not have, or has behind USB, say,
// with no registers that port instructions reach.
const char* noRegisters() {
    if (!tarvikKernelKnowsPort(TARVIK_KERNEL_PORTS, portNumber))
        return tarvikUnknownPort(TARVIK_KERNEL_PORTS, portNumber, reason, sizeof reason);
    std::snprintf(reason, sizeof reason,
                  "the kernel's parallel port " TARVIK_PORT_NAME_PREFIX
                  "%d has no registers that the processor's port instructions reach, as a port "
                  "behind USB has none.",
                  portNumber);
    instead = TARVIK_INPOUT32_FILE;
    return reason;
}

const char* reachPort() {
    if (granted)
        return nullptr;
    triedOnce = true;
    instead = nullptr;
    const unsigned chosenBase = tarvikChosenPortBase(TARVIK_KERNEL_PORTS, portNumber);
    if (chosenBase == 0)
        return noRegisters();
    baseFromKernel = tarvikKernelKnowsPort(TARVIK_KERNEL_PORTS, portNumber);
    base = static_cast<unsigned short>(chosenBase);
    if (permissionInherited() || ioperm(base, RegisterCount, 1) == 0) {
        granted = true;
        return nullptr;
    }
    const int error = errno;
    const char* const launcher = tarvikLauncherPath();
    // Only where the launcher's permission is all that is missing do the
    // port instructions remain the way to the port.
    instead = TARVIK_INPOUT32_FILE;
    if (error == EPERM && tarvikKernelLockedDown()) {
        std::snprintf(reason, sizeof reason,
                      "the kernel is locked down, as under Secure Boot, and forbids the "
                      "processor's port instructions to every program.");
    } else if (error == EPERM) {
        instead = nullptr;
        std::snprintf(reason, sizeof reason,
                      "the processor's port instructions are not open to this program for the "
                      "port at 0x%X (ioperm: %s). Start it through %s, which opens the printer "
                      "port's registers to it and nothing else%s. The launcher needs a capability "
                      "for that, given once by an administrator: sudo setcap cap_sys_rawio+ep %s",
                      base, std::strerror(error), launcher,
                      std::strcmp(launcher, TARVIK_INSTALLED_LAUNCHER) == 0
                          ? "; it runs for members of the lp group (sudo usermod -aG lp $USER, "
                            "then log in again)"
                          : "",
                      launcher);
    } else {
        std::snprintf(reason, sizeof reason,
                      "this system offers no port instructions (ioperm: %s), as inside many "
                      "containers and virtual machines.",
                      std::strerror(error));
    }
    return reason;
}

// Whether a port answers at the base: its control register keeps what the
// capture writes there first, while an address with nothing behind it reads
// all ones. The write turns the data lines to input and drives nothing that
// the capture would not.
bool portAnswers() {
    const unsigned short control = base + ControlOffset;
    outb(TarvikDataLinesIn, control);
    return (inb(control) & ReadBackControl) == (TarvikDataLinesIn & ReadBackControl);
}

const char* nothingAnswers() {
    char ports[256];
    char where[64];
    if (baseFromKernel)
        std::snprintf(where, sizeof where,
                      "the address of the kernel's parallel port " TARVIK_PORT_NAME_PREFIX "%d",
                      portNumber);
    else
        std::snprintf(where, sizeof where, "the standard printer-port address");
    std::snprintf(reason, sizeof reason,
                  "nothing answers at 0x%X, %s (ports the kernel has found: %s). If the machine "
                  "has a printer port that the kernel has not found, load the driver (sudo "
                  "modprobe parport_pc) and start the program again.",
                  base, where, tarvikDescribeKernelPorts(TARVIK_KERNEL_PORTS, ports, sizeof ports));
    instead = TARVIK_INPOUT32_FILE;
    return reason;
}

bool isPortRegister(unsigned short address) {
    return address >= FirstRegister && address < FirstRegister + RegisterCount;
}

// The printer port's own registers are opened once; any other address is
// opened when it is used, and one that cannot be opened is left alone rather
// than faulting the program.
bool mayUse(unsigned short address) {
    if (isPortRegister(address)) {
        if (!granted && !triedOnce)
            reachPort();
        return granted;
    }
    return ioperm(address, 1, 1) == 0;
}

// The program's register addresses choose the register of the port at the
// base; any other address is used as it is.
unsigned short onPort(unsigned short address) {
    return isPortRegister(address) ? static_cast<unsigned short>(base + (address - FirstRegister))
                                   : address;
}

} // namespace

TARVIK_PORT_API const char* TarvikPortSelect(const char* name) {
    const int number = tarvikParsePortName(name);
    if (number < 0)
        return TARVIK_NOT_A_PORT_NAME;
    if (number != portNumber) {
        granted = false;
        triedOnce = false;
    }
    portNumber = number;
    return nullptr;
}

TARVIK_PORT_API const char* TarvikPortStatus(void) {
    if (const char* failure = reachPort())
        return failure;
    return portAnswers() ? nullptr : nothingAnswers();
}

TARVIK_PORT_API const char* TarvikPortInstead(void) {
    return instead;
}

// The permission stays: once given up, a program started by the launcher
// could not have it back.
TARVIK_PORT_API void TarvikPortRelease(void) {}

TARVIK_PORT_API void vbOut(short address, short value) {
    const auto port = static_cast<unsigned short>(address);
    if (mayUse(port))
        outb(static_cast<unsigned char>(value & 0xFF), onPort(port));
}

TARVIK_PORT_API short vbInp(short address) {
    const auto port = static_cast<unsigned short>(address);
    return mayUse(port) ? static_cast<short>(inb(onPort(port))) : NothingThere;
}

} // namespace tarvik

#else

namespace tarvik {

TARVIK_PORT_API const char* TarvikPortSelect(const char*) {
    return nullptr;
}

TARVIK_PORT_API const char* TarvikPortStatus(void) {
    return "port instructions exist only on x86 processors.";
}

TARVIK_PORT_API const char* TarvikPortInstead(void) {
    return TARVIK_INPOUT32_FILE;
}

TARVIK_PORT_API void TarvikPortRelease(void) {}

TARVIK_PORT_API void vbOut(short, short) {}

TARVIK_PORT_API short vbInp(short) {
    return 0xFF;
}

} // namespace tarvik

#endif
