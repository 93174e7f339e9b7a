#include "Capture.h"
#include "CaptureFileCommands.h"
#include "PortLibrary.h"
#include "RecordingProgressBar.h"
#include "ScriptedDialogs.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace tarvik {

// A saved capture as another tool reads it: sigrok's binary input takes each
// sample as a 16-bit word, status byte first, so data bit 0 is its channel 8.
// The simulated port sends a line of text on that bit as a 62,500-baud UART
// at 16 samples per bit, which makes 1 MHz the sample rate to tell sigrok.
class CaptureFileSigrokTest : public QObject {
    Q_OBJECT

  private slots:
    void sigrokDecodesTheSimulatedUart() {
        const QString sigrok = QStandardPaths::findExecutable(QStringLiteral("sigrok-cli"));
        if (sigrok.isEmpty())
            QSKIP("sigrok-cli is not installed");
        QTemporaryDir dir;
        auto state = std::make_unique<ProgramState>();
        RecordingProgressBar progress;
        PortLibrary port(Inpout32Library);
        QCOMPARE(port.open(), QString());
        CaptureSamples(*state, port, progress);
        ScriptedDialogs dialogs;
        CommonDialog CD1(dialogs);
        const QString file = dir.filePath(QStringLiteral("simulated.lgc"));
        dialogs.fileAnswers.push_back(file);
        CaptureFileCommands(*state, CD1, progress, [] {}).save();
        QVERIFY(dialogs.messages.isEmpty());

        QProcess decoder;
        decoder.start(sigrok, {"-I", "binary:numchannels=16:samplerate=1000000", "-i", file, "-P",
                               "uart:rx=8:baudrate=62500", "-B", "uart=rx"});
        QVERIFY(decoder.waitForFinished(120'000));
        QCOMPARE(decoder.exitCode(), 0);

        // The text again and again to the end of the capture, where a sending
        // may be cut short.
        const QByteArray text = decoder.readAllStandardOutput();
        const QByteArray line("Tarvik simulated port\r\n");
        const qsizetype lines = text.size() / line.size();
        QVERIFY2(lines >= 500, text.left(200).constData());
        QCOMPARE(text, line.repeated(lines) + line.left(text.size() % line.size()));
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::CaptureFileSigrokTest)
#include "tst_capturefile_sigrok.moc"
