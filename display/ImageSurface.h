#pragma once

#include "DrawingSurface.h"
#include "PixelRaster.h"

#include <QImage>
#include <QPalette>

namespace tarvik {

// The trace area's picture: a drawing surface that keeps what was drawn in an
// image of the area's device pixels until the next clear.
//
// The renderer issues some 135,000 one-unit strokes per redraw, about fifteen
// to a pixel column, so strokes are rasterised straight into the image rows
// instead of going through QPainter one call at a time. The pixels are the
// ones a QPainter with the aliased one-pixel cosmetic pen lights when it maps
// the area's units with its window and viewport, so the picture is the one a
// painter would draw.
class ImageSurface final : public DrawingSurface {
  public:
    // size in logical pixels; the image holds size * devicePixelRatio pixels.
    ImageSurface(QSize size, qreal devicePixelRatio, QPalette palette);

    const QImage& image() const { return image_; }

    void setBackColor(ColourValue colour) override;
    void clear() override;
    void setForeColor(ColourValue colour) override;
    void setPoint(float x, float y, ColourValue colour) override;
    void line(float x1, float y1, float x2, float y2) override;
    void lineTo(float x2, float y2) override;

  private:
    QRgb resolve(ColourValue colour) const;
    void attachRaster();

    QImage image_;
    QPalette palette_;
    QRgb background_;
    QRgb pen_;
    // 1/64 device pixels per unit: the painter's window to viewport scale
    // composed with the device pixel ratio, as the painter composes them,
    // times 64.
    double subPerUnitX_;
    double subPerUnitY_;
    float currentX_ = 0.0F;
    float currentY_ = 0.0F;
    PixelRaster raster_;
};

} // namespace tarvik
