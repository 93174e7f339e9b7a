// The printer port through the kernel's parallel-port driver (ppdev). The
// device node belongs to the lp group, so no root rights are needed, and the
// driver finds the port at whatever base address the card has: the program's
// register addresses only choose the register.

#include "PortExports.h"

#include <linux/ppdev.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr short DataRegister = 0x378;
constexpr short StatusRegister = 0x379;
constexpr short ControlRegister = 0x37A;
// Bit 5 of the control register turns the data lines into inputs; the driver
// keeps the direction apart from the other control bits.
constexpr unsigned char DataLinesIn = 0x20;
// The control bits the driver lets a program write: strobe, auto feed,
// initialise and select.
constexpr unsigned char WritableControl = 0x0F;
// What a read gives when there is nothing to read from: a floating bus.
constexpr short NothingThere = 0xFF;

constexpr const char* Device = "/dev/parport0";

int device = -1;
bool dataLinesIn = false;
bool triedOnce = false;
char reason[512];

// "<device> <problem> (<system's reason>). <what to do>"
const char* fail(const char* problem, int error, const char* remedy) {
    std::snprintf(reason, sizeof reason, "%s %s (%s). %s", Device, problem, std::strerror(error),
                  remedy);
    return reason;
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
        return fail("is not there", error,
                    "Load the kernel's parallel-port drivers (sudo modprobe -a parport_pc "
                    "ppdev) and check that the machine has a printer port.");
    default:
        return fail("cannot be opened", error, "It is the kernel's first parallel port.");
    }
}

// Opens and claims the port for this process; the claim lasts until the
// library is unloaded, which the program does when it ends.
const char* reachPort() {
    if (device >= 0)
        return nullptr;
    triedOnce = true;
    const int fd = ::open(Device, O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return openFailure(errno);
    if (ioctl(fd, PPCLAIM) != 0) {
        const int error = errno;
        ::close(fd);
        return fail("is busy", error,
                    "Another driver or program holds the port: unload the printer driver "
                    "(sudo rmmod lp) or end the program that uses it.");
    }
    device = fd;
    return nullptr;
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

__attribute__((destructor)) void releasePort() {
    if (device < 0)
        return;
    ioctl(device, PPRELEASE);
    ::close(device);
    device = -1;
}

} // namespace

const char* TarvikPortStatus(void) {
    return reachPort();
}

void Out32(short address, short value) {
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

short Inp32(short address) {
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
