// The port libraries through the real loading path: LD_LIBRARY_PATH names the
// folder of the simulated port's libraries, as for a user without a port.

#include "Capture.h"
#include "PortLibrary.h"
#include "RecordingProgressBar.h"

#include <QTest>

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

bool isLoaded(const char* fileName) {
    void* handle = dlopen(fileName, RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
}

std::unique_ptr<ProgramState> captureThrough(PortDevice& port) {
    auto state = std::make_unique<ProgramState>();
    RecordingProgressBar bar;
    CaptureSamples(*state, port, bar);
    return state;
}

bool sameSamples(const ProgramState& a, const ProgramState& b) {
    const auto bytes = static_cast<std::size_t>(SampleCount) + 1;
    return std::memcmp(a.statusSamples.data(), b.statusSamples.data(), bytes) == 0 &&
           std::memcmp(a.dataSamples.data(), b.dataSamples.data(), bytes) == 0;
}

bool bit(std::uint8_t byte, int n) {
    return ((byte >> n) & 1) != 0;
}

// Reads 8N1 characters at 16 samples per bit from one data line, each bit
// taken in its middle.
QByteArray decodeUart(const ProgramState& state, int line) {
    constexpr std::int32_t BitSamples = 16;
    QByteArray text;
    std::int32_t i = 2;
    while (i + 10 * BitSamples <= SampleCount) {
        const bool falling =
            bit(state.dataSamples[i - 1], line) && !bit(state.dataSamples[i], line);
        if (!falling) {
            ++i;
            continue;
        }
        const std::int32_t middle = i + BitSamples / 2;
        unsigned character = 0;
        for (int b = 0; b < 8; ++b)
            character |= unsigned(bit(state.dataSamples[middle + (b + 1) * BitSamples], line)) << b;
        if (bit(state.dataSamples[middle], line) ||
            !bit(state.dataSamples[middle + 9 * BitSamples], line))
            return text + "<framing error>";
        text += static_cast<char>(character);
        i = middle + 9 * BitSamples;
    }
    return text;
}

} // namespace

class PortLibraryTest : public QObject {
    Q_OBJECT

  private slots:
    // Runs first: nothing in this process has loaded a port library yet.
    void loadsALibraryOnlyWhenItsPortIsOpened() {
        PortLibrary win95io(Win95IoLibrary);
        PortLibrary inpout32(Inpout32Library);
        QVERIFY(!isLoaded(Win95IoLibrary.fileName));
        QVERIFY(!isLoaded(Inpout32Library.fileName));

        QCOMPARE(win95io.open(), QString());
        QVERIFY(isLoaded(Win95IoLibrary.fileName));
        QVERIFY(!isLoaded(Inpout32Library.fileName));

        QCOMPARE(inpout32.open(), QString());
        QCOMPARE(inpout32.open(), QString());
        QVERIFY(isLoaded(Inpout32Library.fileName));
    }

    void bothLibrariesGiveTheSameSamplesEveryTime() {
        PortLibrary win95io(Win95IoLibrary);
        PortLibrary inpout32(Inpout32Library);
        QCOMPARE(win95io.open(), QString());
        QCOMPARE(inpout32.open(), QString());

        const auto first = captureThrough(win95io);
        const auto second = captureThrough(inpout32);
        const auto third = captureThrough(win95io);
        QVERIFY(sameSamples(*first, *second));
        QVERIFY(sameSamples(*first, *third));
    }

