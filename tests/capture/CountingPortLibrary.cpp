// An upper-button port library that counts how the program holds its port:
// claims (TarvikPortStatus), releases (TarvikPortRelease), and writes or reads
// while the port is not claimed. The test reads the counts from the library.

#include "PortExports.h"

namespace tarvik {

extern "C" {
int claims = 0;
int releases = 0;
int unclaimedCalls = 0;
}

namespace {
bool claimed = false;
} // namespace

TARVIK_PORT_API const char* TarvikPortStatus(void) {
    ++claims;
    claimed = true;
    return nullptr;
}

TARVIK_PORT_API void TarvikPortRelease(void) {
    ++releases;
    claimed = false;
}

TARVIK_PORT_API void vbOut(short, short) {
    unclaimedCalls += claimed ? 0 : 1;
}

TARVIK_PORT_API short vbInp(short) {
    unclaimedCalls += claimed ? 0 : 1;
    return 0;
}

} // namespace tarvik
