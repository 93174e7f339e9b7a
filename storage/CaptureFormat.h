#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace tarvik {

// The file formats a capture can be written in: the window's flat .lgc, a
// sigrok session (.sr) and a value change dump (.vcd).
enum class CaptureFormat { Lgc, Sr, Vcd };

// The format a -O text names, as sigrok-cli spells it ("srzip" is sigrok's
// own name for sr); nothing for any other text.
std::optional<CaptureFormat> parseCaptureFormat(QStringView text);

// The format an output file's extension names, in any case; sr when it names
// none of them.
CaptureFormat captureFormatForName(const QString& path);

} // namespace tarvik
