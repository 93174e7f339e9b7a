#include "Capture.h"

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

void CaptureSamples(ProgramState& state, PortDevice& port, ProgressBar& progress) {
    port.out(ControlRegister, DataLinesIn);
    progress.setMax(static_cast<float>(SampleCount));
    progress.setMin(1.0F);
    progress.setValue(1.0F);
    // Taken once: the port and the bar are called through interfaces, and the
    // compiler would otherwise fetch the buffers' addresses again after every call.
    std::uint8_t* const status = state.statusSamples.data();
    std::uint8_t* const data = state.dataSamples.data();
    for (std::int32_t i = 1; i <= SampleCount; ++i) {
        status[i] = lowByte(port.inp(StatusRegister));
        data[i] = lowByte(port.inp(DataRegister));
        progress.setValue(static_cast<float>(i));
    }
}

} // namespace tarvik
