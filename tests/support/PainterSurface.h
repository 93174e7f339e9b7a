#pragma once

#include "DrawingSurface.h"

#include <QImage>
#include <QPainter>
#include <QPalette>

namespace tarvik {

// The plain way to draw the trace area: every operation is one QPainter call
// on an image of the area's device pixels, aliased, with the one-pixel
// cosmetic pen and the area's units mapped by the painter's own window and
// viewport. The picture it draws is the reference for ImageSurface, and its
// speed the reference for the fast surface's.
class PainterSurface final : public DrawingSurface {
  public:
    // size in logical pixels; the image holds size * devicePixelRatio pixels.
    PainterSurface(QSize size, qreal devicePixelRatio, QPalette palette);

    // Finishes the painting so far; the next operation starts a new painter.
    const QImage& image();

    void setBackColor(ColourValue colour) override;
    void clear() override;
    void setForeColor(ColourValue colour) override;
    void setPoint(float x, float y, ColourValue colour) override;
    void line(float x1, float y1, float x2, float y2) override;
    void lineTo(float x2, float y2) override;

  private:
    QPainter& painter();
    QColor resolve(ColourValue colour) const;

    QImage image_;
    QPalette palette_;
    QPainter painter_;
    QColor background_;
    QPen pen_;
    QPointF current_;
};

} // namespace tarvik
