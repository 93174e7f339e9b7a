#include "CliRuns.h"

#include "CliReport.h"
#include "ConvertCaptureFile.h"
#include "Delivery.h"
#include "OpenCaptureFile.h"
#include "WriteCaptureFile.h"

#include <QDir>

namespace tarvik {

int runFile(const CliOptions& options) {
    QString why;
    auto first = OpenCaptureFile(options.inputFile, &why);
    if (!first)
        return fail(why);
    const CaptureFormat format = options.outputFormat.value_or(captureFormats().front().format);
    if (!options.outputFile.isEmpty()) {
        CaptureFacts facts = first->facts();
        if (options.rateOverride > 0.0)
            facts.sampleRate = options.rateOverride;
        if (const QString wrong = whyNotInFormat(format, facts); !wrong.isEmpty())
            return usageFailure(wrong);
        if (const QString refusal =
                whyNotWritable(options.outputFile, format, first->facts().sampleCount);
            !refusal.isEmpty())
            return fail(refusal);
        if (isSameFile(options.inputFile, options.outputFile))
            return fail(QStringLiteral("%1 is the input file; give the output another name")
                            .arg(QDir::toNativeSeparators(options.outputFile)));
    }
    // The file is read once for each use; the first one takes the source
    // opened above.
    auto opened = std::make_shared<std::unique_ptr<SampleSource>>(std::move(first));
    return deliver(options, format,
                   [&options, opened]() -> std::unique_ptr<SampleSource> {
                       if (*opened)
                           return std::move(*opened);
                       QString whyNot;
                       return OpenCaptureFile(options.inputFile, &whyNot);
                   },
                   {});
}

} // namespace tarvik
