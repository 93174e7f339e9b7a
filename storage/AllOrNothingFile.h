#pragma once

#include <QString>

#include <functional>

class QIODevice;

namespace tarvik {

// Why the name may not be written, as a clause ("it is a named pipe, not a
// regular file"); empty when it is free, or names a regular file (through
// any links) that its owner may replace. Nothing else is ever replaced: a
// named pipe would wait for a reader, and a device or folder must never be
// swapped for a file.
QString whyNotReplaceable(const QString& path);

// Writes a new file beside the named one, through produce, and puts it in
// its place only once every byte has reached the disk, so that the name
// never holds half a file. produce returns empty on success, otherwise what
// went wrong as a clause. The result is empty on success, otherwise what went
// wrong, and the name is then as it was.
QString writeAllOrNothing(const QString& path, const std::function<QString(QIODevice&)>& produce);

} // namespace tarvik
