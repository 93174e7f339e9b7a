#include "ImageSurface.h"

#include "ColourMapping.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The pixel an aliased one-pixel pen lights for a device coordinate: the one
// whose area holds the coordinate, a coordinate on a pixel edge lighting the
// pixel after it.
int pixelOf(double coordinate)
{
    return static_cast<int>(std::floor(coordinate));
}

} // namespace

ImageSurface::ImageSurface(QSize size, qreal devicePixelRatio, QPalette palette)
    : image_(size * devicePixelRatio, QImage::Format_RGB32), palette_(std::move(palette)),
      background_(resolve(MenuTextColour)), pen_(resolve(0)),
      scaleX_(image_.width() / static_cast<double>(Width)),
      scaleY_(image_.height() / static_cast<double>(Height)),
      bits_(reinterpret_cast<std::uint32_t*>(image_.bits())),
      stride_(image_.bytesPerLine() / static_cast<qsizetype>(sizeof(std::uint32_t)))
{
    image_.setDevicePixelRatio(devicePixelRatio);
    image_.fill(background_);
}

QRgb ImageSurface::resolve(ColourValue colour) const
{
    return toQColor(colour, palette_).rgb();
}

void ImageSurface::setBackColor(ColourValue colour)
{
    background_ = resolve(colour);
}

void ImageSurface::clear()
{
    image_.fill(background_);
    // A copy of the image handed out since the last redraw must keep its
    // pixels: take our own again before writing through the raw pointer.
    bits_ = reinterpret_cast<std::uint32_t*>(image_.bits());
}

void ImageSurface::setForeColor(ColourValue colour)
{
    pen_ = resolve(colour);
}

void ImageSurface::plot(int column, int row, QRgb rgb)
{
    if (column >= 0 && column < image_.width() && row >= 0 && row < image_.height())
        bits_[row * stride_ + column] = rgb;
}

void ImageSurface::setPoint(float x, float y, ColourValue colour)
{
    plot(pixelOf(deviceX(x)), pixelOf(deviceY(y)), resolve(colour));
}

void ImageSurface::line(float x1, float y1, float x2, float y2)
{
    drawDeviceLine(deviceX(x1), deviceY(y1), deviceX(x2), deviceY(y2), pen_);
    currentX_ = x2;
    currentY_ = y2;
}

void ImageSurface::lineTo(float x2, float y2)
{
    line(currentX_, currentY_, x2, y2);
}

// Walks the line's longer axis one pixel at a time, taking the other axis at
// the middle of each step, and lights both end pixels.
void ImageSurface::drawDeviceLine(double x1, double y1, double x2, double y2, QRgb rgb)
{
    const int c1 = pixelOf(x1);
    const int r1 = pixelOf(y1);
    const int c2 = pixelOf(x2);
    const int r2 = pixelOf(y2);
    if (r1 == r2) {
        if (r1 < 0 || r1 >= image_.height())
            return;
        const int from = std::max(std::min(c1, c2), 0);
        const int to = std::min(std::max(c1, c2), image_.width() - 1);
        std::uint32_t* row = bits_ + r1 * stride_;
        for (int c = from; c <= to; ++c)
            row[c] = rgb;
        return;
    }
    if (std::abs(r2 - r1) >= std::abs(c2 - c1)) {
        const double slope = (x2 - x1) / (y2 - y1);
        const int step = r2 > r1 ? 1 : -1;
        for (int r = r1;; r += step) {
            const double mid = std::clamp(r + 0.5, std::min(y1, y2), std::max(y1, y2));
            plot(pixelOf(x1 + (mid - y1) * slope), r, rgb);
            if (r == r2)
                break;
        }
        return;
    }
    const double slope = (y2 - y1) / (x2 - x1);
    const int step = c2 > c1 ? 1 : -1;
    for (int c = c1;; c += step) {
        const double mid = std::clamp(c + 0.5, std::min(x1, x2), std::max(x1, x2));
        plot(c, pixelOf(y1 + (mid - x1) * slope), rgb);
        if (c == c2)
            break;
    }
}
