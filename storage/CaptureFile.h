#pragma once

#include "ProgramState.h"

#include <array>
#include <cstdint>

namespace tarvik {

// A capture file holds, for every sample 1 ... SampleCount in order, the
// status byte and then the data byte: 4,096,000 bytes, no header.
inline constexpr std::int64_t CaptureFileSize = 2LL * SampleCount;

// The bytes of one capture file, in file order.
using CaptureImage = std::array<std::uint8_t, CaptureFileSize>;

} // namespace tarvik
