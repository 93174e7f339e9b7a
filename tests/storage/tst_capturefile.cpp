#include "CaptureFileCommands.h"
#include "CaptureTransfer.h"
#include "FailingDevice.h"
#include "RecordingProgressBar.h"
#include "ScriptedDialogs.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>

namespace {

const QStringList ProgressStart{QStringLiteral("max 2048000"), QStringLiteral("min 1"),
                                QStringLiteral("value 1"), QStringLiteral("value 1"),
                                QStringLiteral("value 2")};

// Both buffers, index 0 included.
QByteArray buffers(const ProgramState& state) {
    return QByteArray(reinterpret_cast<const char*>(state.statusSamples.data()), SampleCount + 1) +
           QByteArray(reinterpret_cast<const char*>(state.dataSamples.data()), SampleCount + 1);
}

// Passes every setting on; `midway` runs when a transfer is half done, for
// tests that change the file system under a running save.
class MidwayProgress final : public ProgressBar {
  public:
    explicit MidwayProgress(ProgressBar& bar) : bar_(bar) {}
    std::function<void()> midway;

    void setMax(float value) override { bar_.setMax(value); }
    void setMin(float value) override { bar_.setMin(value); }
    void setValue(float value) override {
        bar_.setValue(value);
        if (value == float(SampleCount / 2) && midway)
            midway();
    }

  private:
    ProgressBar& bar_;
};

// The two commands over a fresh program state, with scripted dialogs and a
// recording progress bar, in a temporary directory.
struct Commands {
    QTemporaryDir dir;
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ScriptedDialogs dialogs;
    CommonDialog CD1{dialogs};
    RecordingProgressBar progress;
    MidwayProgress midwayProgress{progress};
    int previousPages = 0;
    CaptureFileCommands commands{*state, CD1, midwayProgress, [this] { ++previousPages; }};

    Commands() { FillTestPattern(*state); }

    QString path(const QString& name) const { return dir.filePath(name); }

    void load(std::optional<QString> answer) {
        dialogs.fileAnswers.push_back(std::move(answer));
        commands.load();
    }
    void save(std::optional<QString> answer) {
        dialogs.fileAnswers.push_back(std::move(answer));
        commands.save();
    }
};

// Lowers the largest file this process may write, as a full disk would stop
// it, for as long as it lives.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, SIG_DFL);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit saved_{};
};

} // namespace

class CaptureFileTest : public QObject {
    Q_OBJECT

