#pragma once

#include "SettingsWindow.h"

#include <QByteArrayList>

#include <array>
#include <cmath>

namespace tarvik {

// A window that stores whatever position it is given and whose swatches start
// with the design colours and refuse what a real swatch refuses.
class FakeSettingsWindow final : public SettingsWindow {
  public:
    float topTwips = -1.0F; // before anything places the window
    float leftTwips = -1.0F;
    std::array<ColourValue, 3> colours{rgbColour(0, 192, 0), rgbColour(0, 0, 255), 0};

    float top() const override { return topTwips; }
    float left() const override { return leftTwips; }
    bool setTop(float twips) override { return place(topTwips, twips); }
    bool setLeft(float twips) override { return place(leftTwips, twips); }
    ColourValue swatchColour(Swatch swatch) const override { return colours[index(swatch)]; }
    bool setSwatchColour(Swatch swatch, ColourValue colour) override {
        if (!isValidColour(colour))
            return false;
        colours[index(swatch)] = colour;
        return true;
    }

  private:
    static bool place(float& position, float twips) {
        if (!std::isfinite(twips))
            return false;
        position = twips;
        return true;
    }
    static std::size_t index(Swatch swatch) { return static_cast<std::size_t>(swatch); }
};

// Settings file text: each '|'-separated field in double quotes on a CR LF line.
inline QByteArray settingsLines(const char* fields) {
    QByteArray text;
    for (const QByteArray& field : QByteArray(fields).split('|'))
        text += '"' + field + "\"\r\n";
    return text;
}

} // namespace tarvik
