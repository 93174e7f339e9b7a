#pragma once

#include <QPixmap>

// The 60 x 25 picture in the corner of the window: a little logic trace.
QPixmap decorationPicture();
