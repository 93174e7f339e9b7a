#pragma once

#include "SampleSource.h"

#include <QString>

#include <memory>

namespace tarvik {

// Opens a capture file for reading, of whichever kind its content shows: a
// zip archive is read as a sigrok session, anything else as a .lgc, which
// must be exactly CaptureFileSize bytes. Only a regular file is opened, so
// that nothing ever waits for a writer. Nothing when the file is no capture;
// whyNot then says, in one sentence naming the file, what is wrong.
std::unique_ptr<SampleSource> OpenCaptureFile(const QString& path, QString* whyNot);

} // namespace tarvik
