#include "CaptureFileCommands.h"
#include "CaptureTransfer.h"
#include "ClosedFolder.h"
#include "FailingDevice.h"
#include "FileSizeLimit.h"
#include "RecordingProgressBar.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <optional>

namespace tarvik {

namespace {

// The start-up pattern as a file holds it.
const QByteArray TestPattern = QByteArray("\xFF\xFF\xFF\xFF\x00\x00\x00\x00", 8).repeated(512'000);

const QStringList ProgressStart{"max 2048000", "min 1", "value 1", "value 1", "value 2"};

// Both buffers, index 0 included.
QByteArray buffers(const ProgramState& state) {
    return QByteArray(reinterpret_cast<const char*>(state.statusSamples.data()), SampleCount + 1) +
           QByteArray(reinterpret_cast<const char*>(state.dataSamples.data()), SampleCount + 1);
}

// Records every setting; `midway` runs when a transfer is half done.
struct Progress final : ProgressBar {
    RecordingProgressBar record;
    std::function<void()> midway;
    void setMax(float v) override { record.setMax(v); }
    void setMin(float v) override { record.setMin(v); }
    void setValue(float v) override {
        record.setValue(v);
        if (midway && v == float(SampleCount / 2))
            midway();
    }
};

// The two commands over the start-up pattern, in a temporary directory.
struct Commands {
    QTemporaryDir dir;
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ScriptedDialogs dialogs;
    CommonDialog CD1{dialogs};
    Progress progress;
    int previousPages = 0;
    CaptureFileCommands commands{*state, CD1, progress, [this] { ++previousPages; }};

    Commands() { FillTestPattern(*state); }
    QString path(const QString& name) const { return dir.filePath(name); }
    void load(const QString& name) {
        dialogs.fileAnswers.push_back(name);
        commands.load();
    }
    void save(const QString& name) {
        dialogs.fileAnswers.push_back(name);
        commands.save();
    }
};

} // namespace

class CaptureFileTest : public QObject {
    Q_OBJECT

  private slots:
    void saveWritesTheBuffersUnchanged() {
        Commands c;
        c.save(c.path("pattern.lgc"));
        QCOMPARE(readFile(c.path("pattern.lgc")), TestPattern);
        QCOMPARE(c.progress.record.calls.mid(0, 5), ProgressStart);
        QCOMPARE(c.progress.record.valueCount, SampleCount + 1);
        QCOMPARE(c.progress.record.value, float(SampleCount));
        QCOMPARE(c.previousPages, 0);

        // A loaded file saved again, over a longer one, comes back byte for byte.
        QByteArray original(CaptureFileSize, Qt::Uninitialized);
        QRandomGenerator(2'048'000).fillRange(reinterpret_cast<quint32*>(original.data()),
                                              original.size() / 4);
        QVERIFY(writeFile(c.path("original.lgc"), original));
        QVERIFY(writeFile(c.path("copy.lgc"), QByteArray(5'000'000, '\xEE')));
        c.load(c.path("original.lgc"));
        c.save(c.path("copy.lgc"));
        QVERIFY(readFile(c.path("copy.lgc")) == original);
        QVERIFY(c.dialogs.messages.isEmpty());
    }

    void loadTakesTheFirstBytesOfTheFile_data() {
        QTest::addColumn<qint64>("size");
        QTest::newRow("exactly one capture") << qint64(CaptureFileSize);
        QTest::newRow("longer") << qint64(CaptureFileSize + 4099);
        QTest::newRow("shorter, ending inside a sample") << qint64(1'000'001);
        QTest::newRow("empty") << qint64(0);
    }

    void loadTakesTheFirstBytesOfTheFile() {
        QFETCH(qint64, size);
        Commands c;
        // An earlier load leaves its bytes in the command's own buffer too.
        QVERIFY(writeFile(c.path("earlier.lgc"), QByteArray(CaptureFileSize, '\xEE')));
        c.load(c.path("earlier.lgc"));
        c.state->statusSamples[0] = c.state->dataSamples[0] = 0x5A;
        QVERIFY(writeFile(c.path("counting.bin"), countingBytes(size)));
        c.progress.record = RecordingProgressBar();

        c.load(c.path("counting.bin"));

        const auto expected = [size](qint64 offset) {
            return offset < size ? std::uint8_t(offset & 0xFF) : std::uint8_t{0};
        };
        QCOMPARE(c.state->statusSamples[0], std::uint8_t{0x5A});
        QCOMPARE(c.state->dataSamples[0], std::uint8_t{0x5A});
        for (std::int32_t i = 1; i <= SampleCount; ++i) {
            if (c.state->statusSamples[i] != expected(2LL * i - 2) ||
                c.state->dataSamples[i] != expected(2LL * i - 1))
                QFAIL(qPrintable(QStringLiteral("sample %1 is wrong").arg(i)));
        }
        QCOMPARE(c.progress.record.calls.mid(0, 5), ProgressStart);
        QCOMPARE(c.progress.record.valueCount, SampleCount + 1);
        QCOMPARE(c.progress.record.value, float(SampleCount));
        QCOMPARE(c.previousPages, 2); // one for each load
    }

