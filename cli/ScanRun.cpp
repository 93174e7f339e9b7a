#include "CliRuns.h"

#include "CliReport.h"
#include "Delivery.h"
#include "Interruption.h"
#include "PortLibrary.h"
#include "RawSampleFile.h"
#include "TerminalProgress.h"
#include "TimingReport.h"
#include "WriteCaptureFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace tarvik {

namespace {

// The samples wait in a temporary file until the capture is over, when its
// measured rate is known to the output formats that need it. It lies beside
// the output, on the disk the user chose for the capture, and in the
// temporary folder (which may be held in memory) only where the output's
// folder takes no new files.
bool openSpool(QTemporaryFile& spool, const QString& output) {
    const auto spoolIn = [](const QString& folder) {
        return QDir(folder).filePath(QStringLiteral(".tarvik-cli-XXXXXX.raw"));
    };
    if (!output.isEmpty()) {
        spool.setFileTemplate(spoolIn(QFileInfo(output).absolutePath()));
        if (spool.open())
            return true;
    }
    spool.setFileTemplate(spoolIn(QDir::tempPath()));
    return spool.open();
}

CaptureRequest requestFor(const CliOptions& options) {
    CaptureRequest request;
    request.samples = options.samples;
    request.trigger = options.trigger;
    request.waitSeconds = options.waitSeconds;
    request.sampleRate = options.scheduleRate;
    request.durationNs = options.durationNs;
    request.registers = registersFor(options.channels);
    return request;
}

// The exit status for a capture that did not end with its last sample; 0
// when it did.
int captureFailure(StreamEnd end, const CliOptions& options, QTemporaryFile& spool) {
    switch (end) {
    case StreamEnd::Complete:
        return spool.flush() ? 0 : captureFailure(StreamEnd::SinkFailed, options, spool);
    case StreamEnd::Stopped:
        std::fputs("tarvik-cli: stopped; nothing was written.\n", stderr);
        return interruptedStatus();
    case StreamEnd::TriggerNotSeen:
        return fail(QStringLiteral("the trigger %1 did not hold within %2 s; nothing was written")
                        .arg(options.trigger.text())
                        .arg(options.waitSeconds));
    case StreamEnd::SinkFailed:
        break;
    }
    return fail(QStringLiteral("the temporary file %1 cannot hold the capture: %2")
                    .arg(QDir::toNativeSeparators(spool.fileName()), spool.errorString()));
}

// The capture's time base, reported now or kept for the description.
QStringList reportTiming(const CliOptions& options, const CaptureTiming& timing) {
    QStringList lines = describeTiming(timing);
    if (!options.trigger.isEmpty())
        lines.prepend(QStringLiteral("The trigger %1 held after %2 s of waiting.")
                          .arg(options.trigger.text())
                          .arg(timing.waitedSeconds, 0, 'f', 3));
    if (!options.quiet && !options.show)
        printLines(stderr, lines);
    if (const QString warning = timingWarning(timing); !warning.isEmpty())
        printLines(stderr, {warning});
    return options.show ? lines : QStringList();
}

} // namespace

int runScan(const CliOptions& options) {
    const CaptureFormat format = options.outputFormat.value_or(captureFormats().front().format);
    if (!options.outputFile.isEmpty()) {
        if (const QString wrong = whyNotInFormat(format, {options.samples, 1.0, {}});
            !wrong.isEmpty())
            return usageFailure(wrong);
        if (const QString refusal = whyNotWritable(options.outputFile, format, options.samples);
            !refusal.isEmpty())
            return fail(refusal);
    }

    PortLibrary port(options.via == PortVia::Win95Io ? Win95IoLibrary : Inpout32Library,
                     options.port,
                     options.via == PortVia::Simulated ? SimulatedPortFolder() : QString());
    if (const QString why = port.open(); !why.isEmpty())
        return fail(why);
    QTemporaryFile spool;
    if (!openSpool(spool, options.outputFile)) {
        port.close();
        return fail(QStringLiteral("cannot make a temporary file in %1 for the capture: %2")
                        .arg(QDir::toNativeSeparators(QDir::tempPath()), spool.errorString()));
    }
    const CaptureRequest request = requestFor(options);
    CaptureTiming timing;
    StreamEnd end;
    {
        TerminalProgress progress(stderr, request, options.quiet);
        end = StreamCapture(port, request, spool, progress, timing);
    }
    port.close();
    if (const int status = captureFailure(end, options, spool); status != 0)
        return status;

    const QStringList timingLines = reportTiming(options, timing);
    const CaptureFacts facts{timing.samples,
                             options.scheduleRate > 0.0 ? options.scheduleRate : timing.meanRate(),
                             options.trigger.text(), options.channels};
    return deliver(
        options, format,
        [&]() -> std::unique_ptr<SampleSource> {
            spool.seek(0);
            return std::make_unique<RawSampleFile>(spool, facts);
        },
        timingLines);
}

} // namespace tarvik
