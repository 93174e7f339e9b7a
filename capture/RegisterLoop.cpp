#include "RegisterLoop.h"

namespace tarvik {

SampledRegisters registersFor(const ChannelLayout& layout) {
    constexpr std::uint16_t StatusBits = 0x00FF;
    const std::uint16_t bits = layout.sampleBits();
    if ((bits & StatusBits) == 0)
        return SampledRegisters::Data;
    if ((bits & ~StatusBits) == 0)
        return SampledRegisters::Status;
    return SampledRegisters::Both;
}

void ReadOneRegister(PortDevice& port, SampledRegisters registers, std::uint8_t* pairs,
                     std::int32_t first, std::int32_t last) {
    const bool status = registers == SampledRegisters::Status;
    const auto address =
        static_cast<std::int16_t>(status ? TarvikStatusRegister : TarvikDataRegister);
    std::uint8_t* const kept = pairs + (status ? 0 : 1);
    std::uint8_t* const other = pairs + (status ? 1 : 0);
    for (std::int32_t i = first; i <= last; ++i) {
        kept[2 * i] = static_cast<std::uint8_t>(port.inp(address) & 0xFF);
        other[2 * i] = 0;
    }
}

} // namespace tarvik
