// libinpout32.so over the simulated port.

#include "PortExports.h"
#include "SimulatedPort.h"

namespace tarvik {

namespace {
SimulatedPort port;
} // namespace

TARVIK_PORT_API const char* TarvikPortStatus(void) {
    return port.problem();
}

// Nothing is claimed: the simulated port belongs to this process alone.
TARVIK_PORT_API void TarvikPortRelease(void) {}

TARVIK_PORT_API void Out32(short address, short value) {
    port.write(address, value);
}

TARVIK_PORT_API short Inp32(short address) {
    return port.read(address);
}

} // namespace tarvik
