// Converting one 2,048,000-sample .lgc of the simulated port's signals to a
// sigrok session and to a value change dump, and one of noise, which deflate
// cannot shrink, to a session, side by side with Debian's sigrok-cli
// converting the same files, each as a whole process started from here. Ends
// with the median of each and how many times faster the program is.

#include "ConvertCaptureFile.h"
#include "MedianReporter.h"
#include "SimulatedSignals.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
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
    QString noise = dir.filePath(QStringLiteral("noise.lgc"));
    QString sigrok = QStandardPaths::findExecutable(QStringLiteral("sigrok-cli"));

    Files() {
        QByteArray pairs(2 * Samples, Qt::Uninitialized);
        for (qsizetype step = 0; step < Samples; ++step) {
            pairs[2 * step] = static_cast<char>(simulated::statusAt(step));
            pairs[2 * step + 1] = static_cast<char>(simulated::dataAt(step));
        }
        write(lgc, pairs);
        QRandomGenerator random(1);
        random.fillRange(reinterpret_cast<quint32*>(pairs.data()), pairs.size() / 4);
        write(noise, pairs);
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    }
    QString output(const char* name) const { return dir.filePath(QLatin1String(name)); }
};

void convert(benchmark::State& state, const QString& input, Files* files, CaptureFormat format,
             const char* name) {
    const QString output = files->output(name);
    for (auto _ : state) {
        const QString failure = ConvertCaptureFile(input, output, format, Rate);
        if (!failure.isEmpty())
            state.SkipWithError(qPrintable(failure));
    }
    state.counters["bytes"] = static_cast<double>(QFile(output).size());
}

void sigrokCli(benchmark::State& state, const QString& input, Files* files, const char* format,
               const char* name) {
    if (files->sigrok.isEmpty()) {
        state.SkipWithError("sigrok-cli is not installed");
        return;
    }
    const QString output = files->output(name);
    const QStringList arguments{"-I", "binary:numchannels=16:samplerate=1000000",
                                "-i", input,
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
    const QString& lgc = files.lgc;
    const QString& noise = files.noise;
    add("lgc to sr",
        [&](benchmark::State& s) { convert(s, lgc, &files, CaptureFormat::Sr, "t.sr"); });
    add("sigrok-cli to sr",
        [&](benchmark::State& s) { sigrokCli(s, lgc, &files, "srzip", "s.sr"); });
    add("noise to sr",
        [&](benchmark::State& s) { convert(s, noise, &files, CaptureFormat::Sr, "n.sr"); });
    add("sigrok-cli noise to sr",
        [&](benchmark::State& s) { sigrokCli(s, noise, &files, "srzip", "sn.sr"); });
    add("lgc to vcd",
        [&](benchmark::State& s) { convert(s, lgc, &files, CaptureFormat::Vcd, "t.vcd"); });
    add("sigrok-cli to vcd",
        [&](benchmark::State& s) { sigrokCli(s, lgc, &files, "vcd", "s.vcd"); });

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
    ratio("noise to sr", "sigrok-cli noise to sr");
    ratio("lgc to vcd", "sigrok-cli to vcd");
    return 0;
}

} // namespace tarvik

int main(int argc, char** argv) {
    return tarvik::runBenchmarks(argc, argv);
}
