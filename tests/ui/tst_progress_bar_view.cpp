#include "ClassicLook.h"
#include "EveryValueProgressBar.h"
#include "MonotonicClock.h"
#include "ProgressBarView.h"

#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

namespace tarvik {

namespace {

// When a bar paints: which setting was the last before it, and the value shown.
using Paint = std::pair<long long, int>;

// A paint made while a loop sets the values: the setting, the value shown and
// the part of the bar painted.
struct LoopPaint {
    long long setting;
    int value;
    QRegion region;
};

// A 673 x 12 bar, a way to drive it, and its paints.
struct Subject : QObject {
    // Each setting takes this long: the clock reads the settings made so far.
    struct SettingsClock final : MonotonicClock {
        const Subject& subject;
        long long nsPerValue;
        SettingsClock(const Subject& s, long long ns) : subject(s), nsPerValue(ns) {}
        std::chrono::nanoseconds now() const override {
            return std::chrono::nanoseconds(subject.settings * nsPerValue);
        }
    };

    QProgressBar bar;
    long long settings = 0;
    SettingsClock clock;
    QList<Paint> paints;
    QList<LoopPaint> loopPaints;
    // The settings before each loop's first value and its last value's.
    QList<std::pair<long long, long long>> runs;
    bool inLoop = false;
    // Sets only the last value of a loop: the bar a loop that ends at the
    // maximum leaves, whose picture the maximum repaints whole, for a
    // fraction of the time.
    bool lastOfLoops = false;
    std::unique_ptr<ProgressBar> driver;
    // While a block of values is set at once: the settings before it and its
    // first value, from which a paint's own setting follows.
    std::optional<std::pair<long long, int>> block;

    Subject(bool textVisible, bool classic, long long nsPerValue) : clock(*this, nsPerValue) {
        bar.resize(673, 12);
        bar.setTextVisible(textVisible);
        if (classic)
            useClassicLook(bar);
        bar.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            paints << Paint{block ? block->first + bar.value() - block->second + 1 : settings,
                            bar.value()};
            if (inLoop)
                loopPaints << LoopPaint{paints.back().first, bar.value(),
                                        static_cast<QPaintEvent*>(event)->region()};
        }
        return QObject::eventFilter(watched, event);
    }

    // Runs "max N", "min N", "value N", "run FROM TO" (a loop setting every
    // value), "values FROM TO" (a block set at once; blocks in a row make one
    // loop), "hide", "show" and "events" (what the event loop does between two
    // commands).
    void play(const QString& script) {
        QString before;
        for (const QString& step : script.split(';', Qt::SkipEmptyParts)) {
            const QStringList word = step.split(' ', Qt::SkipEmptyParts);
            const auto number = [&word](int i) { return word.at(i).toInt(); };
            if (word[0] == "max") {
                set(&ProgressBar::setMax, number(1));
            } else if (word[0] == "min") {
                set(&ProgressBar::setMin, number(1));
            } else if (word[0] == "value") {
                set(&ProgressBar::setValue, number(1));
            } else if (lastOfLoops && (word[0] == "run" || word[0] == "values")) {
                set(&ProgressBar::setValue, number(2));
            } else if (word[0] == "run") {
                inLoop = true;
                runs << std::pair{settings, settings};
                for (int v = number(1); v <= number(2); ++v)
                    set(&ProgressBar::setValue, v);
                runs.back().second = settings;
                inLoop = false;
            } else if (word[0] == "values") {
                inLoop = true;
                if (before != "values")
                    runs << std::pair{settings, settings};
                block.emplace(settings, number(1));
                driver->setValues(number(1), number(2));
                block.reset();
                inLoop = false;
                settings += std::max(number(2) - number(1) + 1, 0);
                runs.back().second = settings;
            } else if (word[0] == "hide") {
                bar.hide();
            } else if (word[0] == "show") {
                bar.show();
                QVERIFY(QTest::qWaitForWindowExposed(&bar));
            } else {
                QCOMPARE(word[0], QStringLiteral("events"));
                QCoreApplication::processEvents();
            }
            before = word[0];
        }
    }

    void set(void (ProgressBar::*setting)(float), int value) {
        ++settings;
        (driver.get()->*setting)(static_cast<float>(value));
    }

    // What the screen shows of the bar: its window's backing store, which a
    // repaint of a part of the bar changes only there.
    QImage onScreen() const { return bar.screen()->grabWindow(bar.winId()).toImage(); }
};

// The bar driven by every value, of a loop its last, and the bar driven
// through the view, both shown and given the same script.
struct Pair {
    Subject everyValue;
    Subject viewed;

    Pair(const QString& script, bool textVisible, bool classic, long long nsPerValue = 1000)
        : everyValue(textVisible, classic, nsPerValue), viewed(textVisible, classic, nsPerValue) {
        everyValue.driver = std::make_unique<EveryValueProgressBar>(everyValue.bar);
        everyValue.lastOfLoops = true;
        viewed.driver = std::make_unique<ProgressBarView>(viewed.bar, viewed.clock);
        for (Subject* s : {&everyValue, &viewed}) {
            s->bar.show();
            QVERIFY(QTest::qWaitForWindowExposed(&s->bar));
            s->play(script + QStringLiteral(";events"));
        }
    }
};

} // namespace

class ProgressBarViewTest : public QObject {
    Q_OBJECT

