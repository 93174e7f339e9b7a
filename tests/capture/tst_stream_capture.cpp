#include "CapturePipeline.h"
#include "TimingReport.h"

#include <QTest>

#include <functional>
#include <vector>

namespace tarvik {

namespace {

// A port whose lines follow a rule of the poll's number n = 0, 1, 2, ...:
// the status byte and then the data byte of each poll.
class PatternPort final : public PortDevice {
  public:
    using Rule = std::function<std::uint16_t(std::int64_t n)>; // status | data << 8
    explicit PatternPort(Rule rule) : rule_(std::move(rule)) {}
    std::int64_t polls = 0;
    // When set, the time of every poll by this clock, and a stop raised at a
    // given poll.
    CaptureClock* clock = nullptr;
    std::vector<std::int64_t> pollTimes;
    std::atomic<bool>* stop = nullptr;
    std::int64_t stopAtPoll = -1;
    QString open() override { return {}; }
    void out(std::int16_t, std::int16_t) override {}
    std::int16_t inp(std::int16_t address) override {
        if (address == 0x379) {
            if (clock)
                pollTimes.push_back(clock->nowNs());
            if (stop && polls == stopAtPoll)
                *stop = true;
            unit_ = rule_(polls++);
        }
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

// Time as the test says: every reading moves it on by one step, and a sleep
// jumps to its end, so that a schedule is checked however busy the machine.
struct StepClock final : CaptureClock {
    explicit StepClock(std::int64_t stepNs) : step(stepNs) {}
    std::int64_t step;
    std::int64_t now = 0;
    std::int64_t sleeps = 0;
    std::int64_t nowNs() override { return now += step; }
    bool sleepUntil(std::int64_t ns, const std::atomic<bool>& stop) override {
        if (stop)
            return false;
        ++sleeps;
        now = std::max(now, ns);
        return true;
    }
};

struct Captured {
    StreamEnd end;
    CaptureTiming timing;
    QByteArray bytes;
    CaptureFacts facts;
};

// A capture through the pipeline into memory. blocks: the blocks in flight;
// reading: whether the writer reads at all.
Captured capture(PortDevice& port, const CaptureRequest& request, CaptureObserver& observer,
                 CaptureClock& clock, const std::atomic<bool>& stop, std::int32_t blocks = 2048,
                 bool reading = true) {
    Captured result;
    std::atomic<bool> startReading = reading;
    CapturePipeline pipeline(
        request, ChannelLayout::all(), blocks, [&](BlockSource& source, const std::atomic<bool>&) {
            startReading.wait(false);
            std::vector<std::uint8_t> pairs(8192 * BytesPerSample);
            for (std::int64_t got; (got = source.read(pairs.data(), 8192)) > 0;)
                result.bytes.append(reinterpret_cast<const char*>(pairs.data()), got * 2);
            result.facts = source.facts();
            return QString();
        });
    result.end = pipeline.capture(port, observer, clock, stop);
    result.timing = pipeline.timing();
    startReading = true;
    startReading.notify_all();
    pipeline.finish(true);
    return result;
}

CaptureRequest request(std::int64_t samples) {
    CaptureRequest request;
    request.samples = samples;
    return request;
}

// The n-th poll: status n mod 256, data n / 256 mod 256.
std::uint16_t counter(std::int64_t n) {
    return static_cast<std::uint16_t>((n & 0xFF) | ((n >> 8) & 0xFF) << 8);
}

} // namespace

class StreamCaptureTest : public QObject {
    Q_OBJECT

