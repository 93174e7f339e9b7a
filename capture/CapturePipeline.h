#pragma once

#include "BlockSource.h"
#include "ProcessorShare.h"
#include "StreamCapture.h"

#include <QString>

#include <atomic>
#include <functional>
#include <thread>

namespace tarvik {

// A stream capture with its writer on a thread of its own, so that the
// sampling never waits for a disk, a pipe or a compressor: the sampler hands
// full blocks over and goes on.
class CapturePipeline {
  public:
    // Writes the samples as they come, until the source ends; keep, read only
    // once the source has ended, says whether what was written is to stay.
    // Returns empty on success, otherwise what went wrong.
    using Writer = std::function<QString(BlockSource& source, const std::atomic<bool>& keep)>;

    // Starts the writer for a capture as asked, showing the lines of the
    // layout, which the writer knows before the first sample. The blocks
    // between the two hold blocksInFlight times SamplesPerStamp samples, all
    // allocated now.
    CapturePipeline(const CaptureRequest& request, const ChannelLayout& channels,
                    std::int32_t blocksInFlight, Writer writer);
    ~CapturePipeline();
    CapturePipeline(const CapturePipeline&) = delete;
    CapturePipeline& operator=(const CapturePipeline&) = delete;

    // Captures as StreamCapture does, handing the blocks to the writer.
    StreamEnd capture(PortDevice& port, CaptureObserver& observer, CaptureClock& clock,
                      const std::atomic<bool>& stop);
    const CaptureTiming& timing() const { return timing_; }

    // Tells the writer what the capture was (its count, its rate: the one
    // asked for, or else the one measured, and its trigger's sample) and
    // whether to keep what it wrote, and waits for it to end. Empty when it
    // wrote everything, otherwise what went wrong.
    QString finish(bool keep);

  private:
    const CaptureRequest request_;
    // Made first, on the sampler's thread, before the writer starts.
    ProcessorShare processors_;
    SampleBlocks blocks_;
    BlockSource source_;
    CaptureTiming timing_;
    std::atomic<bool> keep_ = false;
    QString writerError_;
    std::thread writer_;
};

} // namespace tarvik
