#include "ImageSurface.h"

#include "ColourMapping.h"

#include <QPointF>

#include <cstdint>
#include <utility>

ImageSurface::ImageSurface(QSize size, qreal devicePixelRatio, QPalette palette)
    : image_(size * devicePixelRatio, QImage::Format_RGB32), palette_(std::move(palette)),
      background_(resolve(MenuTextColour)), pen_(resolve(0)),
      scaleX_(size.width() / static_cast<double>(Width) * devicePixelRatio),
      scaleY_(size.height() / static_cast<double>(Height) * devicePixelRatio) {
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
    raster_.point(x * scaleX_, y * scaleY_, resolve(colour));
}

void ImageSurface::line(float x1, float y1, float x2, float y2) {
    // A stroke whose ends coincide, to the painter's tolerance, is a point.
    if (QPointF(x1, y1) == QPointF(x2, y2))
        raster_.point(x1 * scaleX_, y1 * scaleY_, pen_);
    else
        raster_.line(x1 * scaleX_, y1 * scaleY_, x2 * scaleX_, y2 * scaleY_, pen_);
    currentX_ = x2;
    currentY_ = y2;
}

void ImageSurface::lineTo(float x2, float y2) {
    line(currentX_, currentY_, x2, y2);
}
