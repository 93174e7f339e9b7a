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
    // The lines, in the order of their channels, each on its bit of a unit.
    ChannelLayout channels;
    // Bytes a sample takes: 1 or 2.
    int unitSize = 0;
};

// The metadata of a session holding a capture with these facts: its lines as
// channels 1, 2, ... in their order and under their names, packed on bits 0,
// 1, ... of a unit just long enough (facts.channels.packed()), the rate when
// it is known, and in a section of the program's own, which sigrok passes
// over, the port's line behind each channel and the trigger.
QByteArray composeSessionMetadata(const CaptureFacts& facts);

// Reads a session's metadata, whose channels must be printer-port lines: the
// ones that section names, or else channels named after the lines, as
// sessions written before lines were renamed have them (all thirteen on their
// bits of a status and a data byte). Empty when it does; otherwise what is
// wrong with it, as a clause ("it holds analog channels").
QString parseSessionMetadata(const QByteArray& text, SessionMetadata& metadata);

} // namespace tarvik
