#include "CliRuns.h"

#include "AllOrNothingFile.h"
#include "CapturePipeline.h"
#include "CliReport.h"
#include "Delivery.h"
#include "ExitStatus.h"
#include "Interruption.h"
#include "LgcFormat.h"
#include "PortLibrary.h"
#include "RawSampleFile.h"
#include "TerminalProgress.h"
#include "TimingReport.h"
#include "UnnamedFile.h"
#include "WriteCaptureFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace tarvik {

namespace {

// The blocks between the sampler and the writer: 32 MiB, several seconds of
// the fastest port, so that the writer may fall behind for a moment without
// the capture losing a sample.
constexpr std::int32_t BlocksInFlight = 4096;

// The samples wait in a file of no name until the capture is over when the
// output's format needs the measured rate first, or --show reads them again.
// It lies beside the output, on the disk the user chose for the capture, and
// in the temporary folder (which may be held in memory) only when there is no
// output.
bool openSpool(QFile& spool, const QString& output) {
    return openUnnamedFile(spool,
                           output.isEmpty() ? QDir::tempPath() : QFileInfo(output).absolutePath());
}

// The command's words for choosing a port library, in a library's advice.
QString viaOption(const PortLibraryFile& library) {
    return std::strcmp(library.fileName, Win95IoLibrary.fileName) == 0
               ? QStringLiteral("--via win95io")
               : QStringLiteral("--via inpout32");
}

// No more blocks than the capture fills: each is made and touched before the
// capture starts, which a slow or emulated machine takes its time over.
std::int32_t blocksInFlight(const CaptureRequest& request) {
    if (request.continuous)
        return BlocksInFlight;
    return std::int32_t(
        std::min<std::int64_t>(BlocksInFlight, request.samples / SamplesPerStamp + 2));
}

CaptureRequest requestFor(const CliOptions& options) {
    CaptureRequest request;
    request.samples = options.samples;
    request.continuous = options.continuous;
    request.trigger = options.trigger;
    request.pretrigger = options.pretrigger;
    request.waitSeconds = options.waitSeconds;
    request.sampleRate = options.scheduleRate;
    request.durationNs = options.durationNs;
    request.registers = registersFor(options.channels);
    return request;
}

// How the samples leave the writer thread: into the output itself as they
// come, or into the spool for the output to be written once the capture is
// over.
enum class Route { Output, StandardOutput, Spool };

Route routeFor(const CliOptions& options, const CaptureFormatRow& format) {
    if (options.outputFile == StandardOutputName)
        return Route::StandardOutput;
    // --show reads the samples once more.
    if (options.show)
        return Route::Spool;
    const bool rateKnown = !format.needsRate || options.scheduleRate > 0.0;
    return !options.outputFile.isEmpty() && rateKnown ? Route::Output : Route::Spool;
}

// The writer thread's work: the samples from the blocks to where the route
// leads, until the sampler closes the blocks. keep is read once they are
// closed: a capture that is not kept leaves its output as it was.
QString writeSamples(Route route, const CliOptions& options, const CaptureFormatRow& format,
                     BlockSource& source, QIODevice& spool, const std::atomic<bool>& keep) {
    switch (route) {
    case Route::StandardOutput: {
        QFile out;
        if (!out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
            return out.errorString();
        return format.write(out, source);
    }
    case Route::Output: {
        const QString wrong = writeAllOrNothing(options.outputFile, [&](QIODevice& file) {
            const QString failed = format.write(file, source);
            return !failed.isEmpty() || keep.load() ? failed : QStringLiteral("stopped");
        });
        return wrong.isEmpty()
                   ? wrong
                   : QStringLiteral("\"%1\" was not written: %2.").arg(options.outputFile, wrong);
    }
    case Route::Spool:
        break;
    }
    const QString wrong = writeLgc(spool, source);
    return wrong.isEmpty()
               ? wrong
               : QStringLiteral("the capture could not be kept until it ends: %1").arg(wrong);
}

// The exit status for a capture that kept nothing; 0 when its samples are
// kept, and said so when its writer cut it short.
int captureFailure(StreamEnd end, const CliOptions& options, const CaptureTiming& timing,
                   const QString& written) {
    if (end == StreamEnd::Stopped && !options.continuous) {
        std::fputs("tarvik-cli: stopped; nothing was written.\n", stderr);
        return interruptedStatus();
    }
    if (end == StreamEnd::TriggerNotSeen)
        return fail(QStringLiteral("the trigger %1 did not hold within %2 s; nothing was written")
                        .arg(options.trigger.text())
                        .arg(options.waitSeconds));
    if (!written.isEmpty())
        return fail(written);
    if (end == StreamEnd::WriterBehind)
        fail(QStringLiteral("the capture stopped after %L1 samples: the output was not written as "
                            "fast as the port was read, and the %L2 MB between them were full. "
                            "The samples before it are kept.")
                 .arg(timing.samples)
                 .arg(BlocksInFlight * SamplesPerStamp * BytesPerSample / (1 << 20)));
    return 0;
}

// The capture's time base, reported now or kept for the description.
QStringList reportTiming(const CliOptions& options, const CaptureTiming& timing) {
    QStringList lines = describeTiming(timing);
    if (!options.trigger.isEmpty())
        lines.prepend(QStringLiteral("The trigger %1 held at sample %L2, after %3 s of waiting.")
                          .arg(options.trigger.text())
                          .arg(timing.triggerSample)
                          .arg(timing.waitedSeconds, 0, 'f', 3));
    if (!options.quiet && !options.show)
        printLines(stderr, lines);
    if (const QString warning = timingWarning(timing); !warning.isEmpty())
        printLines(stderr, {warning});
    return options.show ? lines : QStringList();
}

// Refuses, before the port is touched, an output that cannot take the
// capture.
int outputRefusal(const CliOptions& options, const CaptureFormatRow& format, Route route) {
    if (options.outputFile.isEmpty() || options.outputFile == StandardOutputName)
        return 0;
    const std::int64_t samples = options.continuous ? 0 : options.samples;
    if (const QString wrong = whyNotInFormat(format.format, {options.samples, 1.0, {}});
        !options.continuous && !wrong.isEmpty())
        return usageFailure(wrong);
    const std::int64_t spooled = route == Route::Spool ? samples * BytesPerSample : 0;
    if (const QString refusal = whyNotWritable(options.outputFile, format.format, samples, spooled);
        !refusal.isEmpty())
        return fail(refusal);
    return 0;
}

} // namespace

int runScan(const CliOptions& options) {
    const CaptureFormatRow& format =
        captureFormat(options.outputFormat.value_or(captureFormats().front().format));
    const Route route = routeFor(options, format);
    if (const int refused = outputRefusal(options, format, route); refused != 0)
        return refused;

    PortLibrary port(
        options.via == PortVia::Win95Io ? Win95IoLibrary : Inpout32Library, options.port,
        options.via == PortVia::Simulated ? SimulatedPortFolder() : QString(), viaOption);
    if (const QString why = port.open(); !why.isEmpty())
        return fail(why);
    QFile spool;
    if ((route == Route::Spool) && !openSpool(spool, options.outputFile)) {
        port.close();
        return fail(QStringLiteral("the capture cannot be kept in %1 until it ends: %2")
                        .arg(QDir::toNativeSeparators(spool.fileName()), spool.errorString()));
    }

    const CaptureRequest request = requestFor(options);
    CapturePipeline pipeline(request, options.channels, blocksInFlight(request),
                             [&](BlockSource& source, const std::atomic<bool>& keep) {
                                 return writeSamples(route, options, format, source, spool, keep);
                             });
    StreamEnd end;
    {
        TerminalProgress progress(stderr, request, options.quiet);
        SystemCaptureClock clock;
        end = pipeline.capture(port, progress, clock, stopFlag());
    }
    port.close();
    if (end == StreamEnd::Stopped && options.continuous)
        rearmInterruptions();
    const CaptureTiming& timing = pipeline.timing();
    const bool kept = end == StreamEnd::Complete || end == StreamEnd::WriterBehind ||
                      (end == StreamEnd::Stopped && options.continuous);
    const QString written = pipeline.finish(
        kept && (format.fixedSampleCount == 0 || timing.samples == format.fixedSampleCount));
    const CaptureFacts facts{timing.samples,
                             options.scheduleRate > 0.0 ? options.scheduleRate : timing.meanRate(),
                             options.trigger.text(), timing.triggerSample, options.channels};
    if (const int status = captureFailure(end, options, timing, written); status != 0)
        return status;

    const QStringList timingLines = reportTiming(options, timing);
    const int status = route != Route::Spool
                           ? ExitDone
                           : deliver(
                                 options, format.format,
                                 [&]() -> std::unique_ptr<SampleSource> {
                                     spool.seek(0);
                                     return std::make_unique<RawSampleFile>(spool, facts);
                                 },
                                 timingLines);
    // A capture cut short by its writer keeps its samples, and still failed.
    return end == StreamEnd::WriterBehind && status == ExitDone ? ExitFailed : status;
}

} // namespace tarvik
