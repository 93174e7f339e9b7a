#pragma once

#include <QPixmap>

namespace tarvik {

// The 60 x 25 picture in the corner of the window: a little logic trace.
QPixmap decorationPicture();

} // namespace tarvik
