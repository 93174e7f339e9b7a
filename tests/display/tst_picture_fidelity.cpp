#include "ImageSurface.h"
#include "PainterSurface.h"
#include "ProgramState.h"
#include "RecordingProgressBar.h"
#include "TraceRenderer.h"

#include <QTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <random>

namespace {

const QSize AreaSize(672, 529);
constexpr TraceColours Colours{rgbColour(0, 0, 0), rgbColour(0, 192, 0), rgbColour(0, 0, 255)};
constexpr int TraceCount = 13;

constexpr float highLevel(int trace) {
    return trace < 5 ? 100.0F + 500.0F * static_cast<float>(trace)
                     : 3600.0F + 500.0F * static_cast<float>(trace - 5);
}

enum class Capture { Pattern, Toggle, Random };

// The three captures, each made once for the whole run.
ProgramState& capture(Capture kind) {
    static std::array<std::unique_ptr<ProgramState>, 3> made;
    auto& state = made.at(static_cast<std::size_t>(kind));
    if (state)
        return *state;
    state = std::make_unique<ProgramState>();
    switch (kind) {
    case Capture::Pattern:
        FillTestPattern(*state);
        break;
    case Capture::Toggle:
        for (std::int32_t i = 1; i <= SampleCount; ++i) {
            state->statusSamples[i] = i % 2 != 0 ? 0xFF : 0x00;
            state->dataSamples[i] = i % 2 != 0 ? 0x00 : 0xFF;
        }
        break;
    case Capture::Random: {
        std::mt19937 random(20240607);
        for (std::int32_t i = 1; i <= SampleCount; ++i) {
            const auto word = random();
            state->statusSamples[i] = static_cast<std::uint8_t>(word);
            state->dataSamples[i] = static_cast<std::uint8_t>(word >> 8);
        }
        break;
    }
    }
    return *state;
}

struct Pictures {
    QImage fast;
    QImage plain;
};

template <typename Draw> Pictures drawBoth(qreal devicePixelRatio, Draw draw) {
    ImageSurface fast(AreaSize, devicePixelRatio, QPalette());
    PainterSurface plain(AreaSize, devicePixelRatio, QPalette());
    draw(static_cast<DrawingSurface&>(fast));
    draw(static_cast<DrawingSurface&>(plain));
    return {fast.image(), plain.image()};
}

Pictures redrawBoth(const ProgramState& state, qreal devicePixelRatio) {
    RecordingProgressBar progress;
    return drawBoth(devicePixelRatio, [&](DrawingSurface& surface) {
        RedrawTraces(state, Colours, {surface, progress, [](const QString&) {}});
    });
}

std::optional<QPoint> firstDifference(const QImage& a, const QImage& b) {
    if (a == b)
        return std::nullopt;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QPoint(x, y);
    return std::nullopt;
}

QString describePixel(const QImage& image, QPoint p) {
    return QStringLiteral("%1 at (%2, %3)")
        .arg(image.pixel(p), 8, 16, QLatin1Char('0'))
        .arg(p.x())
        .arg(p.y());
}

// What one pixel column of one trace shows: whether the high and the low
// level rows are lit in the pen colour, and the rows between them that are.
QString describeColumn(const QImage& image, int trace, int column) {
    const double scale = image.height() / 8000.0;
    const int high = static_cast<int>(std::floor(highLevel(trace) * scale));
    const int low = static_cast<int>(std::floor((highLevel(trace) + 300.0F) * scale));
    const QRgb pen = qRgb(0, 192, 0);
    int first = -1;
    int last = -1;
    for (int row = high + 1; row < low; ++row) {
        if (image.pixel(column, row) != pen)
            continue;
        if (first < 0)
            first = row;
        last = row;
    }
    return QStringLiteral("high %1, low %2, between %3")
        .arg(image.pixel(column, high) == pen ? "lit" : "dark",
             image.pixel(column, low) == pen ? "lit" : "dark",
             first < 0 ? QStringLiteral("none") : QStringLiteral("%1..%2").arg(first).arg(last));
}

// The trace whose band (high level to low level, with a pixel either side)
// holds a device row, or -1.
int traceAtRow(const QImage& image, int row) {
    const double scale = image.height() / 8000.0;
    for (int trace = 0; trace < TraceCount; ++trace) {
        const int high = static_cast<int>(std::floor(highLevel(trace) * scale));
        const int low = static_cast<int>(std::floor((highLevel(trace) + 300.0F) * scale));
        if (row >= high - 1 && row <= low + 1)
            return trace;
    }
    return -1;
}

constexpr ColourValue Green = rgbColour(0, 192, 0);
constexpr ColourValue Red = rgbColour(255, 0, 0);
constexpr ColourValue Blue = rgbColour(0, 0, 255);

void stroke(DrawingSurface& surface, float x1, float y1, float x2, float y2) {
    surface.setForeColor(Green);
    surface.line(x1, y1, x2, y2);
}

// Strokes of every kind and length, short level and steep ones like the
// renderer's among them, in a few colours that overlap here and there.
void scatteredStrokes(DrawingSurface& surface) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> across(-600.0F, 10840.0F);
    std::uniform_real_distribution<float> down(-600.0F, 8600.0F);
    std::uniform_int_distribution<int> pick(0, 5);
    const std::array<ColourValue, 3> colours{Green, Red, Blue};
    for (int i = 0; i < 600; ++i) {
        surface.setForeColor(colours.at(static_cast<std::size_t>(pick(random) % 3)));
        const float x = across(random);
        const float y = down(random);
        switch (pick(random)) {
        case 0:
            surface.line(x, y, x + 1.0F, y);
            break;
        case 1:
            surface.line(x, y, x + 1.0F, y + 300.0F);
            break;
        case 2:
            surface.line(x, y, x + 1.0F, y - 300.0F);
            break;
        case 3:
            surface.lineTo(x, y);
            break;
        default:
            surface.line(x, y, across(random), down(random));
            break;
        }
    }
}

