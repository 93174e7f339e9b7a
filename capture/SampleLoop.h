#pragma once

#include "PortDevice.h"
#include "PortRegisters.h"
#include "ProgressBar.h"

#include <cstddef>
#include <cstdint>

namespace tarvik {

// Where a run of samples goes: sample i's status byte to status[i * stride],
// its data byte to data[i * stride]. The window keeps two buffers (stride 1);
// a stream keeps the pairs of a file (data = status + 1, stride 2).
struct SampleStore {
    std::uint8_t* status;
    std::uint8_t* data;
    std::ptrdiff_t stride;
};

// One sample: a status read, then a data read, each kept as its low byte.
struct SamplePair {
    std::uint8_t status;
    std::uint8_t data;
};
// Inline, so that the loop below keeps its two reads and two stores a sample.
inline SamplePair ReadSample(PortDevice& port) {
    // A read result is a byte; anything wider keeps its low byte.
    const auto status = static_cast<std::uint8_t>(port.inp(TarvikStatusRegister) & 0xFF);
    return {status, static_cast<std::uint8_t>(port.inp(TarvikDataRegister) & 0xFF)};
}

// The loop every capture runs: for i = first ... last, a status read, a data
// read, and the progress bar set to i. Nothing else happens between two
// samples, so that they follow one another as fast as the port answers.
void ReadSamples(PortDevice& port, SampleStore store, std::int32_t first, std::int32_t last,
                 ProgressBar& progress);

// Every capture starts by turning the data lines into inputs.
void SwitchDataLinesIn(PortDevice& port);

} // namespace tarvik
