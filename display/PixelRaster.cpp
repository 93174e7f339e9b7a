#include "PixelRaster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace tarvik {

namespace {

constexpr int Sub = 64; // 1/64 pixel
constexpr int HalfSub = Sub / 2;
// The slower axis advances in 1/65536 pixel: 1/64 pixel shifted by 10 bits.
constexpr int SlopeShift = 16;
constexpr int SubToSlope = 1 << (SlopeShift - 6);

int pixelOfSub(int v) {
    return v >> 6;
}

} // namespace

PixelRaster::PixelRaster(std::uint32_t* bits, qsizetype stride, int width, int height)
    : bits_(bits), stride_(stride), width_(width), height_(height), xLimit_((width + 1.0) * Sub),
      yLimit_((height + 1.0) * Sub) {}

// rise / run in 1/65536, truncated toward zero.
inline int PixelRaster::slope(int rise, int run) {
    Slope& known = slopes_[(rise & 3) | (rise < 0 ? 4 : 0)];
    if (known.rise == rise && known.run == run)
        return known.value;
    const int value =
        std::abs(rise) <= 0x7fff
            ? rise * (1 << SlopeShift) / run
            : static_cast<int>(static_cast<std::int64_t>(rise) * (1 << SlopeShift) / run);
    known = {rise, run, value};
    return value;
}

void PixelRaster::point(double x, double y, std::uint32_t colour) {
    // Checked before rounding, so that no far-off or undefined position is
    // ever converted to an integer.
    if (!(x > -1.0 && x < width_ && y > -1.0 && y < height_))
        return;
    const int column = qRound(x);
    const int row = qRound(y);
    if (column >= 0 && column < width_ && row >= 0 && row < height_) {
        overdraw(colour);
        bits_[row * stride_ + column] = colour;
    }
}

// Cuts the stroke to a margin of one pixel around the image, in floating
// point, so that the fixed-point positions cannot overflow. The painter cuts
// at the same bounds in the same order; where a stroke is cut decides its
// pixels, so the order of the steps matters.
bool PixelRaster::clip(double& x1, double& y1, double& x2, double& y2) const {
    const double xmin = Margin;
    const double xmax = xLimit_;
    const double ymin = Margin;
    const double ymax = yLimit_;

    if (x1 < xmin) {
        if (x2 <= xmin)
            return false;
        y1 += (y2 - y1) / (x2 - x1) * (xmin - x1);
        x1 = xmin;
    } else if (x1 > xmax) {
        if (x2 >= xmax)
            return false;
        y1 += (y2 - y1) / (x2 - x1) * (xmax - x1);
        x1 = xmax;
    }
    if (x2 < xmin) {
        y2 += (y2 - y1) / (x2 - x1) * (xmin - x2);
        x2 = xmin;
    } else if (x2 > xmax) {
        y2 += (y2 - y1) / (x2 - x1) * (xmax - x2);
        x2 = xmax;
    }

    if (y1 < ymin) {
        if (y2 <= ymin)
            return false;
        x1 += (x2 - x1) / (y2 - y1) * (ymin - y1);
        y1 = ymin;
    } else if (y1 > ymax) {
        if (y2 >= ymax)
            return false;
        x1 += (x2 - x1) / (y2 - y1) * (ymax - y1);
        y1 = ymax;
    }
    if (y2 < ymin) {
        x2 += (x2 - x1) / (y2 - y1) * (ymin - y2);
        y2 = ymin;
    } else if (y2 > ymax) {
        x2 += (x2 - x1) / (y2 - y1) * (ymax - y2);
        y2 = ymax;
    }
    return true;
}

void PixelRaster::clippedLine(double x1, double y1, double x2, double y2, std::uint32_t colour) {
    if (!(std::isfinite(x1) && std::isfinite(y1) && std::isfinite(x2) && std::isfinite(y2)))
        return;
    if (clip(x1, y1, x2, y2))
        stroke(toSub(x1), toSub(y1), toSub(x2), toSub(y2), colour);
}

// Rows from ... to - 1 of one column.
inline void PixelRaster::verticalRun(int column, int from, int to, std::uint32_t colour) {
    if (column < 0 || column >= width_)
        return;
    from = std::max(from, 0);
    to = std::min(to, height_);
    if (from >= to)
        return;
    if (column == lastRun_.column && colour == lastRun_.colour && from >= lastRun_.from &&
        to <= lastRun_.to)
        return;
    overdraw(colour);
    std::uint32_t* pixel = bits_ + from * stride_ + column;
    for (int row = from; row < to; ++row, pixel += stride_)
        *pixel = colour;
    lastRun_ = {column, from, to, colour};
}

// Walks the columns from the one holding x1 to the one holding x2, both ends
// included, as for a level stroke.
void PixelRaster::shallow(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    int column = pixelOfSub(x1);
    const int end = pixelOfSub(x2) + 1;
    const int yinc = slope(y2 - y1, x2 - x1);
    // Start half a pixel before x1, then move to where the first column is sampled.
    const int capStart = x1 - HalfSub;
    const int sampleOffset = yinc > 0 ? HalfSub : 0;
    int y = y1 * SubToSlope - (yinc >> 1);
    y += ((column * Sub + sampleOffset - capStart) * yinc) >> 6;
    overdraw(colour);
    for (; column < end; ++column, y += yinc) {
        const int row = y >> SlopeShift;
        if (column >= 0 && column < width_ && row >= 0 && row < height_)
            bits_[row * stride_ + column] = colour;
    }
}

// As shallow(), with the axes exchanged.
void PixelRaster::steep(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    int row = pixelOfSub(y1);
    const int end = pixelOfSub(y2) + 1;
    if (x1 == x2) {
        verticalRun(pixelOfSub(x1), row, end, colour);
        return;
    }
    const int xinc = slope(x2 - x1, y2 - y1);
    const int capStart = y1 - HalfSub;
    const int sampleOffset = xinc > 0 ? HalfSub : 0;
    int x = x1 * SubToSlope - (xinc >> 1);
    x += ((row * Sub + sampleOffset - capStart) * xinc) >> 6;

    const int firstColumn = x >> SlopeShift;
    const int lastColumn = (x + (end - 1 - row) * xinc) >> SlopeShift;
    if (firstColumn == lastColumn) {
        verticalRun(firstColumn, row, end, colour);
        return;
    }
    overdraw(colour);
    if (row >= 0 && end <= height_ && std::min(firstColumn, lastColumn) >= 0 &&
        std::max(firstColumn, lastColumn) < width_) {
        std::uint32_t* pixel = bits_ + row * stride_;
        for (; row < end; ++row, x += xinc, pixel += stride_)
            pixel[x >> SlopeShift] = colour;
        return;
    }
    for (; row < end; ++row, x += xinc) {
        const int column = x >> SlopeShift;
        if (column >= 0 && column < width_ && row >= 0 && row < height_)
            bits_[row * stride_ + column] = colour;
    }
}

} // namespace tarvik
