#include "Capture.h"

#include <QStringList>
#include <QTest>

#include <memory>

namespace tarvik {

namespace {

// Results that are not bytes, some above 255 and some negative: the capture
// keeps the low byte of each.
std::int16_t result(bool status, long long sample) {
    return static_cast<std::int16_t>(status ? sample * 7 % 256 + (sample % 2 != 0 ? 0x100 : 0)
                                            : sample * 13 % 256 - (sample % 3 != 0 ? 0x100 : 0));
}

// Port calls and progress settings in the order they come: the first few
// written out, the rest checked as they come.
struct CallLog : PortDevice, ProgressBar {
    QStringList first;
    long long writes = 0, reads = 0, values = 0, outOfOrder = 0;

    void note(const char* call, int a, int b = -1) {
        if (first.size() < 8)
            first << QStringLiteral("%1 %2").arg(call).arg(a) +
                         (b < 0 ? QString() : QStringLiteral(" %1").arg(b));
    }
    QString open() override { return {}; }
    void out(std::int16_t address, std::int16_t value) override {
        ++writes;
        note("out", address, value);
    }
    std::int16_t inp(std::int16_t address) override {
        const bool status = reads % 2 == 0;
        note("inp", address);
        outOfOrder += address != (status ? 0x379 : 0x378);
        return result(status, reads++ / 2 + 1);
    }
    void close() override {}
    void setMax(float v) override { note("max", int(v)); }
    void setMin(float v) override { note("min", int(v)); }
    void setValue(float v) override {
        note("value", int(v));
        // After the first, each value names the sample just read.
        outOfOrder += ++values > 1 && v != static_cast<float>(reads / 2);
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

        // Registers 0x37A, 0x379 and 0x378 are 890, 889 and 888.
        QCOMPARE(log.first, (QStringList{"out 890 32", "max 2048000", "min 1", "value 1", "inp 889",
                                         "inp 888", "value 1", "inp 889"}));
        QCOMPARE(log.writes, 1LL);
        QCOMPARE(log.reads, 2LL * SampleCount);
        QCOMPARE(log.values, SampleCount + 1LL);
        QCOMPARE(log.outOfOrder, 0LL);
        long long wrong = 0;
        for (std::int32_t i = 1; i <= SampleCount; ++i)
            wrong += state->statusSamples[i] != (result(true, i) & 0xFF) ||
                     state->dataSamples[i] != (result(false, i) & 0xFF);
        QCOMPARE(wrong, 0LL);
        QCOMPARE(state->statusSamples[0], std::uint8_t{0});
        QCOMPARE(state->dataSamples[0], std::uint8_t{0});
        QCOMPARE(state->zoomFactor, 0.25F);
        QCOMPARE(state->viewStart, 4097.0F);
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::CaptureSequenceTest)
#include "tst_capture_sequence.moc"
