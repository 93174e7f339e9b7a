// tarvik-cli's sample schedule on a port that answers at once: how close to
// its time each sample is taken, and what a slow schedule costs the
// processor. Each status read is time-stamped by the port itself, so the
// figures do not rest on the schedule's own account of itself.

#include "AllOrNothingFile.h"
#include "CapturePipeline.h"
#include "LgcFormat.h"
#include "MonotonicNs.h"
#include "SampleLoop.h"
#include "SigrokSession.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace tarvik {

namespace {

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Answers at once and notes when each status read came.
class StampingPort final : public PortDevice {
  public:
    std::vector<std::int64_t> reads;
    QString open() override { return {}; }
    void out(std::int16_t, std::int16_t) override {}
    std::int16_t inp(std::int16_t address) override {
        if (address == 0x379)
            reads.push_back(tarvikMonotonicNs());
        return 0x55;
    }
    void close() override {}
};

struct NoBar final : ProgressBar {
    void setMax(float) override {}
    void setMin(float) override {}
    void setValue(float) override {}
};

struct Quiet final : CaptureObserver {
    bool waiting(double) override { return true; }
    bool carryOn(std::int64_t, double) override { return true; }
    void cannotKeepUp(double) override {}
};

// The blocks in flight between the sampler and its writer, as tarvik-cli has them.
constexpr std::int32_t BlocksInFlight = 4096;

// A capture through the writer thread, which hands the samples to write; the
// capture's own status reads come after the schedule's first probe reads.
void capture(StampingPort& port, double rate, std::int64_t samples, CaptureTiming& timing,
             const CapturePipeline::Writer& write) {
    Quiet quiet;
    port.reads.clear();
    port.reads.reserve(std::size_t(samples) + 1024);
    CaptureRequest request;
    request.samples = samples;
    request.sampleRate = rate;
    CapturePipeline pipeline(request, ChannelLayout::all(), BlocksInFlight, write);
    SystemCaptureClock clock;
    const std::atomic<bool> stop = false;
    pipeline.capture(port, quiet, clock, stop);
    timing = pipeline.timing();
    pipeline.finish(true);
    port.reads.erase(port.reads.begin(), port.reads.end() - samples);
}

QString toNowhere(BlockSource& source, const std::atomic<bool>&) {
    QFile sink(QStringLiteral("/dev/null"));
    sink.open(QIODevice::WriteOnly);
    return writeLgc(sink, source);
}

void capture(StampingPort& port, double rate, std::int64_t samples, CaptureTiming& timing) {
    capture(port, rate, samples, timing, toNowhere);
}

// The time the port went unread for longer than a microsecond, summed: what a
// signal faster than that would lose.
double pauseMilliseconds(const std::vector<std::int64_t>& reads) {
    std::int64_t paused = 0;
    for (std::size_t k = 1; k < reads.size(); ++k)
        if (const std::int64_t gap = reads[k] - reads[k - 1]; gap > 1000)
            paused += gap;
    return double(paused) / 1e6;
}

// 2,048,000 samples as fast as the port answers, in turns: the window's bare
// loop into memory, and tarvik-cli's capture with its writer thread putting a
// sigrok session on the disk. The pauses of the second are the disk's and the
// writer's share of the sampling thread's time.
void BM_PausesPerCapture(benchmark::State& state) {
    const bool toDisk = state.range(0) != 0;
    StampingPort port;
    CaptureTiming timing;
    std::vector<double> pauses;
    auto bare = std::make_unique<std::uint8_t[]>(2 * std::size_t(SampleCount) + 2);
    NoBar noBar;
    QTemporaryDir folder(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    const QString session = folder.filePath(QStringLiteral("capture.sr"));
    for (auto _ : state) {
        if (toDisk) {
            capture(port, 0.0, SampleCount, timing,
                    [&](BlockSource& source, const std::atomic<bool>&) {
                        return writeAllOrNothing(session, [&](QIODevice& file) {
                            return writeSigrokSession(file, source);
                        });
                    });
        } else {
            port.reads.clear();
            port.reads.reserve(std::size_t(SampleCount) + 1);
            ReadSamples(port, {bare.get(), bare.get() + 1, 2}, 1, SampleCount, noBar);
        }
        pauses.push_back(pauseMilliseconds(port.reads));
    }
    std::sort(pauses.begin(), pauses.end());
    state.counters["pause_ms_median"] = pauses[pauses.size() / 2];
    state.counters["pause_ms_max"] = pauses.back();
}
BENCHMARK(BM_PausesPerCapture)
    ->ArgName("sr_on_disk")
    ->Arg(0)
    ->Arg(1)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(8)
    ->Unit(benchmark::kMillisecond);

void BM_OnTime(benchmark::State& state) {
    const double rate = double(state.range(0));
    const std::int64_t samples = std::int64_t(rate); // one second
    StampingPort port;
    CaptureTiming timing;
    std::vector<double> shares;
    std::vector<double> latest;
    for (auto _ : state) {
        capture(port, rate, samples, timing);
        const std::int64_t start = port.reads.front();
        std::int64_t within = 0;
        std::int64_t worst = 0;
        for (std::size_t k = 0; k < port.reads.size(); ++k) {
            const auto due = start + std::int64_t(double(k) * 1e9 / rate);
            const std::int64_t late = port.reads[k] - due;
            within += std::llabs(late) <= 1000;
            worst = std::max(worst, late);
        }
        shares.push_back(100.0 * double(within) / double(samples));
        latest.push_back(double(worst) / 1e3);
    }
    std::sort(shares.begin(), shares.end());
    std::sort(latest.begin(), latest.end());
    state.counters["within_1us_pct"] = shares[shares.size() / 2];
    state.counters["latest_us"] = latest[latest.size() / 2];
    state.counters["late_samples"] = double(timing.lateSamples);
}
BENCHMARK(BM_OnTime)->ArgName("rate")->Arg(100'000)->Arg(500'000)->Iterations(5)->Unit(
    benchmark::kMillisecond);

void BM_SlowScheduleProcessorTime(benchmark::State& state) {
    StampingPort port;
    CaptureTiming timing;
    double used = 0.0;
    for (auto _ : state) {
        const double before = processorSeconds();
        capture(port, 1000.0, 10'000, timing); // ten seconds at 1 kS/s
        used = processorSeconds() - before;
    }
    state.counters["cpu_pct_of_a_core"] = 100.0 * used / 10.0;
    state.counters["latest_us"] = timing.latestDelaySeconds * 1e6;
}
BENCHMARK(BM_SlowScheduleProcessorTime)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

} // namespace tarvik

BENCHMARK_MAIN();
