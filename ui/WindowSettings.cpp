#include "WindowSettings.h"

#include "ColourSwatch.h"
#include "Form1.h"
#include "WindowUnits.h"

#include <cmath>

namespace tarvik {

namespace {

// Window systems place windows in 16-bit pixel coordinates; at 15 twips per
// pixel a position beyond this could only come from a damaged file.
constexpr float PositionLimit = 32767.0F * TwipsPerPixel;

bool isPlaceable(float twips) {
    return std::fabs(twips) <= PositionLimit;
}

ColourSwatch& swatchOf(const Form1& form, SettingsWindow::Swatch swatch) {
    switch (swatch) {
    case SettingsWindow::Swatch::Line:
        return form.swatchLine();
    case SettingsWindow::Swatch::Nul:
        return form.swatchNul();
    case SettingsWindow::Swatch::Back:
        break;
    }
    return form.swatchBack();
}

} // namespace

float WindowSettings::top() const {
    return form_.Top();
}

float WindowSettings::left() const {
    return form_.Left();
}

bool WindowSettings::setTop(float twips) {
    if (!isPlaceable(twips))
        return false;
    form_.setTop(twips);
    return true;
}

bool WindowSettings::setLeft(float twips) {
    if (!isPlaceable(twips))
        return false;
    form_.setLeft(twips);
    return true;
}

ColourValue WindowSettings::swatchColour(Swatch swatch) const {
    return swatchOf(form_, swatch).backColor();
}

bool WindowSettings::setSwatchColour(Swatch swatch, ColourValue colour) {
    return swatchOf(form_, swatch).setBackColor(colour);
}

} // namespace tarvik
