#pragma once

#include <cstdint>

namespace tarvik {

// A colour as the program stores it: 0x00BBGGRR, or 0x80000000 plus the index
// of a system colour. Held signed, as the settings file writes it.
using ColourValue = std::int32_t;

inline constexpr ColourValue systemColour(int index) {
    return static_cast<ColourValue>(0x80000000U + static_cast<std::uint32_t>(index));
}

// The text colour of menus; the trace area's and the zoom label's background.
inline constexpr ColourValue MenuTextColour = systemColour(7);

// Number of system colours a swatch can name (indices 0 ... 24).
inline constexpr int SystemColourCount = 25;

inline constexpr bool isSystemColour(ColourValue c) {
    return (static_cast<std::uint32_t>(c) & 0xFF000000U) == 0x80000000U;
}

inline constexpr int systemColourIndex(ColourValue c) {
    return static_cast<int>(static_cast<std::uint32_t>(c) & 0x00FFFFFFU);
}

// What a swatch accepts: an explicit red, green, blue colour (top byte 0) or a
// system colour the palette maps (0x80000000 plus 0 ... 24). Anything else,
// such as -1 or the 0x01 and 0x02 palette forms, names no colour the program
// can show, so a settings file holding one is treated as damaged. Every colour
// the window starts with, the colour dialog returns, or a swatch holds (and so
// every colour the settings file is written with) passes.
inline constexpr bool isValidColour(ColourValue c) {
    const auto u = static_cast<std::uint32_t>(c);
    return (u & 0xFF000000U) == 0 ||
           (isSystemColour(c) && systemColourIndex(c) < SystemColourCount);
}

inline constexpr ColourValue rgbColour(int red, int green, int blue) {
    return static_cast<ColourValue>(static_cast<std::uint32_t>(red & 0xFF) |
                                    static_cast<std::uint32_t>(green & 0xFF) << 8 |
                                    static_cast<std::uint32_t>(blue & 0xFF) << 16);
}

} // namespace tarvik
