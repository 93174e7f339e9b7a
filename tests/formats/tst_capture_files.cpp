#include "CaptureSummary.h"
#include "ClosedFolder.h"
#include "ConvertCaptureFile.h"
#include "FailingDevice.h"
#include "FileSizeLimit.h"
#include "OpenCaptureFile.h"
#include "RawSampleFile.h"
#include "SigrokSession.h"
#include "TestFiles.h"
#include "WritableFile.h"
#include "WriteCaptureFile.h"
#include "ZipRecords.h"
#include "ZipStream.h"

#include <QBuffer>
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <zip.h>
#include <zlib.h>

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

// The archive with the named member's size, in its local header and in the
// directory, said to be `shorter` bytes less than its data holds.
QByteArray understated(QByteArray zip, const QByteArray& name, quint32 shorter) {
    const auto patch = [&](const char* signature, int sizeAt, int nameAt) {
        for (qsizetype at = zip.indexOf(signature); at >= 0; at = zip.indexOf(signature, at + 1)) {
            if (zip.mid(at + nameAt, name.size()) != name)
                continue;
            auto* size = reinterpret_cast<uchar*>(zip.data() + at + sizeAt);
            qToLittleEndian(qFromLittleEndian<quint32>(size) - shorter, size);
        }
    };
    patch("PK\x03\x04", 22, 30);
    patch("PK\x01\x02", 24, 46);
    return zip;
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

// Whether the member's deflate stream ends where its bytes do, as a strict
// reader wants: libzip stops at the unpacked size and would not notice.
bool endsItsStream(zip_t* zip, const zip_stat_t& stat) {
    QByteArray packed(static_cast<qsizetype>(stat.comp_size), Qt::Uninitialized);
    zip_file_t* file = zip_fopen_index(zip, stat.index, ZIP_FL_COMPRESSED);
    zip_fread(file, packed.data(), stat.comp_size);
    zip_fclose(file);
    QByteArray unpacked(static_cast<qsizetype>(stat.size) + 1, Qt::Uninitialized);
    z_stream stream{};
    inflateInit2(&stream, -15);
    stream.next_in = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_in = static_cast<uInt>(packed.size());
    stream.next_out = reinterpret_cast<Bytef*>(unpacked.data());
    stream.avail_out = static_cast<uInt>(unpacked.size());
    const bool ended = inflate(&stream, Z_FINISH) == Z_STREAM_END && stream.avail_in == 0 &&
                       stream.total_out == stat.size;
    inflateEnd(&stream);
    return ended;
}

// The members of an archive in their order, each as its name, "stored" or
// "deflated" (or "unended" where the stream does not end), and the bytes it
// unpacks to.
QStringList membersOf(const QString& path) {
    QStringList members;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, nullptr);
    for (zip_int64_t k = 0; zip && k < zip_get_num_entries(zip, 0); ++k) {
        zip_stat_t stat;
        zip_stat_index(zip, static_cast<zip_uint64_t>(k), 0, &stat);
        const char* method = stat.comp_method == ZIP_CM_STORE ? "stored"
                             : endsItsStream(zip, stat)       ? "deflated"
                                                              : "unended";
        members.append(
            QStringLiteral("%1 %2 %3").arg(QString::fromUtf8(stat.name), method).arg(stat.size));
    }
    zip_discard(zip);
    return members;
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

// The pairs as a session keeps them: status bits 2 ... 0 are no lines.
QByteArray linesOnly(QByteArray pairs) {
    for (qsizetype k = 0; k < pairs.size(); k += 2)
        pairs[k] = static_cast<char>(pairs[k] & 0xF8);
    return pairs;
}

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(21);
    for (char& byte : bytes)
        byte = static_cast<char>(random.generate());
    return bytes;
}

