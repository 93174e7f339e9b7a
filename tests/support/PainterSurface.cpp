#include "PainterSurface.h"

#include "ColourMapping.h"

#include <utility>

namespace tarvik {

namespace {

// Width 0: one device pixel at any scale. A pen of width 1 would be scaled
// down with the area's units to a faint sixteenth of a pixel.
QPen thinPen(const QColor& colour) {
    return QPen(colour, 0);
}

} // namespace

PainterSurface::PainterSurface(QSize size, qreal devicePixelRatio, QPalette palette)
    : image_(size * devicePixelRatio, QImage::Format_RGB32), palette_(std::move(palette)),
      background_(resolve(MenuTextColour)), pen_(thinPen(resolve(0))) {
    image_.setDevicePixelRatio(devicePixelRatio);
    image_.fill(background_);
}

QPainter& PainterSurface::painter() {
    if (!painter_.isActive()) {
        painter_.begin(&image_);
        painter_.setRenderHint(QPainter::Antialiasing, false);
        const QSizeF logical = image_.deviceIndependentSize();
        painter_.setWindow(0, 0, static_cast<int>(Width), static_cast<int>(Height));
        painter_.setViewport(0, 0, qRound(logical.width()), qRound(logical.height()));
        painter_.setPen(pen_);
    }
    return painter_;
}

const QImage& PainterSurface::image() {
    if (painter_.isActive())
        painter_.end();
    return image_;
}

QColor PainterSurface::resolve(ColourValue colour) const {
    return toQColor(colour, palette_);
}

void PainterSurface::setBackColor(ColourValue colour) {
    background_ = resolve(colour);
}

void PainterSurface::clear() {
    painter().fillRect(QRectF(0.0, 0.0, Width, Height), background_);
}

void PainterSurface::setForeColor(ColourValue colour) {
    pen_ = thinPen(resolve(colour));
    painter().setPen(pen_);
}

void PainterSurface::setPoint(float x, float y, ColourValue colour) {
    QPainter& p = painter();
    p.setPen(thinPen(resolve(colour)));
    p.drawPoint(QPointF(x, y));
    p.setPen(pen_);
}

void PainterSurface::line(float x1, float y1, float x2, float y2) {
    painter().drawLine(QLineF(x1, y1, x2, y2));
    current_ = QPointF(x2, y2);
}

void PainterSurface::lineTo(float x2, float y2) {
    const QPointF to(x2, y2);
    painter().drawLine(QLineF(current_, to));
    current_ = to;
}

} // namespace tarvik
