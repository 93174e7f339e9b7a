#include "ColourMapping.h"
#include "ColourSwatch.h"
#include "DrawingSurface.h"
#include "FormHarness.h"
#include "TraceArea.h"

#include <QFontInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>

namespace tarvik {

namespace {

// Pixel row and column of a point in the trace area's units.
int column(float x) {
    return static_cast<int>(x * 672 / DrawingSurface::Width);
}
int row(float y) {
    return static_cast<int>(y * 529 / DrawingSurface::Height);
}

QRgb rgbOf(ColourValue colour) {
    return toQColor(colour, QPalette()).rgb();
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

  private slots:
    void windowAndDesignColours() {
        FormHarness h;
        QCOMPARE(h.form.windowTitle(), QStringLiteral("Tarvik"));
        QCOMPARE(h.form.size(), QSize(783, 560));
        QCOMPARE(h.form.minimumSize(), h.form.maximumSize());
        const Qt::WindowFlags flags = h.form.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(flags & Qt::WindowSystemMenuHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(h.control<TraceArea>("Picture1")->contentsRect().size(), QSize(672, 529));

        QCOMPARE(h.control<ColourSwatch>("pbLine")->backColor(), 0x0000C000);
        QCOMPARE(h.control<ColourSwatch>("pbNul")->backColor(), 0x00FF0000);
        QCOMPARE(h.control<ColourSwatch>("pbBack")->backColor(), 0x00000000);
        auto* zoom = h.control<QLabel>("lbZoom");
        QCOMPARE(zoom->palette().color(QPalette::WindowText), QColor(0, 255, 0));
        QCOMPARE(zoom->palette().color(QPalette::Window),
                 toQColor(MenuTextColour, h.form.palette()));
        QCOMPARE(zoom->font().pointSizeF(), 13.5);
        QVERIFY(zoom->autoFillBackground());
    }

    // The design's colours on screen as fixed numbers: pen green 192, the
    // zero-level dots pure blue, background black. A pen colour of 255 draws
    // pure red, and the colour dialog's red is stored as 255.
    void colourValuesOnScreen() {
        FormHarness h;
        h.click("btLeft");
        const auto pixelAt = [&h](float x, float y) {
            return h.control<TraceArea>("Picture1")->picture().pixel(column(x), row(y));
        };
        QCOMPARE(pixelAt(8, 100), qRgb(0, 192, 0));
        QCOMPARE(pixelAt(65, 400), qRgb(0, 0, 255));
        QCOMPARE(pixelAt(300, 7900), qRgb(0, 0, 0));
        auto* swatch = h.control<ColourSwatch>("pbNul");
        QCOMPARE(swatch->grab().toImage().pixel(swatch->rect().center()), qRgb(0, 0, 255));

        h.dialogs.colourAnswers.push_back(ColourValue{0x000000FF});
        h.click("pbLine");
        QCOMPARE(pixelAt(8, 100), qRgb(255, 0, 0));
        QCOMPARE(fromQColor(QColor(255, 0, 0)), 0x000000FF);
        QCOMPARE(fromQColor(QColor(0, 0, 255)), 0x00FF0000);
    }

    // Every caption fits its control whole in the font the window shows it
    // in, whichever sans-serif font the desktop has, at any scale.
    void captionsFitTheirControls() {
        FormHarness h;
        const QString expected = qEnvironmentVariable("TARVIK_EXPECTED_FONT");
        if (!expected.isEmpty())
            QCOMPARE(QFontInfo(h.control("Label1")->font()).family(), expected);
        const auto fits = [](const QWidget& control, const QString& caption, QRect room) {
            const QFontMetrics metrics(control.font());
            const int width = std::max(metrics.horizontalAdvance(caption),
                                       metrics.boundingRect(caption).right() + 1);
            QVERIFY2(width <= room.width() && metrics.height() <= room.height(),
                     qPrintable(QStringLiteral("%1: \"%2\" needs %3 x %4 pixels, has %5 x %6")
                                    .arg(control.objectName(), caption)
                                    .arg(width)
                                    .arg(metrics.height())
                                    .arg(room.width())
                                    .arg(room.height())));
        };
        for (const auto* button : h.form.findChildren<QPushButton*>()) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            fits(*button, button->text(),
                 button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button));
        }
        const auto* heading = h.control<QLabel>("Label1");
        fits(*heading, heading->text(), heading->contentsRect());
        const auto* zoom = h.control<QLabel>("lbZoom");
        for (const char* caption : {" / 512", " / 16", " * 1", " * 64"})
            fits(*zoom, QString::fromLatin1(caption), zoom->contentsRect());
    }

