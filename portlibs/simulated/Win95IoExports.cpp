// libWIN95IO.so over the simulated port.

#include "PortExports.h"
#include "SimulatedPort.h"

namespace {
SimulatedPort port;
} // namespace

const char* TarvikPortStatus(void) {
    return nullptr;
}

// Nothing is claimed: the simulated port belongs to this process alone.
void TarvikPortRelease(void) {}

void vbOut(short address, short value) {
    port.write(address, value);
}

short vbInp(short address) {
    return port.read(address);
}
