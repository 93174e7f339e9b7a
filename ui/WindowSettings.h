#pragma once

#include "SettingsWindow.h"

namespace tarvik {

class Form1;

// The main window as the settings file sees it: the outer frame's position
// and the three swatches.
class WindowSettings final : public SettingsWindow {
  public:
    explicit WindowSettings(Form1& form) : form_(form) {}

    float top() const override;
    float left() const override;
    bool setTop(float twips) override;
    bool setLeft(float twips) override;
    ColourValue swatchColour(Swatch swatch) const override;
    bool setSwatchColour(Swatch swatch, ColourValue colour) override;

  private:
    Form1& form_;
};

} // namespace tarvik
