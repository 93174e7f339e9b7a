#include "PortOption.h"

#include "PortName.h"

namespace tarvik {

QCommandLineOption PortOption() {
    return QCommandLineOption(QStringLiteral(TARVIK_PORT_OPTION),
                              QStringLiteral("The kernel's parallel port to capture from, as "
                                             "/proc/sys/dev/parport lists them (default: %1).")
                                  .arg(QStringLiteral(TARVIK_DEFAULT_PORT)),
                              QStringLiteral("parportN"), QStringLiteral(TARVIK_DEFAULT_PORT));
}

QString PortOptionError(const QString& value) {
    if (tarvikParsePortName(value.toLocal8Bit().constData()) >= 0)
        return {};
    return QStringLiteral("--port takes the name of one of the kernel's parallel ports, "
                          "parport0 to parport%1, not \"%2\".")
        .arg(TarvikPortNumbers - 1)
        .arg(value);
}

} // namespace tarvik
