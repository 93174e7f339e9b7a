#include "ImageSurface.h"
#include "PainterSurface.h"
#include "ProgramState.h"
#include "RecordingProgressBar.h"
#include "TraceRenderer.h"

#include <QTest>

#include <algorithm>
#include <array>
#include <cmath>
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

} // namespace

class PictureFidelityTest : public QObject {
    Q_OBJECT

  private slots:
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
