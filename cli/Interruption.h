#pragma once

#include <atomic>

namespace tarvik {

// Ctrl-C (SIGINT), SIGTERM and SIGHUP (a dropped terminal) only raise a flag,
// which the capture, a trigger wait, a sleep between samples and the file
// writers look at: the port is then released and no half file is left
// behind. A second signal ends the program at once.
void catchInterruptions();
bool interrupted();
// Takes the signal that ended a capture run until stopped as its end, and
// watches for the next, which would stop the writing of its output.
void rearmInterruptions();
// The flag the capture looks at.
const std::atomic<bool>& stopFlag();
// The exit status of a run that was stopped: 128 plus the signal's number.
int interruptedStatus();

} // namespace tarvik
