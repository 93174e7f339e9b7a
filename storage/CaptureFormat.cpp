#include "CaptureFormat.h"

#include <QFileInfo>

namespace tarvik {

std::optional<CaptureFormat> parseCaptureFormat(QStringView text) {
    if (text == u"lgc")
        return CaptureFormat::Lgc;
    if (text == u"sr" || text == u"srzip")
        return CaptureFormat::Sr;
    if (text == u"vcd")
        return CaptureFormat::Vcd;
    return std::nullopt;
}

CaptureFormat captureFormatForName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"lgc")
        return CaptureFormat::Lgc;
    if (suffix == u"vcd")
        return CaptureFormat::Vcd;
    return CaptureFormat::Sr;
}

} // namespace tarvik
