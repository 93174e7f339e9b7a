#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace tarvik {

// One line on stderr that names the program; returns the exit status for a
// failure.
int fail(const QString& why);

// A usage error found only once the command runs: the same words as the
// command line's own.
int usageFailure(const QString& why);

void printLines(std::FILE* stream, const QStringList& lines);

} // namespace tarvik
