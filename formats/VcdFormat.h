#pragma once

#include "SampleSource.h"

class QIODevice;

namespace tarvik {

// Writes the capture, whose rate must be known, as a value change dump of the
// thirteen lines: in the first power of ten of a second that is as fine as
// the rate, each sample's time rounded from its index so that no error adds
// up; the first values under $dumpvars, then only the changes, and a last
// time stamp at the end of the last sample. Empty on success, otherwise what
// went wrong as a clause.
QString writeVcd(QIODevice& device, SampleSource& source);

} // namespace tarvik
