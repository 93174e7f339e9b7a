#pragma once

#include "Colour.h"

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace tarvik {

// The number a settings field's text stands for. Blanks, tabs and line feeds
// are left out wherever they stand; of the rest, an optional sign, digits with
// an optional full stop and fraction, and an optional exponent (E or e, an
// optional sign, digits) are taken for as far as they go. Text without a
// leading number is 0. The full stop is the decimal separator in every locale.
// Numbers too large for a double come out infinite.
double settingsNumber(QByteArrayView text);

// A window position read from the file: the number rounded to single
// precision, or nothing when it lies beyond the single-precision range.
std::optional<float> settingsPosition(double number);

// A colour read from the file: the number rounded to a whole number, halves
// to the even neighbour, or nothing when that lies outside the signed 32-bit
// range -2147483648 ... 2147483647 in which the file is written (a system
// colour is negative there).
std::optional<ColourValue> settingsColour(double number);

// Number texts as the file is written: a blank in front of a number that is
// zero or positive, a minus sign in front of a negative one. Each reads back
// through settingsNumber to the value it was made from.
QByteArray positionText(float twips);
QByteArray colourText(ColourValue colour);

} // namespace tarvik
