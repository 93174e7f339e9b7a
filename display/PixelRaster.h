#pragma once

#include <QtGlobal>

#include <cstdint>

// Draws strokes and points straight into the rows of a 32-bit image, in
// device-pixel coordinates, choosing the pixels that QPainter's aliased
// one-pixel cosmetic pen with square caps chooses for the same stroke: the
// positions are cut to 1/64 pixel, the longer axis is walked one whole pixel
// at a time from half a pixel before the start to half a pixel past the end,
// and the other axis follows in 1/65536 pixel steps. Nothing outside the
// image is read or written.
class PixelRaster {
  public:
    PixelRaster() = default;
    // stride is the distance between rows, in pixels.
    PixelRaster(std::uint32_t* bits, qsizetype stride, int width, int height);

    void point(double x, double y, std::uint32_t colour);
    void line(double x1, double y1, double x2, double y2, std::uint32_t colour);

  private:
    bool clip(double& x1, double& y1, double& x2, double& y2) const;
    void shallow(int x1, int y1, int x2, int y2, std::uint32_t colour);
    void steep(int x1, int y1, int x2, int y2, std::uint32_t colour);
    void horizontalRun(int row, int from, int to, std::uint32_t colour);
    void verticalRun(int column, int from, int to, std::uint32_t colour);

    std::uint32_t* bits_ = nullptr;
    qsizetype stride_ = 0;
    int width_ = 0;
    int height_ = 0;
};