struct Scenario {
    const char* name;
    void (*draw)(DrawingSurface&);
};

const Scenario Scenarios[] = {
    {"level run across the area", [](DrawingSurface& s) { stroke(s, 1, 100, 10239, 100); }},
    {"one-unit level stroke", [](DrawingSurface& s) { stroke(s, 5, 400, 6, 400); }},
    {"one-unit level stroke over a column edge",
     [](DrawingSurface& s) { stroke(s, 15, 900, 16, 900); }},
    {"level stroke drawn leftwards", [](DrawingSurface& s) { stroke(s, 6, 7400, 5, 7400); }},
    {"rising level change", [](DrawingSurface& s) { stroke(s, 100, 400, 101, 100); }},
    {"falling level change", [](DrawingSurface& s) { stroke(s, 100, 100, 101, 400); }},
    {"level change over a column edge", [](DrawingSurface& s) { stroke(s, 15, 100, 16, 400); }},
    {"zero-length stroke", [](DrawingSurface& s) { stroke(s, 1, 400, 1, 400); }},
    {"stroke within one 1/64 pixel",
     [](DrawingSurface& s) { stroke(s, 1000, 1000, 1000.1F, 1000); }},
    {"ends 1e-13 apart at the origin", [](DrawingSurface& s) { stroke(s, 0, 0, 1e-13F, 0); }},
    {"shallow slope", [](DrawingSurface& s) { stroke(s, 100, 100, 9000, 2000); }},
    {"steep slope", [](DrawingSurface& s) { stroke(s, 100, 100, 900, 7000); }},
    {"slope up and to the left", [](DrawingSurface& s) { stroke(s, 9000, 7000, 200, 300); }},
    {"leaving the left edge", [](DrawingSurface& s) { stroke(s, 500, 1000, -800, 3000); }},
    {"leaving the bottom edge", [](DrawingSurface& s) { stroke(s, 5000, 7000, 6000, 9000); }},
    {"across the area from outside",
     [](DrawingSurface& s) { stroke(s, -1000, -500, 11000, 8600); }},
    {"outside the area", [](DrawingSurface& s) { stroke(s, -100, -100, -50, 9000); }},
    {"along the right edge", [](DrawingSurface& s) { stroke(s, 10240, 0, 10240, 8000); }},
    {"along the bottom edge", [](DrawingSurface& s) { stroke(s, 0, 8000, 10240, 8000); }},
    {"far beyond the area", [](DrawingSurface& s) { stroke(s, -1e30F, 4000, 1e30F, 4000); }},
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
         stroke(s, 100, 100, 101, 400);
         s.setPoint(97, 250, Blue);
         s.lineTo(102, 100);
     }},
    {"level change again in another pen colour",
     [](DrawingSurface& s) {
         stroke(s, 100, 100, 101, 400);
         s.setForeColor(Red);
         s.lineTo(102, 100);
     }},
    {"level change again after a stroke of another colour across it",
     [](DrawingSurface& s) {
         stroke(s, 100, 100, 101, 400);
         s.setForeColor(Red);
         s.line(0, 250, 300, 250);
         s.setForeColor(Green);
         s.line(101, 400, 102, 100);
     }},
    {"drawing on from the current position after a clear",
     [](DrawingSurface& s) {
         stroke(s, 300, 300, 400, 500);
         s.setBackColor(rgbColour(20, 30, 40));
         s.clear();
         s.lineTo(2000, 600);
     }},
    {"scattered strokes", scatteredStrokes},
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
                QTest::addRow("%s, ratio %g", Scenarios[i].name, ratio)
                    << static_cast<int>(i) << ratio;
    }

    // Both surfaces light the same pixels in the same colours.
    void strokes() {
        QFETCH(int, scenario);
        QFETCH(qreal, devicePixelRatio);
        const Pictures pictures =
            drawBoth(devicePixelRatio, Scenarios[static_cast<std::size_t>(scenario)].draw);
        if (const auto p = firstDifference(pictures.fast, pictures.plain))
            QFAIL(qPrintable(
                QStringLiteral("fast %1, plain %2")
                    .arg(describePixel(pictures.fast, *p), describePixel(pictures.plain, *p))));
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
        const std::array<std::pair<const char*, Capture>, 3> kinds{{
            {"pattern", Capture::Pattern},
            {"toggle", Capture::Toggle},
            {"random", Capture::Random},
        }};
        struct View {
            const char* name;
            float zoom;
            float viewStart;
        };
        const std::array<View, 4> views{{
            {"start-up view", 1.0F / 16, 1.0F},
            {"a sample per unit", 1.0F, 1.0F},
            {"finest zoom at the end", 1.0F / 512, 2047980.0F},
            {"coarsest zoom", 64.0F, 1000001.0F},
        }};
        for (const qreal ratio : {1.0, 2.0})
            for (const auto& [kindName, kind] : kinds)
                for (const View& view : views)
                    QTest::addRow("%s, %s, ratio %g", kindName, view.name, ratio)
                        << static_cast<int>(kind) << view.zoom << view.viewStart << ratio;
    }

    // The renderer's pictures of the three captures, through both surfaces,
    // are the same pixel for pixel. Where they differ, the message says which
    // trace and pixel column, and what each picture shows there.
    void captures() {
        QFETCH(int, kind);
        QFETCH(float, zoom);
        QFETCH(float, viewStart);
        QFETCH(qreal, devicePixelRatio);
        ProgramState& state = capture(static_cast<Capture>(kind));
        state.zoomFactor = zoom;
        state.viewStart = viewStart;
        const Pictures pictures = redrawBoth(state, devicePixelRatio);

        QCOMPARE(pictures.fast.size(), AreaSize * devicePixelRatio);
        QCOMPARE(pictures.fast.devicePixelRatio(), devicePixelRatio);
        if (const auto p = firstDifference(pictures.fast, pictures.plain)) {
            const int trace = traceAtRow(pictures.fast, p->y());
            QString detail;
            if (trace >= 0)
                detail = QStringLiteral("; trace %1, column %2 shows %3 in the fast picture and "
                                        "%4 in the plain one")
                             .arg(trace + 1)
                             .arg(p->x())
                             .arg(describeColumn(pictures.fast, trace, p->x()),
                                  describeColumn(pictures.plain, trace, p->x()));
            QFAIL(qPrintable(QStringLiteral("fast %1, plain %2%3")
                                 .arg(describePixel(pictures.fast, *p),
                                      describePixel(pictures.plain, *p), detail)));
        }
    }
};

QTEST_MAIN(PictureFidelityTest)
#include "tst_picture_fidelity.moc"
