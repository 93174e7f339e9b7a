#pragma once

#include "PortDevice.h"

#include <cstdint>

class QIODevice;

namespace tarvik {

// A capture of any length is read in blocks of this many samples; the clock
// is read once a block, which costs nothing next to the reads themselves.
inline constexpr std::int32_t SamplesPerStamp = 4096;

// How a capture went in time, from the monotonic clock read at its start, at
// the end of every block and at its end.
struct CaptureTiming {
    std::int64_t samples = 0;
    double seconds = 0.0;
    // The longest time a whole block took.
    double longestBlockSeconds = 0.0;

    double meanRate() const { return seconds > 0.0 ? double(samples) / seconds : 0.0; }
    // The longest block against a block's mean time: 1 for perfectly even
    // sampling, 10 where the machine held the capture up for nine blocks' time.
    double unevenness() const;
};

// Told after every block; says whether the capture goes on.
class CaptureObserver {
  public:
    virtual ~CaptureObserver() = default;
    virtual bool carryOn(std::int64_t samplesDone, double seconds) = 0;
};

enum class StreamEnd { Complete, Stopped, SinkFailed };

// Captures count samples from an open port as fast as it answers, through
// the window's own sample loop, and writes them to the sink as pairs of a
// status byte and a data byte, in blocks, so that memory stays bounded
// however long the capture. timing describes the samples taken, also when
// the observer stopped the capture early or the sink failed.
StreamEnd StreamCapture(PortDevice& port, std::int64_t count, QIODevice& sink,
                        CaptureObserver& observer, CaptureTiming& timing);

} // namespace tarvik
