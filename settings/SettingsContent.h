#pragma once

#include "SettingsWindow.h"

#include <QByteArray>
#include <QString>

class QIODevice;

namespace tarvik {

// Where the window goes when the settings cannot be read, in twips.
inline constexpr float FallbackTop = 10.0F;
inline constexpr float FallbackLeft = 10.0F;

// Applies the six fields of file, open for reading, in order: the first to
// header, then the window's top and left, then the pen, zero-level and
// background swatch colours. When the file is not open (it could not be
// opened), ends before the sixth field, or a value is out of range or
// refused, the window goes to the fallback position; what was applied before
// that stays applied.
//
// The header is kept byte for byte (one character per byte), so any first
// line is written back as it was read.
void loadSettingsFrom(QIODevice& file, QString& header, SettingsWindow& window);

// The whole file as written: each field in double quotes on a line of its own
// ending in CR LF.
QByteArray settingsText(const QString& header, const SettingsWindow& window);

} // namespace tarvik
