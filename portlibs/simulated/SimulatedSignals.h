#pragma once

#include <cstdint>

namespace tarvik {

// The levels on the pins of the simulated printer port. Step n = 0, 1, 2, ...
// counts the status reads since the last control write, so every capture
// starts at step 0 and sees the same signals; sample i of a capture is step
// i - 1. A step's data byte is what the data read after its status read gives.
//
// Data register (the data lines, read while the control register's bit 5
// makes them inputs):
//   bit 0    UART, 8N1, least significant bit first, idle high, exactly 16
//            steps per bit. 40 idle bits at step 0, then the text
//            "Tarvik simulated port\r\n" again and again, with 10 idle bits
//            after each sending (240 bits, 3,840 steps, per sending).
//   bit 1    clock, period 8 steps: low for steps 0 ... 3 of each period,
//            high for 4 ... 7, so it rises at n = 4 + 8k and falls at n = 8k.
//   bit 2    data for that clock: the bytes 0xDE 0xAD 0xBE 0xEF again and
//            again, most significant bit first, one bit per clock period,
//            changing on the falling edge and steady at the rising edge.
//   bit 3    frame: high for the first clock period of every 256 steps, while
//            the first bit of 0xDE is on bit 2.
//   bits 4-7 a counter, bit 4 its lowest bit, one more every 256 steps.
//
// Status register (the input lines; bits 2 ... 0 read 0):
//   bit 7    BUSY, inverted as by a real port: the line is high for 2,048
//            steps and low for 2,048, starting high, so the bit reads 0 first.
//   bit 6    ACK: a slow square wave, high for 65,536 steps, then low as long.
//   bit 5    PAPER OUT: a pulse, high for the first 64 steps of every 16,384.
//   bit 4    SELECT: high for the first 256 steps of every 1,024.
//   bit 3    ERROR: low while the UART sends its text, from the first start bit
//            to the last stop bit; high while the UART line is idle.
namespace simulated {

inline constexpr std::int64_t SamplesPerBit = 16;
inline constexpr std::int64_t LeadingIdleBits = 40;
inline constexpr std::int64_t IdleBitsAfterText = 10;
inline constexpr char UartText[] = "Tarvik simulated port\r\n";
inline constexpr std::int64_t ClockPeriod = 8;
inline constexpr std::uint8_t ShiftedBytes[] = {0xDE, 0xAD, 0xBE, 0xEF};
inline constexpr std::int64_t CounterStep = 256;

std::uint8_t statusAt(std::int64_t step);
std::uint8_t dataAt(std::int64_t step);

} // namespace simulated

} // namespace tarvik