    void controls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("tip");
        const struct {
            const char* name;
            QRect geometry;
            const char* caption;
            const char* tip;
        } table[] = {
            {"btLoad", {7, 7, 81, 20}, "LOAD", "Load a LGC file"},
            {"btOnes", {7, 35, 81, 20}, "SCAN", "Via WIN95IO.DLL"},
            {"btAll", {7, 56, 81, 20}, "SCAN", "Via inpout32.dll"},
            {"btSave", {7, 84, 81, 20}, "SAVE", "Save a scanned file"},
            {"btIn", {36, 123, 24, 24}, "/\\", "Zoom in"},
            {"btOut", {36, 153, 24, 24}, "\\/", "Zoom out"},
            {"btLeft", {15, 126, 18, 50}, "<", "Previous page"},
            {"btRight", {63, 126, 18, 50}, ">", "Next page"},
            {"pbLine", {6, 378, 27, 26}, nullptr, "Pen colour"},
            {"pbNul", {35, 378, 27, 26}, nullptr, "Zero colour"},
            {"pbBack", {63, 378, 27, 26}, nullptr, "Background colour"},
            {"Label1", {9, 438, 76, 16}, "ZOOM LEVEL", ""},
            {"lbZoom", {6, 465, 82, 25}, " / 16", ""},
            {"Image1", {18, 528, 60, 25}, nullptr, ""},
            {"Picture1", {98, 7, 676, 533}, nullptr, ""},
            {"PB1", {98, 544, 673, 12}, nullptr, ""},
        };
        for (const auto& c : table)
            QTest::newRow(c.name) << QString::fromLatin1(c.name) << c.geometry
                                  << (c.caption ? QString::fromLatin1(c.caption) : QString())
                                  << QString::fromLatin1(c.tip);
    }

