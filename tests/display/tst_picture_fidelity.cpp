#include "ImageSurface.h"
#include "PainterSurface.h"
#include "ProgramState.h"
#include "RecordingProgressBar.h"
#include "TraceRenderer.h"

#include <QTest>

#include <array>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <tuple>
#include <utility>

namespace tarvik {

namespace {

const QSize AreaSize(672, 529);
constexpr ColourValue Green = rgbColour(0, 192, 0);
constexpr ColourValue Red = rgbColour(255, 0, 0);
constexpr ColourValue Blue = rgbColour(0, 0, 255);

const char* const Captures[] = {"pattern", "toggle", "random"};

// The start-up test pattern; every line changing level at every sample; random bytes.
std::unique_ptr<ProgramState> makeCapture(int kind) {
    auto state = std::make_unique<ProgramState>();
    if (kind == 0) {
        FillTestPattern(*state);
        return state;
    }
    std::mt19937 random(20240607);
    for (std::int32_t i = 1; i <= SampleCount; ++i) {
        const auto word = kind == 1 ? (i % 2 != 0 ? 0x00FFU : 0xFF00U) : random();
        state->statusSamples[i] = static_cast<std::uint8_t>(word);
        state->dataSamples[i] = static_cast<std::uint8_t>(word >> 8);
    }
    return state;
}

// The pictures the fast and the plain surface make of the same drawing.
template <typename Draw> std::pair<QImage, QImage> drawBoth(qreal devicePixelRatio, Draw draw) {
    ImageSurface fast(AreaSize, devicePixelRatio, QPalette());
    PainterSurface plain(AreaSize, devicePixelRatio, QPalette());
    draw(static_cast<DrawingSurface&>(fast));
    draw(static_cast<DrawingSurface&>(plain));
    return {fast.image(), plain.image()};
}

void stroke(DrawingSurface& s, std::initializer_list<std::array<float, 4>> lines) {
    s.setForeColor(Green);
    for (const auto& [x1, y1, x2, y2] : lines)
        s.line(x1, y1, x2, y2);
}

// Strokes in one scenario lie apart, so that each one's pixels are compared.
const std::pair<const char*, void (*)(DrawingSurface&)> Scenarios[] = {
    {"level runs: across the area, one unit, over a column edge, leftwards",
     [](DrawingSurface& s) {
         stroke(s,
                {{1, 100, 10239, 100}, {5, 400, 6, 400}, {15, 900, 16, 900}, {6, 7400, 5, 7400}});
     }},
    {"level changes: rising, falling, over a column edge",
     [](DrawingSurface& s) {
         stroke(s, {{100, 400, 101, 100}, {100, 1100, 101, 1400}, {15, 100, 16, 400}});
     }},
    {"zero length, within one 1/64 pixel, ends 1e-13 apart at the origin",
     [](DrawingSurface& s) {
         stroke(s, {{1, 400, 1, 400}, {1000, 1000, 1000.1F, 1000}, {0, 0, 1e-13F, 0}});
     }},
    {"shallow, steep and leftward slopes",
     [](DrawingSurface& s) {
         stroke(s, {{100, 100, 9000, 2000}, {100, 100, 900, 7000}, {9000, 7000, 200, 300}});
     }},
    {"leaving the left and bottom edges, crossing from outside",
     [](DrawingSurface& s) {
         stroke(s, {{500, 1000, -800, 3000}, {5000, 7000, 6000, 9000}, {-1000, -500, 11000, 8600}});
     }},
    {"outside, along the right and bottom edges, far beyond",
     [](DrawingSurface& s) {
         stroke(s, {{-100, -100, -50, 9000},
                    {10240, 0, 10240, 8000},
                    {0, 8000, 10240, 8000},
                    {-1e30F, 4000, 1e30F, 4000}});
     }},
    {"points",
     [](DrawingSurface& s) {
         const float points[][2] = {{0, 0},        {7.62F, 7.56F}, {10239.9F, 7999.9F},
                                    {10240, 8000}, {-5, -5},       {5000.5F, 3000.25F},
                                    {10177, 7400}};
         for (const auto& p : points)
             s.setPoint(p[0], p[1], Blue);
     }},
    // A level change repeats the pixels of the one before it in the same
    // column; it must not be skipped once something else was drawn there.
    {"level change again after a point of another colour on it",
     [](DrawingSurface& s) {
         stroke(s, {{100, 100, 101, 400}});
         s.setPoint(97, 250, Blue);
         s.lineTo(102, 100);
     }},
    {"level change again in another pen colour",
     [](DrawingSurface& s) {
         stroke(s, {{100, 100, 101, 400}});
         s.setForeColor(Red);
         s.lineTo(102, 100);
     }},
    {"level change again after a stroke of another colour across it",
     [](DrawingSurface& s) {
         stroke(s, {{100, 100, 101, 400}});
         s.setForeColor(Red);
         s.line(0, 250, 300, 250);
         stroke(s, {{101, 400, 102, 100}});
     }},
    {"drawing on from the current position after a clear",
     [](DrawingSurface& s) {
         stroke(s, {{300, 300, 400, 500}});
         s.setBackColor(rgbColour(20, 30, 40));
         s.clear();
         s.lineTo(2000, 600);
     }},
};

} // namespace

class PictureFidelityTest : public QObject {
    Q_OBJECT

