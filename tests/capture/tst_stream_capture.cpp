#include "StreamCapture.h"

#include <QBuffer>
#include <QTest>

#include <functional>

namespace tarvik {

namespace {

// A port whose lines follow a rule of the poll's number n = 0, 1, 2, ...:
// the status byte and then the data byte of each poll.
class PatternPort final : public PortDevice {
  public:
    using Rule = std::function<std::uint16_t(std::int64_t n)>; // status | data << 8
    explicit PatternPort(Rule rule) : rule_(std::move(rule)) {}
    std::int64_t polls = 0;
    QString open() override { return {}; }
    void out(std::int16_t, std::int16_t) override {}
    std::int16_t inp(std::int16_t address) override {
        if (address == 0x379)
            unit_ = rule_(polls++);
        return static_cast<std::int16_t>(address == 0x379 ? unit_ & 0xFF : unit_ >> 8);
    }
    void close() override {}

  private:
    Rule rule_;
    std::uint16_t unit_ = 0;
};

struct Observer final : CaptureObserver {
    std::int64_t stopAfter = -1;
    bool waiting(double) override { return true; }
    bool carryOn(std::int64_t done, double) override { return stopAfter < 0 || done < stopAfter; }
    void cannotKeepUp(double) override {}
};

// The n-th poll: status n mod 256, data n / 256 mod 256.
std::uint16_t counter(std::int64_t n) {
    return static_cast<std::uint16_t>((n & 0xFF) | ((n >> 8) & 0xFF) << 8);
}

} // namespace

class StreamCaptureTest : public QObject {
    Q_OBJECT

  private slots:
    // Every sample in the order read, in pairs, across blocks and writes, and
    // the end of a stream that is cut short.
    void storesEverySampleInOrder() {
        const std::int64_t count = 70 * 4096 + 5; // more than one write, a short last block
        PatternPort port(counter);
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        Observer observer;
        CaptureTiming timing;
        QCOMPARE(StreamCapture(port, {count, {}, 0.0, 0.0}, sink, observer, timing),
                 StreamEnd::Complete);
        QCOMPARE(timing.samples, count);
        QCOMPARE(port.polls, count);
        const QByteArray bytes = sink.data();
        QCOMPARE(bytes.size(), 2 * count);
        std::int64_t wrong = 0;
        for (qsizetype n = 0; n < count; ++n)
            wrong +=
                quint8(bytes[2 * n]) != (n & 0xFF) || quint8(bytes[2 * n + 1]) != ((n >> 8) & 0xFF);
        QCOMPARE(wrong, 0);

        // On a schedule, after the polls that time the port, with the
        // trigger's sample first: every sample still in order.
        QString why;
        PatternPort timed(counter);
        QBuffer scheduled;
        scheduled.open(QIODevice::WriteOnly);
        QCOMPARE(StreamCapture(timed, {5000, *Trigger::parse("S3=1", &why), 0.0, 1e6}, scheduled,
                               observer, timing),
                 StreamEnd::Complete);
        const QByteArray onTime = scheduled.data();
        QCOMPARE(onTime.size(), 10000);
        const qsizetype firstPoll = timed.polls - 5000;
        for (qsizetype k = 0; k < 5000; ++k)
            wrong += quint8(onTime[2 * k]) != ((firstPoll + k) & 0xFF);
        QCOMPARE(wrong, 0);
        QCOMPARE(timing.scheduledRate, 1e6);

        Observer stopping;
        stopping.stopAfter = 3 * 4096;
        QBuffer stopped;
        stopped.open(QIODevice::WriteOnly);
        QCOMPARE(StreamCapture(port, {count, {}, 0.0, 0.0}, stopped, stopping, timing),
                 StreamEnd::Stopped);
        QCOMPARE(timing.samples, 3 * 4096);

        QBuffer full;
        full.open(QIODevice::ReadOnly); // takes no writes
        QCOMPARE(StreamCapture(port, {count, {}, 0.0, 0.0}, full, observer, timing),
                 StreamEnd::SinkFailed);
    }

