#pragma once

#include "ChannelLayout.h"

#include <QString>

#include <cstdint>

namespace tarvik {

// A sample as every capture file and stream holds it: the status byte, then
// the data byte.
inline constexpr int BytesPerSample = 2;

// The samples a reader of a source asks for at a time: enough to make each
// call's cost vanish, little enough to stay in the cache.
inline constexpr std::int64_t SamplesPerBlock = 64 * 1024;

// What is known of a capture beside its samples.
struct CaptureFacts {
    std::int64_t sampleCount = 0;
    // Samples per second; 0 when unknown (a .lgc records none).
    double sampleRate = 0.0;
    // The trigger the capture waited for, in sigrok-cli's syntax ("S6=f,D0=1");
    // empty when it started at once.
    QString trigger;
    // The sample, from 0, at which the trigger held; the ones before it were
    // taken before it held. -1 when unknown or there was no trigger.
    std::int64_t triggerSample = -1;
    // The lines the files show, in their order and under their names; the
    // samples hold the others too, as whatever the port or file gave.
    ChannelLayout channels = ChannelLayout::all();
};

// Samples read in file order, a block at a time, so that a capture of any
// length passes through a bounded amount of memory.
class SampleSource {
  public:
    virtual ~SampleSource() = default;
    virtual CaptureFacts facts() const = 0;
    // Reads up to maxSamples samples into pairs (BytesPerSample bytes each):
    // the number read, 0 once all facts().sampleCount samples have been read,
    // -1 on an error that errorString() describes.
    virtual std::int64_t read(std::uint8_t* pairs, std::int64_t maxSamples) = 0;
    virtual QString errorString() const = 0;
    // Whether the samples arrive as they are taken, so that a writer is to pass
    // on what it has after every read, for a reader downstream to see at once.
    virtual bool live() const { return false; }
};

// What a writer says when the samples it copies cannot be read: a clause.
inline QString readFailure(const SampleSource& source) {
    return QStringLiteral("the capture could not be read (%1)").arg(source.errorString());
}

} // namespace tarvik
