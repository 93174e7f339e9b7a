// Samples a second when every sample reads both registers against one
// register alone (the five status lines), on a port whose every read takes
// about a microsecond, as a real printer port's bus access does.

#include "CapturePipeline.h"
#include "LgcFormat.h"
#include "MonotonicNs.h"

#include <benchmark/benchmark.h>

#include <QFile>

namespace tarvik {

namespace {

// Each read waits out a microsecond on the clock, as the bus would hold it.
class MicrosecondPort final : public PortDevice {
  public:
    QString open() override { return {}; }
    void out(std::int16_t, std::int16_t) override {}
    std::int16_t inp(std::int16_t) override {
        const std::int64_t until = tarvikMonotonicNs() + 1000;
        while (tarvikMonotonicNs() < until) {
        }
        return 0x55;
    }
    void close() override {}
};

struct Quiet final : CaptureObserver {
    bool waiting(double) override { return true; }
    bool carryOn(std::int64_t, double) override { return true; }
    void cannotKeepUp(double) override {}
};

void BM_SamplesPerSecond(benchmark::State& state) {
    const auto registers = static_cast<SampledRegisters>(state.range(0));
    MicrosecondPort port;
    Quiet quiet;
    SystemCaptureClock clock;
    const std::atomic<bool> stop = false;
    double rate = 0.0;
    for (auto _ : state) {
        CaptureRequest request;
        request.samples = 200'000;
        request.registers = registers;
        CapturePipeline pipeline(request, ChannelLayout::all(), 256,
                                 [](BlockSource& source, const std::atomic<bool>&) {
                                     QFile sink(QStringLiteral("/dev/null"));
                                     sink.open(QIODevice::WriteOnly);
                                     return writeLgc(sink, source);
                                 });
        pipeline.capture(port, quiet, clock, stop);
        rate = pipeline.timing().meanRate();
        pipeline.finish(true);
    }
    state.counters["samples_per_s"] = rate;
}
BENCHMARK(BM_SamplesPerSecond)
    ->ArgName("registers") // 0 both, 1 status only
    ->Arg(int(SampledRegisters::Both))
    ->Arg(int(SampledRegisters::Status))
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

} // namespace

} // namespace tarvik

BENCHMARK_MAIN();
