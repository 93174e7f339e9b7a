// The capture loop's own cost per sample: 2,048,000 samples from a port that
// costs nothing, with the progress display on PB1 as the window has it, shown
// on the offscreen platform. Beside it the same loop with no progress display
// at all, with PB1 in the default style, and with a plain
// QProgressBar::setValue for every sample. Counters give the cost per sample
// and the pauses between two samples that the progress display causes.

#include "Capture.h"
#include "CapturePipeline.h"
#include "ClassicLook.h"
#include "EveryValueProgressBar.h"
#include "LgcFormat.h"
#include "ProgressBarView.h"
#include "TicksPerMicrosecond.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QProgressBar>
#include <QWidget>

#include <x86intrin.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace tarvik {

namespace {

// Reads cost nothing: every register reads 0x55.
class FreePort final : public PortDevice {
  public:
    QString open() override { return {}; }
    void out(std::int16_t, std::int16_t) override {}
    std::int16_t inp(std::int16_t) override { return 0x55; }
    void close() override {}
};

// Notes that the bar painted.
class PaintSeen final : public QObject {
  public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// Times the progress updates that repaint the bar between two samples: after
// the first and before the last value. Every update is time-stamped, with
// the cheapest clock there is: a slower one would stretch the capture, and
// the display paces its paints by the time a capture takes.
class TimedProgress final : public ProgressBar {
  public:
    std::vector<std::vector<double>> repaintUs; // per capture, per repaint

    TimedProgress(ProgressBar& inner, QProgressBar& bar) : inner_(inner) {
        bar.installEventFilter(&seen_);
    }
    void setMax(float value) override {
        repaintUs.emplace_back();
        inner_.setMax(value);
    }
    void setMin(float value) override { inner_.setMin(value); }
    void setValue(float value) override {
        const std::uint64_t start = __rdtsc();
        seen_.painted = false;
        inner_.setValue(value);
        if (seen_.painted && value > 1.0F && value < float(SampleCount))
            repaintUs.back().push_back(double(__rdtsc() - start) / ticksPerUs_);
    }

  private:
    ProgressBar& inner_;
    PaintSeen seen_;
    const double ticksPerUs_ = measureTicksPerUs();
};

class NoDisplay final : public ProgressBar {
  public:
    void setMax(float) override {}
    void setMin(float) override {}
    void setValue(float) override {}
};

enum class Look { Classic, Default };

// A window of the main window's size with PB1 where the window has it, in
// the window's look or in the default style.
struct Window {
    QWidget window;
    QProgressBar* bar = new QProgressBar(&window);

    explicit Window(Look look) {
        window.setFixedSize(783, 560);
        bar->setGeometry(98, 544, 673, 12);
        bar->setTextVisible(false);
        if (look == Look::Classic)
            useClassicLook(*bar);
        window.show();
        QApplication::processEvents();
    }
};

// Shown as time per sample, for example "per_sample=5.2ns".
void reportPerSample(benchmark::State& state) {
    state.counters["per_sample"] = benchmark::Counter(
        static_cast<double>(SampleCount),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_CaptureNoDisplay(benchmark::State& state) {
    auto program = std::make_unique<ProgramState>();
    FreePort port;
    NoDisplay progress;
    for (auto _ : state) {
        CaptureSamples(*program, port, progress);
        benchmark::DoNotOptimize(program->dataSamples.data());
    }
    reportPerSample(state);
}
BENCHMARK(BM_CaptureNoDisplay)->Unit(benchmark::kMillisecond);

// The same number of samples as tarvik-cli takes them: in blocks, the clock
// read after each, handed to a writer thread that writes them to a file (here
// one that keeps nothing).
void BM_StreamCaptureNoDisplay(benchmark::State& state) {
    FreePort port;
    struct : CaptureObserver {
        bool waiting(double) override { return true; }
        bool carryOn(std::int64_t, double) override { return true; }
        void cannotKeepUp(double) override {}
    } observer;
    CaptureRequest request;
    request.samples = SampleCount;
    SystemCaptureClock clock;
    const std::atomic<bool> stop = false;
    for (auto _ : state) {
        CapturePipeline pipeline(request, ChannelLayout::all(), 256,
                                 [](BlockSource& source, const std::atomic<bool>&) {
                                     QFile sink(QStringLiteral("/dev/null"));
                                     sink.open(QIODevice::WriteOnly);
                                     return writeLgc(sink, source);
                                 });
        pipeline.capture(port, observer, clock, stop);
        pipeline.finish(true);
    }
    reportPerSample(state);
}
BENCHMARK(BM_StreamCaptureNoDisplay)->Unit(benchmark::kMillisecond);

void BM_CaptureWithPB1(benchmark::State& state) {
    auto program = std::make_unique<ProgramState>();
    FreePort port;
    Window window(state.range(0) == 0 ? Look::Classic : Look::Default);
    ProgressBarView progress(*window.bar);
    for (auto _ : state) {
        CaptureSamples(*program, port, progress);
        benchmark::DoNotOptimize(program->dataSamples.data());
    }
    reportPerSample(state);
}
BENCHMARK(BM_CaptureWithPB1)
    ->ArgName("default_style")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// The pauses the progress display puts between two samples: how many a
// capture makes, the median one, and the longest of the median capture. A
// capture over within the display's paint interval makes none.
void BM_PausesWithPB1(benchmark::State& state) {
    auto program = std::make_unique<ProgramState>();
    FreePort port;
    Window window(state.range(0) == 0 ? Look::Classic : Look::Default);
    ProgressBarView view(*window.bar);
    TimedProgress progress(view, *window.bar);
    for (auto _ : state)
        CaptureSamples(*program, port, progress);
    std::vector<double> counts;
    std::vector<double> longest;
    std::vector<double> all;
    for (const auto& capture : progress.repaintUs) {
        counts.push_back(double(capture.size()));
        longest.push_back(capture.empty() ? 0.0
                                          : *std::max_element(capture.begin(), capture.end()));
        all.insert(all.end(), capture.begin(), capture.end());
    }
    const auto median = [](std::vector<double> v) {
        if (v.empty())
            return 0.0;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    state.counters["repaints_between_samples"] = median(counts);
    state.counters["median_repaint_us"] = median(all);
    state.counters["longest_pause_us"] = median(longest);
}
BENCHMARK(BM_PausesWithPB1)
    ->ArgName("default_style")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

void BM_CaptureSettingEveryValue(benchmark::State& state) {
    auto program = std::make_unique<ProgramState>();
    FreePort port;
    Window window(Look::Classic);
    EveryValueProgressBar progress(*window.bar);
    for (auto _ : state) {
        CaptureSamples(*program, port, progress);
        benchmark::DoNotOptimize(program->dataSamples.data());
    }
    reportPerSample(state);
}
BENCHMARK(BM_CaptureSettingEveryValue)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int runBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace tarvik

int main(int argc, char** argv) {
    return tarvik::runBenchmarks(argc, argv);
}
