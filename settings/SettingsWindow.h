#pragma once

#include "Colour.h"

namespace tarvik {

// What the settings file reads from and writes to the main window: its outer
// position in twips and the background colours of the three swatches.
class SettingsWindow {
  public:
    enum class Swatch { Line, Nul, Back };

    virtual ~SettingsWindow() = default;
    virtual float top() const = 0;
    virtual float left() const = 0;
    // False when the window cannot stand at that position; it then stays put.
    virtual bool setTop(float twips) = 0;
    virtual bool setLeft(float twips) = 0;
    virtual ColourValue swatchColour(Swatch swatch) const = 0;
    // False when the swatch refuses the value; it then keeps its colour.
    virtual bool setSwatchColour(Swatch swatch, ColourValue colour) = 0;
};

} // namespace tarvik
