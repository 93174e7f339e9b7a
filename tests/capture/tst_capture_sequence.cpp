#include "Capture.h"

#include <QStringList>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// Port calls and progress settings in the order they happen, the first few
// written out, and a count of the reads that broke the status-then-data order.
struct CallLog {
    QStringList first;
    long long events = 0;
    long long writes = 0;
    long long reads = 0;
    long long outOfOrder = 0;

    // Formats an event only while it is among the first few.
    template <typename Describe> void note(Describe describe) {
        if (++events <= 8)
            first << describe();
    }
};

// A port whose i-th status read gives statusOf(i) and i-th data read dataOf(i).
class ScriptedPort final : public PortDevice {
  public:
    explicit ScriptedPort(CallLog& log) : log_(log) {}
    std::function<std::int16_t(long long sample)> statusOf = [](long long i) {
        return static_cast<std::int16_t>(i * 7 % 256);
    };
    std::function<std::int16_t(long long sample)> dataOf = [](long long i) {
        return static_cast<std::int16_t>(i * 13 % 256);
    };

    QString open() override { return {}; }
    void out(std::int16_t address, std::int16_t value) override {
        ++log_.writes;
        log_.note(
            [&] { return QStringLiteral("out %1 %2").arg(address, 0, 16).arg(value, 0, 16); });
    }
    std::int16_t inp(std::int16_t address) override {
        const bool statusTurn = log_.reads % 2 == 0;
        const long long sample = log_.reads / 2 + 1;
        ++log_.reads;
        log_.note([&] { return QStringLiteral("inp %1").arg(address, 0, 16); });
        if (address != (statusTurn ? 0x379 : 0x378))
            ++log_.outOfOrder;
        return statusTurn ? statusOf(sample) : dataOf(sample);
    }

  private:
    CallLog& log_;
};

// Notes each setting in the same log; values only while they are few.
class LoggedBar final : public ProgressBar {
  public:
    explicit LoggedBar(CallLog& log) : log_(log) {}
    float lastValue = 0.0F;
    long long values = 0;
    long long valuesNotFollowingSample = 0;

    void setMax(float v) override {
        log_.note([v] { return QStringLiteral("max %1").arg(double(v), 0, 'f', 0); });
    }
    void setMin(float v) override {
        log_.note([v] { return QStringLiteral("min %1").arg(double(v), 0, 'f', 0); });
    }
    void setValue(float v) override {
        log_.note([v] { return QStringLiteral("value %1").arg(double(v), 0, 'f', 0); });
        // After the first, each value names the sample just read.
        if (++values > 1 && double(v) != double(log_.reads / 2))
            ++valuesNotFollowingSample;
        lastValue = v;
    }

  private:
    CallLog& log_;
};

} // namespace

class CaptureSequenceTest : public QObject {
    Q_OBJECT

  private slots:
    void fillsEverySampleInOrder() {
        auto state = std::make_unique<ProgramState>();
        state->zoomFactor = 0.25F;
        state->viewStart = 4097.0F;
        CallLog log;
        ScriptedPort port(log);
        LoggedBar bar(log);

        CaptureSamples(*state, port, bar);

        const QStringList expectedStart{QStringLiteral("out 37a 20"), QStringLiteral("max 2048000"),
                                        QStringLiteral("min 1"),      QStringLiteral("value 1"),
                                        QStringLiteral("inp 379"),    QStringLiteral("inp 378"),
                                        QStringLiteral("value 1"),    QStringLiteral("inp 379")};
        QCOMPARE(log.first, expectedStart);
        QCOMPARE(log.writes, 1LL);
        QCOMPARE(log.reads, 2LL * SampleCount);
        QCOMPARE(log.outOfOrder, 0LL);
        QCOMPARE(bar.values, SampleCount + 1LL);
        QCOMPARE(bar.valuesNotFollowingSample, 0LL);
        QCOMPARE(bar.lastValue, 2048000.0F);

        long long wrong = 0;
        for (std::int32_t i = 1; i <= SampleCount; ++i)
            wrong += state->statusSamples[i] != port.statusOf(i) ||
                     state->dataSamples[i] != port.dataOf(i);
        QCOMPARE(wrong, 0LL);
        QCOMPARE(state->statusSamples[0], std::uint8_t{0});
        QCOMPARE(state->dataSamples[0], std::uint8_t{0});
        QCOMPARE(state->zoomFactor, 0.25F);
        QCOMPARE(state->viewStart, 4097.0F);
    }

    // A library may hand back more than a byte; the capture keeps the low
    // byte and goes on to the end.
    void keepsTheLowByteOfWideResults_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("stored");
        QTest::newRow("largest byte") << 0xFF << 0xFF;
        QTest::newRow("one past a byte") << 0x100 << 0x00;
        QTest::newRow("nine bits set") << 0x1FF << 0xFF;
        QTest::newRow("minus one") << -1 << 0xFF;
        QTest::newRow("most negative") << -32768 << 0x00;
        QTest::newRow("high and low byte") << 0x7F80 << 0x80;
    }

    void keepsTheLowByteOfWideResults() {
        QFETCH(int, result);
        QFETCH(int, stored);
        auto state = std::make_unique<ProgramState>();
        CallLog log;
        ScriptedPort port(log);
        port.statusOf = [result](long long) { return static_cast<std::int16_t>(result); };
        port.dataOf = [result](long long i) {
            return static_cast<std::int16_t>(i == SampleCount ? result : 0);
        };
        LoggedBar bar(log);

        CaptureSamples(*state, port, bar);

        QCOMPARE(log.reads, 2LL * SampleCount);
        QCOMPARE(int(state->statusSamples[1]), stored);
        QCOMPARE(int(state->statusSamples[SampleCount]), stored);
        QCOMPARE(int(state->dataSamples[SampleCount - 1]), 0);
        QCOMPARE(int(state->dataSamples[SampleCount]), stored);
    }
};

QTEST_MAIN(CaptureSequenceTest)
#include "tst_capture_sequence.moc"
