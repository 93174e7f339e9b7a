#pragma once

#include "CaptureFormat.h"

#include <QString>

namespace tarvik {

// Whether both names lead to one file, through links or other spellings.
bool isSameFile(const QString& first, const QString& second);

// Reads a capture file (a .lgc or a sigrok session of the thirteen lines) and
// writes it to output in the given format, all or nothing. A rateOverride
// above 0 gives the rate that a .lgc lacks, or replaces a session's. The
// output is never the input itself. Empty on success, otherwise one sentence
// naming the file and what went wrong; nothing is then written.
QString ConvertCaptureFile(const QString& input, const QString& output, CaptureFormat format,
                           double rateOverride);

} // namespace tarvik