  private slots:
    void saveWritesTheStartUpPattern() {
        Commands c;
        c.save(c.path(QStringLiteral("pattern.lgc")));

        const QByteArray group("\xFF\xFF\xFF\xFF\x00\x00\x00\x00", 8);
        QCOMPARE(readFile(c.path(QStringLiteral("pattern.lgc"))), group.repeated(512'000));
        QCOMPARE(c.progress.calls.mid(0, 5), ProgressStart);
        QCOMPARE(c.progress.valueCount, SampleCount + 1);
        QCOMPARE(c.progress.value, float(SampleCount));
        QCOMPARE(c.previousPages, 0);
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
        const QString earlier = c.path(QStringLiteral("earlier.lgc"));
        QVERIFY(writeFile(earlier, QByteArray(CaptureFileSize, '\xEE')));
        c.load(earlier);
        c.state->statusSamples[0] = c.state->dataSamples[0] = 0x5A;
        const QString name = c.path(QStringLiteral("counting.bin"));
        QVERIFY(writeFile(name, countingBytes(size)));
        c.progress = RecordingProgressBar();
        c.previousPages = 0;

        c.load(name);

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
        QCOMPARE(c.progress.calls.mid(0, 5), ProgressStart);
        QCOMPARE(c.progress.valueCount, SampleCount + 1);
        QCOMPARE(c.progress.value, float(SampleCount));
        QCOMPARE(c.previousPages, 1);
    }

    void loadThenSaveReproducesTheFile() {
        Commands c;
        QByteArray original(CaptureFileSize, Qt::Uninitialized);
        QRandomGenerator random(2'048'000);
        random.fillRange(reinterpret_cast<quint32*>(original.data()), original.size() / 4);
        QVERIFY(writeFile(c.path(QStringLiteral("original.lgc")), original));
        // Saving over a longer file leaves exactly one capture.
        QVERIFY(writeFile(c.path(QStringLiteral("copy.lgc")), QByteArray(5'000'000, '\xEE')));

        c.load(c.path(QStringLiteral("original.lgc")));
        c.save(c.path(QStringLiteral("copy.lgc")));

        QVERIFY(readFile(c.path(QStringLiteral("copy.lgc"))) == original);
        QVERIFY(c.dialogs.messages.isEmpty());
    }

    void failedLoadChangesNothing_data() {
        QTest::addColumn<std::optional<QString>>("answer");
        QTest::newRow("cancelled") << std::optional<QString>();
        QTest::newRow("a name that does not exist")
            << std::optional<QString>(QStringLiteral("vanished.lgc"));
        QTest::newRow("a folder") << std::optional<QString>(QStringLiteral("."));
        // Reading it at offset 0 fails with an I/O error, whoever runs the test.
        QTest::newRow("a file that cannot be read")
            << std::optional<QString>(QStringLiteral("/proc/self/mem"));
    }

    void failedLoadChangesNothing() {
        QFETCH(std::optional<QString>, answer);
        Commands c;
        if (answer)
            answer = c.path(*answer);
        const QByteArray before = buffers(*c.state);

        c.load(answer);

        QVERIFY(buffers(*c.state) == before);
        QVERIFY(c.progress.calls.isEmpty());
        QCOMPARE(c.previousPages, 0);
    }

    void readErrorPartWayLeavesTheCapture() {
        Commands c;
        const QByteArray before = buffers(*c.state);
        FailingDevice device(countingBytes(CaptureFileSize), 1'000'000);
        QVERIFY(device.open(QIODevice::ReadOnly));
        auto scratch = std::make_unique<CaptureImage>();

        QVERIFY(!ReadCapture(device, *scratch, *c.state, c.progress));
        QVERIFY(buffers(*c.state) == before);
        QVERIFY(c.progress.calls.isEmpty());
    }

    void failedSaveIsReportedAndKeepsTheOldFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("fileSizeLimit");
        QTest::addColumn<bool>("folderAppearsMidway");
        QTest::addColumn<QString>("reason");
        // No one may create files in /proc, not even root.
        QTest::newRow("folder that cannot be written")
            << QStringLiteral("/proc/capture.lgc") << qint64(0) << false << QString();
        QTest::newRow("folder that is a file")
            << QStringLiteral("old.lgc/capture.lgc") << qint64(0) << false
            << QString::fromLocal8Bit(std::strerror(ENOTDIR));
        QTest::newRow("disk full part-way")
            << QStringLiteral("old.lgc") << qint64(1'000'000) << false
            << QString::fromLocal8Bit(std::strerror(EFBIG));
        QTest::newRow("name taken by a folder before the end")
            << QStringLiteral("new.lgc") << qint64(0) << true
            << QString::fromLocal8Bit(std::strerror(EISDIR));
    }

    void failedSaveIsReportedAndKeepsTheOldFile() {
        QFETCH(QString, name);
        QFETCH(qint64, fileSizeLimit);
        QFETCH(bool, folderAppearsMidway);
        QFETCH(QString, reason);
        Commands c;
        const QString old = c.path(QStringLiteral("old.lgc"));
        QVERIFY(writeFile(old, "an earlier capture"));
        const QString path = QDir::isAbsolutePath(name) ? name : c.path(name);
        if (folderAppearsMidway)
            c.midwayProgress.midway = [&] { QDir().mkdir(path); };

        if (fileSizeLimit > 0) {
            const FileSizeLimit limit{rlim_t(fileSizeLimit)};
            c.save(path);
        } else {
            c.save(path);
        }

        QCOMPARE(c.dialogs.messages.size(), 1);
        const QString message = c.dialogs.messages.constFirst();
        QVERIFY2(message.contains(QDir::toNativeSeparators(path)), qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
        QCOMPARE(readFile(old), QByteArray("an earlier capture"));
        QCOMPARE(QDir(c.dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("old.lgc")});
    }
};

QTEST_MAIN(CaptureFileTest)
#include "tst_capturefile.moc"
