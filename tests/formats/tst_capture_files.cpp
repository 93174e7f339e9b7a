#include "CaptureSummary.h"
#include "ClosedFolder.h"
#include "ConvertCaptureFile.h"
#include "FailingDevice.h"
#include "OpenCaptureFile.h"
#include "RawSampleFile.h"
#include "TestFiles.h"
#include "WriteCaptureFile.h"

#include <QBuffer>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

#include <sys/stat.h>

#include <utility>

namespace tarvik {

namespace {

using Members = QList<std::pair<QByteArray, QByteArray>>;

bool writeZip(const QString& path, const Members& members) {
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    for (const auto& [name, bytes] : members) {
        zip_source_t* source = zip_source_buffer(zip, bytes.constData(), bytes.size(), 0);
        if (zip_file_add(zip, name.constData(), source, 0) < 0)
            return false;
    }
    return zip_close(zip) == 0;
}

QByteArray readMember(const QString& path, const char* name) {
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, nullptr);
    zip_stat_t stat;
    QByteArray bytes;
    if (zip && zip_stat(zip, name, 0, &stat) == 0) {
        bytes.resize(static_cast<qsizetype>(stat.size));
        zip_file_t* file = zip_fopen(zip, name, 0);
        zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
    }
    zip_discard(zip);
    return bytes;
}

// The metadata of a session as sigrok's notes describe it, with the probes
// given.
QByteArray metadataWith(const char* probes, const char* unitSize = "2") {
    return QByteArray("[device 1]\ncapturefile=logic-1\ntotal probes=16\nsamplerate=1 MHz\n"
                      "total analog=0\n") +
           probes + "unitsize=" + unitSize + "\n";
}

constexpr char OurProbes[] = "probe4=S3\nprobe5=S4\nprobe6=S5\nprobe7=S6\nprobe8=S7\nprobe9=D0\n"
                             "probe10=D1\nprobe11=D2\nprobe12=D3\nprobe13=D4\nprobe14=D5\n"
                             "probe15=D6\nprobe16=D7\n";

// The samples in memory, read as a device is.
struct Samples {
    QBuffer buffer;
    RawSampleFile source;

    Samples(const QByteArray& pairs, CaptureFacts facts) : source(buffer, std::move(facts)) {
        buffer.setData(pairs);
        buffer.open(QIODevice::ReadOnly);
    }
};

QByteArray readAll(SampleSource& source) {
    QByteArray pairs;
    std::vector<std::uint8_t> block(1000 * BytesPerSample);
    for (std::int64_t got; (got = source.read(block.data(), 1000)) > 0;)
        pairs.append(reinterpret_cast<const char*>(block.data()), got * BytesPerSample);
    return pairs;
}

// A sample of all thirteen lines as a session packs it: S7 on bit 0 ... D0
// on bit 12, low byte first.
QByteArray unitOf(std::uint8_t status, std::uint8_t data) {
    unsigned unit = 0;
    for (int k = 0; k < 5; ++k)
        unit |= (status >> (7 - k) & 1U) << k;
    for (int k = 0; k < 8; ++k)
        unit |= (data >> (7 - k) & 1U) << (5 + k);
    const char bytes[] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return QByteArray(bytes, 2);
}

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(21);
    for (char& byte : bytes)
        byte = static_cast<char>(random.generate());
    return bytes;
}

} // namespace

