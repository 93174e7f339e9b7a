#include "Capture.h"

#include <QStringList>
#include <QTest>

#include <memory>

namespace {

// Results that are not bytes: some above 255, some negative. The capture
// keeps the low byte of each.
std::int16_t statusResult(long long sample) {
    return static_cast<std::int16_t>(sample * 7 % 256 + (sample % 2 != 0 ? 0x100 : 0));
}
std::int16_t dataResult(long long sample) {
    return static_cast<std::int16_t>(sample * 13 % 256 - (sample % 3 != 0 ? 0x100 : 0));
}

// Port calls and progress settings in the order they happen: the first few
// written out, the rest checked as they come.
struct CallLog : PortDevice, ProgressBar {
    QStringList first;
    long long writes = 0;
    long long reads = 0;
    long long values = 0;
    long long outOfOrder = 0;
    float lastValue = 0.0F;

    template <typename Describe> void note(Describe describe) {
        if (first.size() < 8)
            first << describe();
    }

    QString open() override { return {}; }
    void out(std::int16_t address, std::int16_t value) override {
        ++writes;
        note([&] { return QStringLiteral("out %1 %2").arg(address, 0, 16).arg(value, 0, 16); });
    }
    std::int16_t inp(std::int16_t address) override {
        const bool statusTurn = reads % 2 == 0;
        const long long sample = reads++ / 2 + 1;
        note([&] { return QStringLiteral("inp %1").arg(address, 0, 16); });
        outOfOrder += address != (statusTurn ? 0x379 : 0x378);
        return statusTurn ? statusResult(sample) : dataResult(sample);
    }
    void setMax(float v) override {
        note([v] { return QStringLiteral("max %1").arg(v, 0, 'f', 0); });
    }
    void setMin(float v) override {
        note([v] { return QStringLiteral("min %1").arg(v, 0, 'f', 0); });
    }
    void setValue(float v) override {
        note([v] { return QStringLiteral("value %1").arg(v, 0, 'f', 0); });
        // After the first, each value names the sample just read.
        outOfOrder += ++values > 1 && v != static_cast<float>(reads / 2);
        lastValue = v;
    }
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

        CaptureSamples(*state, log, log);

        QCOMPARE(log.first, (QStringList{"out 37a 20", "max 2048000", "min 1", "value 1", "inp 379",
                                         "inp 378", "value 1", "inp 379"}));
        QCOMPARE(log.writes, 1LL);
        QCOMPARE(log.reads, 2LL * SampleCount);
        QCOMPARE(log.values, SampleCount + 1LL);
        QCOMPARE(log.outOfOrder, 0LL);
        QCOMPARE(log.lastValue, 2048000.0F);

        long long wrong = 0;
        for (std::int32_t i = 1; i <= SampleCount; ++i)
            wrong += state->statusSamples[i] != (statusResult(i) & 0xFF) ||
                     state->dataSamples[i] != (dataResult(i) & 0xFF);
        QCOMPARE(wrong, 0LL);
        QCOMPARE(state->statusSamples[0], std::uint8_t{0});
        QCOMPARE(state->dataSamples[0], std::uint8_t{0});
        QCOMPARE(state->zoomFactor, 0.25F);
        QCOMPARE(state->viewStart, 4097.0F);
    }
};

QTEST_MAIN(CaptureSequenceTest)
#include "tst_capture_sequence.moc"
