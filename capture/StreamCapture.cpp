#include "StreamCapture.h"

#include "MonotonicNs.h"

#include "Channels.h"
#include "SampleLoop.h"
#include "SampleSource.h"

#include <QIODevice>

#include <sys/prctl.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <optional>
#include <vector>

namespace tarvik {

namespace {

// Blocks gathered before they go to the sink together: 64 KiB, little enough
// that the allocator keeps it in the heap rather than mapping fresh pages for
// every capture.
constexpr std::int64_t BlocksPerWrite = 8;
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

// Polls the port as fast as it answers until the trigger holds; that sample
// is the first one stored.
StreamEnd awaitTrigger(PortDevice& port, const CaptureRequest& request, CaptureObserver& observer,
                       SamplePair& first, CaptureTiming& timing) {
    const std::int64_t start = tarvikMonotonicNs();
    const Trigger& trigger = request.trigger;
    SamplePair now = ReadSampleFrom(port, request.registers);
    std::uint16_t before = sampleUnit(now.status, now.data);
    if (!trigger.needsEdge() && trigger.holds(before, before)) {
        first = now;
        return StreamEnd::Complete;
    }
    for (std::int64_t polls = 1;; ++polls) {
        now = ReadSampleFrom(port, request.registers);
        const std::uint16_t unit = sampleUnit(now.status, now.data);
        if (trigger.holds(before, unit)) {
            first = now;
            timing.waitedSeconds = seconds(tarvikMonotonicNs() - start);
            return StreamEnd::Complete;
        }
        before = unit;
        if (polls % SamplesPerStamp == 0) {
            const double waited = seconds(tarvikMonotonicNs() - start);
            timing.waitedSeconds = waited;
            if (request.waitSeconds > 0.0 && waited >= request.waitSeconds)
                return StreamEnd::TriggerNotSeen;
            if (!observer.waiting(waited))
                return StreamEnd::Stopped;
        }
    }
}

// The rate at which the port answers, from a few samples read flat out.
double fastestRate(PortDevice& port, SampledRegisters registers) {
    const std::int64_t start = tarvikMonotonicNs();
    for (std::int32_t i = 0; i < ProbeSamples; ++i)
        ReadSampleFrom(port, registers);
    const std::int64_t took = tarvikMonotonicNs() - start;
    return took > 0 ? double(ProbeSamples) / seconds(took) : 0.0;
}

// Samples first ... last of a block, each at its time: start plus its index
// over the rate, so that no rounding adds up.
class Schedule {
  public:
    Schedule(double rate, std::int64_t startNs, SampledRegisters registers)
        : nsPerSample_(1e9 / rate), startNs_(startNs), sleeps_(rate < SleepBelowRate),
          registers_(registers) {
        // A sleep may otherwise end up to 50 us late by the kernel's leave.
        if (sleeps_)
            prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    }

    void read(PortDevice& port, std::uint8_t* pairs, std::int64_t index, std::int32_t count,
              CaptureTiming& timing) {
        for (std::int32_t i = 0; i < count; ++i, ++index) {
            const std::int64_t due = startNs_ + std::int64_t(double(index) * nsPerSample_);
            std::int64_t now = tarvikMonotonicNs();
            if (sleeps_ && now < due) {
                const timespec until{time_t(due / 1'000'000'000), long(due % 1'000'000'000)};
                while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
                }
                now = tarvikMonotonicNs();
            }
            while (now < due)
                now = tarvikMonotonicNs();
            const double late = seconds(now - due);
            timing.lateSamples += late * 1e9 > nsPerSample_;
            timing.latestDelaySeconds = std::max(timing.latestDelaySeconds, late);
            const SamplePair pair = ReadSampleFrom(port, registers_);
            pairs[2 * i] = pair.status;
            pairs[2 * i + 1] = pair.data;
        }
    }

  private:
    double nsPerSample_;
    std::int64_t startNs_;
    bool sleeps_;
    SampledRegisters registers_;
};

} // namespace

double CaptureTiming::unevenness() const {
    const double meanBlock = double(SamplesPerStamp) / meanRate();
    return samples >= SamplesPerStamp && meanBlock > 0.0 ? longestBlockSeconds / meanBlock : 1.0;
}

StreamEnd StreamCapture(PortDevice& port, const CaptureRequest& request, QIODevice& sink,
                        CaptureObserver& observer, CaptureTiming& timing) {
    timing = {};
    timing.scheduledRate = request.sampleRate;
    std::vector<std::uint8_t> pairs(BlocksPerWrite * SamplesPerStamp * BytesPerSample);
    NoProgressBar noBar;
    SwitchDataLinesIn(port);

    if (request.sampleRate > 0.0) {
        const double fastest = fastestRate(port, request.registers);
        if (fastest < request.sampleRate)
            observer.cannotKeepUp(fastest);
    }
    // The trigger's sample is the first one stored.
    std::int32_t taken = 0;
    if (!request.trigger.isEmpty()) {
        SamplePair first{};
        if (const StreamEnd end = awaitTrigger(port, request, observer, first, timing);
            end != StreamEnd::Complete)
            return end;
        pairs[0] = first.status;
        pairs[1] = first.data;
        taken = 1;
    }
    const std::int64_t start = tarvikMonotonicNs();
    std::optional<Schedule> schedule;
    if (request.sampleRate > 0.0)
        schedule.emplace(request.sampleRate, start, request.registers);

    std::int64_t blockStart = start;
    std::int64_t buffered = 0;
    while (timing.samples < request.samples) {
        const auto block = static_cast<std::int32_t>(
            std::min<std::int64_t>(SamplesPerStamp, request.samples - timing.samples));
        std::uint8_t* const first = pairs.data() + buffered * BytesPerSample;
        if (schedule)
            schedule->read(port, first + taken * BytesPerSample, timing.samples + taken,
                           block - taken, timing);
        else if (request.registers == SampledRegisters::Both)
            ReadSamples(port, {first, first + 1, BytesPerSample}, taken, block - 1, noBar);
        else
            ReadOneRegister(port, request.registers, first, taken, block - 1);
        taken = 0;
        const std::int64_t now = tarvikMonotonicNs();
        timing.samples += block;
        timing.seconds = seconds(now - start);
        if (block == SamplesPerStamp)
            timing.longestBlockSeconds =
                std::max(timing.longestBlockSeconds, seconds(now - blockStart));
        blockStart = now;
        buffered += block;
        const bool last = timing.samples == request.samples ||
                          (request.durationNs > 0 && now - start >= request.durationNs);
        const bool full = buffered == BlocksPerWrite * SamplesPerStamp;
        if ((full || last) && sink.write(reinterpret_cast<const char*>(pairs.data()),
                                         buffered * BytesPerSample) != buffered * BytesPerSample)
            return StreamEnd::SinkFailed;
        if (full)
            buffered = 0;
        if (!observer.carryOn(timing.samples, timing.seconds) && !last)
            return StreamEnd::Stopped;
        if (last)
            break;
    }
    return StreamEnd::Complete;
}

} // namespace tarvik
