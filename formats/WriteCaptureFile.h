#pragma once

#include "CaptureFormat.h"
#include "SampleSource.h"

#include <QString>

namespace tarvik {

// Writes the capture to the named file in the given format, all or nothing:
// the name never holds half a file, and a name that is no regular file (a
// named pipe, a device, a folder) is left alone. A .lgc holds exactly
// SampleCount samples and a value change dump needs the sample rate; a
// capture that does not fit its format is refused before anything is
// written. Empty on success, otherwise one sentence naming the file and what
// went wrong.
QString WriteCaptureFile(const QString& path, CaptureFormat format, SampleSource& source);

// Why a capture of that many samples could not be written to the named file
// in the format (0: a number not known before the capture ends), asked
// before the capture is made or read: as the writer
// would find it, and a folder that takes no new file or a disk without room
// for the file (when its format fixes its size) and for bytesBeside more
// bytes that the capture keeps beside it until then. One sentence naming the
// file and what to do, or empty when nothing stands in the way.
QString whyNotWritable(const QString& path, CaptureFormat format, std::int64_t samples,
                       std::int64_t bytesBeside = 0);

} // namespace tarvik
