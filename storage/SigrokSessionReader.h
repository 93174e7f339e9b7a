#pragma once

#include "SampleSource.h"

#include <memory>

class QFile;

namespace tarvik {

// The capture in a sigrok session (a zip archive of version 2) holding the
// thirteen lines as the program writes them, read member by member from the
// file opened by that path. The file stays open on a handle of the session's
// own. Nothing when the file is
// no such session; whatIsWrong then says why, as a clause ("it has no
// metadata").
std::unique_ptr<SampleSource> openSigrokSession(QFile& file, const QString& path,
                                                QString& whatIsWrong);

} // namespace tarvik
