#include "Navigation.h"

#include "DrawingSurface.h"

#include <cmath>

namespace tarvik {

namespace {

constexpr float MinZoom = 1.0F / 512.0F;
constexpr float MaxZoom = 64.0F;
constexpr float ZoomShift = DrawingSurface::Width / 4.0F;
constexpr float PageSpan = DrawingSurface::Width / 2.0F;

// Page step in whole samples, rounded to the nearest integer with ties to even.
float pageStep(float zoomFactor) {
    return static_cast<float>(std::lrint(zoomFactor * PageSpan));
}

} // namespace

float ViewStartLimit(float zoomFactor) {
    return static_cast<float>(SampleCount) - zoomFactor * DrawingSurface::Width;
}

void ZoomIn(ProgramState& state) {
    state.viewStart = state.viewStart + state.zoomFactor * ZoomShift;
    state.zoomFactor = state.zoomFactor / 2.0F;
    if (state.zoomFactor < MinZoom)
        state.zoomFactor = MinZoom;
    const float limit = ViewStartLimit(state.zoomFactor);
    if (state.viewStart > limit)
        state.viewStart = limit;
}

void ZoomOut(ProgramState& state) {
    state.zoomFactor = state.zoomFactor * 2.0F;
    if (state.zoomFactor > MaxZoom)
        state.zoomFactor = MaxZoom;
    state.viewStart = state.viewStart - state.zoomFactor * ZoomShift;
    if (state.viewStart < 1.0F)
        state.viewStart = 1.0F;
    const float limit = ViewStartLimit(state.zoomFactor);
    if (state.viewStart > limit)
        state.viewStart = limit;
}

void PreviousPage(ProgramState& state) {
    state.viewStart = state.viewStart - pageStep(state.zoomFactor);
    if (state.viewStart < 1.0F)
        state.viewStart = 1.0F;
}

void NextPage(ProgramState& state) {
    state.viewStart = state.viewStart + pageStep(state.zoomFactor);
    const float limit = ViewStartLimit(state.zoomFactor);
    if (state.viewStart > limit)
        state.viewStart = limit;
}

} // namespace tarvik
