// libinpout32.so or libWIN95IO.so over the simulated port: the build names
// the write and the read as the library it stands in for names them.

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

TARVIK_PORT_API void TARVIK_SIMULATED_WRITE(short address, short value) {
    port.write(address, value);
}

TARVIK_PORT_API short TARVIK_SIMULATED_READ(short address) {
    return port.read(address);
}

} // namespace tarvik
