#pragma once

#include "StreamCapture.h"

#include <QStringList>

namespace tarvik {

// A block that took this many times a block's mean time means the machine
// held the capture up, and the time axis is not to be trusted there.
inline constexpr double UnevenBlockFactor = 10.0;

// How a capture kept time, in lines for a person: the mean rate, and the
// longest block against the mean; a further line when sampling was plainly
// uneven.
QStringList describeTiming(const CaptureTiming& timing);

} // namespace tarvik
