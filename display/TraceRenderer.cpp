#include "TraceRenderer.h"

#include <cmath>

namespace tarvik {

namespace {

constexpr std::int32_t LastX = 10239;
constexpr std::int32_t DotStep = 64;
constexpr float LevelHeight = 300.0F;
constexpr float TraceSpacing = 500.0F;
constexpr float FirstStatusY = 100.0F;
constexpr float LastStatusY = 2100.0F;
constexpr float FirstDataY = 3600.0F;
constexpr float LastDataY = 7100.0F;

// s rounded to the nearest integer, ties to even. Below 2^23 the sum with
// 2^23 has no fraction bits left, so the addition rounds exactly as lrint
// does; that keeps a library call out of the 133,000 index computations of a
// redraw.
std::int32_t nearestInteger(float s) {
    constexpr float NoFraction = 8388608.0F;
    if (s >= 0.0F && s < NoFraction)
        return static_cast<std::int32_t>((s + NoFraction) - NoFraction);
    return static_cast<std::int32_t>(std::lrint(s));
}

std::int32_t indexAt(float viewStart, float zoomFactor, std::int32_t x) {
    const float p = static_cast<float>(x) * zoomFactor;
    const float s = viewStart + p;
    return nearestInteger(s);
}

// An index outside the buffers reads as 0, like the unused index 0: the view
// limits keep every index in range, and a read must never leave the buffers.
std::uint8_t sampleAt(const SampleBuffer& buffer, std::int32_t index) {
    return index >= 0 && index <= SampleCount ? buffer[index] : 0;
}

void drawTrace(DrawingSurface& picture, const SampleBuffer& buffer, std::uint8_t mask, float high,
               float viewStart, float zoomFactor, ColourValue pen) {
    const float low = high + LevelHeight;
    const auto isHigh = [&](std::int32_t index) { return (sampleAt(buffer, index) & mask) != 0; };

    // A zero-length black stroke only places the current position at x = 1.
    picture.setForeColor(0);
    const float start = isHigh(nearestInteger(viewStart)) ? high : low;
    picture.line(1.0F, start, 1.0F, start);
    picture.setForeColor(pen);

    // Each unit's sample is read a step ahead of its stroke: the read then
    // overlaps the drawing call before it, and when the samples are irregular
    // the choice of level no longer holds up the stroke.
    bool nextHigh = isHigh(indexAt(viewStart, zoomFactor, 2));
    for (std::int32_t x = 2; x <= LastX; ++x) {
        const bool highHere = nextHigh;
        if (x < LastX)
            nextHigh = isHigh(indexAt(viewStart, zoomFactor, x + 1));
        picture.lineTo(static_cast<float>(x), highHere ? high : low);
    }
}

void drawDots(DrawingSurface& picture, ColourValue colour) {
    for (std::int32_t x = 1; x <= LastX + 1; x += DotStep) {
        const auto fx = static_cast<float>(x);
        for (float y = FirstStatusY + LevelHeight; y <= LastStatusY + LevelHeight;
             y += TraceSpacing)
            picture.setPoint(fx, y, colour);
        for (float y = FirstDataY + LevelHeight; y <= LastDataY + LevelHeight; y += TraceSpacing)
            picture.setPoint(fx, y, colour);
    }
}

} // namespace

std::int32_t SampleIndexAt(float viewStart, float zoomFactor, std::int32_t x) {
    return indexAt(viewStart, zoomFactor, x);
}

QString ZoomCaption(float zoomFactor) {
    if (zoomFactor > 0.99F)
        return QStringLiteral(" * ") + QString::number(zoomFactor, 'g', 7);
    const float reciprocal = 1.0F / zoomFactor;
    return QStringLiteral(" / ") + QString::number(reciprocal, 'g', 7);
}

void DrawTraces(const ProgramState& state, const TraceColours& colours,
                const TraceTargets& targets) {
    targets.progress.setMax(static_cast<float>(SampleCount));
    targets.progress.setMin(1.0F);
    targets.progress.setValue(state.viewStart);

    DrawingSurface& picture = targets.picture;
    picture.setBackColor(colours.back);
    picture.clear();
    drawDots(picture, colours.nul);

    std::uint8_t mask = 128;
    for (float y = FirstStatusY; y <= LastStatusY; y += TraceSpacing, mask >>= 1)
        drawTrace(picture, state.statusSamples, mask, y, state.viewStart, state.zoomFactor,
                  colours.line);
    mask = 128;
    for (float y = FirstDataY; y <= LastDataY; y += TraceSpacing, mask >>= 1)
        drawTrace(picture, state.dataSamples, mask, y, state.viewStart, state.zoomFactor,
                  colours.line);

    targets.setZoomCaption(ZoomCaption(state.zoomFactor));
}

} // namespace tarvik
