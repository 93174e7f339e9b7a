#pragma once

#include "SampleSource.h"

#include <memory>

namespace tarvik {

// The same samples with the rate the user gave in place of the one the
// source records, or lacks.
std::unique_ptr<SampleSource> withSampleRate(std::unique_ptr<SampleSource> source, double rate);

} // namespace tarvik
