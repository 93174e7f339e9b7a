#include "RecordingProgressBar.h"
#include "RecordingSurface.h"
#include "TraceRenderer.h"

#include <QTest>

#include <algorithm>
#include <memory>

namespace tarvik {

namespace {

constexpr TraceColours Colours{rgbColour(1, 2, 3), rgbColour(0, 192, 0), rgbColour(0, 0, 255)};

struct Redraw {
    RecordingSurface surface;
    RecordingProgressBar progress;
    QString caption;

    explicit Redraw(const ProgramState& state) {
        DrawTraces(state, Colours,
                   {surface, progress, [this](const QString& text) { caption = text; }});
    }

    // Level drawn for trace t (0 ... 12) at x, read from the segment ending there.
    // The zero-length start of a trace ends at x = 1 as every later segment ends at its x.
    float levelAt(int trace, int x) const { return stroke(trace, x).y2; }

    // The strokes of one trace: its zero-length start, then one per x = 2 ... 10239.
    const RecordingSurface::Stroke& stroke(int trace, int x) const {
        return surface.strokes.at(static_cast<std::size_t>(trace * 10239 + x - 1));
    }
};

std::unique_ptr<ProgramState> stateWith(std::uint8_t status, std::uint8_t data) {
    auto state = std::make_unique<ProgramState>();
    std::fill_n(state->statusSamples.data() + 1, SampleCount, status);
    std::fill_n(state->dataSamples.data() + 1, SampleCount, data);
    ResetView(*state);
    return state;
}

constexpr float highLevel(int trace) {
    return trace < 5 ? 100.0F + 500.0F * trace : 3600.0F + 500.0F * (trace - 5);
}

} // namespace

class TraceRendererTest : public QObject {
    Q_OBJECT

  private slots:
    void sampleIndex_data() {
        QTest::addColumn<float>("viewStart");
        QTest::addColumn<float>("zoom");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("index");
        QTest::newRow("1/16 x2 reads 1.125 as 1") << 1.0F << 0.0625F << 2 << 1;
        QTest::newRow("1/16 x8 rounds 1.5 up to 2") << 1.0F << 0.0625F << 8 << 2;
        QTest::newRow("1/16 x24 rounds 2.5 down to 2") << 1.0F << 0.0625F << 24 << 2;
        QTest::newRow("1/16 x40 rounds 3.5 up to 4") << 1.0F << 0.0625F << 40 << 4;
        QTest::newRow("single-precision sum near the end")
            << 2047360.0F << 1.0F / 512 << 257 << 2047360;
        QTest::newRow("zoom 64 x2") << 1.0F << 64.0F << 2 << 129;
        QTest::newRow("zoom 64 last x") << 1.0F << 64.0F << 10239 << 655297;
        QTest::newRow("1/16 at the upper limit") << 2047360.0F << 0.0625F << 10239 << 2048000;
        QTest::newRow("64 at the upper limit") << 1392640.0F << 64.0F << 10239 << 2047936;
        QTest::newRow("1/512 at the upper limit") << 2047980.0F << 1.0F / 512 << 10239 << 2048000;
    }

    void sampleIndex() {
        QFETCH(float, viewStart);
        QFETCH(float, zoom);
        QFETCH(int, x);
        QFETCH(int, index);
        QCOMPARE(SampleIndexAt(viewStart, zoom, x), index);
    }

