#include "SampleLoop.h"

#include "PortRegisters.h"

namespace tarvik {

namespace {

constexpr std::int16_t DataRegister = TarvikDataRegister;
constexpr std::int16_t StatusRegister = TarvikStatusRegister;
constexpr std::int16_t ControlRegister = TarvikControlRegister;
constexpr std::int16_t DataLinesIn = TarvikDataLinesIn;

// A read result is a byte; anything wider keeps its low byte.
std::uint8_t lowByte(std::int16_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

} // namespace

void SwitchDataLinesIn(PortDevice& port) {
    port.out(ControlRegister, DataLinesIn);
}

void ReadSamples(PortDevice& port, SampleStore store, std::int32_t first, std::int32_t last,
                 ProgressBar& progress) {
    // Taken once: the port and the bar are called through interfaces, and the
    // compiler would otherwise fetch the store's pointers again after every call.
    std::uint8_t* const status = store.status;
    std::uint8_t* const data = store.data;
    const std::ptrdiff_t stride = store.stride;
    for (std::int32_t i = first; i <= last; ++i) {
        status[i * stride] = lowByte(port.inp(StatusRegister));
        data[i * stride] = lowByte(port.inp(DataRegister));
        progress.setValue(static_cast<float>(i));
    }
}

} // namespace tarvik
