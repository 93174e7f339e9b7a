#pragma once

#include <array>
#include <cstdint>

namespace tarvik {

// The thirteen lines a capture records, top trace first: status bits 7 ... 3
// (bit 7 as the port reads it, inverted), then data bits 7 ... 0. byte is the
// sample's byte that holds the line (0 the status byte, 1 the data byte), so
// byte * 8 + bit is the line's channel number in a 16-bit unit, as sigrok
// counts them.
struct Channel {
    const char* name;
    int byte;
    int bit;
};

inline constexpr std::array<Channel, 13> Channels{{
    {"S7", 0, 7},
    {"S6", 0, 6},
    {"S5", 0, 5},
    {"S4", 0, 4},
    {"S3", 0, 3},
    {"D7", 1, 7},
    {"D6", 1, 6},
    {"D5", 1, 5},
    {"D4", 1, 4},
    {"D3", 1, 3},
    {"D2", 1, 2},
    {"D1", 1, 1},
    {"D0", 1, 0},
}};

// A sample as one 16-bit unit, the status byte low and the data byte high,
// so that each line lies on its channel number's bit.
constexpr std::uint16_t sampleUnit(std::uint8_t status, std::uint8_t data) {
    return static_cast<std::uint16_t>(status | data << 8);
}

constexpr std::uint16_t channelBit(const Channel& channel) {
    return static_cast<std::uint16_t>(1U << (channel.byte * 8 + channel.bit));
}

// The bits of all thirteen lines; the others are no lines at all.
inline constexpr std::uint16_t ChannelBits = [] {
    std::uint16_t bits = 0;
    for (const Channel& channel : Channels)
        bits |= channelBit(channel);
    return bits;
}();

} // namespace tarvik
