#include "Delivery.h"

#include "CaptureSummary.h"
#include "CliReport.h"
#include "ExitStatus.h"
#include "Interruption.h"
#include "SampleRateOverride.h"
#include "WriteCaptureFile.h"

namespace tarvik {

namespace {

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

} // namespace

int deliver(const CliOptions& options, CaptureFormat format, const SampleReopener& reopen,
            const QStringList& timingLines) {
    const auto open = [&] {
        auto source = reopen();
        return source && options.rateOverride > 0.0
                   ? withSampleRate(std::move(source), options.rateOverride)
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
    return ExitDone;
}

} // namespace tarvik
