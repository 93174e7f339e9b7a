// The two "SCAN" buttons of the real window, with scripted ports and with the
// simulated port's libraries found on LD_LIBRARY_PATH.

#include "FormHarness.h"
#include "PortLibrary.h"
#include "TraceArea.h"

#include <QLabel>
#include <QProgressBar>

#include <dlfcn.h>

namespace {

bool isLoaded(const char* fileName) {
    void* handle = dlopen(fileName, RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

QByteArray bytesOf(const SampleBuffer& buffer) {
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), SampleCount + 1);
}

// Everything a capture may change, as the user and the other commands see it.
struct Snapshot {
    QByteArray status;
    QByteArray data;
    float zoomFactor;
    float viewStart;
    int barMax;
    int barMin;
    int barValue;
    QImage picture;
    QString zoomCaption;

    explicit Snapshot(const FormHarness& h)
        : status(bytesOf(h.state->statusSamples)), data(bytesOf(h.state->dataSamples)),
          zoomFactor(h.state->zoomFactor), viewStart(h.state->viewStart),
          barMax(h.control<QProgressBar>("PB1")->maximum()),
          barMin(h.control<QProgressBar>("PB1")->minimum()),
          barValue(h.control<QProgressBar>("PB1")->value()),
          picture(h.control<TraceArea>("Picture1")->picture()),
          zoomCaption(h.control<QLabel>("lbZoom")->text()) {}
};

// The window with the real port libraries.
struct LibraryHarness {
    QTemporaryDir dir;
    bool inDir = QDir::setCurrent(dir.path());
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ScriptedDialogs dialogs;
    PortLibrary win95io{Win95IoLibrary};
    PortLibrary inpout32{Inpout32Library};
    Form1 form{*state, dialogs, win95io, inpout32};

    void click(const char* name) const {
        QTest::mouseClick(form.findChild<QWidget*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
};

void addButtonRows() {
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<QString>("title");
    QTest::newRow("upper SCAN") << QByteArray("btOnes") << true
                                << QStringLiteral("Via WIN95IO.DLL");
    QTest::newRow("lower SCAN") << QByteArray("btAll") << false
                                << QStringLiteral("Via inpout32.dll");
}

} // namespace

class ScanCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void aPortThatCannotBeReachedChangesNothing_data() { addButtonRows(); }

    void aPortThatCannotBeReachedChangesNothing() {
        QFETCH(QByteArray, button);
        QFETCH(bool, upper);
        QFETCH(QString, title);
        FormHarness h;
        FakePort& port = upper ? h.win95io : h.inpout32;
        port.openError = QStringLiteral("The port is away. Bring it back.");
        h.click("btRight");
        h.click("btIn");
        const Snapshot before(h);

        h.click(button.constData());

        QCOMPARE(h.dialogs.messages,
                 QStringList{title + QStringLiteral(": The port is away. Bring it back.")});
        QCOMPARE(port.opens, 1LL);
        QCOMPARE(port.writes, 0LL);
        QCOMPARE(port.reads, 0LL);
        const Snapshot after(h);
        QVERIFY(after.status == before.status);
        QVERIFY(after.data == before.data);
        QCOMPARE(after.zoomFactor, before.zoomFactor);
        QCOMPARE(after.viewStart, before.viewStart);
        QCOMPARE(after.barMax, before.barMax);
        QCOMPARE(after.barMin, before.barMin);
        QCOMPARE(after.barValue, before.barValue);
        QCOMPARE(after.picture, before.picture);
        QCOMPARE(after.zoomCaption, before.zoomCaption);
    }

    void aCaptureFillsTheBuffersAndRedrawsTheSameView_data() { addButtonRows(); }

    void aCaptureFillsTheBuffersAndRedrawsTheSameView() {
        QFETCH(QByteArray, button);
        QFETCH(bool, upper);
        FormHarness h;
        FakePort& used = upper ? h.win95io : h.inpout32;
        FakePort& other = upper ? h.inpout32 : h.win95io;
        used.reader = [](std::int16_t address, long long read) {
            const long long sample = read / 2 + 1;
            return static_cast<std::int16_t>(address == 0x379 ? sample % 3 * 100 : sample % 251);
        };
        h.click("btRight");
        h.click("btIn");
        const Snapshot before(h);

        h.click(button.constData());

        QVERIFY(h.dialogs.messages.isEmpty());
        QCOMPARE(used.opens, 1LL);
        QCOMPARE(used.writes, 1LL);
        QCOMPARE(used.reads, 2LL * SampleCount);
        QCOMPARE(other.opens + other.writes + other.reads, 0LL);
        long long wrong = 0;
        for (std::int32_t i = 1; i <= SampleCount; ++i)
            wrong += h.state->statusSamples[i] != i % 3 * 100 || h.state->dataSamples[i] != i % 251;
        QCOMPARE(wrong, 0LL);
        QCOMPARE(h.state->statusSamples[0], std::uint8_t{0});
        QCOMPARE(h.state->dataSamples[0], std::uint8_t{0});

        const Snapshot after(h);
        QCOMPARE(after.zoomFactor, before.zoomFactor);
        QCOMPARE(after.viewStart, before.viewStart);
        QCOMPARE(after.zoomCaption, before.zoomCaption);
        QCOMPARE(after.barMax, 2048000);
        QCOMPARE(after.barMin, 1);
        QCOMPARE(after.barValue, static_cast<int>(before.viewStart));
        QVERIFY(after.picture != before.picture);
    }

    // The simulated port's libraries, found where a user's would be.
    void eachButtonLoadsOnlyItsOwnLibraryWhenPressed() {
        LibraryHarness h;
        h.click("btRight");
        h.click("btIn");
        h.click("btLeft");
        QVERIFY(!isLoaded(Win95IoLibrary.fileName));
        QVERIFY(!isLoaded(Inpout32Library.fileName));

        h.click("btOnes");
        QVERIFY(h.dialogs.messages.isEmpty());
        QVERIFY(isLoaded(Win95IoLibrary.fileName));
        QVERIFY(!isLoaded(Inpout32Library.fileName));
        const QByteArray status = bytesOf(h.state->statusSamples);
        const QByteArray data = bytesOf(h.state->dataSamples);
        QVERIFY(data != QByteArray(data.size(), '\0'));

        h.click("btAll");
        QVERIFY(h.dialogs.messages.isEmpty());
        QVERIFY(isLoaded(Inpout32Library.fileName));
        QVERIFY(bytesOf(h.state->statusSamples) == status);
        QVERIFY(bytesOf(h.state->dataSamples) == data);
    }
};

QTEST_MAIN(ScanCommandsTest)
#include "tst_scan_commands.moc"