    void simulatedPortCarriesReadableSignals() {
        PortLibrary inpout32(Inpout32Library);
        QCOMPARE(inpout32.open(), QString());
        const auto state = captureThrough(inpout32);
        const ProgramState& s = *state;

        // 40 idle bits, then the text over and over on data bit 0.
        for (std::int32_t i = 1; i <= 40 * 16; ++i)
            QVERIFY(bit(s.dataSamples[i], 0));
        QVERIFY(!bit(s.dataSamples[40 * 16 + 1], 0));
        const QByteArray text = decodeUart(s, 0);
        const QByteArray line = "Tarvik simulated port\r\n";
        QVERIFY2(text.startsWith(line + line + line), text.left(80).constData());
        QVERIFY(text.size() > 500 * line.size());
        QCOMPARE(text.count(line) * line.size(), text.size() - text.size() % line.size());

        // A clock of 8 samples on bit 1, the data on bit 2 read at its rising
        // edges, changing only where the clock falls; a frame mark on bit 3.
        QByteArray shifted;
        QList<bool> frameAtByteStart;
        unsigned byte = 0;
        int bits = 0;
        long long risingEdges = 0;
        long long changesOffTheFallingEdge = 0;
        for (std::int32_t i = 2; i <= SampleCount; ++i) {
            const std::uint8_t before = s.dataSamples[i - 1];
            const std::uint8_t now = s.dataSamples[i];
            changesOffTheFallingEdge +=
                bit(now, 2) != bit(before, 2) && !(bit(before, 1) && !bit(now, 1));
            if (bit(before, 1) || !bit(now, 1) || shifted.size() == 8)
                continue;
            ++risingEdges;
            if (bits == 0)
                frameAtByteStart << bit(now, 3);
            byte = byte << 1 | unsigned(bit(now, 2));
            if (++bits == 8) {
                shifted += static_cast<char>(byte);
                byte = 0;
                bits = 0;
            }
        }
        QCOMPARE(changesOffTheFallingEdge, 0LL);
        QCOMPARE(risingEdges, 64LL);
        QCOMPARE(shifted, QByteArray::fromHex("DEADBEEFDEADBEEF"));
        QCOMPARE(frameAtByteStart,
                 (QList<bool>{true, false, false, false, true, false, false, false}));

        // A counter on bits 4 ... 7, one up every 256 samples.
        long long wrongCounts = 0;
        for (std::int32_t i = 1; i <= SampleCount; ++i)
            wrongCounts += s.dataSamples[i] >> 4 != ((i - 1) / 256) % 16;
        QCOMPARE(wrongCounts, 0LL);

        // The status lines: bits 2 ... 0 read 0, bit 7 starts at 0 (the port
        // inverts the high BUSY line), and every drawn line moves.
        for (int line = 3; line <= 7; ++line) {
            long long changes = 0;
            for (std::int32_t i = 2; i <= SampleCount; ++i)
                changes += bit(s.statusSamples[i], line) != bit(s.statusSamples[i - 1], line);
            QVERIFY2(changes > 0, qPrintable(QStringLiteral("status bit %1").arg(line)));
        }
        QVERIFY(!bit(s.statusSamples[1], 7));
        QVERIFY(bit(s.statusSamples[2049], 7));
        long long lowBitsSet = 0;
        for (std::int32_t i = 1; i <= SampleCount; ++i)
            lowBitsSet += (s.statusSamples[i] & 0x07) != 0;
        QCOMPARE(lowBitsSet, 0LL);
    }

    void failuresSayWhichLibraryWhyAndWhatToDo_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("mentions");
        const QString simulated = qEnvironmentVariable("LD_LIBRARY_PATH");
        QTest::newRow("library missing")
            << QStringLiteral("libtarvik-no-such-port.so")
            << QStringList{QStringLiteral("libtarvik-no-such-port.so"),
                           QStringLiteral("LD_LIBRARY_PATH"), simulated};
        QTest::newRow("function missing")
            << QStringLiteral(WITHOUT_READ_LIBRARY)
            << QStringList{QStringLiteral(WITHOUT_READ_LIBRARY), QStringLiteral("vbInp"),
                           QStringLiteral("Replace it")};
        QTest::newRow("port unreachable")
            << QStringLiteral(UNREACHABLE_LIBRARY)
            << QStringList{QStringLiteral(UNREACHABLE_LIBRARY),
                           QStringLiteral("the test port is switched off. Switch it on.")};
    }

    void failuresSayWhichLibraryWhyAndWhatToDo() {
        QFETCH(QString, fileName);
        QFETCH(QStringList, mentions);
        const QByteArray name = fileName.toLocal8Bit();
        PortLibrary library(PortLibraryFile{name.constData(), "vbOut", "vbInp"});

        const QString failure = library.open();
        for (const QString& mention : mentions)
            QVERIFY2(failure.contains(mention), qPrintable(failure));
        // The library is let go, and the next attempt meets the same failure.
        QVERIFY(!isLoaded(name.constData()));
        QCOMPARE(library.open(), failure);
    }
};

QTEST_MAIN(PortLibraryTest)
#include "tst_port_library.moc"
