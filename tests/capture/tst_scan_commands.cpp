// The two "SCAN" buttons of the real window with the port libraries found
// through the real loading path: LD_LIBRARY_PATH names the folder of the
// simulated port's libraries, as for a user without a printer port.

#include "Form1.h"
#include "FormHarness.h"
#include "LoadedLibrary.h"
#include "PortLibrary.h"
#include "ScriptedDialogs.h"
#include "TraceArea.h"

#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include <dlfcn.h>
#include <signal.h>

#include <memory>

namespace tarvik {

namespace {

bool bit(std::uint8_t byte, int n) {
    return ((byte >> n) & 1) != 0;
}

// Reads 8N1 characters at 16 samples per bit from one data line, each bit
// taken in its middle.
QByteArray decodeUart(const ProgramState& state, int line) {
    const auto level = [&](std::int32_t i) { return bit(state.dataSamples[i], line); };
    QByteArray text;
    for (std::int32_t i = 2; i + 160 <= SampleCount; ++i) {
        if (!level(i - 1) || level(i))
            continue;
        const std::int32_t middle = i + 8; // of the start bit; its stop bit's is 144 on
        if (level(middle) || !level(middle + 144))
            return text + "<framing error>";
        char character = 0;
        for (int b = 0; b < 8; ++b)
            character = char(character | level(middle + 16 * (b + 1)) << b);
        text += character;
        i = middle + 143; // the next edge comes after the stop bit's middle
    }
    return text;
}

// The window with the port libraries of the upper and lower "SCAN" buttons.
struct Harness : BasicFormHarness<PortLibrary> {
    explicit Harness(PortLibraryFile upper = Win95IoLibrary,
                     PortLibraryFile lower = Inpout32Library)
        : BasicFormHarness(upper, lower) {
        click("btRight");
        click("btIn");
    }
};

QByteArray bytesOf(const SampleBuffer& buffer) {
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), SampleCount + 1);
}

// Everything a capture may change, as the user and the other commands see it.
struct Snapshot {
    QByteArray status, data;
    float zoomFactor, viewStart;
    QList<int> bar; // maximum, minimum, value
    QImage picture;
    QString zoomCaption;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const Harness& h) {
    const auto* bar = h.form.findChild<QProgressBar*>("PB1");
    return {bytesOf(h.state->statusSamples),
            bytesOf(h.state->dataSamples),
            h.state->zoomFactor,
            h.state->viewStart,
            {bar->maximum(), bar->minimum(), bar->value()},
            h.form.findChild<TraceArea*>("Picture1")->picture(),
            h.form.findChild<QLabel*>("lbZoom")->text()};
}

} // namespace

class ScanCommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void aFailureChangesNothingAndSaysWhatToDo_data() {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("library missing")
            << QByteArray("btAll") << QByteArray("libtarvik-no-such-port.so")
            << QStringList{"Via inpout32.dll: ", "libtarvik-no-such-port.so", "LD_LIBRARY_PATH",
                           qEnvironmentVariable("LD_LIBRARY_PATH")};
        QTest::newRow("function missing")
            << QByteArray("btOnes") << QByteArray(WITHOUT_READ_LIBRARY)
            << QStringList{"Via WIN95IO.DLL: ", WITHOUT_READ_LIBRARY, "vbInp", "Replace it"};
        QTest::newRow("port unreachable")
            << QByteArray("btOnes") << QByteArray(UNREACHABLE_LIBRARY)
            << QStringList{"Via WIN95IO.DLL: ", UNREACHABLE_LIBRARY,
                           "the test port is switched off. Switch it on."};
    }

    void aFailureChangesNothingAndSaysWhatToDo() {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, file);
        QFETCH(QStringList, mentions);
        const bool upper = button == "btOnes";
        const PortLibraryFile broken{file.constData(), upper ? "vbOut" : "Out32",
                                     upper ? "vbInp" : "Inp32"};
        Harness h(upper ? broken : Win95IoLibrary, upper ? Inpout32Library : broken);
        const Snapshot before = snapshot(h);

        h.click(button.constData());

        QCOMPARE(h.dialogs.messages.size(), 1);
        const QString message = h.dialogs.messages.constFirst();
        for (const QString& mention : mentions)
            QVERIFY2(message.contains(mention), qPrintable(message));
        QVERIFY(snapshot(h) == before);
        // The library is let go, and the next press meets the same failure.
        QVERIFY(!isLoaded(file.constData()));
        h.click(button.constData());
        QCOMPARE(h.dialogs.messages, (QStringList{message, message}));
    }

    // Each button loads its own library when pressed and not before, the
    // capture is redrawn at the same view, and both buttons give the same
    // samples every time.
    void aCaptureThroughTheLibraries() {
        Harness h;
        const Snapshot before = snapshot(h);
        QVERIFY(!isLoaded(Win95IoLibrary.fileName) && !isLoaded(Inpout32Library.fileName));

        h.click("btOnes");
        QVERIFY(isLoaded(Win95IoLibrary.fileName) && !isLoaded(Inpout32Library.fileName));
        const Snapshot after = snapshot(h);
        QVERIFY(after.picture != before.picture);
        QCOMPARE(after.bar, (QList<int>{2048000, 1, int(before.viewStart)}));
        QCOMPARE(after.zoomFactor, before.zoomFactor);
        QCOMPARE(after.viewStart, before.viewStart);
        QCOMPARE(after.zoomCaption, before.zoomCaption);
        for (const char* button : {"btAll", "btOnes"}) {
            h.click(button);
            const Snapshot again = snapshot(h);
            QVERIFY(again.status == after.status && again.data == after.data);
        }
        QVERIFY(h.dialogs.messages.isEmpty());

        // The simulated port's signals: a line of text over and over on data bit 0,
        const ProgramState& s = *h.state;
        const QByteArray text = decodeUart(s, 0);
        const QByteArray line = "Tarvik simulated port\r\n";
        QVERIFY2(text.startsWith(line + line + line), text.left(80).constData());
        QVERIFY(text.size() > 500 * line.size());
        QCOMPARE(text.count(line) * line.size(), text.size() - text.size() % line.size());
        // the bytes DE AD BE EF on bit 2, read at the rising edges of bit 1,
        QByteArray shifted(4, '\0');
        for (int b = 0; b < 32; ++b) {
            QVERIFY(!bit(s.dataSamples[b * 8 + 4], 1) && bit(s.dataSamples[b * 8 + 5], 1));
            shifted[b / 8] = char(shifted[b / 8] << 1 | bit(s.dataSamples[b * 8 + 5], 2));
        }
        QCOMPARE(shifted, QByteArray::fromHex("DEADBEEF"));
        // and status bit 7 starting at 0: the port inverts the high BUSY line.
        QVERIFY(!bit(s.statusSamples[1], 7) && bit(s.statusSamples[2049], 7));
    }

    // A capture claims the port before its first write and lets go of it
    // after its last read, every time.
    void aCaptureHoldsThePortOnlyWhileItReads() {
        Harness h({COUNTING_LIBRARY, TARVIK_WIN95IO_WRITE_NAME, TARVIK_WIN95IO_READ_NAME});
        h.click("btOnes");
        h.click("btOnes");

        void* library = dlopen(COUNTING_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
        QVERIFY(library);
        const auto count = [&](const char* name) {
            return *static_cast<int*>(dlsym(library, name));
        };
        QCOMPARE(count("claims"), 2);
        QCOMPARE(count("releases"), 2);
        QCOMPARE(count("unclaimedCalls"), 0);
        dlclose(library);
        QVERIFY(h.dialogs.messages.isEmpty());
    }

    // The upper button's real library looks for a port permission handed on
    // by the launcher with a read that faults when there is none, as in this
    // test. It answers, and leaves the test's own fault handler and signal
    // mask as they were.
    void theUpperLibraryLooksForAPermissionWithoutHarm() {
        struct sigaction handlerBefore {};
        sigaction(SIGSEGV, nullptr, &handlerBefore);
        sigset_t maskBefore;
        pthread_sigmask(SIG_SETMASK, nullptr, &maskBefore);

        PortLibrary port({IOPERM_LIBRARY, TARVIK_WIN95IO_WRITE_NAME, TARVIK_WIN95IO_READ_NAME});
        if (port.open().isEmpty())
            port.close();

        struct sigaction handlerAfter {};
        sigaction(SIGSEGV, nullptr, &handlerAfter);
        QVERIFY(handlerAfter.sa_sigaction == handlerBefore.sa_sigaction);
        QCOMPARE(handlerAfter.sa_flags, handlerBefore.sa_flags);
        sigset_t maskAfter;
        pthread_sigmask(SIG_SETMASK, nullptr, &maskAfter);
        QCOMPARE(sigismember(&maskAfter, SIGSEGV), sigismember(&maskBefore, SIGSEGV));
    }

    // A library given a folder comes from there alone, not from the search
    // path that holds one of the same name; and a library that knows ports
    // turns away a name that is not one before it touches anything.
    void loadsFromTheFolderGivenAndTellsThePort() {
        const QTemporaryDir empty;
        PortLibrary fromFolder(Inpout32Library, QStringLiteral(TARVIK_DEFAULT_PORT), empty.path());
        const QString notThere = fromFolder.open();
        QVERIFY2(notThere.contains(QStringLiteral("could not be loaded from ") + empty.path()),
                 qPrintable(notThere));

        PortLibrary wrongName({IOPERM_LIBRARY, TARVIK_WIN95IO_WRITE_NAME, TARVIK_WIN95IO_READ_NAME},
                              QStringLiteral("parport01"));
        const QString refused = wrongName.open();
        QVERIFY2(refused.contains(QStringLiteral("does not take parport01 as the port: it is not "
                                                 "the name of a parallel port")),
                 qPrintable(refused));
    }

    // A library that cannot reach the port but knows one that may leaves the
    // advice to the program, which names the way in its own words: the
    // window its button, a program without words of its own the file.
    void adviceComesInTheProgramsWords() {
        const PortLibraryFile unreachable{UNREACHABLE_LIBRARY, TARVIK_WIN95IO_WRITE_NAME,
                                          TARVIK_WIN95IO_READ_NAME};
        const QString reason = QStringLiteral("the test port is switched off. Switch it on. ");
        const QString way = QStringLiteral(", which reaches the port through the kernel's "
                                           "parallel-port driver.");
        PortLibrary window(unreachable, QStringLiteral(TARVIK_DEFAULT_PORT), {}, scanButtonFor);
        const QString windowSays = window.open();
        QVERIFY2(windowSays.endsWith(reason + "Use the lower SCAN button" + way),
                 qPrintable(windowSays));
        PortLibrary plain(unreachable);
        const QString plainSays = plain.open();
        QVERIFY2(plainSays.endsWith(reason + "Use libinpout32.so" + way), qPrintable(plainSays));
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::ScanCommandsTest)
#include "tst_scan_commands.moc"
