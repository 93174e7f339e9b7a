#pragma once

#include "CaptureFile.h"
#include "ProgramState.h"
#include "ProgressBar.h"

class QIODevice;

// Reads a capture file from the device's current position into image: its
// first CaptureFileSize bytes, leaving the rest of a longer file unread. Where
// a shorter file ends, the image holds 0. False when the device reports a
// read error; the image then holds nothing of use.
bool ReadCaptureImage(QIODevice& device, CaptureImage& image);

// Puts an image into samples 1 ... SampleCount of both buffers. The progress
// bar gets its range 1 ... SampleCount and then every sample's index in turn.
void UnpackCapture(const CaptureImage& image, ProgramState& state, ProgressBar& progress);

// Writes samples 1 ... SampleCount of both buffers to the device in file
// order, driving the progress bar as UnpackCapture does. False as soon as the
// device takes no more; its errorString() then says why.
bool WriteCapture(const ProgramState& state, QIODevice& device, ProgressBar& progress);
