#pragma once

#include "CliOptions.h"

namespace tarvik {

// tarvik-cli --scan: captures from the port, then writes the capture to the
// output file and describes it, as the options ask. Returns the exit status.
int runScan(const CliOptions& options);

// tarvik-cli --input-file: reads a capture file, then writes it in another
// format and describes it, as the options ask. Returns the exit status.
int runFile(const CliOptions& options);

} // namespace tarvik