  private slots:
    // Every sample in the order read, in pairs, across blocks, and the ends of
    // captures cut short: by the observer, by a writer that fell behind, and
    // by a stop of a capture until stopped, which keeps what it took.
    void storesEverySampleInOrder() {
        const std::int64_t count = 70 * 4096 + 5; // more blocks than in flight, a short last one
        PatternPort port(counter);
        Observer observer;
        StepClock clock(1000);
        std::atomic<bool> stop = false;
        const Captured all = capture(port, request(count), observer, clock, stop);
        QCOMPARE(all.end, StreamEnd::Complete);
        QCOMPARE(all.timing.samples, count);
        QCOMPARE(port.polls, count);
        QCOMPARE(all.bytes.size(), 2 * count);
        QCOMPARE(all.facts.sampleCount, count);
        std::int64_t wrong = 0;
        for (qsizetype n = 0; n < count; ++n)
            wrong += quint8(all.bytes[2 * n]) != (n & 0xFF) ||
                     quint8(all.bytes[2 * n + 1]) != ((n >> 8) & 0xFF);
        QCOMPARE(wrong, 0);

        Observer stopping;
        stopping.stopAfter = 3 * 4096;
        QCOMPARE(capture(port, request(count), stopping, clock, stop).timing.samples, 3 * 4096);

        // Two blocks in flight and a writer that does not read: the capture
        // ends where the second is full, and keeps both.
        const Captured behind = capture(port, request(count), observer, clock, stop, 2, false);
        QCOMPARE(behind.end, StreamEnd::WriterBehind);
        QCOMPARE(behind.timing.samples, 2 * 4096);
        QCOMPARE(behind.bytes.size(), 2 * 2 * 4096);

        PatternPort endless(counter);
        endless.stop = &stop;
        endless.stopAtPoll = 100'000;
        CaptureRequest continuous = request(0);
        continuous.continuous = true;
        const Captured untilStopped = capture(endless, continuous, observer, clock, stop);
        QCOMPARE(untilStopped.end, StreamEnd::Stopped);
        QCOMPARE(untilStopped.bytes.size(), 2 * endless.polls);
        QCOMPARE(untilStopped.facts.sampleCount, endless.polls);
        QVERIFY(endless.polls > 100'000 && endless.polls <= 100'000 + 4096);
    }

