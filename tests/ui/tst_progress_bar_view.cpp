#include "ClassicLook.h"
#include "EveryValueProgressBar.h"
#include "ProgressBarView.h"

#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <memory>
#include <optional>
#include <utility>

namespace tarvik {

namespace {

// When a bar paints: which setting was the last before it, and the value shown.
using Paint = std::pair<long long, int>;

// A 673 x 12 bar, a way to drive it, and its paints.
struct Subject : QObject {
    QProgressBar bar;
    long long settings = 0;
    QList<Paint> paints;
    // The paints made while a loop sets the values: the value shown and the
    // part of the bar painted.
    QList<std::pair<int, QRegion>> loopPaints;
    bool inLoop = false;
    std::unique_ptr<ProgressBar> driver;
    // While a block of values is set at once: the settings before it and its
    // first value, from which a paint's own setting follows.
    std::optional<std::pair<long long, int>> block;

    Subject(bool textVisible, bool classic) {
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
                loopPaints << std::pair{bar.value(), static_cast<QPaintEvent*>(event)->region()};
        }
        return QObject::eventFilter(watched, event);
    }

    // Runs "max N", "min N", "value N", "run FROM TO" (a loop setting every
    // value), "values FROM TO" (a block set at once), "hide", "show" and
    // "events" (what the event loop does between two commands).
    void play(const QString& script) {
        for (const QString& step : script.split(';', Qt::SkipEmptyParts)) {
            const QStringList word = step.split(' ', Qt::SkipEmptyParts);
            const auto number = [&word](int i) { return word.at(i).toInt(); };
            if (word[0] == "max") {
                set(&ProgressBar::setMax, number(1));
            } else if (word[0] == "min") {
                set(&ProgressBar::setMin, number(1));
            } else if (word[0] == "value") {
                set(&ProgressBar::setValue, number(1));
            } else if (word[0] == "run") {
                inLoop = true;
                for (int v = number(1); v <= number(2); ++v)
                    set(&ProgressBar::setValue, v);
                inLoop = false;
            } else if (word[0] == "values") {
                inLoop = true;
                block.emplace(settings, number(1));
                driver->setValues(number(1), number(2));
                block.reset();
                inLoop = false;
                settings += std::max(number(2) - number(1) + 1, 0);
            } else if (word[0] == "hide") {
                bar.hide();
            } else if (word[0] == "show") {
                bar.show();
                QVERIFY(QTest::qWaitForWindowExposed(&bar));
            } else {
                QCOMPARE(word[0], QStringLiteral("events"));
                QCoreApplication::processEvents();
            }
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

// The bar driven by every value and the bar driven through the view, both
// shown and given the same script.
struct Pair {
    Subject everyValue;
    Subject viewed;

    Pair(const QString& script, bool textVisible, bool classic)
        : everyValue(textVisible, classic), viewed(textVisible, classic) {
        everyValue.driver = std::make_unique<EveryValueProgressBar>(everyValue.bar);
        viewed.driver = std::make_unique<ProgressBarView>(viewed.bar);
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

    // A loop over the range paints the bar PaintsPerRange times, evenly
    // spread; in the classic look each paint covers only the blocks added
    // since the paint before. The bar ends holding the same value and
    // showing the same picture as a bar given every value.
    void loopsPaintFewEvenSteps_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("textVisible");
        QTest::addColumn<bool>("classic");
        QTest::addColumn<int>("shownLoops");
        const QString capture = QStringLiteral("max 50000; min 1; value 1; run 1 50000;");
        QTest::newRow("capture") << capture << false << false << 1;
        QTest::newRow("capture, classic look") << capture << false << true << 1;
        QTest::newRow("capture, percentage shown") << capture << true << true << 1;
        QTest::newRow("file transfer in blocks")
            << QStringLiteral("max 50000; min 1; value 1; values 1 4096; values 4097 8192;"
                              "values 8193 8192; values 8193 50000;")
            << false << true << 1;
        QTest::newRow("hidden during a capture")
            << QStringLiteral("hide;") + capture + QStringLiteral("show; events;") + capture
            << false << true << 1;
    }

    void loopsPaintFewEvenSteps() {
        QFETCH(QString, script);
        QFETCH(bool, textVisible);
        QFETCH(bool, classic);
        QFETCH(int, shownLoops);
        const Pair pair(script, textVisible, classic);

        QCOMPARE(pair.viewed.bar.value(), pair.everyValue.bar.value());
        QCOMPARE(pair.viewed.onScreen(), pair.everyValue.onScreen());

        const int step =
            (50000 - 1 + ProgressBarView::PaintsPerRange - 1) / ProgressBarView::PaintsPerRange;
        QList<int> expected;
        for (int loop = 0; loop < shownLoops; ++loop) {
            for (int v = 1 + step; v < 50000; v += step)
                expected << v;
            expected << 50000;
        }
        QList<int> painted;
        for (const auto& paint : pair.viewed.loopPaints)
            painted << paint.first;
        QCOMPARE(painted, expected);

        if (classic && !textVisible) {
            const QRect blocks = *classicBlocksAdded(pair.viewed.bar, 1, 50000);
            QRegion covered;
            for (const auto& [value, region] : pair.viewed.loopPaints) {
                QVERIFY2(blocks.contains(region.boundingRect()),
                         qPrintable(QString::number(value)));
                QVERIFY2(!covered.intersects(region), qPrintable(QString::number(value)));
                covered += region;
            }
        }
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::ProgressBarViewTest)
#include "tst_progress_bar_view.moc"
