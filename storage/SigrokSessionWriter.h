#pragma once

#include "SampleSource.h"

namespace tarvik {

// Writes the capture as a sigrok session of version 2: its metadata and its
// samples in numbered chunks, streamed from the source into the zip archive so
// that a capture of any length passes through a bounded amount of memory.
// libzip writes the archive beside the named file and renames it into place
// only once it is whole, so that the name never holds half a session. Empty on
// success, otherwise what went wrong as a clause.
QString writeSigrokSession(const QString& path, SampleSource& source);

} // namespace tarvik
