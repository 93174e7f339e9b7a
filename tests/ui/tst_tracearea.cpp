#include "FormHarness.h"
#include "TraceArea.h"

#include <QTest>

#include <algorithm>

namespace tarvik {

namespace {

// The picture as the window shows it, in device pixels.
QImage shownPicture(TraceArea& area) {
    const qreal ratio = area.devicePixelRatioF();
    const QRect inside = area.contentsRect();
    return area.grab()
        .toImage()
        .copy(QRect(inside.topLeft() * ratio, inside.size() * ratio))
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TraceAreaTest : public QObject {
    Q_OBJECT

  private slots:
    // The picture has a pixel for every device pixel of the area and is shown
    // unscaled. Covering, hiding and showing do not run the renderer: the
    // picture stays what the last redraw made, even if the samples changed.
    void keepsItsPictureAtTheDisplayResolution() {
        FormHarness h;
        h.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&h.form));
        h.dialogs.colourAnswers.push_back(0x0000C000); // a colour chosen in a swatch redraws
        h.click("pbLine");
        auto& area = *h.control<TraceArea>("Picture1");
        const qreal ratio = area.devicePixelRatioF();
        if (qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2"))
            QCOMPARE(ratio, 2.0);
        const QImage drawn = area.picture();
        QCOMPARE(drawn.size(), QSize(672, 529) * ratio);
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

        h.click("btLeft"); // redraws the cleared samples
        QVERIFY(shownPicture(area) != drawn);
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::TraceAreaTest)
#include "tst_tracearea.moc"
