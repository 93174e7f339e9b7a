// Converting one 2,048,000-sample .lgc of the simulated port's signals to a
// sigrok session and to a value change dump, side by side with Debian's
// sigrok-cli converting the same file, each as a whole process started from
// here. Ends with the median of each and how many times faster the program is.

#include "ConvertCaptureFile.h"
#include "MedianReporter.h"
#include "SimulatedSignals.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

namespace tarvik {

namespace {

constexpr std::int64_t Samples = 2'048'000;
constexpr double Rate = 1e6;

struct Files {
    QTemporaryDir dir;
    QString lgc = dir.filePath(QStringLiteral("simulated.lgc"));
    QString sigrok = QStandardPaths::findExecutable(QStringLiteral("sigrok-cli"));

    Files() {
        QByteArray pairs(2 * Samples, Qt::Uninitialized);
        for (qsizetype step = 0; step < Samples; ++step) {
            pairs[2 * step] = static_cast<char>(simulated::statusAt(step));
            pairs[2 * step + 1] = static_cast<char>(simulated::dataAt(step));
        }
        QFile file(lgc);
        if (!file.open(QIODevice::WriteOnly) || file.write(pairs) != pairs.size())
            std::fprintf(stderr, "cannot write %s\n", qPrintable(lgc));
    }
    QString output(const char* name) const { return dir.filePath(QLatin1String(name)); }
};

void convert(benchmark::State& state, Files* files, CaptureFormat format, const char* name) {
    const QString output = files->output(name);
    for (auto _ : state) {
        const QString failure = ConvertCaptureFile(files->lgc, output, format, Rate);
        if (!failure.isEmpty())
            state.SkipWithError(qPrintable(failure));
    }
    state.counters["bytes"] = static_cast<double>(QFile(output).size());
}

void sigrokCli(benchmark::State& state, Files* files, const char* format, const char* name) {
    if (files->sigrok.isEmpty()) {
        state.SkipWithError("sigrok-cli is not installed");
        return;
    }
    const QString output = files->output(name);
    const QStringList arguments{"-I", "binary:numchannels=16:samplerate=1000000",
                                "-i", files->lgc,
                                "-O", QLatin1String(format),
                                "-o", output};
    for (auto _ : state) {
        QProcess process;
        process.start(files->sigrok, arguments);
        if (!process.waitForFinished(120'000) || process.exitCode() != 0)
            state.SkipWithError("sigrok-cli failed");
    }
    state.counters["bytes"] = static_cast<double>(QFile(output).size());
}

} // namespace

int runBenchmarks(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Files files;
    const auto add = [](const char* name, auto function) {
        benchmark::RegisterBenchmark(name, function)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true)
            ->UseRealTime();
    };
    add("lgc to sr", [&](benchmark::State& s) { convert(s, &files, CaptureFormat::Sr, "t.sr"); });
    add("sigrok-cli to sr", [&](benchmark::State& s) { sigrokCli(s, &files, "srzip", "s.sr"); });
    add("lgc to vcd",
        [&](benchmark::State& s) { convert(s, &files, CaptureFormat::Vcd, "t.vcd"); });
    add("sigrok-cli to vcd", [&](benchmark::State& s) { sigrokCli(s, &files, "vcd", "s.vcd"); });

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto ratio = [&](const char* ours, const char* theirs) {
        const auto o = reporter.medians.find(ours);
        const auto t = reporter.medians.find(theirs);
        if (o != reporter.medians.end() && t != reporter.medians.end())
            std::printf("%-12s %8.1f ms, %5.1f times faster than %s (%.1f ms)\n", ours, o->second,
                        t->second / o->second, theirs, t->second);
    };
    std::printf("\nmedian wall time\n");
    ratio("lgc to sr", "sigrok-cli to sr");
    ratio("lgc to vcd", "sigrok-cli to vcd");
    return 0;
}

} // namespace tarvik

int main(int argc, char** argv) {
    return tarvik::runBenchmarks(argc, argv);
}
