#pragma once

#include "Colour.h"

namespace tarvik {

// The trace area as the renderer draws on it, in the area's own units:
// 10,240 across and 8,000 down, origin at the top left.
class DrawingSurface {
  public:
    static constexpr float Width = 10240.0F;
    static constexpr float Height = 8000.0F;

    virtual ~DrawingSurface() = default;
    virtual void setBackColor(ColourValue colour) = 0;
    // Fills the whole area with the background colour.
    virtual void clear() = 0;
    virtual void setForeColor(ColourValue colour) = 0;
    virtual void setPoint(float x, float y, ColourValue colour) = 0;
    // Draws in the pen colour; (x2, y2) becomes the current position.
    virtual void line(float x1, float y1, float x2, float y2) = 0;
    // Draws from the current position in the pen colour; (x2, y2) becomes it.
    virtual void lineTo(float x2, float y2) = 0;
};

} // namespace tarvik
