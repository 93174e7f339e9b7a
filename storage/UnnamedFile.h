#pragma once

#include <QFile>
#include <QString>

namespace tarvik {

// Opens a file for reading and writing in the folder that has no name there,
// so that nothing is left behind however the program ends: an unnamed file
// where the filesystem makes one, and otherwise a named one that is removed
// as soon as it is open. False when the folder takes neither; the file's
// errorString() then says why.
bool openUnnamedFile(QFile& file, const QString& folder);

} // namespace tarvik
