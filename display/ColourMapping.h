#pragma once

#include "Colour.h"

#include <QColor>
#include <QPalette>

namespace tarvik {

// The colour a stored colour value shows as: explicit colours as they are,
// system colours taken from the palette. Unknown system colours show black.
QColor toQColor(ColourValue colour, const QPalette& palette);

// The stored colour value of an explicit colour (0x00BBGGRR).
ColourValue fromQColor(const QColor& colour);

} // namespace tarvik