    // The order of a redraw: the progress bar, the background, the dots, then
    // each trace's black zero-length stroke before its pen-coloured segments.
    void redrawOrderAndCounts() {
        auto state = stateWith(0, 0);
        state->viewStart = 321.0F;
        const Redraw redraw(*state);

        QCOMPARE(redraw.progress.calls, (QList<QString>{"max 2048000", "min 1", "value 321"}));
        QCOMPARE(redraw.caption, QStringLiteral(" / 16"));
        const QList<QString>& operations = redraw.surface.operations;
        QCOMPARE(operations.mid(0, 2),
                 (QList<QString>{QStringLiteral("back %1").arg(Colours.back), "clear"}));
        constexpr int Dots = 2080;
        QCOMPARE(operations.mid(2, Dots), QList<QString>(Dots, QStringLiteral("point")));
        QCOMPARE(operations.size(), 2 + Dots + 13 * 3);
        for (int trace = 0; trace < 13; ++trace) {
            const float low = highLevel(trace) + 300;
            QCOMPARE(operations.mid(2 + Dots + trace * 3, 3),
                     (QList<QString>{"pen 0", QStringLiteral("line 1,%1 1,%1").arg(low),
                                     QStringLiteral("pen %1").arg(Colours.line)}));
        }
        QCOMPARE(redraw.surface.strokes.size(), std::size_t{13 * 10239});
        for (int trace = 0; trace < 13; ++trace) {
            QCOMPARE(redraw.stroke(trace, 1).pen, 0);
            for (int x = 2; x <= 10239; ++x) {
                const auto& s = redraw.stroke(trace, x);
                if (s.x1 != float(x - 1) || s.x2 != float(x) || s.pen != Colours.line)
                    QFAIL(qPrintable(QStringLiteral("trace %1 x %2").arg(trace).arg(x)));
            }
        }
    }

    void zeroLevelDots() {
        auto state = stateWith(0, 0);
        const Redraw redraw(*state);
        const auto& points = redraw.surface.points;
        QCOMPARE(points.size(), std::size_t{2080});
        const float rows[] = {400,  900,  1400, 1900, 2400, 3900, 4400,
                              4900, 5400, 5900, 6400, 6900, 7400};
        for (std::size_t i = 0; i < points.size(); ++i) {
            QCOMPARE(points[i].x, float(1 + 64 * (i / 13)));
            QCOMPARE(points[i].y, rows[i % 13]);
            QCOMPARE(points[i].colour, Colours.nul);
        }
        QCOMPARE(points.back().x, 10177.0F);
    }

    // Which bit each trace shows: status bits 7 ... 3, then data bits 7 ... 0.
    void traceBits() {
        auto state = stateWith(0b1010'1000, 0b1010'0101);
        const Redraw redraw(*state);
        const bool high[13] = {true, false, true, false, true,                      // status
                               true, false, true, false, false, true, false, true}; // data
        for (int trace = 0; trace < 13; ++trace) {
            const float expected = highLevel(trace) + (high[trace] ? 0 : 300);
            for (int x : {1, 2, 5000, 10239})
                QCOMPARE(redraw.levelAt(trace, x), expected);
        }
    }

    void testPatternRunsOf32Units() {
        auto state = std::make_unique<ProgramState>();
        FillTestPattern(*state);
        ResetView(*state);
        const Redraw redraw(*state);
        for (int trace = 0; trace < 13; ++trace) {
            for (int x = 1; x <= 10239; ++x) {
                // High for x = 1 ... 24, then alternating runs of 32 units.
                const bool high = x <= 24 || ((x - 25) / 32) % 2 == 1;
                if (redraw.levelAt(trace, x) != highLevel(trace) + (high ? 0 : 300))
                    QFAIL(qPrintable(QStringLiteral("trace %1 x %2").arg(trace).arg(x)));
            }
        }
    }

    // A view beyond the limits must not read outside the buffers: indices past
    // the end read as 0 (the sanitizer build proves no read strays).
    void viewBeyondLimitsStaysInBuffers() {
        auto state = stateWith(0xFF, 0xFF);
        state->zoomFactor = 64.0F;
        state->viewStart = 2040000.0F;
        const Redraw redraw(*state);
        QCOMPARE(redraw.levelAt(0, 2), 100.0F);     // sample 2,040,128
        QCOMPARE(redraw.levelAt(0, 10239), 400.0F); // far beyond the end
        QCOMPARE(redraw.levelAt(12, 10239), 7400.0F);
    }
};

} // namespace tarvik

QTEST_APPLESS_MAIN(tarvik::TraceRendererTest)
#include "tst_trace_renderer.moc"
