#include "Navigation.h"
#include "TraceRenderer.h"

#include <QTest>

#include <cmath>
#include <memory>
#include <random>

namespace tarvik {

namespace {

struct View {
    float zoom;
    float start;
};

View viewOf(const ProgramState& state) {
    return {state.zoomFactor, state.viewStart};
}

} // namespace

class NavigationTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramState> state_ = std::make_unique<ProgramState>();

    void setView(float zoom, float start) {
        state_->zoomFactor = zoom;
        state_->viewStart = start;
    }

  private slots:
    void init() { ResetView(*state_); }

    void zoomLevels_data() {
        QTest::addColumn<float>("zoom");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<float>("pageStep");
        QTest::addColumn<float>("zoomInShift");
        QTest::addColumn<float>("upperLimit");
        const struct {
            const char* name;
            float zoom;
            const char* caption;
            float page, shift, limit;
        } levels[] = {
            {"1/512", 1.0F / 512, " / 512", 10, 5, 2047980},
            {"1/256", 1.0F / 256, " / 256", 20, 10, 2047960},
            {"1/128", 1.0F / 128, " / 128", 40, 20, 2047920},
            {"1/64", 1.0F / 64, " / 64", 80, 40, 2047840},
            {"1/32", 1.0F / 32, " / 32", 160, 80, 2047680},
            {"1/16", 1.0F / 16, " / 16", 320, 160, 2047360},
            {"1/8", 1.0F / 8, " / 8", 640, 320, 2046720},
            {"1/4", 1.0F / 4, " / 4", 1280, 640, 2045440},
            {"1/2", 1.0F / 2, " / 2", 2560, 1280, 2042880},
            {"1", 1, " * 1", 5120, 2560, 2037760},
            {"2", 2, " * 2", 10240, 5120, 2027520},
            {"4", 4, " * 4", 20480, 10240, 2007040},
            {"8", 8, " * 8", 40960, 20480, 1966080},
            {"16", 16, " * 16", 81920, 40960, 1884160},
            {"32", 32, " * 32", 163840, 81920, 1720320},
            {"64", 64, " * 64", 327680, 163840, 1392640},
        };
        for (const auto& l : levels)
            QTest::newRow(l.name) << l.zoom << QString::fromLatin1(l.caption) << l.page << l.shift
                                  << l.limit;
    }

    void zoomLevels() {
        QFETCH(float, zoom);
        QFETCH(QString, caption);
        QFETCH(float, pageStep);
        QFETCH(float, zoomInShift);
        QFETCH(float, upperLimit);

        QCOMPARE(ZoomCaption(zoom), caption);
        QCOMPARE(ViewStartLimit(zoom), upperLimit);

        setView(zoom, 100000);
        NextPage(*state_);
        QCOMPARE(state_->viewStart, 100000 + pageStep);
        PreviousPage(*state_);
        QCOMPARE(state_->viewStart, 100000.0F);

        ZoomIn(*state_);
        QCOMPARE(state_->viewStart, 100000 + zoomInShift);
        QCOMPARE(state_->zoomFactor, std::max(zoom / 2, 1.0F / 512));

        // At the upper limit the last sample drawn is within one step of the end.
        QCOMPARE(SampleIndexAt(upperLimit, zoom, 10239), SampleCount - int(std::lrint(zoom)));

        // Paging back from the end stops at sample 1, also where whole pages
        // from the end would land on 0 (at 1/16, 6,398 of them).
        const double page = zoom * 10240 / 2;
        const auto presses = int(std::ceil((SampleCount - zoom * 10240 - 1) / page));
        setView(zoom, upperLimit);
        for (int press = 1; press < presses; ++press)
            PreviousPage(*state_);
        QCOMPARE(state_->viewStart, float(upperLimit - (presses - 1) * page));
        PreviousPage(*state_);
        QCOMPARE(state_->viewStart, 1.0F);
    }

