#pragma once

#include "Colour.h"
#include "DrawingSurface.h"
#include "ProgramState.h"
#include "ProgressBar.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace tarvik {

// The three drawing colours, as the swatches hold them.
struct TraceColours {
    ColourValue back; // trace-area background
    ColourValue line; // trace pen
    ColourValue nul;  // zero-level dots
};

// Where a redraw puts its results.
struct TraceTargets {
    DrawingSurface& picture;
    ProgressBar& progress;
    std::function<void(const QString&)> setZoomCaption;
};

// Sample index drawn at x: viewStart + x * zoomFactor, summed in single
// precision and rounded to the nearest integer with ties to even.
std::int32_t SampleIndexAt(float viewStart, float zoomFactor, std::int32_t x);

// " / 16", " * 2" and so on: the zoom label's text for a zoom factor.
QString ZoomCaption(float zoomFactor);

// Repaints the whole trace area for the current view, sets the progress bar
// to the view's position and writes the zoom label.
void DrawTraces(const ProgramState& state, const TraceColours& colours,
                const TraceTargets& targets);

} // namespace tarvik
