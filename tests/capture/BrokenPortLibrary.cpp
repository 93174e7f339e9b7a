// Port libraries that go wrong in one way each, chosen when built:
// WITHOUT_READ exports no read function, UNREACHABLE cannot reach the port
// and advises the library of the kernel's driver instead.

#include "PortExports.h"

namespace tarvik {

TARVIK_PORT_API const char* TarvikPortStatus(void) {
#ifdef UNREACHABLE
    return "the test port is switched off. Switch it on.";
#else
    return nullptr;
#endif
}

#ifdef UNREACHABLE
TARVIK_PORT_API const char* TarvikPortInstead(void) {
    return TARVIK_INPOUT32_FILE;
}
#endif

TARVIK_PORT_API void vbOut(short, short) {}

#ifndef WITHOUT_READ
TARVIK_PORT_API short vbInp(short) {
    return 0;
}
#endif

} // namespace tarvik
