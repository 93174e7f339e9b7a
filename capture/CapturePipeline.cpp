#include "CapturePipeline.h"

namespace tarvik {

CapturePipeline::CapturePipeline(std::int32_t blocksInFlight, Writer writer)
    : blocks_(blocksInFlight, SamplesPerStamp), source_(blocks_) {
    writer_ = std::thread([this, writer = std::move(writer)] {
        writerError_ = writer(source_, keep_);
        if (!writerError_.isEmpty())
            blocks_.fail();
        // The sampler may still hand blocks on until it sees the failure;
        // they go nowhere.
        while (blocks_.next())
            blocks_.release();
    });
}

CapturePipeline::~CapturePipeline() {
    if (writer_.joinable())
        finish({}, false);
}

StreamEnd CapturePipeline::capture(PortDevice& port, const CaptureRequest& request,
                                   const ChannelLayout& channels, CaptureObserver& observer,
                                   CaptureClock& clock, const std::atomic<bool>& stop) {
    channels_ = channels;
    source_.setFacts({0, request.sampleRate, request.trigger.text(), -1, channels});
    return StreamCapture(port, request, source_, blocks_, observer, timing_, clock, stop);
}

QString CapturePipeline::finish(const CaptureRequest& request, bool keep) {
    source_.setFacts({timing_.samples,
                      request.sampleRate > 0.0 ? request.sampleRate : timing_.meanRate(),
                      request.trigger.text(), timing_.triggerSample, channels_});
    keep_ = keep;
    blocks_.close();
    writer_.join();
    return writerError_;
}

} // namespace tarvik
