#pragma once

#include "SampleSource.h"

#include <QString>

#include <memory>

namespace tarvik {

// Opens a capture file for reading, of whichever kind its content shows: a
// zip archive is read as a sigrok session, a file of exactly CaptureFileSize
// bytes as a .lgc, and anything else is no capture. Only a regular file is opened, so
// that nothing ever waits for a writer. Nothing when the file is no capture;
// whyNot then says, in one sentence naming the file, what is wrong.
std::unique_ptr<SampleSource> OpenCaptureFile(const QString& path, QString* whyNot);

} // namespace tarvik
