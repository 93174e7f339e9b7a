#pragma once

namespace tarvik {

// Ctrl-C (SIGINT) and SIGTERM only raise a flag, which the capture and the
// file writers look at between blocks: the port is then released and no half
// file is left behind. A second Ctrl-C ends the program at once.
void catchInterruptions();
bool interrupted();
// The exit status of a run that was stopped: 128 plus the signal's number.
int interruptedStatus();

} // namespace tarvik
