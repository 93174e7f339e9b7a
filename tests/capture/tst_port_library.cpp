// The port libraries through the real loading path: LD_LIBRARY_PATH names the
// folder of the simulated port's libraries, as for a user without a port.

#include "Capture.h"
#include "LoadedLibrary.h"
#include "PortLibrary.h"
#include "RecordingProgressBar.h"

#include <QTest>

#include <memory>

namespace {

std::unique_ptr<ProgramState> captureThrough(PortDevice& port) {
    auto state = std::make_unique<ProgramState>();
    RecordingProgressBar bar;
    CaptureSamples(*state, port, bar);
    return state;
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

        // The bytes DE AD BE EF on bit 2, read at the rising edges of bit 1.
        QByteArray shifted(4, '\0');
        for (int b = 0; b < 32; ++b) {
            QVERIFY(!bit(s.dataSamples[b * 8 + 4], 1) && bit(s.dataSamples[b * 8 + 5], 1));
            shifted[b / 8] = char(shifted[b / 8] << 1 | bit(s.dataSamples[b * 8 + 5], 2));
        }
        QCOMPARE(shifted, QByteArray::fromHex("DEADBEEF"));
        // Status bit 7 starts at 0: the port inverts the high BUSY line.
        QVERIFY(!bit(s.statusSamples[1], 7) && bit(s.statusSamples[2049], 7));
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
