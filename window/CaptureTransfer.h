#pragma once

#include "LgcFormat.h"
#include "ProgramState.h"
#include "ProgressBar.h"

class QIODevice;

namespace tarvik {

// Reads a capture file from the device's current position into samples
// 1 ... SampleCount of both buffers: its first CaptureFileSize bytes, the rest
// of a longer file left unread; samples beyond the end of a shorter file
// become 0. The whole file goes into scratch before anything else changes, so
// that on a read error (false) the buffers and the progress bar are as they
// were. Otherwise the progress bar gets its range 1 ... SampleCount and then
// every sample's index in turn.
bool ReadCapture(QIODevice& device, CaptureImage& scratch, ProgramState& state,
                 ProgressBar& progress);

// Writes samples 1 ... SampleCount of both buffers to the device in file
// order, driving the progress bar as ReadCapture does. False as soon as the
// device takes no more; its errorString() then says why.
bool WriteCapture(const ProgramState& state, QIODevice& device, ProgressBar& progress);

} // namespace tarvik