  private slots:
    // Outside loops, the bar driven through the view paints the same values
    // after the same settings as a bar given every value, and ends holding
    // the same value and showing the same picture.
    void paintsAsEveryValueWould_data() {
        QTest::addColumn<bool>("classic");
        QTest::newRow("default look") << false;
        QTest::newRow("classic look") << true;
    }

    void paintsAsEveryValueWould() {
        QFETCH(bool, classic);
        const Pair pair(QStringLiteral("max 1000; min 1; value 1; value 1; value 500; value 500; "
                                       "value 0; value 5000; value 999; value 1000; value 3; "
                                       "value -7; value 1; value 3; "
                                       "max 3; min 1; value 3; events; max 1000; value 2; "
                                       "min 2; value 2;"),
                        false, classic);

        QVERIFY(pair.everyValue.paints.size() > 2);
        QCOMPARE(pair.viewed.paints, pair.everyValue.paints);
        QCOMPARE(pair.viewed.bar.value(), pair.everyValue.bar.value());
        QCOMPARE(pair.viewed.onScreen(), pair.everyValue.onScreen());
    }

    // A loop over a capture's 2,048,000 values, on a port as fast as the
    // simulated one or as slow as a real one, or a file transfer in blocks:
    // at most 30 paints a second, none before the last value when the run is
    // shorter than one such interval, and that last value painted as soon as
    // it is set. Where the bar can show that many steps, at least 20 paints a
    // second; a capture of about 4 s shows a change at least every 100 ms. In
    // the classic look each paint covers only the blocks added since the
    // paint before. The bar ends holding the same value and showing the same
    // picture as a plain bar given the same values.
    void loopsPaintPacedByTime_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("nsPerValue");
        QTest::addColumn<bool>("textVisible");
        QTest::addColumn<bool>("classic");
        QTest::addColumn<double>("longestGapMs");
        const QString capture = QStringLiteral("max 2048000; min 1; value 1; run 1 2048000;");
        QString blocks = QStringLiteral("max 2048000; min 1; value 1;");
        for (int first = 1; first <= 2048000; first += 16384)
            blocks += QStringLiteral("values %1 %2;").arg(first).arg(first + 16383);
        const double twentyASecond = 1000.0 / 20;
        QTest::newRow("fast port") << capture << 10 << false << true << 0.0;
        QTest::newRow("fast port, default look") << capture << 10 << false << false << 0.0;
        QTest::newRow("just too short to be seen") << capture << 16 << false << true << 0.0;
        QTest::newRow("slow port") << capture << 2000 << false << true << 100.0;
        QTest::newRow("slow port, default look") << capture << 2000 << false << false << 100.0;
        QTest::newRow("slow port, percentage shown") << capture << 2000 << true << true << 100.0;
        QTest::newRow("port half as slow") << capture << 1000 << false << true << twentyASecond;
        QTest::newRow("port half as slow, default look")
            << capture << 1000 << false << false << twentyASecond;
        QTest::newRow("file transfer in blocks") << blocks << 200 << false << true << twentyASecond;
        QTest::newRow("hidden during a capture")
            << QStringLiteral("hide;") + capture + QStringLiteral("show; events;") + capture << 2000
            << false << true << 100.0;
    }

    void loopsPaintPacedByTime() {
        QFETCH(QString, script);
        QFETCH(int, nsPerValue);
        QFETCH(bool, textVisible);
        QFETCH(bool, classic);
        QFETCH(double, longestGapMs);
        const Pair pair(script, textVisible, classic, nsPerValue);
        const Subject& viewed = pair.viewed;

        QCOMPARE(viewed.bar.value(), pair.everyValue.bar.value());
        QCOMPARE(viewed.onScreen(), pair.everyValue.onScreen());

        // Settings counted from the start of the last run.
        const auto ms = [&](long long settings) {
            return double(settings - viewed.runs.back().first) * nsPerValue / 1e6;
        };
        const long long lastSetting = viewed.runs.back().second;
        const double runMs = ms(lastSetting);
        QVERIFY(!viewed.loopPaints.isEmpty());
        QCOMPARE(viewed.loopPaints.back().setting, lastSetting);
        QCOMPARE(viewed.loopPaints.back().value, 2048000);
        if (runMs < 1000.0 / 30) {
            QCOMPARE(viewed.loopPaints.size(), 1);
        } else {
            double before = 0;
            for (const LoopPaint& paint : viewed.loopPaints) {
                const double at = ms(paint.setting);
                const QString where = QStringLiteral("%1 ms: %2").arg(at).arg(paint.value);
                QVERIFY2(at - before <= longestGapMs, qPrintable(where));
                if (paint.setting != lastSetting)
                    QVERIFY2(at - before >= 1000.0 / 30, qPrintable(where));
                before = at;
            }
        }

        if (classic && !textVisible) {
            const QRect blocks = *classicBlocksAdded(viewed.bar, 1, 2048000);
            QRegion covered;
            for (const LoopPaint& paint : viewed.loopPaints) {
                const QString value = QString::number(paint.value);
                QVERIFY2(!paint.region.isEmpty(), qPrintable(value));
                QVERIFY2(blocks.contains(paint.region.boundingRect()), qPrintable(value));
                QVERIFY2(!covered.intersects(paint.region), qPrintable(value));
                covered += paint.region;
            }
        }
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::ProgressBarViewTest)
#include "tst_progress_bar_view.moc"
