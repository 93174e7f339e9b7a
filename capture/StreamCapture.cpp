#include "StreamCapture.h"

#include "Channels.h"
#include "RegisterLoop.h"
#include "SampleLoop.h"
#include "SampleSource.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace tarvik {

namespace {

// Samples taken as fast as the port answers before a schedule starts, to
// learn whether the port can keep it.
constexpr std::int32_t ProbeSamples = 256;
// Below this rate the schedule sleeps between samples rather than watching
// the clock, so that a slow capture costs almost no processor time.
constexpr double SleepBelowRate = 10'000.0;

// A stream has no progress bar in its loop; the observer hears of progress
// once a block instead.
class NoProgressBar final : public ProgressBar {
  public:
    void setMax(float) override {}
    void setMin(float) override {}
    void setValue(float) override {}
};

double seconds(std::int64_t ns) {
    return double(ns) / 1e9;
}

void store(std::uint8_t* pair, SamplePair sample) {
    pair[0] = sample.status;
    pair[1] = sample.data;
}

// Sample k at start plus k over the rate, so that no rounding adds up; k
// counts every sample taken on the schedule, those of the trigger's wait too.
class Schedule {
  public:
    Schedule(double rate, std::int64_t startNs, SampledRegisters registers, CaptureClock& clock,
             const std::atomic<bool>& stop)
        : nsPerSample_(1e9 / rate), startNs_(startNs), sleeps_(rate < SleepBelowRate),
          registers_(registers), clock_(clock), stop_(stop) {}

    // The next sample at its time; nothing when stopped while waiting for it.
    std::optional<SamplePair> take(PortDevice& port, CaptureTiming& timing) {
        const std::int64_t due = startNs_ + std::int64_t(double(index_) * nsPerSample_);
        std::int64_t now = clock_.nowNs();
        if (sleeps_ && now < due) {
            if (!clock_.sleepUntil(due, stop_))
                return std::nullopt;
            now = clock_.nowNs();
        }
        while (now < due)
            now = clock_.nowNs();
        const std::int64_t lateNs = now - due;
        timing.lateSamples += double(lateNs) > nsPerSample_;
        timing.latestDelaySeconds = std::max(timing.latestDelaySeconds, seconds(lateNs));
        ++index_;
        return ReadSampleFrom(port, registers_);
    }

  private:
    double nsPerSample_;
    std::int64_t startNs_;
    bool sleeps_;
    SampledRegisters registers_;
    CaptureClock& clock_;
    const std::atomic<bool>& stop_;
    std::int64_t index_ = 0;
};

// One capture: the trigger's wait with the samples kept from before it, then
// the blocks handed to the writer.
class Capture {
  public:
    Capture(PortDevice& port, const CaptureRequest& request, SampleBlocks& blocks,
            CaptureObserver& observer, CaptureTiming& timing, CaptureClock& clock,
            const std::atomic<bool>& stop)
        : port_(port), request_(request), blocks_(blocks), observer_(observer), timing_(timing),
          clock_(clock), stop_(stop), perBlock_(blocks.samplesPerBlock()),
          before_(std::size_t(request.pretrigger) * BytesPerSample) {}

    StreamEnd run(BlockSource& sink);

  private:
    StreamEnd awaitTrigger();
    std::optional<SamplePair> poll();
    StreamEnd storeKeptSamples(SamplePair triggered, std::int64_t polls);
    StreamEnd storeBlocks();
    std::int32_t readInto(std::uint8_t* pairs, std::int32_t count, std::int64_t startNs);
    StreamEnd handOn();
    bool wanted() const {
        return (request_.continuous || timing_.samples < request_.samples) && !timeIsUp_;
    }