// Samples whose count and rate are known only once they have all been read,
// as a capture's that runs until it is stopped: until then the facts count
// what was read and give no rate; at the end they count `surplus` more.
class CountedAtEnd final : public SampleSource {
  public:
    CountedAtEnd(SampleSource& inner, std::int64_t surplus) : inner_(inner), surplus_(surplus) {}
    CaptureFacts facts() const override {
        CaptureFacts facts = inner_.facts();
        facts.sampleCount = read_ + (ended_ ? surplus_ : 0);
        facts.sampleRate = ended_ ? facts.sampleRate : 0.0;
        return facts;
    }
    std::int64_t read(std::uint8_t* pairs, std::int64_t maxSamples) override {
        const std::int64_t got = inner_.read(pairs, maxSamples);
        ended_ = got == 0;
        read_ += std::max<std::int64_t>(got, 0);
        return got;
    }
    QString errorString() const override { return inner_.errorString(); }

  private:
    SampleSource& inner_;
    std::int64_t surplus_;
    std::int64_t read_ = 0;
    bool ended_ = false;
};

} // namespace

// Capture files written and read back in every format, refused when they
// are no capture, and never left half written.
class CaptureFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

  private slots:
    void sessionsReadBackAsWritten_data() {
        QTest::addColumn<QByteArray>("pairs");
        QTest::addColumn<bool>("countedAtEnd");
        QTest::addColumn<int>("surplus");        // counted at the end beyond the samples
        QTest::addColumn<QStringList>("chunks"); // as membersOf() gives them
        QTest::addColumn<QString>("wrong");
        const QByteArray noise = randomBytes(2 * 2'100'000);
        // Noise is stored: the units' three empty bits (status bits 2 ... 0
        // are no lines) would let deflate shrink it by a little, at many
        // times the cost.
        QTest::newRow("noise over two chunks, stored")
            << noise << false << 0
            << QStringList{"logic-1-1 stored 4194304", "logic-1-2 stored 5696"} << "";
        QTest::newRow("counting, deflated")
            << countingBytes(2 * 2'100'000) << false << 0
            << QStringList{"logic-1-1 deflated 4194304", "logic-1-2 deflated 5696"} << "";
        QTest::newRow("one full chunk and no more")
            << countingBytes(4'194'304) << false << 0 << QStringList{"logic-1-1 deflated 4194304"}
            << "";
        QTest::newRow("noise amid counting")
            << countingBytes(300'000) + noise.left(400'000) + countingBytes(300'000) << false << 0
            << QStringList{"logic-1-1 deflated 1000000"} << "";
        QTest::newRow("count known only at the end")
            << countingBytes(2 * 5'000) << true << 0 << QStringList{"logic-1-1 deflated 10000"}
            << "";
        QTest::newRow("one more counted at the end")
            << countingBytes(2 * 5'000) << true << 1 << QStringList{}
            << "the capture has fewer samples than it claims";
        QTest::newRow("one fewer counted at the end")
            << countingBytes(2 * 5'000) << true << -1 << QStringList{}
            << "the capture has fewer samples than it claims";
    }
    void sessionsReadBackAsWritten() {
        QFETCH(QByteArray, pairs);
        QFETCH(bool, countedAtEnd);
        QFETCH(int, surplus);
        QFETCH(QStringList, chunks);
        QFETCH(QString, wrong);
        const std::int64_t count = pairs.size() / 2;
        Samples samples(pairs, {count, 723456.0, QStringLiteral("S6=f")});
        CountedAtEnd counted(samples.source, surplus);
        SampleSource& source = countedAtEnd ? static_cast<SampleSource&>(counted) : samples.source;
        QBuffer written;
        written.open(QIODevice::WriteOnly);
        QCOMPARE(writeSigrokSession(written, source), wrong);
        if (!wrong.isEmpty())
            return;
        const QString session = path(QStringLiteral("back.sr"));
        QVERIFY(writeFile(session, written.data()));

        // The metadata follows the samples, whose count it needs: the lines
        // in the window's order, S7 first.
        const QByteArray metadata("[device 1]\ncapturefile=logic-1\ntotal probes=13\n"
                                  "samplerate=723.456 kHz\ntotal analog=0\n"
                                  "probe1=S7\nprobe2=S6\nprobe3=S5\nprobe4=S4\nprobe5=S3\n"
                                  "probe6=D7\nprobe7=D6\nprobe8=D5\nprobe9=D4\nprobe10=D3\n"
                                  "probe11=D2\nprobe12=D1\nprobe13=D0\nunitsize=2\n\n[tarvik]\n"
                                  "lines=S7,S6,S5,S4,S3,D7,D6,D5,D4,D3,D2,D1,D0\ntrigger=S6=f\n");
        QCOMPARE(membersOf(session),
                 QStringList{"version stored 1"} + chunks +
                     QStringList{QStringLiteral("metadata stored %1").arg(metadata.size())});
        QCOMPARE(readMember(session, "version"), QByteArray("2"));
        QCOMPARE(readMember(session, "metadata"), metadata);
        // S7 is bit 0 of the unit and D0 bit 12.
        QCOMPARE(readMember(session, "logic-1-1").left(2),
                 unitOf(quint8(pairs[0]), quint8(pairs[1])));
        QString whyNot;
        std::unique_ptr<SampleSource> read = OpenCaptureFile(session, &whyNot);
        QVERIFY2(read, qPrintable(whyNot));
        QCOMPARE(read->facts().sampleCount, count);
        QCOMPARE(read->facts().sampleRate, 723456.0);
        QCOMPARE(read->facts().trigger, QStringLiteral("S6=f"));
        QVERIFY(readAll(*read) == linesOnly(pairs));
    }

    void capturesReadBackAsWritten() {
        // A .lgc through a session and back, without a rate.
        const QByteArray pairs = randomBytes(4'096'000);
        const QString lgc = path(QStringLiteral("back.lgc"));
        const QString session = path(QStringLiteral("lgc.sr"));
        QVERIFY(writeFile(lgc, pairs));
        const QString again = path(QStringLiteral("again.lgc"));
        QCOMPARE(ConvertCaptureFile(lgc, session, CaptureFormat::Sr, 0), QString());
        QCOMPARE(ConvertCaptureFile(session, again, CaptureFormat::Lgc, 0), QString());
        QVERIFY(readFile(again) == linesOnly(pairs));
        QString whyNot;
        std::unique_ptr<SampleSource> read = OpenCaptureFile(session, &whyNot);
        QCOMPARE(read->facts().sampleRate, 0.0);
        QVERIFY(!readMember(session, "metadata").contains("samplerate"));

        // sigrok's own way of saying that it knows no rate.
        for (const char* unknown : {"0 Hz", "0"}) {
            QVERIFY(
                writeZip(session, {{"version", "2"},
                                   {"metadata", metadataWith(OurProbes).replace("1 MHz", unknown)},
                                   {"logic-1-1", pairs.left(8)}}));
            read = OpenCaptureFile(session, &whyNot);
            QVERIFY2(read, qPrintable(whyNot));
            QCOMPARE(read->facts().sampleRate, 0.0);
            QCOMPARE(read->facts().sampleCount, 4);
        }
        // Sessions written before, and by sigrok, hold the metadata first.
        const QString older = path(QStringLiteral("older.sr"));
        QVERIFY(writeZip(older, {{"version", "2"},
                                 {"metadata", metadataWith(OurProbes)},
                                 {"logic-1-1", pairs.left(6'000)},
                                 {"logic-1-2", pairs.mid(6'000, 4'000)}}));
        read = OpenCaptureFile(older, &whyNot);
        QVERIFY2(read, qPrintable(whyNot));
        QCOMPARE(read->facts().sampleCount, 5'000);
        QVERIFY(readAll(*read) == linesOnly(pairs.left(10'000)));
    }

    void zipRecordsTakeZip64WhereNumbersOverflow_data() {
        QTest::addColumn<QString>("record"); // local, central or end
        QTest::addColumn<quint64>("size");   // of the member, or of the directory
        QTest::addColumn<quint64>("packedSize");
        QTest::addColumn<quint64>("offset"); // of the member, or of the directory
        QTest::addColumn<quint64>("entries");
        QTest::addColumn<QByteArray>("hex"); // the record, laid out by hand
        // The member "a", deflated, CRC 12345678, dated 1 January 1980.
        const QByteArray fixed = "0800 0000 2100 78563412";
        QTest::newRow("local, small")
            << "local" << 1000ull << 500ull << 0ull << 0ull
            << "504b0304 1400 0000" + fixed + "f4010000 e8030000 0100 0000 61";
        QTest::newRow("local, 4 GiB less two bytes")
            << "local" << 0xFFFF'FFFEull << 0x8000'0000ull << 0ull << 0ull
            << "504b0304 1400 0000" + fixed + "00000080 feffffff 0100 0000 61";
        QTest::newRow("local, 4 GiB less one byte")
            << "local" << 0xFFFF'FFFFull << 0x8000'0000ull << 0ull << 0ull
            << "504b0304 2d00 0000" + fixed +
                   "ffffffff ffffffff 0100 1400 61 0100 1000 ffffffff00000000 0000008000000000";
        QTest::newRow("central, small") << "central" << 1000ull << 500ull << 0x1234ull << 0ull
                                        << "504b0102 2d03 1400 0000" + fixed +
                                               "f4010000 e8030000 0100 0000 0000 0000 0000 "
                                               "0000a481 34120000 61";
        QTest::newRow("central, small member at 4 GiB")
            << "central" << 1000ull << 500ull << 0x1'0000'0000ull << 0ull
            << "504b0102 2d03 2d00 0000" + fixed +
                   "f4010000 e8030000 0100 0c00 0000 0000 0000 0000a481 ffffffff 61 "
                   "0100 0800 0000000001000000";
        QTest::newRow("central, 5 GiB member at 6 GiB")
            << "central" << 0x1'4000'0000ull << 0xA000'0000ull << 0x1'8000'0000ull << 0ull
            << "504b0102 2d03 2d00 0000" + fixed +
                   "000000a0 ffffffff 0100 1400 0000 0000 0000 0000a481 ffffffff 61 "
                   "0100 1000 0000004001000000 0000008001000000";
        QTest::newRow("end, small")
            << "end" << 0x9cull << 0ull << 0x1000ull << 3ull
            << QByteArray("504b0506 0000 0000 0300 0300 9c000000 00100000 0000");
        QTest::newRow("end, 65,534 members")
            << "end" << 0x9cull << 0ull << 0x1000ull << 0xFFFEull
            << QByteArray("504b0506 0000 0000 feff feff 9c000000 00100000 0000");
        QTest::newRow("end, 65,535 members")
            << "end" << 0x10'0000ull << 0ull << 0x2000ull << 0xFFFFull
            << QByteArray("504b0606 2c00000000000000 2d03 2d00 00000000 00000000 ffff000000000000 "
                          "ffff000000000000 0000100000000000 0020000000000000 "
                          "504b0607 00000000 0020100000000000 01000000 "
                          "504b0506 0000 0000 ffff ffff 00001000 00200000 0000");
        QTest::newRow("end, directory at 5 GiB")
            << "end" << 0x60ull << 0ull << 0x1'4000'0000ull << 2ull
            << QByteArray("504b0606 2c00000000000000 2d03 2d00 00000000 00000000 0200000000000000 "
                          "0200000000000000 6000000000000000 0000004001000000 "
                          "504b0607 00000000 6000004001000000 01000000 "
                          "504b0506 0000 0000 0200 0200 60000000 ffffffff 0000");
    }
    void zipRecordsTakeZip64WhereNumbersOverflow() {
        QFETCH(QString, record);
        QFETCH(quint64, size);
        QFETCH(quint64, packedSize);
        QFETCH(quint64, offset);
        QFETCH(quint64, entries);
        QFETCH(QByteArray, hex);
        const ZipEntry entry{"a", true, 0x12345678, packedSize, size, offset, 0, 0x21};
        const QByteArray bytes = record == u"local"     ? localHeader(entry)
                                 : record == u"central" ? centralHeader(entry)
                                                        : directoryEnd(entries, offset, size);
        QCOMPARE(bytes.toHex(' '), QByteArray::fromHex(hex).toHex(' '));
    }

    void zip64DirectoryIsReadByLibzip() {
        // More members than the end record counts: libzip finds them through
        // the ZIP64 end record.
        constexpr int Members = 70'000;
        QBuffer archive;
        archive.open(QIODevice::WriteOnly);
        ZipStream zip(archive);
        for (int k = 0; k < Members; ++k)
            QVERIFY(zip.add("m" + QByteArray::number(k), storedMember(QByteArray::number(k))));
        QVERIFY(zip.finish());
        const QByteArray bytes = archive.data();
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* source = zip_source_buffer_create(bytes.constData(), bytes.size(), 0, &error);
        zip_t* read = zip_open_from_source(source, ZIP_CHECKCONS | ZIP_RDONLY, &error);
        QVERIFY2(read, zip_error_strerror(&error));
        QCOMPARE(zip_get_num_entries(read, 0), Members);
        const zip_int64_t last = zip_name_locate(read, "m69999", 0);
        QCOMPARE(last, Members - 1);
        char text[8] = {};
        zip_file_t* member = zip_fopen_index(read, static_cast<zip_uint64_t>(last), 0);
        QCOMPARE(zip_fread(member, text, sizeof text), 5);
        QCOMPARE(QByteArray(text), QByteArray("69999"));
        zip_fclose(member);
        zip_discard(read);
    }

    // A choice of lines is packed into units just wide enough, named as
    // chosen, and read back with the other lines low; a session written
    // before lines were chosen (all thirteen on their register bits) still
    // reads, S7 first.
    void sessionsHoldTheChosenLines() {
        QString why;
        Samples chosen(QByteArray("\x08\x00\x00\x01\xF7\xFE", 6),
                       {3, 1e6, {}, -1, *ChannelLayout::parse(QStringLiteral("S3,D0=RX"), &why)});
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
            << "short.lgc" << countingBytes(4'095'998)
            << "it is not a capture that tarvik-cli reads (.lgc or .sr); a .lgc holds exactly "
               "4,096,000 bytes and this file 4,095,998.";
        QTest::newRow("lgc one sample long")
            << "long.LGC" << countingBytes(4'096'002) << "and this file 4,096,002.";
        QTest::newRow("text named .sr")
            << "text.sr" << QByteArray("hello\n")
            << "it is not a capture that tarvik-cli reads (.lgc or .sr).";
        QTest::newRow("value change dump")
            << "capture.vcd" << QByteArray("$timescale 1 us $end\n#0\n")
            << "it is not a capture that tarvik-cli reads (.lgc or .sr).";
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
        QTest::newRow("logic data longer than the directory says")
            << "longer.sr"
            << understated(zipped({{"version", "2"},
                                   {"metadata", metadataWith(OurProbes)},
                                   {"logic-1-1", randomBytes(1000)}}),
                           "logic-1-1", 2)
            << "the logic data is longer than the directory says";
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
            QTest::addRow("%s from a source that ends early", name)
                << format << "ending"
                << "the file ends after 2047995 of its 2048000 samples";
            // Small enough to stay in the file's buffer until the end.
            if (format != CaptureFormat::Lgc)
                QTest::addRow("%s of a few samples onto a full disk", name) << format << "full"
                                                                            << "File too large";
            QTest::addRow("%s on a disk that fills", name) << format << "fills"
                                                           << "File too large";
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
        else if (situation == u"closed" || situation == u"full")
            QVERIFY(writeFile(output, old));
        const QStringList before = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden);

        const QByteArray pairs = countingBytes(situation == u"short"  ? 2'000
                                               : situation == u"full" ? 20
                                                                      : 4'096'000);
        FailingDevice device(situation == u"ending" ? pairs.chopped(10) : pairs,
                             situation == u"failing" ? pairs.size() / 2 : pairs.size());
        device.open(QIODevice::ReadOnly);
        RawSampleFile samples(device, {pairs.size() / 2, situation == u"no rate" ? 0.0 : 1e6, {}});
        QString message;
        {
            const std::optional<ClosedFolder> closed =
                situation == u"closed" ? std::make_optional<ClosedFolder>(folder.path())
                                       : std::nullopt;
            std::optional<FileSizeLimit> full;
            if (situation == u"full")
                full.emplace(old.size());
            // Half way through the packed samples of a session.
            if (situation == u"fills")
                full.emplace(20'000);
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
        else if (situation == u"closed" || situation == u"full")
            QCOMPARE(readFile(output), old);
    }

    void outputsAreCheckedBeforeTheCapture_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<CaptureFormat>("format");
        QTest::addColumn<qint64>("beside");
        QTest::addColumn<QString>("wrong"); // the clause after the name; none when empty
        QTest::newRow("free name") << "free" << CaptureFormat::Sr << qint64{0} << "";
        QTest::newRow("folder that does not exist")
            << "typo" << CaptureFormat::Sr << qint64{0}
            << "the folder %1/typo does not exist; create it or name another folder";
        QTest::newRow("file in place of the folder")
            << "file" << CaptureFormat::Vcd << qint64{0}
            << "%1/file is not a folder; name a file in a folder";
        QTest::newRow("folder the user may not write")
            << "closed" << CaptureFormat::Sr << qint64{0}
            << "the folder %1 may not be written by this user; name another folder";
        QTest::newRow("named pipe")
            << "fifo" << CaptureFormat::Sr << qint64{0}
            << "it is a named pipe, not a regular file; name a regular file";
        QTest::newRow("more room than any disk has")
            << "free" << CaptureFormat::Sr << qint64{1'000'000'000'000'000}
            << "and the capture needs 1,000 TB; free some room on it or write to another disk";
    }
    void outputsAreCheckedBeforeTheCapture() {
        QFETCH(QString, situation);
        QFETCH(CaptureFormat, format);
        QFETCH(qint64, beside);
        QFETCH(QString, wrong);
        QTemporaryDir folder;
        QString output = folder.filePath(QStringLiteral("capture"));
        if (situation == u"typo")
            output = folder.filePath(QStringLiteral("typo/capture"));
        if (situation == u"file") {
            QVERIFY(writeFile(folder.filePath(QStringLiteral("file")), "x"));
            output = folder.filePath(QStringLiteral("file/capture"));
        }
        if (situation == u"fifo")
            QVERIFY(mkfifo(QFile::encodeName(output).constData(), 0600) == 0);
        const QStringList before = QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden);
        QString message;
        {
            const std::optional<ClosedFolder> closed =
                situation == u"closed" ? std::make_optional<ClosedFolder>(folder.path())
                                       : std::nullopt;
            message = whyNotWritable(output, format, 2'048'000, beside);
        }
        if (wrong.isEmpty()) {
            QCOMPARE(message, QString());
        } else {
            const QString expected = wrong.contains(u'%') ? wrong.arg(folder.path()) : wrong;
            QVERIFY2(message.startsWith(QStringLiteral("\"%1\" cannot be written: ").arg(output)),
                     qPrintable(message));
            QVERIFY2(message.contains(expected), qPrintable(message));
        }
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    void aFullDiskIsSaidToBeFull() {
        QFile full(QStringLiteral("/dev/full"));
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QCOMPARE(full.write("x", 1), -1);
        QCOMPARE(writeFailureText(full),
                 "the disk is full; free some room on it or write to another disk");
        QCOMPARE(diskFullText(4'096'000),
                 "the disk is full (the capture needs 4.1 MB); free some room on it or write "
                 "to another disk");
        QCOMPARE(byteSizeText(289'000), "289 kB");
        QCOMPARE(byteSizeText(999), "999 bytes");
        QCOMPARE(byteSizeText(99'960), "100 kB");
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
