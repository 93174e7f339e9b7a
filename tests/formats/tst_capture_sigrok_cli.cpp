#include "Channels.h"
#include "ConvertCaptureFile.h"
#include "RawSampleFile.h"
#include "TestFiles.h"
#include "WriteCaptureFile.h"

#include <QBuffer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace tarvik {

namespace {

// The levels of the thirteen lines in a sample, as a sigrok unit of two
// bytes holds them.
std::uint16_t linesOf(std::uint8_t status, std::uint8_t data) {
    std::uint16_t unit = 0;
    for (const Channel& channel : Channels) {
        const std::uint8_t byte = channel.byte == 0 ? status : data;
        unit |= ((byte >> channel.bit) & 1) << (channel.byte * 8 + channel.bit);
    }
    return unit;
}

// The lines of every sample in sigrok-cli's CSV, by the channel names in its
// header. Rows of values are told from the comments, the row of channel
// types and the rate that it prints among them by their first character.
QList<std::uint16_t> linesOfCsv(const QByteArray& csv) {
    QList<int> positions;
    QList<std::uint16_t> units;
    for (const QByteArray& line : csv.split('\n')) {
        if (line.startsWith("; Channels")) {
            for (const QByteArray& name : line.mid(line.indexOf(':') + 1).split(',')) {
                const auto channel =
                    std::find_if(Channels.begin(), Channels.end(),
                                 [&](const Channel& c) { return name.trimmed() == c.name; });
                positions.append(channel == Channels.end() ? -1 : channel->byte * 8 + channel->bit);
            }
        } else if (line.startsWith('0') || line.startsWith('1')) {
            std::uint16_t unit = 0;
            const QList<QByteArray> values = line.split(',');
            for (qsizetype k = 0; k < values.size() && k < positions.size(); ++k)
                unit |= (values[k].trimmed() == "1" ? 1 : 0) << positions[k];
            units.append(unit);
        }
    }
    return units;
}

QList<std::uint16_t> linesOfPairs(const QByteArray& pairs) {
    QList<std::uint16_t> units;
    for (qsizetype k = 0; k + 1 < pairs.size(); k += 2)
        units.append(
            linesOf(static_cast<std::uint8_t>(pairs[k]), static_cast<std::uint8_t>(pairs[k + 1])));
    return units;
}

QByteArray windowOrderUnits(const QByteArray& pairs) {
    QByteArray units(pairs.size(), Qt::Uninitialized);
    for (qsizetype k = 0; k + 1 < pairs.size(); k += 2) {
        const auto status = static_cast<unsigned>(static_cast<std::uint8_t>(pairs[k]));
        const auto data = static_cast<unsigned>(static_cast<std::uint8_t>(pairs[k + 1]));
        unsigned unit = 0;
        for (int b = 0; b < 5; ++b)
            unit |= (status >> (7 - b) & 1U) << b;
        for (int b = 0; b < 8; ++b)
            unit |= (data >> (7 - b) & 1U) << (5 + b);
        units[k] = static_cast<char>(unit & 0xFF);
        units[k + 1] = static_cast<char>(unit >> 8);
    }
    return units;
}

} // namespace

// Files the program writes, as sigrok-cli reads them back. The source is the
// counting pattern, every byte its offset, so that every line changes and no
// two neighbouring samples are alike.
class CaptureSigrokCliTest : public QObject {
    Q_OBJECT

    QString sigrok_;
    QTemporaryDir dir_;

    QByteArray run(const QStringList& arguments) {
        QProcess process;
        process.start(sigrok_, arguments);
        if (!process.waitForFinished(300'000) || process.exitCode() != 0)
            return "sigrok-cli failed: " + process.readAllStandardError();
        return process.readAllStandardOutput();
    }

  private slots:
    void initTestCase() {
        sigrok_ = QStandardPaths::findExecutable(QStringLiteral("sigrok-cli"));
        if (sigrok_.isEmpty())
            QSKIP("sigrok-cli is not installed");
    }

    void sessionsKeepNamesRateAndEverySample() {
        // One session of a few samples, and one of more than a chunk.
        const QByteArray pairs = countingBytes(2 * 5'000);
        QBuffer buffer;
        buffer.setData(pairs);
        buffer.open(QIODevice::ReadOnly);
        RawSampleFile samples(buffer, {5'000, 1e6, QStringLiteral("S6=f,D0=1")});
        const QString small = dir_.filePath(QStringLiteral("small.sr"));
        QCOMPARE(WriteCaptureFile(small, CaptureFormat::Sr, samples), QString());

        const QByteArray shown = run({"-i", small, "--show"});
        QVERIFY2(shown.contains("Samplerate: 1000000\n"), shown.constData());
        QVERIFY2(shown.contains("Logic sample count: 5000\n"), shown.constData());
        for (const char* name :
             {"S7", "S6", "S5", "S4", "S3", "D7", "D6", "D5", "D4", "D3", "D2", "D1", "D0"})
            QVERIFY2(shown.contains(QByteArray("- ") + name + ": logic\n"), name);
        QCOMPARE(linesOfCsv(run({"-i", small, "-O", "csv"})), linesOfPairs(pairs));

        // Three chunks of 4 MiB at most: noise, which is stored, then the
        // counting pattern, which is deflated.
        const qint64 manySamples = 4'500'000;
        QByteArray noise(4 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator random(7);
        random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        const QByteArray manyPairs = noise + countingBytes(2 * manySamples - noise.size());
        QBuffer many;
        many.setData(manyPairs);
        many.open(QIODevice::ReadOnly);
        RawSampleFile manySource(many, {manySamples, 1e6, {}});
        const QString large = dir_.filePath(QStringLiteral("large.sr"));
        QCOMPARE(WriteCaptureFile(large, CaptureFormat::Sr, manySource), QString());
        QVERIFY(run({"-i", large, "--show"}).contains("Logic sample count: 4500000\n"));
        // sigrok's binary output is the units as they are: S7 on bit 0 ... D0
        // on bit 12, low byte first.
        QVERIFY(run({"-i", large, "-O", "binary"}) == windowOrderUnits(manyPairs));
    }

    void dumpsAtOneTickPerSampleKeepEverySample() {
        const QByteArray pairs = countingBytes(4'096'000);
        const QString lgc = dir_.filePath(QStringLiteral("counting.lgc"));
        const QString vcd = dir_.filePath(QStringLiteral("counting.vcd"));
        QVERIFY(writeFile(lgc, pairs));
        QCOMPARE(ConvertCaptureFile(lgc, vcd, CaptureFormat::Vcd, 1e6), QString());
        const QList<std::uint16_t> read = linesOfCsv(run({"-I", "vcd", "-i", vcd, "-O", "csv"}));
        QCOMPARE(read.size(), 2'048'000);
        QVERIFY(read == linesOfPairs(pairs));
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::CaptureSigrokCliTest)
#include "tst_capture_sigrok_cli.moc"