    void workedSequenceFromStartUp() {
        NextPage(*state_);
        QCOMPARE(state_->viewStart, 321.0F);
        ZoomIn(*state_);
        QCOMPARE(state_->viewStart, 481.0F);
        QCOMPARE(state_->zoomFactor, 1.0F / 32);
        ZoomOut(*state_);
        QCOMPARE(state_->zoomFactor, 1.0F / 16);
        QCOMPARE(state_->viewStart, 321.0F);
        PreviousPage(*state_);
        QCOMPARE(state_->viewStart, 1.0F);
        PreviousPage(*state_);
        QCOMPARE(state_->viewStart, 1.0F);
        ZoomOut(*state_);
        QCOMPARE(state_->zoomFactor, 1.0F / 8);
        QCOMPARE(state_->viewStart, 1.0F);
    }

    void limits() {
        // Zoom in at 1/512 keeps the zoom but still moves forward by 5.
        setView(1.0F / 512, 1000);
        ZoomIn(*state_);
        QCOMPARE(state_->zoomFactor, 1.0F / 512);
        QCOMPARE(state_->viewStart, 1005.0F);
        setView(1.0F / 512, 2047978);
        ZoomIn(*state_);
        QCOMPARE(state_->viewStart, 2047980.0F);

        // Zoom out at 64 keeps the zoom and moves back by 163,840, down to 1.
        setView(64, 500000);
        ZoomOut(*state_);
        QCOMPARE(state_->zoomFactor, 64.0F);
        QCOMPARE(state_->viewStart, 500000.0F - 163840);
        ZoomOut(*state_);
        ZoomOut(*state_);
        QCOMPARE(state_->viewStart, 8480.0F);
        ZoomOut(*state_);
        QCOMPARE(state_->viewStart, 1.0F);

        // Zoom out at the end of the capture is cut back to the new limit.
        setView(1.0F / 16, 2047360);
        ZoomOut(*state_);
        QCOMPARE(state_->zoomFactor, 1.0F / 8);
        QCOMPARE(state_->viewStart, 2046720.0F);

        // Zoom in near the end stands within the new limit.
        setView(1, 2037760);
        ZoomIn(*state_);
        QCOMPARE(state_->zoomFactor, 0.5F);
        QCOMPARE(state_->viewStart, 2040320.0F);

        // From start-up five zoom-ins reach 1/512 and ten zoom-outs reach 64.
        ResetView(*state_);
        for (int i = 0; i < 5; ++i)
            ZoomIn(*state_);
        QCOMPARE(state_->zoomFactor, 1.0F / 512);
        ResetView(*state_);
        for (int i = 0; i < 10; ++i)
            ZoomOut(*state_);
        QCOMPARE(state_->zoomFactor, 64.0F);
    }

    void nextPageReachesTheEndAfter6398Presses() {
        for (int press = 1; press <= 6397; ++press)
            NextPage(*state_);
        QCOMPARE(state_->viewStart, 1.0F + 6397 * 320);
        NextPage(*state_);
        QCOMPARE(state_->viewStart, 2047360.0F);
        NextPage(*state_);
        QCOMPARE(state_->viewStart, 2047360.0F);
    }

    // Long random runs of the four commands never leave the limits, and every
    // index a redraw would read lies within the capture.
    void randomCommandsStayWithinLimits() {
        std::mt19937 random(20261207);
        void (*const commands[])(ProgramState&) = {ZoomIn, ZoomOut, PreviousPage, NextPage};
        for (int step = 0; step < 20000; ++step) {
            commands[random() % 4](*state_);
            const auto [zoom, start] = viewOf(*state_);
            QVERIFY(zoom >= 1.0F / 512 && zoom <= 64);
            QCOMPARE(std::exp2(std::round(std::log2(zoom))), double(zoom));
            QVERIFY(start >= 1 && start <= ViewStartLimit(zoom));
            QCOMPARE(std::floor(start), start);
            if (step % 16 == 0) {
                for (int x = 1; x <= 10239; ++x) {
                    const int index =
                        x == 1 ? int(std::lrint(start)) : SampleIndexAt(start, zoom, x);
                    if (index < 1 || index > SampleCount)
                        QFAIL(
                            qPrintable(QStringLiteral("index %1 at step %2").arg(index).arg(step)));
                }
            }
        }
    }
};

} // namespace tarvik

QTEST_APPLESS_MAIN(tarvik::NavigationTest)
#include "tst_navigation.moc"
