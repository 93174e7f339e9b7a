#pragma once

#include "StreamCapture.h"

#include <QStringList>

namespace tarvik {

// A block that took this many times a block's mean time means the machine
// held the capture up, and the time axis is not to be trusted there.
inline constexpr double UnevenBlockFactor = 10.0;

// How a capture kept time, in lines for a person: the mean rate and the
// longest block against the mean, or how well the schedule was kept.
QStringList describeTiming(const CaptureTiming& timing);

// One line when sampling as fast as the port answers was plainly uneven;
// empty otherwise.
QString timingWarning(const CaptureTiming& timing);

} // namespace tarvik
