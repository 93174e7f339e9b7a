#include "StreamCapture.h"

#include "SampleLoop.h"

#include <QIODevice>

#include <algorithm>
#include <chrono>
#include <vector>

namespace tarvik {

namespace {

// Blocks gathered before they go to the sink together: half a megabyte.
constexpr std::int64_t BlocksPerWrite = 64;
constexpr std::int64_t BytesPerPair = 2;

// A stream has no progress bar in its loop; the observer hears of progress
// once a block instead.
class NoProgressBar final : public ProgressBar {
  public:
    void setMax(float) override {}
    void setMin(float) override {}
    void setValue(float) override {}
};

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

bool writeAll(QIODevice& sink, const std::uint8_t* bytes, std::int64_t size) {
    return sink.write(reinterpret_cast<const char*>(bytes), size) == size;
}

} // namespace

double CaptureTiming::unevenness() const {
    const double meanBlock = double(SamplesPerStamp) / meanRate();
    return samples >= SamplesPerStamp && meanBlock > 0.0 ? longestBlockSeconds / meanBlock : 1.0;
}

StreamEnd StreamCapture(PortDevice& port, std::int64_t count, QIODevice& sink,
                        CaptureObserver& observer, CaptureTiming& timing) {
    timing = {};
    std::vector<std::uint8_t> pairs(BlocksPerWrite * SamplesPerStamp * BytesPerPair);
    NoProgressBar noBar;
    SwitchDataLinesIn(port);

    const Clock::time_point start = Clock::now();
    Clock::time_point blockStart = start;
    std::int64_t buffered = 0;
    StreamEnd end = StreamEnd::Complete;
    while (timing.samples < count) {
        const auto block =
            static_cast<std::int32_t>(std::min<std::int64_t>(SamplesPerStamp, count - timing.samples));
        std::uint8_t* const first = pairs.data() + buffered * BytesPerPair;
        ReadSamples(port, {first, first + 1, BytesPerPair}, 0, block - 1, noBar);
        const Clock::time_point now = Clock::now();
        timing.samples += block;
        timing.seconds = secondsBetween(start, now);
        if (block == SamplesPerStamp)
            timing.longestBlockSeconds =
                std::max(timing.longestBlockSeconds, secondsBetween(blockStart, now));
        blockStart = now;
        buffered += block;
        const bool last = timing.samples == count;
        if ((buffered == BlocksPerWrite * SamplesPerStamp || last) &&
            !writeAll(sink, pairs.data(), buffered * BytesPerPair))
            return StreamEnd::SinkFailed;
        if (buffered == BlocksPerWrite * SamplesPerStamp)
            buffered = 0;
        if (!last && !observer.carryOn(timing.samples, timing.seconds)) {
            end = StreamEnd::Stopped;
            break;
        }
    }
    if (end == StreamEnd::Complete)
        observer.carryOn(timing.samples, timing.seconds);
    return end;
}

} // namespace tarvik
