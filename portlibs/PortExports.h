#pragma once

// The C interface of the port libraries that the "SCAN" buttons open by file
// name. Addresses and values are 16-bit signed integers passed by value; a
// read returns the byte read, 0 ... 255. A write uses the value's low byte.

#define TARVIK_PORT_API extern "C" __attribute__((visibility("default")))

// Null once the library has reached the port; otherwise a sentence saying why
// not and what to do about it. Safe to call again: it retries while it fails.
TARVIK_PORT_API const char* TarvikPortStatus(void);

// libinpout32.so, for the lower "SCAN" button.
TARVIK_PORT_API void Out32(short address, short value);
TARVIK_PORT_API short Inp32(short address);

// libWIN95IO.so, for the upper "SCAN" button.
TARVIK_PORT_API void vbOut(short address, short value);
TARVIK_PORT_API short vbInp(short address);
