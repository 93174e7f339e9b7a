// The printer port through the kernel's parallel-port driver (ppdev), as
// /dev/parportN for the chosen port. The device node belongs to the lp group,
// so no root rights are needed, and the driver finds the port at whatever base
// address the card has: the program's register addresses only choose the
// register.
//
// The port is shared with the printer driver and other programs, so it is
// claimed at the start of each capture and released at its end; a port that
// someone else holds is reported at once rather than waited for.

#include "KernelPorts.h"
#include "PortExports.h"
#include "PortName.h"
#include "PortRegisters.h"
#include "ScopedSignalHandler.h"

#include <linux/ppdev.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

// glibc 2.36 names the field only through its internal union.
#ifndef sigev_notify_thread_id
#define sigev_notify_thread_id _sigev_un._tid
#endif

namespace tarvik {
namespace {

constexpr short DataRegister = TarvikDataRegister;
constexpr short StatusRegister = TarvikStatusRegister;
constexpr short ControlRegister = TarvikControlRegister;
// The driver keeps the data direction apart from the other control bits.
constexpr unsigned char DataLinesIn = TarvikDataLinesIn;
// The control bits the driver lets a program write: strobe, auto feed,
// initialise and select.
constexpr unsigned char WritableControl = 0x0F;
// What a read gives when there is nothing to read from: a floating bus.
constexpr short NothingThere = 0xFF;
// How long a claim waits for a port that someone else holds.
constexpr long ClaimWaitNanoseconds = 250'000'000;

int portNumber = 0;
char devicePath[24] = "/dev/" TARVIK_DEFAULT_PORT;
int device = -1;
bool dataLinesIn = false;
bool triedOnce = false;
char reason[768];
volatile sig_atomic_t claimTimedOut = 0;

// "<device> <problem> (<system's reason>). <what to do>"
const char* fail(const char* problem, int error, const char* remedy) {
    std::snprintf(reason, sizeof reason, "%s %s (%s). %s", devicePath, problem,
                  std::strerror(error), remedy);
    return reason;
}

const char* cannotBe(const char* problem, int error) {
    char remedy[64];
    std::snprintf(remedy, sizeof remedy,
                  "It is the kernel's parallel port " TARVIK_PORT_NAME_PREFIX "%d.", portNumber);
    return fail(problem, error, remedy);
}

const char* openFailure(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return fail("may not be opened by this user", error,
                    "Add the user to the lp group (sudo usermod -aG lp $USER), log in again "
                    "and retry.");
    case ENOENT:
    case ENODEV:
    case ENXIO:
        if (!tarvikKernelKnowsPort(TARVIK_KERNEL_PORTS, portNumber) &&
            tarvikKernelPortCount(TARVIK_KERNEL_PORTS) > 0) {
            char unknown[sizeof reason - sizeof devicePath - sizeof " is not there: "];
            std::snprintf(
                reason, sizeof reason, "%s is not there: %s", devicePath,
                tarvikUnknownPort(TARVIK_KERNEL_PORTS, portNumber, unknown, sizeof unknown));
            return reason;
        }
        return fail("is not there", error,
                    "Load the kernel's parallel-port drivers (sudo modprobe -a parport_pc "
                    "ppdev) and check that the machine has a printer port.");
    default:
        return cannotBe("cannot be opened", error);
    }
}

void onClaimTimeout(int) {
    claimTimedOut = 1;
}

// PPCLAIM sleeps until the port is free, and only a signal ends the sleep
// early: a timer on this thread sends SIGALRM, without SA_RESTART, every
// ClaimWaitNanoseconds until the claim returns (repeating, in case the first
// one comes before the sleep). The previous handler and signal mask come back
// afterwards. Returns 0 or the claim's errno; EBUSY when the port stayed
// taken.
int claimWithin(int fd) {
    const ScopedSignalHandler onTimeout(SIGALRM, onClaimTimeout);
    sigevent toThisThread{};
    toThisThread.sigev_notify = SIGEV_THREAD_ID;
    toThisThread.sigev_signo = SIGALRM;
    toThisThread.sigev_notify_thread_id = gettid();
    timer_t timer{};
    int result = timer_create(CLOCK_MONOTONIC, &toThisThread, &timer);
    if (result == 0) {
        const timespec period{0, ClaimWaitNanoseconds};
        const itimerspec every{period, period};
        claimTimedOut = 0;
        timer_settime(timer, 0, &every, nullptr);
        while ((result = ioctl(fd, PPCLAIM)) != 0 && errno == EINTR && !claimTimedOut) {
        }
        result = result == 0 ? 0 : errno == EINTR ? EBUSY : errno;
        timer_delete(timer);
    } else {
        result = errno;
    }
    return result;
}

// Opens and claims the port for this process until TarvikPortRelease. The
// device is opened without blocking, so that an odd node cannot hang it.
const char* reachPort() {
    if (device >= 0)
        return nullptr;
    triedOnce = true;
    const int fd = ::open(devicePath, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return openFailure(errno);
    if (const int error = claimWithin(fd); error != 0) {
        ::close(fd);
        if (error == EBUSY)
            return fail("is busy", error,
                        "Another program or driver holds the port: end the program that uses "
                        "it, or unload the printer driver (sudo rmmod lp), and retry.");
        // A device node made by hand opens without a port behind it.
        if (error == ENXIO || error == ENODEV)
            return openFailure(error);
        return cannotBe("cannot be claimed", error);
    }
    device = fd;
    return nullptr;
}

void releasePort() {
    if (device >= 0) {
        ioctl(device, PPRELEASE);
        ::close(device);
    }
    device = -1;
    dataLinesIn = false;
    triedOnce = false;
}

// The first write or read reaches for the port if nobody asked the status
// before; after a failure only the status call tries again, so that a capture
// without a port does not open the device millions of times.
bool havePort() {
    if (device < 0 && !triedOnce)
        reachPort();
    return device >= 0;
}

unsigned char readRegister(unsigned long request) {
    unsigned char byte = NothingThere;
    ioctl(device, request, &byte);
    return byte;
}

void writeRegister(unsigned long request, unsigned char byte) {
    ioctl(device, request, &byte);
}

// A program that never calls TarvikPortRelease still lets go of the port when
// it unloads the library or ends.
__attribute__((destructor)) void releaseAtUnload() {
    releasePort();
}

} // namespace

TARVIK_PORT_API const char* TarvikPortSelect(const char* name) {
    const int number = tarvikParsePortName(name);
    if (number < 0)
        return TARVIK_NOT_A_PORT_NAME;
    if (number != portNumber)
        releasePort();
    portNumber = number;
    std::snprintf(devicePath, sizeof devicePath, "/dev/" TARVIK_PORT_NAME_PREFIX "%d", number);
    return nullptr;
}

TARVIK_PORT_API const char* TarvikPortStatus(void) {
    return reachPort();
}

TARVIK_PORT_API void TarvikPortRelease(void) {
    releasePort();
}

TARVIK_PORT_API void Out32(short address, short value) {
    if (!havePort())
        return;
    const auto byte = static_cast<unsigned char>(value & 0xFF);
    switch (address) {
    case DataRegister:
        writeRegister(PPWDATA, byte);
        break;
    case ControlRegister: {
        int reverse = (byte & DataLinesIn) != 0 ? 1 : 0;
        ioctl(device, PPDATADIR, &reverse);
        dataLinesIn = reverse != 0;
        writeRegister(PPWCONTROL, byte & WritableControl);
        break;
    }
    default:
        // The status register cannot be written, and other addresses are not
        // this port's.
        break;
    }
}

TARVIK_PORT_API short Inp32(short address) {
    if (!havePort())
        return NothingThere;
    switch (address) {
    case DataRegister:
        return readRegister(PPRDATA);
    case StatusRegister:
        return readRegister(PPRSTATUS);
    case ControlRegister:
        return static_cast<short>((readRegister(PPRCONTROL) & WritableControl) |
                                  (dataLinesIn ? DataLinesIn : 0));
    default:
        return NothingThere;
    }
}

} // namespace tarvik
