#pragma once

#include "ChannelLayout.h"
#include "PortDevice.h"
#include "SampleLoop.h"

#include <cstdint>

namespace tarvik {

// Which registers each sample reads: both, or only the one that holds every
// line a capture keeps, so that the port gives twice the samples a second.
enum class SampledRegisters { Both, Status, Data };

// The fewest registers that hold the layout's lines.
SampledRegisters registersFor(const ChannelLayout& layout);

// One sample from the registers asked for; a register not read reads 0.
inline SamplePair ReadSampleFrom(PortDevice& port, SampledRegisters registers) {
    switch (registers) {
    case SampledRegisters::Status:
        return {static_cast<std::uint8_t>(port.inp(TarvikStatusRegister) & 0xFF), 0};
    case SampledRegisters::Data:
        return {0, static_cast<std::uint8_t>(port.inp(TarvikDataRegister) & 0xFF)};
    case SampledRegisters::Both:
        break;
    }
    return ReadSample(port);
}

// Samples first ... last into pairs (two bytes a sample, status first), each
// one read of the one register (Status or Data) and a store: nothing else
// between two reads, as in the window's loop. The other byte of each pair is 0.
void ReadOneRegister(PortDevice& port, SampledRegisters registers, std::uint8_t* pairs,
                     std::int32_t first, std::int32_t last);

} // namespace tarvik