    // A schedule against a clock the test moves: sample k at k intervals
    // after the first, the trigger's wait on the schedule too, so that the
    // trigger's sample and the next lie one interval apart; none late.
    void keepsTheSchedule_data() {
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("1 MHz, watching the clock") << 1e6 << "";
        QTest::newRow("1 MHz after a trigger") << 1e6 << "D3=r";
        QTest::newRow("100 Hz, sleeping") << 100.0 << "S3=1";
    }
    void keepsTheSchedule() {
        QFETCH(double, rate);
        QFETCH(QString, trigger);
        QString why;
        PatternPort port(counter);
        StepClock clock(50);
        port.clock = &clock;
        Observer observer;
        std::atomic<bool> stop = false;
        CaptureRequest request = tarvik::request(5000);
        request.trigger = *Trigger::parse(trigger, &why);
        request.sampleRate = rate;
        const Captured run = capture(port, request, observer, clock, stop);
        QCOMPARE(run.end, StreamEnd::Complete);
        QCOMPARE(run.bytes.size(), 10000);
        QCOMPARE(run.timing.lateSamples, 0);
        QCOMPARE(run.timing.scheduledRate, rate);
        // The polls that timed the port came first; then every poll is a
        // sample on the schedule, the stored ones last.
        const std::size_t first = port.pollTimes.size() - 5000;
        const double interval = 1e9 / rate;
        for (std::size_t k = first + 1; k < port.pollTimes.size(); ++k) {
            const double apart = double(port.pollTimes[k] - port.pollTimes[k - 1]);
            QVERIFY2(apart > interval - 200 && apart < interval + 200,
                     qPrintable(QStringLiteral("sample %1: %2 ns apart").arg(k).arg(apart)));
        }
        QCOMPARE(quint8(run.bytes[0]), quint8(first & 0xFF));
        QCOMPARE(clock.sleeps > 0, rate < 10'000);
    }

    // A stop raised while the capture sleeps before a sample, or while the
    // trigger is awaited, ends it at once, whatever the rate.
    void stopsAtOnce_data() {
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("10 Hz, between samples") << 10.0 << "";
        QTest::newRow("as fast as the port, awaiting a trigger") << 0.0 << "D3=r,D4=1";
        QTest::newRow("10 Hz, awaiting a trigger") << 10.0 << "D3=r,D4=1";
    }
    void stopsAtOnce() {
        QFETCH(double, rate);
        QFETCH(QString, trigger);
        QString why;
        PatternPort port([](std::int64_t n) { return std::uint16_t(counter(n) & ~(1U << 12)); });
        std::atomic<bool> stop = false;
        port.stop = &stop;
        port.stopAtPoll = 300;
        StepClock clock(50);
        Observer observer;
        CaptureRequest request = tarvik::request(1'000'000);
        request.trigger = *Trigger::parse(trigger, &why);
        request.sampleRate = rate;
        const Captured run = capture(port, request, observer, clock, stop);
        QCOMPARE(run.end, StreamEnd::Stopped);
        // The poll that raised the stop is the last; a fast wait looks at the
        // flag once a block of polls.
        QVERIFY2(port.polls <= (rate > 0 ? 301 : 300 + 4096),
                 qPrintable(QString::number(port.polls)));
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
        CaptureRequest request = tarvik::request(3 * 4096 + 7);
        request.sampleRate = rate;
        request.registers = registersFor(*ChannelLayout::parse(lines, &why));
        Observer observer;
        StepClock clock(50);
        std::atomic<bool> stop = false;
        const Captured run = capture(port, request, observer, clock, stop);
        QCOMPARE(run.end, StreamEnd::Complete);
        // A schedule first times the port with 256 samples.
        const std::int64_t probe = rate > 0.0 ? 256 : 0;
        QCOMPARE(port.status, statusReads + (statusReads ? probe : 0));
        QCOMPARE(port.data, dataReads + (dataReads ? probe : 0));
        const QByteArray& pairs = run.bytes;
        std::int64_t wrong = 0;
        for (qsizetype k = 0; k < pairs.size() / 2; ++k)
            wrong += quint8(pairs[2 * k]) != (statusReads ? (probe + k) & 0xFF : 0) ||
                     quint8(pairs[2 * k + 1]) != (dataReads ? (probe + k) & 0xFF : 0);
        QCOMPARE(wrong, 0);
    }

    // --time without a rate: the clock ends the capture after a block.
    void aDurationEndsTheCapture() {
        PatternPort port(counter);
        Observer observer;
        StepClock clock(1000);
        std::atomic<bool> stop = false;
        CaptureRequest request = tarvik::request(0);
        request.continuous = true;
        request.durationNs = 1;
        const Captured run = capture(port, request, observer, clock, stop);
        QCOMPARE(run.end, StreamEnd::Complete);
        QCOMPARE(run.timing.samples, 4096);
        QCOMPARE(run.bytes.size(), 2 * 4096);
    }

    void triggerStartsStoring_data() {
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<std::int64_t>("firstPoll");
        QTest::addColumn<std::int64_t>("pretrigger");
        // Data bit 3 (D3) is bit 11 of the counter: n / 256 bit 3, so it rises
        // at n = 2048, falls at 4096 and rises again at 6144.
        QTest::newRow("rising D3") << "D3=r" << std::int64_t{2048} << std::int64_t{0};
        QTest::newRow("falling D3") << "D3=f" << std::int64_t{4096} << std::int64_t{0};
        QTest::newRow("either edge of D3") << "D3=e" << std::int64_t{2048} << std::int64_t{0};
        // Either edge on two lines: both must change at one sample. S3 (n
        // bit 3) changes every 8 polls, D3 first at 2048 together with it.
        QTest::newRow("either edge of two lines")
            << "D3=e,S3=e" << std::int64_t{2048} << std::int64_t{0};
        // Status bit 3 (S3) is n bit 3: high from n = 8; with D3 at 1 from 2048.
        QTest::newRow("levels hold at once") << "S3=0" << std::int64_t{0} << std::int64_t{0};
        QTest::newRow("two levels together")
            << "S3=1,D3=1" << std::int64_t{2048 + 8} << std::int64_t{0};
        QTest::newRow("an edge and a level")
            << "S4=r,D3=1" << std::int64_t{2048 + 16} << std::int64_t{0};
        QTest::newRow("a level that never holds with the edge")
            << "D3=r,D4=1" << std::int64_t{-1} << std::int64_t{0};
        // Samples kept from before: as many as asked, fewer when it held sooner.
        QTest::newRow("100 before a rising D3")
            << "D3=r" << std::int64_t{2048} << std::int64_t{100};
        QTest::newRow("a trigger that held at once keeps none before")
            << "S3=0" << std::int64_t{0} << std::int64_t{100};
        QTest::newRow("all there were before, over more than a block")
            << "D3=f" << std::int64_t{4096} << std::int64_t{9000};
    }
    void triggerStartsStoring() {
        QFETCH(QString, conditions);
        QFETCH(std::int64_t, firstPoll);
        QFETCH(std::int64_t, pretrigger);
        QString why;
        const auto trigger = Trigger::parse(conditions, &why);
        QVERIFY2(trigger, qPrintable(why));
        // D4 (bit 12) is held low, so that the last row never fires.
        const auto rule = [](std::int64_t n) { return std::uint16_t(counter(n) & ~(1U << 12)); };
        PatternPort port(rule);
        Observer observer;
        // Time moves 1 us a reading, so a wait of 0.2 s ends after 200,000
        // readings however long they take.
        StepClock clock(1000);
        std::atomic<bool> stop = false;
        CaptureRequest request = tarvik::request(10'000);
        request.trigger = *trigger;
        // Without a limit but where it never holds, so that a wait of 0 is
        // never taken for one.
        request.waitSeconds = firstPoll < 0 ? 0.2 : 0.0;
        request.pretrigger = pretrigger;
        const Captured run = capture(port, request, observer, clock, stop);
        if (firstPoll < 0) {
            QCOMPARE(run.end, StreamEnd::TriggerNotSeen);
            QVERIFY(run.timing.waitedSeconds >= 0.2);
            QVERIFY(port.polls > 4096);
            QCOMPARE(run.bytes.size(), 0);
            return;
        }
        QCOMPARE(run.end, StreamEnd::Complete);
        const std::int64_t kept = std::min(pretrigger, firstPoll);
        QCOMPARE(run.timing.triggerSample, kept);
        QCOMPARE(run.facts.triggerSample, kept);
        QCOMPARE(run.bytes.size(), 20'000);
        for (std::int64_t k = 0; k < 10'000; ++k) {
            const std::uint16_t unit = rule(firstPoll - kept + k);
            QCOMPARE(quint8(run.bytes[qsizetype(2 * k)]), quint8(unit & 0xFF));
            QCOMPARE(quint8(run.bytes[qsizetype(2 * k + 1)]), quint8(unit >> 8));
        }
    }

    void timingIsReportedInWords() {
        CaptureTiming one;
        one.samples = 1;
        one.timedSamples = 1;
        one.seconds = 0.5;
        QCOMPARE(describeTiming(one),
                 QStringList{"Captured 1 sample in 0.500 s: 2 S/s on average."});
        CaptureTiming scheduled;
        scheduled.samples = 2'000;
        scheduled.scheduledRate = 1'050'000;
        scheduled.lateSamples = 1;
        QVERIFY2(describeTiming(scheduled)[0].startsWith(
                     "Captured 2,000 samples at 1.05 MS/s on schedule: 1 late"),
                 qPrintable(describeTiming(scheduled)[0]));
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
