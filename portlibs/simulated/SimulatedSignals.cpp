#include "SimulatedSignals.h"

namespace tarvik {

namespace simulated {
namespace {

constexpr std::int64_t TextLength = sizeof UartText - 1;
constexpr std::int64_t BitsPerCharacter = 10; // start bit, 8 data bits, stop bit
constexpr std::int64_t TextBits = TextLength * BitsPerCharacter;
constexpr std::int64_t SendingBits = TextBits + IdleBitsAfterText;
constexpr std::int64_t BitsPerByte = 8;
constexpr std::int64_t ShiftedByteCount = sizeof ShiftedBytes;

// Which bit of the current sending the UART line is in, or -1 while idle.
std::int64_t uartBit(std::int64_t step) {
    const std::int64_t bit = step / SamplesPerBit - LeadingIdleBits;
    if (bit < 0)
        return -1;
    const std::int64_t inSending = bit % SendingBits;
    return inSending < TextBits ? inSending : -1;
}

bool uartLine(std::int64_t step) {
    const std::int64_t bit = uartBit(step);
    if (bit < 0)
        return true;
    const std::int64_t inCharacter = bit % BitsPerCharacter;
    if (inCharacter == 0)
        return false;
    if (inCharacter == BitsPerCharacter - 1)
        return true;
    const auto character = static_cast<unsigned char>(UartText[bit / BitsPerCharacter]);
    return ((character >> (inCharacter - 1)) & 1) != 0;
}

bool clockLine(std::int64_t step) {
    return step % ClockPeriod >= ClockPeriod / 2;
}

bool shiftedLine(std::int64_t step) {
    const std::int64_t bit = step / ClockPeriod;
    const std::uint8_t byte = ShiftedBytes[(bit / BitsPerByte) % ShiftedByteCount];
    return ((byte >> (BitsPerByte - 1 - bit % BitsPerByte)) & 1) != 0;
}

bool frameLine(std::int64_t step) {
    return step % (ClockPeriod * BitsPerByte * ShiftedByteCount) < ClockPeriod;
}

std::uint8_t bit(bool level, int position) {
    return static_cast<std::uint8_t>((level ? 1U : 0U) << position);
}

} // namespace

std::uint8_t dataAt(std::int64_t step) {
    const auto counter = static_cast<std::uint8_t>((step / CounterStep) & 0x0F);
    return static_cast<std::uint8_t>(bit(uartLine(step), 0) | bit(clockLine(step), 1) |
                                     bit(shiftedLine(step), 2) | bit(frameLine(step), 3) |
                                     counter << 4);
}

std::uint8_t statusAt(std::int64_t step) {
    const bool busy = step % 4096 < 2048;
    const bool ack = step % 131072 < 65536;
    const bool paperOut = step % 16384 < 64;
    const bool select = step % 1024 < 256;
    const bool error = uartBit(step) < 0;
    // The port inverts the BUSY line on its way into bit 7.
    return static_cast<std::uint8_t>(bit(!busy, 7) | bit(ack, 6) | bit(paperOut, 5) |
                                     bit(select, 4) | bit(error, 3));
}

} // namespace simulated

} // namespace tarvik
