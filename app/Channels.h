#pragma once

#include <array>

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

} // namespace tarvik
