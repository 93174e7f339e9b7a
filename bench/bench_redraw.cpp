// One full redraw of the 672 x 529 trace area, through the fast image surface
// and through the plain drawing that makes one QPainter call per operation,
// for three captures and two views. Prints the median of each and, at the end,
// how many times faster the fast surface is on each.

#include "ImageSurface.h"
#include "MedianReporter.h"
#include "PainterSurface.h"
#include "ProgramState.h"
#include "TraceRenderer.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tarvik {

namespace {

const QSize AreaSize(672, 529);
constexpr TraceColours Colours{rgbColour(0, 0, 0), rgbColour(0, 192, 0), rgbColour(0, 0, 255)};

class NoProgress final : public ProgressBar {
  public:
    void setMax(float) override {}
    void setMin(float) override {}
    void setValue(float) override {}
};

struct Capture {
    const char* name;
    std::unique_ptr<ProgramState> state;
};

std::vector<Capture> makeCaptures() {
    std::vector<Capture> captures;

    auto pattern = std::make_unique<ProgramState>();
    FillTestPattern(*pattern);
    captures.push_back({"pattern", std::move(pattern)});

    // Every sample differs from the one before it in every bit.
    auto toggle = std::make_unique<ProgramState>();
    for (std::int32_t i = 1; i <= SampleCount; ++i) {
        toggle->statusSamples[i] = i % 2 != 0 ? 0xFF : 0x00;
        toggle->dataSamples[i] = i % 2 != 0 ? 0x00 : 0xFF;
    }
    captures.push_back({"toggle", std::move(toggle)});

    auto random = std::make_unique<ProgramState>();
    std::mt19937 generator(20240607);
    for (std::int32_t i = 1; i <= SampleCount; ++i) {
        const auto word = generator();
        random->statusSamples[i] = static_cast<std::uint8_t>(word);
        random->dataSamples[i] = static_cast<std::uint8_t>(word >> 8);
    }
    captures.push_back({"random", std::move(random)});
    return captures;
}

struct View {
    const char* name;
    float zoomFactor;
    float viewStart;
};

// The start-up view changes level at most every 16 units; at one sample per
// unit the toggling capture changes level at every unit, the most strokes a
// redraw can have.
constexpr View Views[] = {
    {"start-up view", 1.0F / 16, 1.0F},
    {"sample per unit", 1.0F, 1.0F},
};

template <typename Surface> void redraw(benchmark::State& run, ProgramState* state, View view) {
    state->zoomFactor = view.zoomFactor;
    state->viewStart = view.viewStart;
    Surface surface(AreaSize, 1.0, QPalette());
    NoProgress progress;
    QString caption;
    const TraceTargets targets{surface, progress, [&](const QString& text) { caption = text; }};
    for (auto _ : run) {
        DrawTraces(*state, Colours, targets);
        benchmark::DoNotOptimize(surface.image().constBits());
        benchmark::ClobberMemory();
    }
}

std::string benchmarkName(const char* surface, const Capture& capture, const View& view) {
    return std::string(surface) + "/" + capture.name + "/" + view.name;
}

} // namespace

int runBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    const std::vector<Capture> captures = makeCaptures();
    for (const Capture& capture : captures) {
        for (const View& view : Views) {
            ProgramState* state = capture.state.get();
            benchmark::RegisterBenchmark(benchmarkName("fast", capture, view).c_str(),
                                         redraw<ImageSurface>, state, view)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(15)
                ->ReportAggregatesOnly(true);
            benchmark::RegisterBenchmark(benchmarkName("plain", capture, view).c_str(),
                                         redraw<PainterSurface>, state, view)
                ->Unit(benchmark::kMillisecond)
                ->Repetitions(15)
                ->ReportAggregatesOnly(true);
        }
    }

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-34s %10s %10s %8s\n", "median wall time of one redraw", "fast ms", "plain ms",
                "ratio");
    for (const Capture& capture : captures) {
        for (const View& view : Views) {
            const auto fast = reporter.medians.find(benchmarkName("fast", capture, view));
            const auto plain = reporter.medians.find(benchmarkName("plain", capture, view));
            if (fast == reporter.medians.end() || plain == reporter.medians.end())
                continue;
            const std::string label = std::string(capture.name) + ", " + view.name;
            std::printf("%-34s %10.3f %10.3f %8.1f\n", label.c_str(), fast->second, plain->second,
                        plain->second / fast->second);
        }
    }
    return 0;
}

} // namespace tarvik

int main(int argc, char** argv) {
    return tarvik::runBenchmarks(argc, argv);
}
