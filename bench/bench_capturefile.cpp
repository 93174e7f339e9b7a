// Loading and saving one capture file of 4,096,000 bytes, side by side with a
// plain bulk read or write of the same bytes. The load includes its progress
// display and the closing redraw of the 672 x 529 trace area; the save its
// progress display. The save is measured twice: up to the point where its
// file is complete but not yet flushed to disk and put in place, and whole.
// Ends with the median of each and the ratios to the plain transfers.

#include "CaptureFileCommands.h"
#include "CaptureTransfer.h"
#include "ImageSurface.h"
#include "MedianReporter.h"
#include "Navigation.h"
#include "ProgressBarView.h"
#include "TraceRenderer.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace tarvik {

namespace {

constexpr TraceColours Colours{rgbColour(0, 0, 0), rgbColour(0, 192, 0), rgbColour(0, 0, 255)};

// File dialogs that always choose the same file.
class ChosenFile final : public Dialogs {
  public:
    explicit ChosenFile(QString name) : name_(std::move(name)) {}
    std::optional<ColourValue> showColor(ColourValue) override { return std::nullopt; }
    std::optional<QString> showOpen(const QString&, int, const QString&) override { return name_; }
    std::optional<QString> showSave(const QString&, int, const QString&) override { return name_; }
    void showMessage(const QString&, const QString& text) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }

  private:
    QString name_;
};

// The parts of the window the two commands touch: the progress bar at its
// size in the window, the trace area's picture, and the shared dialog.
struct Window {
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("capture.lgc"));
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    QProgressBar bar;
    ProgressBarView progress{bar};
    ImageSurface picture{QSize(672, 529), 1.0, QPalette()};
    QString zoomCaption;
    ChosenFile dialogs{file};
    CommonDialog CD1{dialogs};
    CaptureFileCommands commands{
        *state, CD1, progress, [this] {
            PreviousPage(*state);
            DrawTraces(*state, Colours,
                       {picture, progress, [this](const QString& text) { zoomCaption = text; }});
        }};

    Window() {
        bar.setGeometry(0, 0, 673, 12);
        bar.setTextVisible(false);
        bar.show();
        ResetView(*state);
        // Random samples: every trace changes at nearly every sample, the
        // most a redraw can have to draw at the start-up zoom.
        std::mt19937 generator(2'048'000);
        for (std::int32_t i = 1; i <= SampleCount; ++i) {
            const auto word = generator();
            state->statusSamples[i] = static_cast<std::uint8_t>(word);
            state->dataSamples[i] = static_cast<std::uint8_t>(word >> 8);
        }
        commands.save();
    }
};

void load(benchmark::State& run, Window* window) {
    for (auto _ : run) {
        window->commands.load();
        benchmark::DoNotOptimize(window->picture.image().constBits());
    }
}

void plainRead(benchmark::State& run, Window* window) {
    std::vector<char> bytes(CaptureFileSize);
    for (auto _ : run) {
        QFile file(window->file);
        if (!file.open(QIODevice::ReadOnly) ||
            file.read(bytes.data(), CaptureFileSize) != CaptureFileSize)
            run.SkipWithError("read failed");
        benchmark::DoNotOptimize(bytes.data());
    }
}

void saveWithoutFlush(benchmark::State& run, Window* window) {
    for (auto _ : run) {
        QSaveFile file(window->file);
        if (!file.open(QIODevice::WriteOnly) ||
            !WriteCapture(*window->state, file, window->progress))
            run.SkipWithError("write failed");
        run.PauseTiming();
        file.cancelWriting();
        run.ResumeTiming();
    }
}

void save(benchmark::State& run, Window* window) {
    for (auto _ : run)
        window->commands.save();
}

void plainWrite(benchmark::State& run, Window* window) {
    std::vector<char> bytes(CaptureFileSize, '\x5A');
    for (auto _ : run) {
        QFile file(window->file + QStringLiteral(".plain"));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(bytes.data(), CaptureFileSize) != CaptureFileSize)
            run.SkipWithError("write failed");
    }
}

} // namespace

int runBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    Window window;
    const std::pair<const char*, void (*)(benchmark::State&, Window*)> benchmarks[] = {
        {"load", load},
        {"plain read", plainRead},
        {"save without flush", saveWithoutFlush},
        {"plain write", plainWrite},
        {"save", save},
    };
    for (const auto& [name, function] : benchmarks)
        benchmark::RegisterBenchmark(name, function, &window)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(15)
            ->ReportAggregatesOnly(true);

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto ratio = [&](const char* measured, const char* plain) {
        const auto m = reporter.medians.find(measured);
        const auto p = reporter.medians.find(plain);
        if (m != reporter.medians.end() && p != reporter.medians.end())
            std::printf("%-20s %8.3f ms, %5.2f times %s (%.3f ms)\n", measured, m->second,
                        m->second / p->second, plain, p->second);
    };
    std::printf("\nmedian wall time\n");
    ratio("load", "plain read");
    ratio("save without flush", "plain write");
    ratio("save", "plain write");
    return 0;
}

} // namespace tarvik

int main(int argc, char** argv) {
    return tarvik::runBenchmarks(argc, argv);
}
