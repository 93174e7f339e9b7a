#pragma once

#include "SampleSource.h"

class QIODevice;

namespace tarvik {

// Writes the capture to the device as a sigrok session of version 2: its
// samples in numbered chunks, packed on two threads as the source gives them
// and written front to back, so that a capture of any length passes through a
// bounded amount of memory and any device can take it. The source is read
// until it ends; only then are its facts (count, rate, trigger) taken for the
// metadata, so that they may become known while it is read. Empty on success,
// otherwise what went wrong as a clause.
QString writeSigrokSession(QIODevice& device, SampleSource& source);

} // namespace tarvik
