#pragma once

#include "CliOptions.h"
#include "PortLibrary.h"

namespace tarvik {

// The library --via names: the window's two by their file names, or the
// simulated port's, from the folder installed beside the real ones.
PortLibraryFile portLibraryFor(PortVia via);

} // namespace tarvik
