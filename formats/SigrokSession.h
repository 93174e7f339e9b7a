#pragma once

#include "SampleSource.h"

#include <memory>

class QFile;
class QIODevice;

namespace tarvik {

// A sigrok session (.sr): a zip archive of version 2 holding the metadata and
// the samples in numbered chunks.

// Whether the file is a zip archive, which is all its first bytes can show.
bool recognisesSigrokSession(QFile& file);

// The capture in a session holding the thirteen lines as the program writes
// them, read member by member. The session reads through a handle of its own,
// so the file may be closed. Nothing when the file is no such session;
// whatIsWrong then says why, as a clause ("it has no metadata").
std::unique_ptr<SampleSource> readSigrokSession(std::unique_ptr<QFile> file, const QString& path,
                                                QString& whatIsWrong);

// Writes the capture to the device as a session: its metadata and its samples
// in numbered chunks, streamed from the source into the archive so that a
// capture of any length passes through a bounded amount of memory. Empty on
// success, otherwise what went wrong as a clause.
QString writeSigrokSession(QIODevice& device, SampleSource& source);

} // namespace tarvik
