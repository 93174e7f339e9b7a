#pragma once

#include "BlockSource.h"
#include "CaptureClock.h"
#include "PortDevice.h"
#include "RegisterLoop.h"
#include "Trigger.h"

#include <atomic>
#include <cstdint>

namespace tarvik {

// A capture of any length is read in blocks of this many samples; the clock
// is read once a block, which costs nothing next to the reads themselves.
inline constexpr std::int32_t SamplesPerStamp = 4096;
// On a schedule, a block not yet full goes to the writer after this long, so
// that a reader at the end of a pipe sees the samples while the capture runs.
inline constexpr std::int64_t HandOnWithinNs = 50'000'000;

// What a stream capture is asked to do.
struct CaptureRequest {
    // Samples stored, those from before the trigger included.
    std::int64_t samples = 0;
    // Take samples until stopped, however many.
    bool continuous = false;
    // Storing starts with the first sample at which it holds; empty: at once.
    Trigger trigger;
    // Up to this many samples from before the trigger's are kept.
    std::int64_t pretrigger = 0;
    // How long the trigger may be waited for; 0 for as long as it takes.
    double waitSeconds = 0.0;
    // Sample k is taken k / sampleRate after the first; 0: as fast as the
    // port answers.
    double sampleRate = 0.0;
    // Ends the capture once a block ends this long after the first sample,
    // with the samples taken so far; 0: after its samples.
    std::int64_t durationNs = 0;
    // Each sample reads only these registers.
    SampledRegisters registers = SampledRegisters::Both;
};

// How a capture went in time, from the clock read at its start, at the end of
// every block and at its end.
struct CaptureTiming {
    std::int64_t samples = 0;
    // The samples stored after the trigger's, which the time below covers.
    std::int64_t timedSamples = 0;
    // The stored sample, from 0, at which the trigger held; -1 for none.
    std::int64_t triggerSample = -1;
    // From the first sample stored to the end of the last.
    double seconds = 0.0;
    // The longest time a whole block took.
    double longestBlockSeconds = 0.0;
    // How long the trigger was waited for.
    double waitedSeconds = 0.0;
    // On a schedule: its rate, the samples taken more than one interval after
    // their time, and the longest delay of any sample.
    double scheduledRate = 0.0;
    std::int64_t lateSamples = 0;
    double latestDelaySeconds = 0.0;

    double meanRate() const { return seconds > 0.0 ? double(timedSamples) / seconds : 0.0; }
    // The longest block against a block's mean time: 1 for perfectly even
    // sampling, 10 where the machine held the capture up for nine blocks' time.
    double unevenness() const;
};

// Told how a capture goes; each answer says whether it goes on.
class CaptureObserver {
  public:
    virtual ~CaptureObserver() = default;
    // Now and then while the trigger is waited for.
    virtual bool waiting(double seconds) = 0;
    // Now and then while samples are stored.
    virtual bool carryOn(std::int64_t samplesDone, double seconds) = 0;
    // Once, before a schedule starts, when the port answers more slowly than
    // the schedule asks: fastestRate is the rate it managed.
    virtual void cannotKeepUp(double fastestRate) = 0;
};

enum class StreamEnd {
    Complete,
    // Stopped by the stop flag or the observer.
    Stopped,
    // Every block still waited for the writer: the capture ended there.
    WriterBehind,
    // The writer gave up.
    WriterFailed,
    TriggerNotSeen,
};

// Captures from an open port as asked and hands the samples to the writer as
// pairs of a status byte and a data byte, a block at a time, so that memory
// stays bounded however long the capture and the sampling never waits for the
// writer. As fast as the port answers, it runs the window's own sample loop.
// The trigger's sample reaches sink's facts before the first block. stop ends
// the capture, a trigger wait or a sleep between samples at once. timing
// describes the samples stored, also when the capture ended early; the
// blocks are left open for the caller to close.
StreamEnd StreamCapture(PortDevice& port, const CaptureRequest& request, BlockSource& sink,
                        SampleBlocks& blocks, CaptureObserver& observer, CaptureTiming& timing,
                        CaptureClock& clock, const std::atomic<bool>& stop);

} // namespace tarvik
