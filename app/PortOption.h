#pragma once

#include <QCommandLineOption>
#include <QString>

namespace tarvik {

// --port parportN: which of the kernel's parallel ports the port libraries
// reach, the same in every program; parport0 by default.
QCommandLineOption PortOption();

// Empty when the option's value names a port as the launcher takes one
// (PortName.h); otherwise the usage error to show.
QString PortOptionError(const QString& value);

} // namespace tarvik
