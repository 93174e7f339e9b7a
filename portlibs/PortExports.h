#pragma once

// The C interface of the port libraries that the "SCAN" buttons open by file
// name. Addresses and values are 16-bit signed integers passed by value; a
// read returns the byte read, 0 ... 255. A write uses the value's low byte.
// The program looks the functions up by the names given beside them.

#define TARVIK_PORT_API extern "C" __attribute__((visibility("default")))

// Null once the library has reached the port (and claimed it, where the port
// is shared); otherwise a sentence saying why not and what to do about it.
// Called at the start of every capture; safe to call again while it fails.
TARVIK_PORT_API const char* TarvikPortStatus(void);
#define TARVIK_PORT_STATUS_NAME "TarvikPortStatus"

// Chooses the kernel's parallel port that the library reaches, by the name
// the user gave it (parportN, PortName.h); parport0 until then. Called once,
// right after loading, before TarvikPortStatus. Null when the library takes
// the name; otherwise a sentence saying why not. Optional: a library without
// it is taken to be fine for any port.
TARVIK_PORT_API const char* TarvikPortSelect(const char* name);
#define TARVIK_PORT_SELECT_NAME "TarvikPortSelect"

// After TarvikPortStatus has failed: the file name of the port library that
// may still reach the port where this one cannot (TARVIK_INPOUT32_FILE, say),
// or null. The sentence from TarvikPortStatus leaves that advice out, so that
// each program gives it in its own words: the window names the button that
// uses the library, tarvik-cli its --via. Optional: a library without it
// advises none.
TARVIK_PORT_API const char* TarvikPortInstead(void);
#define TARVIK_PORT_INSTEAD_NAME "TarvikPortInstead"

// Lets go of what TarvikPortStatus claimed, at the end of every capture; safe
// to call when nothing is claimed. Optional, like TarvikPortStatus.
TARVIK_PORT_API void TarvikPortRelease(void);
#define TARVIK_PORT_RELEASE_NAME "TarvikPortRelease"

// libinpout32.so, for the lower "SCAN" button.
#define TARVIK_INPOUT32_FILE "libinpout32.so"
TARVIK_PORT_API void Out32(short address, short value);
TARVIK_PORT_API short Inp32(short address);
#define TARVIK_INPOUT32_WRITE_NAME "Out32"
#define TARVIK_INPOUT32_READ_NAME "Inp32"

// libWIN95IO.so, for the upper "SCAN" button.
#define TARVIK_WIN95IO_FILE "libWIN95IO.so"
TARVIK_PORT_API void vbOut(short address, short value);
TARVIK_PORT_API short vbInp(short address);
#define TARVIK_WIN95IO_WRITE_NAME "vbOut"
#define TARVIK_WIN95IO_READ_NAME "vbInp"
