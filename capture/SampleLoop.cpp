#include "SampleLoop.h"

#include "PortRegisters.h"

namespace tarvik {

namespace {

constexpr std::int16_t ControlRegister = TarvikControlRegister;
constexpr std::int16_t DataLinesIn = TarvikDataLinesIn;

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
        const SamplePair sample = ReadSample(port);
        status[i * stride] = sample.status;
        data[i * stride] = sample.data;
        progress.setValue(static_cast<float>(i));
    }
}

} // namespace tarvik
