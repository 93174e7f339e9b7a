#include "CaptureFormat.h"
#include "SampleRate.h"

#include <QTest>

namespace tarvik {

// The texts a user types for a rate and a format, and the rate as sigrok's
// metadata spells it.
class CaptureFormatsTest : public QObject {
    Q_OBJECT

  private slots:
    void ratesAreReadAsSigrokCliReadsThem_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("rate"); // 0: refused
        QTest::newRow("plain Hz") << "1000000" << 1e6;
        QTest::newRow("M") << "1M" << 1e6;
        QTest::newRow("k") << "250k" << 250e3;
        QTest::newRow("decimal k") << "62.5k" << 62500.0;
        QTest::newRow("all decimals of k") << "723.456k" << 723456.0;
        QTest::newRow("G") << "1G" << 1e9;
        QTest::newRow("MHz") << "1MHz" << 1e6;
        QTest::newRow("space and kHz") << "250 kHz" << 250e3;
        QTest::newRow("sigrok's metadata text") << "1.234567 MHz" << 1234567.0;
        QTest::newRow("lower-case hz") << "1000hz" << 1000.0;
        QTest::newRow("lower-case m") << "1m" << 1e6;
        QTest::newRow("capital K") << "250K" << 250e3;
        QTest::newRow("spaces around") << " 2 MHz\t" << 2e6;
        QTest::newRow("space after the prefix") << "250 k Hz" << 0.0;
        QTest::newRow("Arabic-Indic digit") << QString::fromUtf8("\u0661M") << 0.0;
        QTest::newRow("zero") << "0" << 0.0;
        QTest::newRow("zero M") << "0M" << 0.0;
        QTest::newRow("negative") << "-1M" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("unit alone") << "MHz" << 0.0;
        QTest::newRow("unknown prefix") << "1X" << 0.0;
        QTest::newRow("trailing junk") << "1Mfoo" << 0.0;
        QTest::newRow("two points") << "1.2.3k" << 0.0;
        QTest::newRow("exponent") << "1e6" << 0.0;
        QTest::newRow("below 1 Hz") << "0.5" << 0.0;
        QTest::newRow("a fraction of a hertz") << "1.5" << 0.0;
        QTest::newRow("a fraction of a hertz in k") << "1.0005k" << 0.0;
        QTest::newRow("beyond 1 THz") << "1001G" << 0.0;
    }
    void ratesAreReadAsSigrokCliReadsThem() {
        QFETCH(QString, text);
        QFETCH(double, rate);
        QCOMPARE(parseSampleRate(text).value_or(0.0), rate);
    }

    void ratesAreWrittenAsLibsigrokWritesThem_data() {
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("text");
        QTest::newRow("MHz") << 1e6 << "1 MHz";
        QTest::newRow("kHz") << 250e3 << "250 kHz";
        QTest::newRow("a half kHz") << 62500.0 << "62.5 kHz";
        QTest::newRow("every digit") << 723456.0 << "723.456 kHz";
        QTest::newRow("seven digits") << 1234567.0 << "1.234567 MHz";
        QTest::newRow("measured mean, whole Hz") << 987654.3 << "987.654 kHz";
        QTest::newRow("rounded up") << 999999.6 << "1 MHz";
        QTest::newRow("Hz") << 999.0 << "999 Hz";
        QTest::newRow("GHz") << 2.5e9 << "2.5 GHz";
        QTest::newRow("a zero after the point") << 1'050'000.0 << "1.05 MHz";
        QTest::newRow("zeros after the point") << 2'005'000'000.0 << "2.005 GHz";
        QTest::newRow("a zero after the point, kHz") << 1'050.0 << "1.05 kHz";
    }
    void ratesAreWrittenAsLibsigrokWritesThem() {
        QFETCH(double, rate);
        QFETCH(QString, text);
        QCOMPARE(sampleRateText(rate), text);
    }

    void formatsComeFromTheOptionOrTheName() {
        QCOMPARE(parseCaptureFormat(u"lgc"), CaptureFormat::Lgc);
        QCOMPARE(parseCaptureFormat(u"sr"), CaptureFormat::Sr);
        QCOMPARE(parseCaptureFormat(u"srzip"), CaptureFormat::Sr);
        QCOMPARE(parseCaptureFormat(u"vcd"), CaptureFormat::Vcd);
        QVERIFY(!parseCaptureFormat(u"csv"));
        QVERIFY(!parseCaptureFormat(u"SR"));

        QCOMPARE(captureFormatForName("a/b.lgc"), CaptureFormat::Lgc);
        QCOMPARE(captureFormatForName("b.LGC"), CaptureFormat::Lgc);
        QCOMPARE(captureFormatForName("b.Vcd"), CaptureFormat::Vcd);
        QCOMPARE(captureFormatForName("b.sr"), CaptureFormat::Sr);
        QCOMPARE(captureFormatForName("b.bin"), CaptureFormat::Binary);
        QVERIFY(!captureFormatForName("capture.csv"));
        QCOMPARE(captureFormatForName("lgc"), CaptureFormat::Sr);
        QCOMPARE(captureFormatForName("v.lgc/capture"), CaptureFormat::Sr);
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::CaptureFormatsTest)
#include "tst_capture_formats.moc"
