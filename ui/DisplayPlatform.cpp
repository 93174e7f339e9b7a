#include "DisplayPlatform.h"

namespace tarvik {

QByteArray preferredPlatform(const QProcessEnvironment& environment) {
    const auto isSet = [&environment](const char* name) {
        return !environment.value(QString::fromLatin1(name)).isEmpty();
    };
    // Qt itself picks Wayland from either of these.
    const bool wayland =
        isSet("WAYLAND_DISPLAY") ||
        environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QStringLiteral("wayland");
    if (isSet("QT_QPA_PLATFORM") || !wayland || !isSet("DISPLAY"))
        return {};
    return QByteArrayLiteral("xcb");
}

} // namespace tarvik