// Capture files written and read back in every format, refused when they
// are no capture, and never left half written.
class CaptureFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

  private slots:
    void capturesReadBackAsWritten() {
        // More samples than one chunk of a session holds.
        const QByteArray pairs = randomBytes(2 * 2'100'000);
        Samples samples(pairs, {2'100'000, 723456.0, QStringLiteral("S6=f")});
        const QString session = path(QStringLiteral("back.sr"));
        QCOMPARE(WriteCaptureFile(session, CaptureFormat::Sr, samples.source), QString());
        QCOMPARE(readMember(session, "version"), QByteArray("2"));
        QCOMPARE(readMember(session, "metadata"),
                 QByteArray("[device 1]\ncapturefile=logic-1\ntotal probes=13\n"
                            "samplerate=723.456 kHz\ntotal analog=0\n"
                            "probe1=S7\nprobe2=S6\nprobe3=S5\nprobe4=S4\nprobe5=S3\n"
                            "probe6=D7\nprobe7=D6\nprobe8=D5\nprobe9=D4\nprobe10=D3\n"
                            "probe11=D2\nprobe12=D1\nprobe13=D0\nunitsize=2\n\n[tarvik]\n"
                            "lines=S7,S6,S5,S4,S3,D7,D6,D5,D4,D3,D2,D1,D0\ntrigger=S6=f\n"));
        // S7 is bit 0 of the unit and D0 bit 12; status bits 2 ... 0 are no
        // lines and are not kept.
        QCOMPARE(readMember(session, "logic-1-1").left(2),
                 unitOf(quint8(pairs[0]), quint8(pairs[1])));
        QByteArray lines = pairs;
        for (qsizetype k = 0; k < lines.size(); k += 2)
            lines[k] = static_cast<char>(lines[k] & 0xF8);
        QString whyNot;
        std::unique_ptr<SampleSource> read = OpenCaptureFile(session, &whyNot);
        QVERIFY2(read, qPrintable(whyNot));
        QCOMPARE(read->facts().sampleCount, 2'100'000);
        QCOMPARE(read->facts().sampleRate, 723456.0);
        QCOMPARE(read->facts().trigger, QStringLiteral("S6=f"));
        QVERIFY(readAll(*read) == lines);

        // The same capture cut to a .lgc's length, through a session again.
        const QString lgc = path(QStringLiteral("back.lgc"));
        QVERIFY(writeFile(lgc, pairs.left(4'096'000)));
        const QString again = path(QStringLiteral("again.lgc"));
        QCOMPARE(ConvertCaptureFile(lgc, session, CaptureFormat::Sr, 0), QString());
        QCOMPARE(ConvertCaptureFile(session, again, CaptureFormat::Lgc, 0), QString());
        QVERIFY(readFile(again) == lines.left(4'096'000));
        read = OpenCaptureFile(session, &whyNot);
        QCOMPARE(read->facts().sampleRate, 0.0);
        QVERIFY(!readMember(session, "metadata").contains("samplerate"));
    }

    // A choice of lines is packed into units just wide enough, named as
    // chosen, and read back with the other lines low; a session written
    // before lines were chosen (all thirteen on their register bits) still
    // reads, S7 first.
    void sessionsHoldTheChosenLines() {
        QString why;
        Samples chosen(QByteArray("\x08\x00\x00\x01\xF7\xFE", 6),
                       {3, 1e6, {}, *ChannelLayout::parse(QStringLiteral("S3,D0=RX"), &why)});
        const QString session = path(QStringLiteral("chosen.sr"));
        QCOMPARE(WriteCaptureFile(session, CaptureFormat::Sr, chosen.source), QString());
        const QByteArray metadata = readMember(session, "metadata");
        QVERIFY2(metadata.contains("total probes=2\n") &&
                     metadata.contains("probe1=S3\nprobe2=RX\nunitsize=1\n") &&
                     metadata.contains("lines=S3,D0\n"),
                 metadata.constData());
        QCOMPARE(readMember(session, "logic-1-1"), QByteArray("\x01\x02\x00", 3));
        std::unique_ptr<SampleSource> read = OpenCaptureFile(session, &why);
        QVERIFY2(read, qPrintable(why));
        QCOMPARE(read->facts().channels.lines().size(), 2U);
        QCOMPARE(read->facts().channels.lines()[1].name, QStringLiteral("RX"));
        QCOMPARE(readAll(*read), QByteArray("\x08\x00\x00\x01\x00\x00", 6));

        QVERIFY(writeZip(path(QStringLiteral("old.sr")),
                         {{"version", "2"},
                          {"metadata", metadataWith(OurProbes)},
                          {"logic-1", QByteArray("\xF8\x01\x08\x80", 4)}}));
        read = OpenCaptureFile(path(QStringLiteral("old.sr")), &why);
        QVERIFY2(read, qPrintable(why));
        QVERIFY(read->facts().channels.packed() == ChannelLayout::all());
        QCOMPARE(readAll(*read), QByteArray("\xF8\x01\x08\x80", 4));
    }

    void noCaptureIsRefusedAndNothingWritten_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: made by the row's zip
        QTest::addColumn<QString>("wrong");    // part of the message
        const QByteArray logic = countingBytes(8);
        auto zipped = [](const Members& members) {
            QTemporaryDir scratch;
            const QString file = scratch.filePath(QStringLiteral("z"));
            return writeZip(file, members) ? readFile(file) : QByteArray();
        };
        QTest::newRow("lgc one sample short")
            << "short.lgc" << countingBytes(4'095'998) << "it holds 4,095,998 bytes";
        QTest::newRow("lgc one sample long")
            << "long.lgc" << countingBytes(4'096'002) << "it holds 4,096,002 bytes";
        QTest::newRow("text named .sr") << "text.sr" << QByteArray("hello\n") << "it holds 6 bytes";
        QTest::newRow("zip without metadata")
            << "nometa.sr" << zipped({{"version", "2"}, {"logic-1-1", logic}}) << "no metadata";
        QTest::newRow("zip of something else")
            << "other.sr" << zipped({{"readme", "x"}}) << "no sigrok session";
        QTest::newRow("version 1")
            << "v1.sr" << zipped({{"version", "1"}, {"metadata", metadataWith(OurProbes)}})
            << "version 1, not 2";
        QTest::newRow("sigrok's binary input, 16 numbered channels")
            << "numbered.sr"
            << zipped({{"version", "2"},
                       {"metadata", metadataWith("probe1=0\nprobe2=1\nprobe3=2\nprobe4=3\n"
                                                 "probe5=4\nprobe6=5\nprobe7=6\nprobe8=7\n"
                                                 "probe9=8\nprobe10=9\nprobe11=10\nprobe12=11\n"
                                                 "probe13=12\nprobe14=13\nprobe15=14\n"
                                                 "probe16=15\n")},
                       {"logic-1-1", logic}})
            << "its channel 0 is no printer port line";
        QTest::newRow("a line twice")
            << "twice.sr"
            << zipped({{"version", "2"},
                       {"metadata", metadataWith("probe1=S7\nprobe2=S6\nprobe3=S7\n")},
                       {"logic-1-1", logic}})
            << "it holds the line S7 twice";
        QTest::newRow("renamed lines without their lines")
            << "renamed.sr"
            << zipped({{"version", "2"},
                       {"metadata", metadataWith("probe1=RX\n", "1")},
                       {"logic-1-1", logic}})
            << "its channel RX is no printer port line";
        QTest::newRow("one-byte units") << "unit1.sr"
                                        << zipped({{"version", "2"},
                                                   {"metadata", metadataWith(OurProbes, "1")},
                                                   {"logic-1-1", logic}})
                                        << "its channel 9 lies outside its units";
        QTest::newRow("analog channels")
            << "analog.sr"
            << zipped({{"version", "2"},
                       {"metadata", metadataWith(OurProbes).replace("analog=0", "analog=1")},
                       {"logic-1-1", logic}})
            << "analog";
        QTest::newRow("odd byte count") << "odd.sr"
                                        << zipped({{"version", "2"},
                                                   {"metadata", metadataWith(OurProbes)},
                                                   {"logic-1-1", logic},
                                                   {"logic-1-2", "abc"}})
                                        << "ends in the middle of a sample";
        QTest::newRow("no logic data")
            << "nodata.sr"
            << zipped({{"version", "2"}, {"metadata", metadataWith(OurProbes)}, {"logic-2", logic}})
            << "no logic data \"logic-1\"";
        const QByteArray whole = zipped({{"version", "2"},
                                         {"metadata", metadataWith(OurProbes)},
                                         {"logic-1", randomBytes(100'000)}});
        QTest::newRow("truncated zip")
            << "cut.sr" << whole.left(whole.size() / 2) << "damaged zip archive";
        QByteArray flipped = whole;
        flipped[flipped.size() / 2] = static_cast<char>(~flipped[flipped.size() / 2]);
        QTest::newRow("damaged data")
            << "flipped.sr" << flipped << "the capture could not be read (\"";
        QTest::newRow("missing") << "missing.lgc" << QByteArray() << "it does not exist";
    }
    void noCaptureIsRefusedAndNothingWritten() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, wrong);
        const QString input = path(name);
        QVERIFY(name.startsWith(u"missing") || writeFile(input, bytes));
        for (const CaptureFormat format : {CaptureFormat::Sr, CaptureFormat::Vcd}) {
            const QString output = path(QStringLiteral("out"));
            const QString message = ConvertCaptureFile(input, output, format, 1e6);
            QVERIFY2(message.contains(wrong), qPrintable(message));
            QVERIFY2(message.contains(u'"' + input + u'"'), qPrintable(message));
            QVERIFY(!QFile::exists(output));
        }
    }

    void writersLeaveTheNameAsItWas_data() {
        QTest::addColumn<CaptureFormat>("format");
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("wrong"); // part of the message; any when empty
        for (const auto& [format, name] :
             {std::pair{CaptureFormat::Lgc, "lgc"}, std::pair{CaptureFormat::Sr, "sr"},
              std::pair{CaptureFormat::Vcd, "vcd"}}) {
            QTest::addRow("%s over a named pipe", name) << format << "fifo"
                                                        << "it is a named pipe, not a regular file";
            QTest::addRow("%s over a folder", name) << format << "folder"
                                                    << "it is a folder";
            QTest::addRow("%s in a closed folder", name) << format << "closed"
                                                         << "";
            QTest::addRow("%s from a failing source", name) << format << "failing"
                                                            << "the capture could not be read";
        }
        QTest::newRow("lgc of another length")
            << CaptureFormat::Lgc << "short"
            << "a .lgc holds exactly 2,048,000 samples and this capture has 1,000; write it as "
               "sr or vcd";
        QTest::newRow("vcd without a rate") << CaptureFormat::Vcd << "no rate"
                                            << "give it with --samplerate";
    }
    void writersLeaveTheNameAsItWas() {
        QFETCH(CaptureFormat, format);
        QFETCH(QString, situation);
        QFETCH(QString, wrong);
        QTemporaryDir folder;
        const QString output = folder.filePath(QStringLiteral("capture"));
        const QByteArray old("an earlier file");
        if (situation == u"fifo")
            QVERIFY(mkfifo(QFile::encodeName(output).constData(), 0600) == 0);
        else if (situation == u"folder")
            QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("capture")));
        else if (situation == u"closed")
            QVERIFY(writeFile(output, old));
        const QStringList before = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden);

        const QByteArray pairs = countingBytes(situation == u"short" ? 2'000 : 4'096'000);
        FailingDevice device(pairs, situation == u"failing" ? pairs.size() / 2 : pairs.size());
        device.open(QIODevice::ReadOnly);
        RawSampleFile samples(device, {pairs.size() / 2, situation == u"no rate" ? 0.0 : 1e6, {}});
        QString message;
        {
            const std::optional<ClosedFolder> closed =
                situation == u"closed" ? std::make_optional<ClosedFolder>(folder.path())
                                       : std::nullopt;
            message = WriteCaptureFile(output, format, samples);
        }
        QVERIFY2(message.startsWith(QStringLiteral("\"%1\" was not written: ").arg(output)),
                 qPrintable(message));
        QVERIFY2(message.contains(wrong), qPrintable(message));
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
        const QFileInfo info(output);
        if (situation == u"fifo")
            QVERIFY(!info.isFile() && !info.isDir());
        else if (situation == u"folder")
            QVERIFY(info.isDir());
        else if (situation == u"closed")
            QCOMPARE(readFile(output), old);
    }

    void aFileIsNeverConvertedOntoItself() {
        const QByteArray pairs = countingBytes(4'096'000);
        const QString lgc = path(QStringLiteral("self.lgc"));
        const QString link = path(QStringLiteral("link.lgc"));
        QVERIFY(writeFile(lgc, pairs));
        QVERIFY(QFile::link(lgc, link));
        for (const QString& output : {lgc, link, dir_.path() + QStringLiteral("/./self.lgc")}) {
            QCOMPARE(ConvertCaptureFile(lgc, output, CaptureFormat::Lgc, 0),
                     QStringLiteral("\"%1\" was not written: it is the file being converted.")
                         .arg(output));
        }
        QVERIFY(readFile(lgc) == pairs);
    }

    void summaryCountsEdgesAndCompletePulses() {
        // Twelve samples, worked out by hand. The status byte's bits 2 ... 0
        // are no lines and count the samples.
        //   index  0 1 2 3 4 5 6 7 8 9 10 11
        //   S7     1 1 1 1 1 1 1 1 1 1 1  1    no edge
        //   S3     0 1 0 1 0 1 0 1 0 1 0  1    11 edges, pulses of 1
        //   D7     1 1 1 0 0 0 0 0 0 1 1  1    one low pulse of 6
        //   D0     0 0 1 1 1 0 1 1 0 0 0  0    high 3 and 2, low 1
        const int s3[] = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
        const int d7[] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1};
        const int d0[] = {0, 0, 1, 1, 1, 0, 1, 1, 0, 0, 0, 0};
        QByteArray pairs;
        for (int i = 0; i < 12; ++i) {
            pairs.append(static_cast<char>(0x80 | s3[i] << 3 | (i & 7)));
            pairs.append(static_cast<char>(d7[i] << 7 | d0[i]));
        }
        Samples samples(pairs, {12, 2e6, QStringLiteral("D0=r")});
        const CaptureSummary summary = SummariseCapture(samples.source);
        QCOMPARE(summary.error, QString());
        QCOMPARE(summary.sampleCount, 12);
        struct Expected {
            int channel; // in the order S7 S6 S5 S4 S3 D7 ... D0
            bool first;
            std::int64_t edges, high, low;
        };
        const Expected expected[] = {{0, true, 0, 0, 0}, {1, false, 0, 0, 0}, {4, false, 11, 1, 1},
                                     {5, true, 2, 0, 6}, {6, false, 0, 0, 0}, {12, false, 4, 2, 1}};
        for (const Expected& line : expected) {
            const ChannelSummary& channel = summary.channels[line.channel];
            QCOMPARE(channel.firstLevel, line.first);
            QCOMPARE(channel.edges, line.edges);
            QCOMPARE(channel.shortestHigh, line.high);
            QCOMPARE(channel.shortestLow, line.low);
        }

        QStringList lines;
        for (const QString& line : summaryText(summary, samples.source.facts()).split(u'\n'))
            lines.append(line.simplified());
        QCOMPARE(lines.mid(0, 5),
                 QStringList({"Samples 12", "Sample rate 2 MHz", "Trigger D0=r", "",
                              "Channel First Edges Shortest high Shortest low"}));
        QVERIFY(lines.contains("S7 1 0 none none"));
        QVERIFY(lines.contains("D7 1 2 none 6 samples = 3 us"));
        QVERIFY(lines.contains("D0 0 4 2 samples = 1 us 1 sample = 0.5 us"));
        const QStringList unknown = summaryText(summary, {12, 0.0, {}}).split(u'\n');
        QCOMPARE(unknown.mid(0, 2), QStringList({"Samples      12", "Sample rate  unknown"}));
        QVERIFY(unknown.last(2).first().simplified() == "D0 0 4 2 samples 1 sample");
    }

    void dumpTimesComeFromTheSampleIndex_data() {
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("changes"); // samples at which D0 changes
        QTest::addColumn<QString>("timescale");
        QTest::addColumn<QString>("body"); // after the first values
        QTest::newRow("1 MHz") << 1e6 << 4 << QList<int>{1, 2, 3} << "1 us"
                               << "#1 1- #2 0- #3 1- #4";
        QTest::newRow("250 kHz") << 250e3 << 4 << QList<int>{1, 3} << "1 us"
                                 << "#4 1- #12 0- #16";
        QTest::newRow("2 MHz") << 2e6 << 4 << QList<int>{1, 2, 3} << "100 ns"
                               << "#5 1- #10 0- #15 1- #20";
        QTest::newRow("3 MHz, a third of a tick") << 3e6 << 4 << QList<int>{1, 2, 3} << "100 ns"
                                                  << "#3 1- #7 0- #10 1- #13";
        // 40 samples last 40.50000086 us: an error that added up, or time
        // cut instead of rounded, would give #40.
        QTest::newRow("measured 987,654.3 Hz") << 987654.3 << 81 << QList<int>{1, 40} << "1 us"
                                               << "#1 1- #41 0- #82";
        QTest::newRow("12.5 MHz") << 12.5e6 << 3 << QList<int>{2} << "10 ns"
                                  << "#16 1- #24";
        QTest::newRow("1 kHz") << 1e3 << 2 << QList<int>{1} << "1 ms"
                               << "#1 1- #2";
        QTest::newRow("1 Hz") << 1.0 << 2 << QList<int>{1} << "1 s"
                              << "#1 1- #2";
    }
    void dumpTimesComeFromTheSampleIndex() {
        QFETCH(double, rate);
        QFETCH(int, count);
        QFETCH(QList<int>, changes);
        QFETCH(QString, timescale);
        QFETCH(QString, body);
        QByteArray pairs;
        int d0 = 0;
        for (int i = 0; i < count; ++i) {
            d0 ^= changes.contains(i) ? 1 : 0;
            pairs.append(static_cast<char>(i & 7)); // no line: no change to dump
            pairs.append(static_cast<char>(d0));
        }
        Samples samples(pairs, {count, rate, {}});
        const QString vcd = path(QStringLiteral("times.vcd"));
        QCOMPARE(WriteCaptureFile(vcd, CaptureFormat::Vcd, samples.source), QString());
        const QString text = QString::fromLatin1(readFile(vcd));
        QVERIFY2(text.contains(QStringLiteral("\n$timescale %1 $end\n").arg(timescale)),
                 qPrintable(text));
        const QString dumped = text.section(QStringLiteral("$enddefinitions $end\n"), 1);
        QCOMPARE(dumped.simplified(),
                 QStringLiteral("#0 $dumpvars 0! 0\" 0# 0$ 0% 0& 0' 0( 0) 0* 0+ 0, 0- $end ") +
                     body);
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::CaptureFilesTest)
#include "tst_capture_files.moc"
