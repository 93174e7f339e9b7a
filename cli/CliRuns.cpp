#include "CliRuns.h"

#include "AllOrNothingFile.h"
#include "CaptureFile.h"
#include "CaptureSummary.h"
#include "ConvertCaptureFile.h"
#include "Interruption.h"
#include "OpenCaptureFile.h"
#include "PortLibrary.h"
#include "RawSampleFile.h"
#include "SampleRateOverride.h"
#include "TerminalProgress.h"
#include "TimingReport.h"
#include "WriteCaptureFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <cstring>
#include <memory>

namespace tarvik {

namespace {

constexpr int Failed = 1;
constexpr int UsageError = 2;

int fail(const QString& why) {
    std::fprintf(stderr, "tarvik-cli: %s\n", qUtf8Printable(why));
    return Failed;
}

void printLines(std::FILE* stream, const QStringList& lines) {
    for (const QString& line : lines)
        std::fprintf(stream, "%s\n", qUtf8Printable(line));
}

// The command's words for choosing a port library, in a library's advice.
QString viaOption(const PortLibraryFile& library) {
    return std::strcmp(library.fileName, Win95IoLibrary.fileName) == 0
               ? QStringLiteral("--via win95io")
               : QStringLiteral("--via inpout32");
}

// A source that stops with an error once Ctrl-C was pressed, so that no
// half file is kept.
class RunSource final : public SampleSource {
  public:
    explicit RunSource(SampleSource& inner) : inner_(inner) {}
    CaptureFacts facts() const override { return inner_.facts(); }
    std::int64_t read(std::uint8_t* pairs, std::int64_t maxSamples) override {
        return interrupted() ? -1 : inner_.read(pairs, maxSamples);
    }
    QString errorString() const override {
        return interrupted() ? QStringLiteral("stopped by Ctrl-C") : inner_.errorString();
    }

