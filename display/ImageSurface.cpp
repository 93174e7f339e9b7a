#include "ImageSurface.h"

#include "ColourMapping.h"

#include <QtGlobal>

#include <cstdint>
#include <utility>

namespace tarvik {

namespace {

// The painter draws a stroke whose ends compare equal as QPointF as a point.
// That comparison allows a relative difference of 1e-12, which no two
// different single-precision values come within, and an absolute one of
// 1e-12 next to zero; for single-precision ends it comes down to this.
bool sameCoordinate(float a, float b) {
    return a == b || ((a == 0.0F || b == 0.0F) && qFuzzyIsNull(double(a) - double(b)));
}

} // namespace

ImageSurface::ImageSurface(QSize size, qreal devicePixelRatio, QPalette palette)
    : image_(size * devicePixelRatio, QImage::Format_RGB32), palette_(std::move(palette)),
      background_(resolve(MenuTextColour)), pen_(resolve(0)),
      subPerUnitX_(size.width() / static_cast<double>(Width) * devicePixelRatio * 64.0),
      subPerUnitY_(size.height() / static_cast<double>(Height) * devicePixelRatio * 64.0) {
    image_.setDevicePixelRatio(devicePixelRatio);
    image_.fill(background_);
    attachRaster();
}

void ImageSurface::attachRaster() {
    // bits() detaches: a copy of the picture handed out earlier keeps its
    // pixels while this one is drawn over.
    raster_ = PixelRaster(reinterpret_cast<std::uint32_t*>(image_.bits()),
                          image_.bytesPerLine() / static_cast<qsizetype>(sizeof(std::uint32_t)),
                          image_.width(), image_.height());
    raster_.moveTo(currentX_ * subPerUnitX_, currentY_ * subPerUnitY_);
}

QRgb ImageSurface::resolve(ColourValue colour) const {
    return toQColor(colour, palette_).rgb();
}

void ImageSurface::setBackColor(ColourValue colour) {
    background_ = resolve(colour);
}

void ImageSurface::clear() {
    image_.fill(background_);
    attachRaster();
}

void ImageSurface::setForeColor(ColourValue colour) {
    pen_ = resolve(colour);
}

void ImageSurface::setPoint(float x, float y, ColourValue colour) {
    raster_.point(x * subPerUnitX_ / 64.0, y * subPerUnitY_ / 64.0, resolve(colour));
}

void ImageSurface::line(float x1, float y1, float x2, float y2) {
    currentX_ = x1;
    currentY_ = y1;
    raster_.moveTo(x1 * subPerUnitX_, y1 * subPerUnitY_);
    lineTo(x2, y2);
}

void ImageSurface::lineTo(float x2, float y2) {
    // Only a stroke whose ends lie in the same 1/64 pixel can be one whose
    // ends the painter takes as equal; it draws those as a point.
    if (!raster_.lineTo(x2 * subPerUnitX_, y2 * subPerUnitY_, pen_) &&
        sameCoordinate(currentX_, x2) && sameCoordinate(currentY_, y2))
        raster_.point(currentX_ * subPerUnitX_ / 64.0, currentY_ * subPerUnitY_ / 64.0, pen_);
    currentX_ = x2;
    currentY_ = y2;
}

} // namespace tarvik
