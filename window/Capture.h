#pragma once

#include "PortDevice.h"
#include "ProgramState.h"
#include "ProgressBar.h"

namespace tarvik {

// Fills samples 1 ... SampleCount of both buffers from the printer port: one
// write switching the data lines to input, then a status read and a data read
// per sample, with the progress bar following. The port must be open.
void CaptureSamples(ProgramState& state, PortDevice& port, ProgressBar& progress);

} // namespace tarvik