  private:
    SampleSource& inner_;
};

// The output's format, when it can hold the capture at all: said before
// anything is captured or read.
std::optional<CaptureFormat> outputFormat(const CliOptions& options, std::int64_t samples,
                                          QString& why) {
    const CaptureFormat format =
        options.outputFormat.value_or(captureFormatForName(options.outputFile));
    if (format == CaptureFormat::Lgc && samples != SampleCount) {
        why = QStringLiteral("a .lgc holds exactly %L1 samples, not %L2; write sr or vcd "
                             "instead (-O sr, -O vcd)")
                  .arg(SampleCount)
                  .arg(samples);
        return std::nullopt;
    }
    return format;
}

// A name that may not be written is refused before a capture is spent on it,
// as the writers would refuse it afterwards.
QString targetRefusal(const QString& output) {
    const QString wrong = whyNotReplaceable(output);
    return wrong.isEmpty() ? wrong
                           : QStringLiteral("\"%1\" cannot be written: %2")
                                 .arg(QDir::toNativeSeparators(output), wrong);
}

// Writes and describes a capture, as the options ask; reopen gives the
// samples from the start again for each use.
int deliver(const CliOptions& options, CaptureFormat format,
            const std::function<std::unique_ptr<SampleSource>()>& reopen,
            const QStringList& timingLines) {
    const auto open = [&] {
        auto source = reopen();
        return source && options.sampleRate > 0.0
                   ? withSampleRate(std::move(source), options.sampleRate)
                   : std::move(source);
    };
    const QString unreadable = QStringLiteral("the capture could not be read again");
    if (!options.outputFile.isEmpty()) {
        const auto source = open();
        if (!source)
            return fail(unreadable);
        RunSource run(*source);
        const QString failure = WriteCaptureFile(options.outputFile, format, run);
        if (interrupted())
            return interruptedStatus();
        if (!failure.isEmpty())
            return fail(failure);
    }
    if (options.show) {
        const auto source = open();
        if (!source)
            return fail(unreadable);
        RunSource run(*source);
        const CaptureSummary summary = SummariseCapture(run);
        if (interrupted())
            return interruptedStatus();
        if (!summary.error.isEmpty())
            return fail(summary.error);
        std::fputs(qUtf8Printable(summaryText(summary, run.facts())), stdout);
        printLines(stdout, timingLines);
    }
    return 0;
}

} // namespace

int runScan(const CliOptions& options) {
    std::optional<CaptureFormat> format = CaptureFormat::Sr;
    if (!options.outputFile.isEmpty()) {
        QString why;
        format = outputFormat(options, options.samples, why);
        if (!format) {
            std::fprintf(stderr, "tarvik-cli: %s\nTry 'tarvik-cli --help' for more information.\n",
                         qUtf8Printable(why));
            return UsageError;
        }
        if (const QString refusal = targetRefusal(options.outputFile); !refusal.isEmpty())
            return fail(refusal);
    }

    PortLibrary port(
        options.via == PortVia::Win95Io ? Win95IoLibrary : Inpout32Library, options.port,
        options.via == PortVia::Simulated ? SimulatedPortFolder() : QString(), viaOption);
    if (const QString why = port.open(); !why.isEmpty())
        return fail(why);

    // The samples wait in a temporary file until the capture is over, when
    // its measured rate is known to the output formats that need it. It lies
    // beside the output, on the disk the user chose for the capture, and in
    // the temporary folder (which may be held in memory) only where the
    // output's folder takes no new files.
    const auto spoolIn = [](const QString& folder) {
        return QDir(folder).filePath(QStringLiteral(".tarvik-cli-XXXXXX.raw"));
    };
    QTemporaryFile spool;
    bool spooling = false;
    if (!options.outputFile.isEmpty()) {
        spool.setFileTemplate(spoolIn(QFileInfo(options.outputFile).absolutePath()));
        spooling = spool.open();
    }
    if (!spooling) {
        spool.setFileTemplate(spoolIn(QDir::tempPath()));
        spooling = spool.open();
    }
    if (!spooling) {
        port.close();
        return fail(QStringLiteral("cannot make a temporary file in %1 for the capture: %2")
                        .arg(QDir::toNativeSeparators(QDir::tempPath()), spool.errorString()));
    }
    CaptureRequest request;
    request.samples = options.samples;
    request.trigger = options.trigger;
    request.waitSeconds = options.waitSeconds;
    request.sampleRate = options.sampleRate;
    CaptureTiming timing;
    StreamEnd end;
    {
        TerminalProgress progress(stderr, request, options.quiet);
        end = StreamCapture(port, request, spool, progress, timing);
    }
    port.close();
    if (end == StreamEnd::Stopped) {
        std::fputs("tarvik-cli: stopped; nothing was written.\n", stderr);
        return interruptedStatus();
    }
    if (end == StreamEnd::TriggerNotSeen)
        return fail(QStringLiteral("the trigger %1 did not hold within %2 s; nothing was written")
                        .arg(options.trigger.text())
                        .arg(options.waitSeconds));
    if (end == StreamEnd::SinkFailed || !spool.flush())
        return fail(QStringLiteral("the temporary file %1 cannot hold the capture: %2")
                        .arg(QDir::toNativeSeparators(spool.fileName()), spool.errorString()));

    QStringList timingLines = describeTiming(timing);
    if (!options.trigger.isEmpty())
        timingLines.prepend(QStringLiteral("The trigger %1 held after %2 s of waiting.")
                                .arg(options.trigger.text())
                                .arg(timing.waitedSeconds, 0, 'f', 3));
    if (!options.quiet && !options.show)
        printLines(stderr, timingLines);
    if (const QString warning = timingWarning(timing); !warning.isEmpty())
        printLines(stderr, {warning});

    CaptureFacts facts;
    facts.sampleCount = timing.samples;
    facts.sampleRate = options.sampleRate > 0.0 ? options.sampleRate : timing.meanRate();
    facts.trigger = options.trigger.text();
    // The rate is the capture's own; deliver() is not to replace it.
    CliOptions delivered = options;
    delivered.sampleRate = 0.0;
    return deliver(
        delivered, *format,
        [&]() -> std::unique_ptr<SampleSource> {
            spool.seek(0);
            return std::make_unique<RawSampleFile>(spool, facts);
        },
        options.show ? timingLines : QStringList());
}

int runFile(const CliOptions& options) {
    QString why;
    auto first = OpenCaptureFile(options.inputFile, &why);
    if (!first)
        return fail(why);
    std::optional<CaptureFormat> format = CaptureFormat::Sr;
    if (!options.outputFile.isEmpty()) {
        format = outputFormat(options, first->facts().sampleCount, why);
        if (!format)
            return fail(why);
        if (const QString refusal = targetRefusal(options.outputFile); !refusal.isEmpty())
            return fail(refusal);
        if (isSameFile(options.inputFile, options.outputFile))
            return fail(QStringLiteral("%1 is the input file; give the output another name")
                            .arg(QDir::toNativeSeparators(options.outputFile)));
    }
    // The file is read once for each use; the first one takes the source
    // opened above.
    auto opened = std::make_shared<std::unique_ptr<SampleSource>>(std::move(first));
    return deliver(options, *format,
                   [&options, opened]() -> std::unique_ptr<SampleSource> {
                       if (*opened)
                           return std::move(*opened);
                       QString whyNot;
                       return OpenCaptureFile(options.inputFile, &whyNot);
                   },
                   {});
}

} // namespace tarvik
