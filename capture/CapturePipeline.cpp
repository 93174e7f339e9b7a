#include "CapturePipeline.h"

namespace tarvik {

CapturePipeline::CapturePipeline(const CaptureRequest& request, const ChannelLayout& channels,
                                 std::int32_t blocksInFlight, Writer writer)
    : request_(request), blocks_(blocksInFlight, SamplesPerStamp), source_(blocks_) {
    source_.setFacts({0, request.sampleRate, request.trigger.text(), -1, channels});
    writer_ = std::thread([this, writer = std::move(writer)] {
        // The writer, and the threads it starts, keep off the sampler's
        // processor: a moment of theirs there is a pause in the samples. They
        // keep their priority, which a busy machine's other programs would
        // otherwise take from them.
        processors_.keepWriterOff();
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
        finish(false);
}

StreamEnd CapturePipeline::capture(PortDevice& port, CaptureObserver& observer, CaptureClock& clock,
                                   const std::atomic<bool>& stop) {
    return StreamCapture(port, request_, source_, blocks_, observer, timing_, clock, stop);
}

QString CapturePipeline::finish(bool keep) {
    processors_.release();
    CaptureFacts facts = source_.facts();
    facts.sampleCount = timing_.samples;
    facts.sampleRate = request_.sampleRate > 0.0 ? request_.sampleRate : timing_.meanRate();
    facts.triggerSample = timing_.triggerSample;
    source_.setFacts(facts);
    keep_ = keep;
    blocks_.close();
    writer_.join();
    return writerError_;
}

} // namespace tarvik
