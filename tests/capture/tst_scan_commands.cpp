// The two "SCAN" buttons of the real window, with scripted ports and with the
// simulated port's libraries found on LD_LIBRARY_PATH.

#include "FormHarness.h"
#include "LoadedLibrary.h"
#include "PortLibrary.h"
#include "TraceArea.h"

#include <QLabel>
#include <QProgressBar>

namespace {

QByteArray bytesOf(const SampleBuffer& buffer) {
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), SampleCount + 1);
}

// Everything a capture may change, as the user and the other commands see it.
struct Snapshot {
    QByteArray status;
    QByteArray data;
    float zoomFactor;
    float viewStart;
    QList<int> bar; // maximum, minimum, value
    QImage picture;
    QString zoomCaption;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const ProgramState& state, const Form1& form) {
    const auto* bar = form.findChild<QProgressBar*>("PB1");
    return {bytesOf(state.statusSamples),
            bytesOf(state.dataSamples),
            state.zoomFactor,
            state.viewStart,
            {bar->maximum(), bar->minimum(), bar->value()},
            form.findChild<TraceArea*>("Picture1")->picture(),
            form.findChild<QLabel*>("lbZoom")->text()};
}

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

} // namespace

class ScanCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void aPortThatCannotBeReachedChangesNothing_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<bool>("upper");
        QTest::addColumn<QString>("title");
        QTest::newRow("upper SCAN")
            << QByteArray("btOnes") << true << QStringLiteral("Via WIN95IO.DLL");
        QTest::newRow("lower SCAN")
            << QByteArray("btAll") << false << QStringLiteral("Via inpout32.dll");
    }

    void aPortThatCannotBeReachedChangesNothing() {
        QFETCH(QByteArray, button);
        QFETCH(bool, upper);
        QFETCH(QString, title);
        FormHarness h;
        FakePort& port = upper ? h.win95io : h.inpout32;
        port.openError = QStringLiteral("The port is away. Bring it back.");
        h.click("btRight");
        h.click("btIn");
        const Snapshot before = snapshot(*h.state, h.form);

        h.click(button.constData());

        QCOMPARE(h.dialogs.messages,
                 QStringList{title + QStringLiteral(": The port is away. Bring it back.")});
        QCOMPARE(port.opens, 1LL);
        QCOMPARE(port.writes + port.reads, 0LL);
        QVERIFY(snapshot(*h.state, h.form) == before);
    }

    // The simulated port's libraries, found where a user's would be: each
    // button loads its own library when pressed and not before, the capture
    // is redrawn at the same view, and both buttons give the same samples
    // every time.
    void aCaptureThroughTheLibraries() {
        LibraryHarness h;
        h.click("btRight");
        h.click("btIn");
        const Snapshot before = snapshot(*h.state, h.form);
        QVERIFY(!isLoaded(Win95IoLibrary.fileName));
        QVERIFY(!isLoaded(Inpout32Library.fileName));

        h.click("btOnes");
        QVERIFY(h.dialogs.messages.isEmpty());
        QVERIFY(isLoaded(Win95IoLibrary.fileName));
        QVERIFY(!isLoaded(Inpout32Library.fileName));
        const Snapshot after = snapshot(*h.state, h.form);
        QCOMPARE(after.zoomFactor, before.zoomFactor);
        QCOMPARE(after.viewStart, before.viewStart);
        QCOMPARE(after.zoomCaption, before.zoomCaption);
        QCOMPARE(after.bar, (QList<int>{2048000, 1, static_cast<int>(before.viewStart)}));
        QVERIFY(after.status != before.status && after.data != before.data);
        QVERIFY(after.picture != before.picture);

        for (const char* button : {"btAll", "btOnes"}) {
            h.click(button);
            QVERIFY(h.dialogs.messages.isEmpty());
            const Snapshot again = snapshot(*h.state, h.form);
            QVERIFY(again.status == after.status && again.data == after.data);
        }
        QVERIFY(isLoaded(Inpout32Library.fileName));
    }
};

QTEST_MAIN(ScanCommandsTest)
#include "tst_scan_commands.moc"