    // Lines of one register read only that register, one read a sample, in
    // the fast loop and on a schedule alike; the other byte of a pair is 0.
    void readsOnlyTheRegistersOfItsLines_data() {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<double>("rate");
        QTest::addColumn<std::int64_t>("statusReads");
        QTest::addColumn<std::int64_t>("dataReads");
        const std::int64_t n = 3 * 4096 + 7;
        QTest::newRow("all lines") << "S7,D0" << 0.0 << n << n;
        QTest::newRow("S3 and S4") << "S3,S4" << 0.0 << n << std::int64_t{0};
        QTest::newRow("the data lines") << "D0=RX,D7" << 0.0 << std::int64_t{0} << n;
        QTest::newRow("status on a schedule") << "S7,S6,S5,S4,S3" << 1e7 << n << std::int64_t{0};
    }
    void readsOnlyTheRegistersOfItsLines() {
        QFETCH(QString, lines);
        QFETCH(double, rate);
        QFETCH(std::int64_t, statusReads);
        QFETCH(std::int64_t, dataReads);
        // Each register reads the count of its own reads.
        struct CountingPort final : PortDevice {
            std::int64_t status = 0;
            std::int64_t data = 0;
            QString open() override { return {}; }
            void out(std::int16_t, std::int16_t) override {}
            std::int16_t inp(std::int16_t address) override {
                return static_cast<std::int16_t>((address == 0x379 ? status++ : data++) & 0xFF);
            }
            void close() override {}
        } port;
        QString why;
        CaptureRequest request{3 * 4096 + 7, {}, 0.0, rate};
        request.registers = registersFor(*ChannelLayout::parse(lines, &why));
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        Observer observer;
        CaptureTiming timing;
        QCOMPARE(StreamCapture(port, request, sink, observer, timing), StreamEnd::Complete);
        // A schedule first times the port with 256 samples.
        const std::int64_t probe = rate > 0.0 ? 256 : 0;
        QCOMPARE(port.status, statusReads + (statusReads ? probe : 0));
        QCOMPARE(port.data, dataReads + (dataReads ? probe : 0));
        const QByteArray pairs = sink.data();
        std::int64_t wrong = 0;
        for (qsizetype k = 0; k < pairs.size() / 2; ++k)
            wrong += quint8(pairs[2 * k]) != (statusReads ? (probe + k) & 0xFF : 0) ||
                     quint8(pairs[2 * k + 1]) != (dataReads ? (probe + k) & 0xFF : 0);
        QCOMPARE(wrong, 0);
    }

    // --time without a rate: the clock ends the capture after a block.
    void aDurationEndsTheCapture() {
        PatternPort port(counter);
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        Observer observer;
        CaptureTiming timing;
        CaptureRequest request{std::int64_t{1} << 40, {}, 0.0, 0.0};
        request.durationNs = 1;
        QCOMPARE(StreamCapture(port, request, sink, observer, timing), StreamEnd::Complete);
        QCOMPARE(timing.samples, 4096);
        QCOMPARE(sink.data().size(), 2 * 4096);
    }

    void triggerStartsStoring_data() {
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<std::int64_t>("firstPoll");
        // Data bit 3 (D3) is bit 11 of the counter: n / 256 bit 3, so it rises
        // at n = 2048, falls at 4096 and rises again at 6144.
        QTest::newRow("rising D3") << "D3=r" << std::int64_t{2048};
        QTest::newRow("falling D3") << "D3=f" << std::int64_t{4096};
        QTest::newRow("either edge of D3") << "D3=e" << std::int64_t{2048};
        // Status bit 3 (S3) is n bit 3: high from n = 8; with D3 at 1 from 2048.
        QTest::newRow("levels hold at once") << "S3=0" << std::int64_t{0};
        QTest::newRow("two levels together") << "S3=1,D3=1" << std::int64_t{2048 + 8};
        QTest::newRow("an edge and a level") << "S4=r,D3=1" << std::int64_t{2048 + 16};
        QTest::newRow("a level that never holds with the edge") << "D3=r,D4=1" << std::int64_t{-1};
    }
    void triggerStartsStoring() {
        QFETCH(QString, conditions);
        QFETCH(std::int64_t, firstPoll);
        QString why;
        const auto trigger = Trigger::parse(conditions, &why);
        QVERIFY2(trigger, qPrintable(why));
        // D4 (bit 12) is held low, so that the last row never fires.
        PatternPort port([](std::int64_t n) { return std::uint16_t(counter(n) & ~(1U << 12)); });
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        Observer observer;
        CaptureTiming timing;
        const StreamEnd end = StreamCapture(port, {10, *trigger, 0.2, 0.0}, sink, observer, timing);
        if (firstPoll < 0) {
            QCOMPARE(end, StreamEnd::TriggerNotSeen);
            QVERIFY(timing.waitedSeconds >= 0.2);
            QCOMPARE(sink.size(), 0);
            return;
        }
        QCOMPARE(end, StreamEnd::Complete);
        const QByteArray bytes = sink.data();
        QCOMPARE(bytes.size(), 20);
        for (int k = 0; k < 10; ++k) {
            const auto unit = std::uint16_t(counter(firstPoll + k) & ~(1U << 12));
            QCOMPARE(quint8(bytes[2 * k]), quint8(unit & 0xFF));
            QCOMPARE(quint8(bytes[2 * k + 1]), quint8(unit >> 8));
        }
    }

    void refusesConditionsOnNoLine_data() {
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<QString>("said");
        QTest::newRow("an unused status bit") << "S2=1"
                                              << "'S2' is not a line";
        QTest::newRow("a sigrok channel number") << "8=r"
                                                 << "'8' is not a line";
        QTest::newRow("no condition") << "D0"
                                      << "D0 needs a condition";
        QTest::newRow("an unknown condition") << "D0=x"
                                              << "D0 needs a condition";
        QTest::newRow("one line twice") << "D0=1,D0=r"
                                        << "D0 has two conditions";
    }
    void refusesConditionsOnNoLine() {
        QFETCH(QString, conditions);
        QFETCH(QString, said);
        QString why;
        QVERIFY(!Trigger::parse(conditions, &why));
        QVERIFY2(why.contains(said), qPrintable(why));
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::StreamCaptureTest)
#include "tst_stream_capture.moc"
