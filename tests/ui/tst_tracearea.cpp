#include "ColourMapping.h"
#include "FormHarness.h"
#include "TraceArea.h"

#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

constexpr ColourValue Pen = 0x0000C000;

QRgb rgbOf(ColourValue colour) {
    return toQColor(colour, QPalette()).rgb();
}

// Compared pixel for pixel, whatever the ratio each image declares.
QImage devicePixels(const QImage& image) {
    QImage copy = image.convertToFormat(QImage::Format_RGB32);
    copy.setDevicePixelRatio(1.0);
    return copy;
}

// The picture as the window shows it, in device pixels.
QImage shownPicture(TraceArea& area) {
    const qreal ratio = area.devicePixelRatioF();
    const QImage widget = area.grab().toImage();
    const QRect inside = area.contentsRect();
    return devicePixels(widget.copy(QRect(inside.topLeft() * ratio, inside.size() * ratio)));
}

// Shows the window and lets the first colour confirmed in a swatch draw the
// start-up test pattern.
void showAndRedraw(FormHarness& h) {
    h.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.form));
    h.dialogs.colourAnswers.push_back(Pen);
    h.click("pbLine");
}

} // namespace

class TraceAreaTest : public QObject {
    Q_OBJECT

  private slots:
    // Covering, hiding and showing repaint the window; none of that runs the
    // renderer, so the picture stays what the last redraw made of the
    // samples, even when the samples have changed since.
    void keepsItsPictureUntilTheNextRedraw() {
        FormHarness h;
        showAndRedraw(h);
        auto& area = *h.control<TraceArea>("Picture1");
        const QImage drawn = devicePixels(area.picture());
        QCOMPARE(shownPicture(area), drawn);

        std::fill_n(h.state->statusSamples.data() + 1, SampleCount, std::uint8_t{0});
        std::fill_n(h.state->dataSamples.data() + 1, SampleCount, std::uint8_t{0});

        QWidget cover;
        cover.setGeometry(h.form.frameGeometry());
        cover.show();
        QVERIFY(QTest::qWaitForWindowExposed(&cover));
        cover.hide();
        h.form.hide();
        h.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.form));
        area.repaint();
        QCOMPARE(shownPicture(area), drawn);

        h.click("btLeft");
        QVERIFY(shownPicture(area) != drawn);
    }

    // The picture has a pixel for every device pixel of the area and is
    // shown without scaling: on a display scaled 2x it is 1344 x 1058 and
    // its lines are one device pixel thin.
    void drawnAtTheDisplayResolution() {
        FormHarness h;
        showAndRedraw(h);
        auto& area = *h.control<TraceArea>("Picture1");
        const qreal ratio = area.devicePixelRatioF();
        if (qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2"))
            QCOMPARE(ratio, 2.0);
        const QImage& picture = area.picture();
        QCOMPARE(picture.size(), QSize(672, 529) * ratio);
        QCOMPARE(picture.devicePixelRatio(), ratio);
        QCOMPARE(shownPicture(area), devicePixels(picture));

        // The first trace is high for x = 1 ... 24: at x = 12 its high level
        // (y = 100) is one lit row between two dark ones.
        const int column = static_cast<int>(std::floor(12 * 672 * ratio / 10240));
        const int row = static_cast<int>(std::floor(100 * 529 * ratio / 8000));
        QCOMPARE(picture.pixel(column, row), rgbOf(Pen));
        QVERIFY(picture.pixel(column, row - 1) != rgbOf(Pen));
        QVERIFY(picture.pixel(column, row + 1) != rgbOf(Pen));
    }
};

QTEST_MAIN(TraceAreaTest)
#include "tst_tracearea.moc"
