#pragma once

#include <QtGlobal>

#include <cstdint>

namespace tarvik {

// Draws strokes and points straight into the rows of a 32-bit image,
// choosing the pixels that QPainter's aliased one-pixel cosmetic pen with
// square caps chooses for the same stroke: the positions are cut to 1/64
// pixel, the longer axis is walked one whole pixel at a time from half a
// pixel before the start to half a pixel past the end, and the other axis
// follows in 1/65536 pixel steps. Nothing outside the image is read or
// written.
//
// The renderer draws some 135,000 strokes per redraw, most of them a
// fraction of a pixel long and level, so the path for a stroke that lies
// inside the image is kept inline and short. Its level changes are nearly
// vertical, up to fifteen to a pixel column, and light the same pixels over
// and over: a run of one column that the last such run already lit in the
// same colour, with nothing of another colour drawn since, is skipped.
class PixelRaster {
  public:
    PixelRaster() = default;
    // stride is the distance between rows, in pixels.
    PixelRaster(std::uint32_t* bits, qsizetype stride, int width, int height);

    // Position in device pixels.
    void point(double x, double y, std::uint32_t colour);

    // Strokes are drawn from a pen position, in 1/64 device pixel. Scaling by
    // 64 is exact in floating point, so a device position scaled by 64 cuts
    // to the same 1/64 pixel as the painter's device position does.
    void moveTo(double x, double y) {
        penX_ = x;
        penY_ = y;
        // An undefined position fails this test too, and is left to the
        // cutting path, which refuses it.
        penInside_ = x >= Margin && x <= xLimit_ && y >= Margin && y <= yLimit_;
        if (penInside_) {
            penSubX_ = toSub(x);
            penSubY_ = toSub(y);
        }
    }

    // Draws from the pen position to (x, y), where the pen then stays.
    // Returns false when it drew nothing because both ends lie in the same
    // 1/64 pixel inside the image or its margin.
    bool lineTo(double x, double y, std::uint32_t colour) {
        if (y == penY_ && penInside_ && x >= Margin && x <= xLimit_) {
            // Level, from and to inside: the row is the pen's.
            const int fromSubX = penSubX_;
            penX_ = x;
            penSubX_ = toSub(x);
            if (penSubX_ == fromSubX)
                return false;
            level(penSubY_, fromSubX, penSubX_, colour);
            return true;
        }
        const double fromX = penX_;
        const double fromY = penY_;
        const bool fromInside = penInside_;
        const int fromSubX = penSubX_;
        const int fromSubY = penSubY_;
        moveTo(x, y);
        if (!(fromInside && penInside_)) {
            clippedLine(fromX, fromY, x, y, colour);
            return true;
        }
        if (fromSubX == penSubX_ && fromSubY == penSubY_)
            return false;
        stroke(fromSubX, fromSubY, penSubX_, penSubY_, colour);
        return true;
    }

  private:
    // The painter cuts strokes one pixel beyond the image on every side.
    static constexpr double Margin = -64.0;

    // Cut toward zero, as the painter cuts its positions.
    static int toSub(double v) { return static_cast<int>(v); }

    // Every column from the one holding x1 to the one holding x2, both ends
    // included (the square caps reach half a pixel beyond each end), in the
    // row holding y.
    void level(int y, int x1, int x2, std::uint32_t colour) {
        horizontalRun(y >> 6, (x1 < x2 ? x1 : x2) >> 6, ((x1 < x2 ? x2 : x1) >> 6) + 1, colour);
    }

    void stroke(int x1, int y1, int x2, int y2, std::uint32_t colour) {
        if (y1 == y2) {
            // Ends in the same 1/64 pixel light nothing.
            if (x1 != x2)
                level(y1, x1, x2, colour);
        } else if ((x2 > x1 ? x2 - x1 : x1 - x2) < (y2 > y1 ? y2 - y1 : y1 - y2)) {
            steep(x1, y1, x2, y2, colour);
        } else {
            shallow(x1, y1, x2, y2, colour);
        }
    }

    // Columns from ... to - 1 of one row.
    void horizontalRun(int row, int from, int to, std::uint32_t colour) {
        if (row < 0 || row >= height_)
            return;
        overdraw(colour);
        if (from < 0)
            from = 0;
        if (to > width_)
            to = width_;
        std::uint32_t* pixels = bits_ + row * stride_;
        for (int column = from; column < to; ++column)
            pixels[column] = colour;
    }

    // Any pixel drawn in another colour may cover part of the last run.
    void overdraw(std::uint32_t colour) {
        if (colour != lastRun_.colour)
            lastRun_.column = -1;
    }

    void clippedLine(double x1, double y1, double x2, double y2, std::uint32_t colour);
    bool clip(double& x1, double& y1, double& x2, double& y2) const;
    void shallow(int x1, int y1, int x2, int y2, std::uint32_t colour);
    void steep(int x1, int y1, int x2, int y2, std::uint32_t colour);
    // Inline, in the one file that calls them: they are on the way of every
    // level change.
    inline void verticalRun(int column, int from, int to, std::uint32_t colour);
    inline int slope(int rise, int run);

    std::uint32_t* bits_ = nullptr;
    qsizetype stride_ = 0;
    int width_ = 0;
    int height_ = 0;
    double xLimit_ = Margin;
    double yLimit_ = Margin;

    double penX_ = 0.0;
    double penY_ = 0.0;
    bool penInside_ = false;
    int penSubX_ = 0;
    int penSubY_ = 0;

    // Rows from ... to - 1 of one column, all in one colour.
    struct Run {
        int column = -1;
        int from = 0;
        int to = 0;
        std::uint32_t colour = 0;
    };
    Run lastRun_;

    // Recent slopes by the sign and the two low bits of their rise: a
    // redraw's level changes have a handful of different slopes, and a
    // division costs as much as drawing the short stroke.
    struct Slope {
        int rise = 0;
        int run = 0;
        int value = 0;
    };
    Slope slopes_[8];
};

} // namespace tarvik
