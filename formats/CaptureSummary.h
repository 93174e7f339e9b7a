#pragma once

#include "Channels.h"
#include "SampleSource.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace tarvik {

// What one line did over a capture. A pulse counts only when an edge starts
// and an edge ends it: the stretches before the first edge and after the last
// may have begun or gone on beyond the capture.
struct ChannelSummary {
    bool firstLevel = false;
    std::int64_t edges = 0;
    // In samples; 0 when the line has no complete pulse of that level.
    std::int64_t shortestHigh = 0;
    std::int64_t shortestLow = 0;
};

struct CaptureSummary {
    std::int64_t sampleCount = 0;
    // In the order of the capture's layout.
    std::vector<ChannelSummary> channels;
    // Why the capture could not be read to its end; empty when it was.
    QString error;
};

// Goes through the capture once, a block at a time.
CaptureSummary SummariseCapture(SampleSource& source);

// The summary as a terminal shows it: the sample count, the rate (or that it
// is unknown), the trigger when there was one, and a table of the lines with
// their pulses in samples, and in microseconds when the rate is known.
QString summaryText(const CaptureSummary& summary, const CaptureFacts& facts);

} // namespace tarvik
