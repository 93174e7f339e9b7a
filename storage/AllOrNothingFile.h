#pragma once

#include <QString>

#include <functional>

class QIODevice;

namespace tarvik {

// Why the name may not be written, as a clause with what to do ("it is a
// named pipe, not a regular file; name a regular file"); empty when it is free, or names a regular
// file (through any links) that its owner may replace. Nothing else is ever replaced: a named pipe
// would wait for a reader, and a device or folder must never be swapped for a file.
QString whyNotReplaceable(const QString& path);

// Why a new file could not be written under the name, asked before anything
// is done that would be lost by finding out later (a capture, say): its
// folder must exist and take new files, the name must be free or replaceable
// (whyNotReplaceable), and the disk must have bytesNeeded bytes free (0 when
// the room is not known). One clause that says what to do, or empty.
QString whyNotCreatable(const QString& path, qint64 bytesNeeded);

// Writes a new file beside the named one, through produce, and puts it in
// its place only once every byte has reached the disk, so that the name
// never holds half a file. produce returns empty on success, otherwise what
// went wrong as a clause. The result is empty on success, otherwise what went
// wrong, and the name is then as it was.
QString writeAllOrNothing(const QString& path, const std::function<QString(QIODevice&)>& produce);

} // namespace tarvik
