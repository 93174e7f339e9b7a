#pragma once

#include "CaptureFormat.h"
#include "CliOptions.h"
#include "SampleSource.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace tarvik {

// Gives the samples from their start again, for each use; nothing when they
// cannot be read again.
using SampleReopener = std::function<std::unique_ptr<SampleSource>()>;

// Writes the capture to the output file and describes it, as the options
// ask; timingLines follow the description. Returns the exit status.
int deliver(const CliOptions& options, CaptureFormat format, const SampleReopener& reopen,
            const QStringList& timingLines);

} // namespace tarvik