    void failedLoadChangesNothing() {
        Commands c;
        const QByteArray before = buffers(*c.state);
        // A name that does not exist, and a file that cannot be read at offset 0
        // whoever runs the test.
        c.load(c.path("vanished.lgc"));
        c.load(QStringLiteral("/proc/self/mem"));
        // Names that no load may wait on: a named pipe no one writes to, a folder,
        // a terminal where nothing has been typed.
        const QString pipe = c.path("pipe.lgc");
        QVERIFY(mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        c.load(pipe);
        c.load(c.dir.path());
        int terminal = -1;
        int keyboard = -1;
        QVERIFY(openpty(&keyboard, &terminal, nullptr, nullptr, nullptr) == 0);
        c.load(QFile::decodeName(ttyname(terminal)));
        close(terminal);
        close(keyboard);
        // A read error part-way through.
        FailingDevice device(countingBytes(CaptureFileSize), 1'000'000);
        QVERIFY(device.open(QIODevice::ReadOnly));
        auto scratch = std::make_unique<CaptureImage>();
        QVERIFY(!ReadCapture(device, *scratch, *c.state, c.progress));

        QVERIFY(buffers(*c.state) == before);
        QVERIFY(c.progress.record.calls.isEmpty());
        QCOMPARE(c.previousPages, 0);
    }

    // A device that never ends gives its first bytes, as a longer file does.
    void endlessDeviceLoads() {
        Commands c;
        c.load(QStringLiteral("/dev/zero"));
        QVERIFY(buffers(*c.state) == QByteArray(2 * (SampleCount + 1), '\0'));
        QCOMPARE(c.previousPages, 1);
    }

    // Where the folder takes no new files, a file open to writing is written
    // in place; a failure part-way is reported as such, and the file is kept
    // with what reached it, also once the folder is open again.
    void savedInPlaceInAFolderClosedToNewFiles() {
        Commands c;
        const QString shared = c.path("shared.lgc");
        QVERIFY(writeFile(shared, QByteArray(5'000'000, '\xEE')));
        std::optional<ClosedFolder> closed(std::in_place, c.dir.path());
        QVERIFY(!writeFile(c.path("new.lgc"), "x"));
        c.save(shared);
        QVERIFY2(c.dialogs.messages.isEmpty(), qPrintable(c.dialogs.messages.join(u'|')));
        QVERIFY(readFile(shared).startsWith(TestPattern));

        c.progress.midway = [&closed] { closed.reset(); };
        {
            const FileSizeLimit limit(3'000'000);
            c.save(shared);
        }
        QVERIFY(!closed);
        QCOMPARE(c.dialogs.messages.size(), 1);
        QVERIFY2(c.dialogs.messages[0].contains(QDir::toNativeSeparators(shared)) &&
                     c.dialogs.messages[0].contains(QStringLiteral("incomplete")),
                 qPrintable(c.dialogs.messages[0]));
        QCOMPARE(readFile(shared), TestPattern.first(3'000'000));
        QCOMPARE(QDir(c.dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"shared.lgc"});
    }

    void failedSaveIsReportedAndKeepsTheOldFile() {
        Commands c;
        const QString old = c.path("old.lgc");
        QVERIFY(writeFile(old, "an earlier capture"));
        // One message naming the file; the old file intact and nothing left beside it.
        const auto savingFails = [&c, &old](const QString& path) {
            c.dialogs.messages.clear();
            c.save(path);
            QCOMPARE(c.dialogs.messages.size(), 1);
            QVERIFY2(c.dialogs.messages[0].contains(QDir::toNativeSeparators(path)) &&
                         c.dialogs.messages[0].contains(QStringLiteral("unchanged")),
                     qPrintable(c.dialogs.messages[0]));
            QCOMPARE(readFile(old), QByteArray("an earlier capture"));
            QCOMPARE(QDir(c.dir.path()).entryList(QDir::Files | QDir::Hidden),
                     QStringList{"old.lgc"});
        };

        // No one may create files in /proc, not even root.
        savingFails(QStringLiteral("/proc/capture.lgc"));
        // A lowered limit on the size of files stops the write part-way, as a full disk would.
        {
            const FileSizeLimit limit(1'000'000);
            savingFails(old);
        }
        // The name is taken by a folder before the file is complete.
        c.progress.midway = [&c] { QDir().mkdir(c.path("new.lgc")); };
        savingFails(c.path("new.lgc"));
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::CaptureFileTest)
#include "tst_capturefile.moc"
