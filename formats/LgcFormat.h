#pragma once

#include "ProgramState.h"
#include "SampleSource.h"

#include <array>
#include <cstdint>
#include <memory>

class QFile;
class QIODevice;

namespace tarvik {

// A .lgc holds, for every sample 1 ... SampleCount in order, the status byte
// and then the data byte: 4,096,000 bytes, no header.
inline constexpr std::int64_t CaptureFileSize = 2LL * SampleCount;

// The bytes of one capture file, in file order.
using CaptureImage = std::array<std::uint8_t, CaptureFileSize>;

// The window's two buffers from the file's pairs, and back: count samples
// from pairs into status[0 ...] and data[0 ...], or the other way.
void splitLgcPairs(const std::uint8_t* pairs, std::int32_t count, std::uint8_t* status,
                   std::uint8_t* data);
void joinLgcPairs(const std::uint8_t* status, const std::uint8_t* data, std::int32_t count,
                  std::uint8_t* pairs);

// tarvik-cli's reading of a .lgc: a file of any other length is no capture,
// so that a truncated one is never taken for a short capture. (The window's
// LOAD reads the first CaptureFileSize bytes of whatever it is given.)
bool recognisesLgc(QFile& file);
std::unique_ptr<SampleSource> readLgc(std::unique_ptr<QFile> file, const QString& path,
                                      QString& whatIsWrong);

// The pairs as they come, which is the whole format.
QString writeLgc(QIODevice& device, SampleSource& source);

} // namespace tarvik
