#include "TraceArea.h"

#include <QPainter>

namespace tarvik {

TraceArea::TraceArea(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
}

ImageSurface& TraceArea::surface() {
    // Made on first use, when the window knows the screen it is on.
    if (!surface_)
        surface_ =
            std::make_unique<ImageSurface>(contentsRect().size(), devicePixelRatioF(), palette());
    return *surface_;
}

const QImage& TraceArea::picture() {
    return surface().image();
}

void TraceArea::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        painter.drawImage(contentsRect().topLeft(), picture());
    }
    QFrame::paintEvent(event);
}

} // namespace tarvik
