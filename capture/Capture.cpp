#include "Capture.h"

#include <string_view>

namespace tarvik {

namespace {

// A register address written as "&H" and hexadecimal digits.
consteval std::int16_t portAddress(std::string_view text) {
    if (text.size() < 3 || text[0] != '&' || (text[1] != 'H' && text[1] != 'h'))
        throw "not an &H address";
    int value = 0;
    for (char c : text.substr(2)) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            throw "not a hexadecimal digit";
        value = value * 16 + digit;
    }
    return static_cast<std::int16_t>(value);
}

constexpr std::int16_t DataRegister = portAddress("&H378");
constexpr std::int16_t StatusRegister = portAddress("&H379");
constexpr std::int16_t ControlRegister = portAddress("&H37A");
// Bit 5 of the control register turns the data lines into inputs.
constexpr std::int16_t DataLinesIn = 0x20;

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
