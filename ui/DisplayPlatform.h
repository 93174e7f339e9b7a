#pragma once

#include <QByteArray>
#include <QProcessEnvironment>

namespace tarvik {

// The platform plugin to ask Qt for before the application starts, or empty to
// leave the choice to Qt. On Wayland the compositor decides where a window
// goes, so the stored window position would not hold; in a Wayland session
// that also offers XWayland the program runs as an X client instead. A
// platform the user chose is left alone.
QByteArray preferredPlatform(const QProcessEnvironment& environment);

} // namespace tarvik
