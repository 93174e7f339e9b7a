#pragma once

#include <QString>

#include <zip.h>

namespace tarvik {

// libzip's text for an error code that zip_open or zip_fdopen gave back.
inline QString zipErrorText(int code) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace tarvik
