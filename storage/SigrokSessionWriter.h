#pragma once

#include "SampleSource.h"

class QIODevice;

namespace tarvik {

// Writes the capture to the device as a sigrok session of version 2: its
// metadata and its samples in numbered chunks, streamed from the source into
// the zip archive so that a capture of any length passes through a bounded
// amount of memory. Empty on success, otherwise what went wrong as a clause.
QString writeSigrokSession(QIODevice& device, SampleSource& source);

} // namespace tarvik