    void controls() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(QString, tip);
        FormHarness h;
        auto* control = h.control(name.toLatin1().constData());
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(control->toolTip(), tip);
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QCOMPARE(button->text(), caption);
            QVERIFY(!button->isDefault() && !button->autoDefault());
        } else if (auto* label = qobject_cast<QLabel*>(control); label && !caption.isNull()) {
            QCOMPARE(label->text(), caption);
        }
    }

    void focusAndTabOrder() {
        FormHarness h;
        h.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&h.form));
        QCOMPARE(QApplication::focusWidget(), h.control("btOnes"));
        const char* order[] = {"btAll",  "btLeft", "btRight", "btIn",  "btOut", "Picture1",
                               "btLoad", "btSave", "pbLine",  "pbNul", "pbBack"};
        for (const char* name : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
        }
    }

    // Until the first redraw the trace area is its background colour only, the
    // zoom label shows its design text and the progress bar is empty.
    void blankUntilFirstRedraw() {
        FormHarness h;
        const QImage picture = h.control<TraceArea>("Picture1")->picture();
        const QRgb menuText = toQColor(MenuTextColour, h.form.palette()).rgb();
        for (int y = 0; y < picture.height(); y += 7)
            for (int x = 0; x < picture.width(); x += 7)
                QCOMPARE(picture.pixel(x, y), menuText);
        QCOMPARE(h.control<QLabel>("lbZoom")->text(), QStringLiteral(" / 16"));
        auto* bar = h.control<QProgressBar>("PB1");
        QVERIFY(bar->value() < bar->minimum());
        QCOMPARE(h.state->zoomFactor, 0.0625F);
        QCOMPARE(h.state->viewStart, 1.0F);
        QCOMPARE(h.state->statusSamples[0], 0);
        QCOMPARE(h.state->statusSamples[1], 255);
        QCOMPARE(h.state->dataSamples[3], 0);
        QCOMPARE(h.state->dataSamples[SampleCount - 2], 255);
        QCOMPARE(h.state->dataSamples[SampleCount], 0);
    }

    // A confirmed colour goes to the swatch and the picture is drawn with the
    // swatches' colours: the first redraw shows the test pattern from sample 1.
    void colourChoiceRedraws() {
        FormHarness h;
        const ColourValue red = rgbColour(255, 0, 0);
        h.dialogs.colourAnswers.push_back(red);
        h.click("pbLine");
        QCOMPARE(h.dialogs.colourRequests, QList<ColourValue>{0});
        QCOMPARE(h.control<ColourSwatch>("pbLine")->backColor(), red);

        const QImage picture = h.control<TraceArea>("Picture1")->picture();
        // Trace 1 is high over x = 1 ... 24 and low over x = 25 ... 56.
        QCOMPARE(picture.pixel(column(8), row(100)), rgbOf(red));
        QCOMPARE(picture.pixel(column(40), row(400)), rgbOf(red));
        QCOMPARE(picture.pixel(column(40), row(100)), rgbOf(0));
        // The last data trace and a zero-level dot under the first trace.
        QCOMPARE(picture.pixel(column(8), row(7100)), rgbOf(red));
        QCOMPARE(picture.pixel(column(65), row(400)), rgbOf(rgbColour(0, 0, 255)));
        // The band under the last trace is background.
        QCOMPARE(picture.pixel(300, 520), rgbOf(0));
        QCOMPARE(h.control<QLabel>("lbZoom")->text(), QStringLiteral(" / 16"));
        auto* bar = h.control<QProgressBar>("PB1");
        QCOMPARE(bar->maximum(), SampleCount);
        QCOMPARE(bar->minimum(), 1);
        QCOMPARE(bar->value(), 1);

        // The next dialog opens on the colour confirmed last, whichever swatch.
        const ColourValue blue = rgbColour(0, 0, 255);
        h.dialogs.colourAnswers.push_back(blue);
        h.click("pbBack");
        QCOMPARE(h.dialogs.colourRequests.last(), red);
        QCOMPARE(h.control<TraceArea>("Picture1")->picture().pixel(300, 520), rgbOf(blue));

        // The same colour again still redraws.
        h.control<TraceArea>("Picture1")->surface().clear();
        h.dialogs.colourAnswers.push_back(blue);
        h.click("pbBack");
        QCOMPARE(h.control<TraceArea>("Picture1")->picture().pixel(column(8), row(100)),
                 rgbOf(red));
    }

    void cancelledColourChangesNothing() {
        FormHarness h;
        h.dialogs.colourAnswers.push_back(rgbColour(10, 20, 30));
        h.click("pbNul");
        h.click("btRight");
        const QImage before = h.control<TraceArea>("Picture1")->picture();
        const int barValue = h.control<QProgressBar>("PB1")->value();

        h.dialogs.colourAnswers.push_back(std::nullopt);
        h.click("pbLine");
        QCOMPARE(h.control<ColourSwatch>("pbLine")->backColor(), 0x0000C000);
        QCOMPARE(h.control<TraceArea>("Picture1")->picture(), before);
        QCOMPARE(h.control<QProgressBar>("PB1")->value(), barValue);

        h.dialogs.colourAnswers.push_back(std::nullopt);
        h.click("pbBack");
        QCOMPARE(h.dialogs.colourRequests.last(), rgbColour(10, 20, 30));
    }

    void navigationButtons() {
        FormHarness h;
        auto* zoom = h.control<QLabel>("lbZoom");
        auto* bar = h.control<QProgressBar>("PB1");
        h.click("btRight");
        QCOMPARE(bar->value(), 321);
        h.click("btIn");
        QCOMPARE(zoom->text(), QStringLiteral(" / 32"));
        QCOMPARE(bar->value(), 481);
        for (int i = 0; i < 6; ++i)
            h.click("btOut");
        QCOMPARE(zoom->text(), QStringLiteral(" * 2"));
        QCOMPARE(bar->value(), 1);
        h.click("btLeft");
        QCOMPARE(bar->value(), 1);
        for (int i = 0; i < 10; ++i)
            h.click("btIn");
        QCOMPARE(zoom->text(), QStringLiteral(" / 512"));
        // At the limit the command still redraws.
        h.control<TraceArea>("Picture1")->surface().clear();
        h.click("btLeft");
        const QImage picture = h.control<TraceArea>("Picture1")->picture();
        QCOMPARE(picture.pixel(column(8), row(400)), rgbOf(rgbColour(0, 0, 255)));
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::Form1Test)
#include "tst_form1.moc"
