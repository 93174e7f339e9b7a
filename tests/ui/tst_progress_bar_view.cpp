#include "ClassicLook.h"
#include "EveryValueProgressBar.h"
#include "ProgressBarView.h"

#include <QEvent>
#include <QImage>
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
        if (event->type() == QEvent::Paint)
            paints << Paint{block ? block->first + bar.value() - block->second + 1 : settings,
                            bar.value()};
        return QObject::eventFilter(watched, event);
    }

    // Runs "max N", "min N", "value N", "run FROM TO", "values FROM TO"
    // (a block set at once), "hide", "show" and "events" (what the event loop
    // does between two commands).
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
                for (int v = number(1); v <= number(2); ++v)
                    set(&ProgressBar::setValue, v);
            } else if (word[0] == "values") {
                block.emplace(settings, number(1));
                driver->setValues(number(1), number(2));
                block.reset();
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
};

} // namespace

class ProgressBarViewTest : public QObject {
    Q_OBJECT

  private slots:
    // The bar driven through the view paints the same values after the same
    // settings as a bar given every value, and ends holding the same value.
    void paintsAsEveryValueWould_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("textVisible");
        QTest::addColumn<bool>("classic");
        const QString capture = QStringLiteral("max 50000; min 1; value 1; run 1 50000;");
        QTest::newRow("capture") << capture << false << false;
        QTest::newRow("capture, classic look") << capture << false << true;
        QTest::newRow("capture, percentage shown") << capture << true << false;
        QTest::newRow("repeats, values outside the range and range changes")
            << QStringLiteral(
                   "max 1000; min 1; value 1; value 1; value 500; value 500; value 0; "
                   "value 5000; value 999; value 1000; value 3; value -7; value 1; value 3; "
                   "max 3; min 1; value 3; events; max 1000; value 2; min 2; value 2;")
            << false << false;
        QTest::newRow("file transfer in blocks")
            << QStringLiteral("max 50000; min 1; value 1; values 1 4096; values 4097 8192;"
                              "values 8193 8192; values 8193 50000;")
            << false << true;
        QTest::newRow("hidden during a capture")
            << QStringLiteral("hide;") + capture + QStringLiteral("show; events;") + capture
            << false << true;
    }

    void paintsAsEveryValueWould() {
        QFETCH(QString, script);
        QFETCH(bool, textVisible);
        QFETCH(bool, classic);
        Subject everyValue(textVisible, classic);
        everyValue.driver = std::make_unique<EveryValueProgressBar>(everyValue.bar);
        Subject viewed(textVisible, classic);
        viewed.driver = std::make_unique<ProgressBarView>(viewed.bar);
        for (Subject* s : {&everyValue, &viewed}) {
            s->bar.show();
            QVERIFY(QTest::qWaitForWindowExposed(&s->bar));
        }

        everyValue.play(script + QStringLiteral(";events"));
        viewed.play(script + QStringLiteral(";events"));

        QVERIFY(everyValue.paints.size() > 2);
        QCOMPARE(viewed.paints, everyValue.paints);
        QCOMPARE(viewed.bar.value(), everyValue.bar.value());
        QCOMPARE(viewed.bar.grab().toImage(), everyValue.bar.grab().toImage());
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::ProgressBarViewTest)
#include "tst_progress_bar_view.moc"