  private slots:
    void strokes_data() {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<qreal>("devicePixelRatio");
        for (const qreal ratio : {1.0, 1.5, 2.0})
            for (std::size_t i = 0; i < std::size(Scenarios); ++i)
                QTest::addRow("%s, ratio %g", Scenarios[i].first, ratio)
                    << static_cast<int>(i) << ratio;
    }

    // Both surfaces light the same pixels in the same colours.
    void strokes() {
        QFETCH(int, scenario);
        QFETCH(qreal, devicePixelRatio);
        const auto [fast, plain] =
            drawBoth(devicePixelRatio, Scenarios[static_cast<std::size_t>(scenario)].second);
        QCOMPARE(fast, plain);
    }

    // Positions that are no numbers at all draw nothing, and nothing outside
    // the image is touched.
    void undefinedPositions() {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        ImageSurface surface(AreaSize, 1.0, QPalette());
        const QImage blank = surface.image().copy();
        surface.setForeColor(Green);
        surface.line(nan, 100, 200, 100);
        surface.line(100, 100, 200, nan);
        surface.line(-inf, 100, inf, 100);
        surface.lineTo(300, 300);
        surface.setPoint(nan, nan, Blue);
        surface.setPoint(inf, 100, Blue);
        QCOMPARE(surface.image(), blank);
    }

    void captures_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<float>("zoom");
        QTest::addColumn<float>("viewStart");
        QTest::addColumn<qreal>("devicePixelRatio");
        const std::tuple<const char*, float, float> views[] = {
            {"start-up view", 1.0F / 16, 1.0F},
            {"a sample per unit", 1.0F, 1.0F},
            {"finest zoom at the end", 1.0F / 512, 2047980.0F},
            {"coarsest zoom", 64.0F, 1000001.0F}};
        for (const qreal ratio : {1.0, 2.0})
            for (int kind = 0; kind < 3; ++kind)
                for (const auto& [viewName, zoom, viewStart] : views)
                    QTest::addRow("%s, %s, ratio %g", Captures[kind], viewName, ratio)
                        << kind << zoom << viewStart << ratio;
    }

    // The renderer's pictures of the three captures, through both surfaces,
    // are the same pixel for pixel.
    void captures() {
        QFETCH(int, kind);
        QFETCH(float, zoom);
        QFETCH(float, viewStart);
        QFETCH(qreal, devicePixelRatio);
        const auto state = makeCapture(kind);
        state->zoomFactor = zoom;
        state->viewStart = viewStart;
        RecordingProgressBar progress;
        const auto [fast, plain] = drawBoth(devicePixelRatio, [&](DrawingSurface& surface) {
            DrawTraces(*state, {rgbColour(0, 0, 0), Green, Blue},
                       {surface, progress, [](const QString&) {}});
        });
        QCOMPARE(fast, plain);
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::PictureFidelityTest)
#include "tst_picture_fidelity.moc"
