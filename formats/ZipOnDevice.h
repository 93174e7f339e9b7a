#pragma once

#include <QString>

#include <zip.h>

class QIODevice;

namespace tarvik {

// A new, empty zip archive that zip_close() writes to an open device, such
// as a QSaveFile: the device's owner decides whether the archive replaces the
// named file. libzip's own way, a temporary file beside the name, draws the
// temporary name from OpenSSL, whose start alone costs a conversion a tenth
// of its time. Nothing when libzip refuses; whyNot then says why.
zip_t* openZipOnDevice(QIODevice& device, QString* whyNot);

// Why zip_close() failed: the device's own words where writing to it failed.
QString zipCloseError(zip_t* zip, const QIODevice& device);

} // namespace tarvik
