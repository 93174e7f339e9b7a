#pragma once

#include "SampleSource.h"

#include <QByteArray>
#include <QString>

namespace tarvik {

// The name a session's metadata gives its logic data; the data itself lies in
// members of this name with "-1", "-2", ... added, or in one of this name.
inline constexpr char SessionCaptureFile[] = "logic-1";

// What a session's metadata says of the capture in it.
struct SessionMetadata {
    QString captureFile;
    // Samples per second, 0 when the session names none or says "0 Hz".
    double sampleRate = 0.0;
    QString trigger;
    // The sample at which the trigger held; -1 when the session says not.
    std::int64_t triggerSample = -1;
};

// The metadata of a session holding a capture with these facts: the thirteen
// lines named on their bits of a 2-byte unit (status byte first), the rate
// when it is known, and the trigger in a section of the program's own, which
// sigrok passes over.
QByteArray composeSessionMetadata(const CaptureFacts& facts);

// Reads a session's metadata, which must describe the thirteen lines of a
// capture exactly as composeSessionMetadata places them. Empty when it does;
// otherwise what is wrong with it, as a clause ("it holds analog channels").
QString parseSessionMetadata(const QByteArray& text, SessionMetadata& metadata);

} // namespace tarvik