    PortDevice& port_;
    const CaptureRequest& request_;
    SampleBlocks& blocks_;
    CaptureObserver& observer_;
    CaptureTiming& timing_;
    CaptureClock& clock_;
    const std::atomic<bool>& stop_;
    const std::int32_t perBlock_;
    std::optional<Schedule> schedule_;
    // The last polls of the trigger's wait, as a ring of pairs.
    std::vector<std::uint8_t> before_;
    std::uint8_t* block_ = nullptr;
    std::int32_t inBlock_ = 0;
    std::int64_t startNs_ = 0;
    bool timeIsUp_ = false;
    NoProgressBar noBar_;
};

std::optional<SamplePair> Capture::poll() {
    if (schedule_)
        return schedule_->take(port_, timing_);
    return ReadSampleFrom(port_, request_.registers);
}

// Polls until the trigger holds; that sample, and those kept from before it,
// are the first stored.
StreamEnd Capture::awaitTrigger() {
    const Trigger& trigger = request_.trigger;
    const std::int64_t start = clock_.nowNs();
    const auto keep = std::size_t(request_.pretrigger);
    std::optional<SamplePair> now = poll();
    if (!now)
        return StreamEnd::Stopped;
    std::uint16_t before = sampleUnit(now->status, now->data);
    std::int64_t polls = 0;
    bool holds = !trigger.needsEdge() && trigger.holds(before, before);
    while (!holds) {
        if (keep > 0)
            store(&before_[std::size_t(polls) % keep * BytesPerSample], *now);
        ++polls;
        if (!(now = poll()))
            return StreamEnd::Stopped;
        const std::uint16_t unit = sampleUnit(now->status, now->data);
        holds = trigger.holds(before, unit);
        before = unit;
        if (!holds && (polls % SamplesPerStamp == 0 || schedule_)) {
            const double waited = seconds(clock_.nowNs() - start);
            timing_.waitedSeconds = waited;
            if (request_.waitSeconds > 0.0 && waited >= request_.waitSeconds)
                return StreamEnd::TriggerNotSeen;
            if (stop_.load(std::memory_order_relaxed) || !observer_.waiting(waited))
                return StreamEnd::Stopped;
        }
    }
    timing_.waitedSeconds = seconds(clock_.nowNs() - start);
    return storeKeptSamples(*now, polls);
}

StreamEnd Capture::storeKeptSamples(SamplePair triggered, std::int64_t polls) {
    const std::int64_t keep = request_.pretrigger;
    const std::int64_t kept =
        std::min({polls, keep,
                  request_.continuous ? keep : std::max<std::int64_t>(request_.samples - 1, 0)});
    for (std::int64_t k = polls - kept; k < polls; ++k) {
        const std::uint8_t* pair = &before_[std::size_t(k % keep) * BytesPerSample];
        store(block_ + std::size_t(inBlock_) * BytesPerSample, {pair[0], pair[1]});
        ++inBlock_;
        ++timing_.samples;
        if (inBlock_ == perBlock_)
            if (const StreamEnd end = handOn(); end != StreamEnd::Complete)
                return end;
    }
    timing_.triggerSample = kept;
    store(block_ + std::size_t(inBlock_) * BytesPerSample, triggered);
    ++inBlock_;
    ++timing_.samples;
    return inBlock_ == perBlock_ ? handOn() : StreamEnd::Complete;
}

// The block in hand goes to the writer, and a free one is taken.
StreamEnd Capture::handOn() {
    if (inBlock_ > 0)
        blocks_.publish(inBlock_);
    inBlock_ = 0;
    if (blocks_.writerFailed())
        return StreamEnd::WriterFailed;
    block_ = blocks_.freeBlock();
    return block_ ? StreamEnd::Complete : StreamEnd::WriterBehind;
}

// Up to count samples into pairs; fewer on a schedule when the block is due
// to be handed on, or when stopped while waiting for a sample.
std::int32_t Capture::readInto(std::uint8_t* pairs, std::int32_t count, std::int64_t startNs) {
    if (!schedule_) {
        if (request_.registers == SampledRegisters::Both)
            ReadSamples(port_, {pairs, pairs + 1, BytesPerSample}, 0, count - 1, noBar_);
        else
            ReadOneRegister(port_, request_.registers, pairs, 0, count - 1);
        return count;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        const std::optional<SamplePair> sample = schedule_->take(port_, timing_);
        if (!sample)
            return i;
        store(pairs + std::size_t(i) * BytesPerSample, *sample);
        if (clock_.nowNs() - startNs >= HandOnWithinNs)
            return i + 1;
    }
    return count;
}

StreamEnd Capture::storeBlocks() {
    std::int64_t blockStart = clock_.nowNs();
    while (wanted()) {
        std::int64_t count = perBlock_ - inBlock_;
        if (!request_.continuous)
            count = std::min(count, request_.samples - timing_.samples);
        const std::int32_t got = readInto(block_ + std::size_t(inBlock_) * BytesPerSample,
                                          std::int32_t(count), blockStart);
        const std::int64_t now = clock_.nowNs();
        timing_.samples += got;
        timing_.timedSamples += got;
        inBlock_ += got;
        timing_.seconds = seconds(now - startNs_);
        timeIsUp_ = request_.durationNs > 0 && now - startNs_ >= request_.durationNs;
        if (got == SamplesPerStamp)
            timing_.longestBlockSeconds =
                std::max(timing_.longestBlockSeconds, seconds(now - blockStart));
        const bool stopped = stop_.load(std::memory_order_relaxed) ||
                             !observer_.carryOn(timing_.samples, timing_.seconds);
        if (stopped && wanted())
            return StreamEnd::Stopped;
        if (inBlock_ == perBlock_ || (schedule_ && got < count))
            if (const StreamEnd end = handOn(); end != StreamEnd::Complete)
                return end;
        blockStart = now;
    }
    return StreamEnd::Complete;
}

StreamEnd Capture::run(BlockSource& sink) {
    SwitchDataLinesIn(port_);
    if (request_.sampleRate > 0.0) {
        const std::int64_t start = clock_.nowNs();
        for (std::int32_t i = 0; i < ProbeSamples; ++i)
            ReadSampleFrom(port_, request_.registers);
        const std::int64_t took = clock_.nowNs() - start;
        const double fastest = took > 0 ? double(ProbeSamples) / seconds(took) : 0.0;
        if (fastest < request_.sampleRate)
            observer_.cannotKeepUp(fastest);
        schedule_.emplace(request_.sampleRate, clock_.nowNs(), request_.registers, clock_, stop_);
    }
    block_ = blocks_.freeBlock();
    if (!request_.trigger.isEmpty()) {
        if (const StreamEnd end = awaitTrigger(); end != StreamEnd::Complete)
            return end;
        CaptureFacts facts = sink.facts();
        facts.triggerSample = timing_.triggerSample;
        sink.setFacts(facts);
    }
    startNs_ = clock_.nowNs();
    const StreamEnd end = storeBlocks();
    // What was taken goes to the writer however the capture ended.
    if (inBlock_ > 0)
        blocks_.publish(inBlock_);
    return end;
}

} // namespace

double CaptureTiming::unevenness() const {
    const double meanBlock = double(SamplesPerStamp) / meanRate();
    return samples >= SamplesPerStamp && meanBlock > 0.0 ? longestBlockSeconds / meanBlock : 1.0;
}

StreamEnd StreamCapture(PortDevice& port, const CaptureRequest& request, BlockSource& sink,
                        SampleBlocks& blocks, CaptureObserver& observer, CaptureTiming& timing,
                        CaptureClock& clock, const std::atomic<bool>& stop) {
    timing = {};
    timing.scheduledRate = request.sampleRate;
    Capture capture(port, request, blocks, observer, timing, clock, stop);
    return capture.run(sink);
}

} // namespace tarvik
