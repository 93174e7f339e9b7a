#pragma once

namespace tarvik {

// The window and its controls are laid out in twips, 1/1440 inch: 15 to a
// pixel at the usual 96 dots per inch.
inline constexpr float TwipsPerPixel = 15.0F;

} // namespace tarvik
