#include "TimingReport.h"

#include "SampleRate.h"

namespace tarvik {

namespace {

QString microseconds(double seconds) {
    return QStringLiteral("%1 us").arg(seconds * 1e6, 0, 'f', seconds < 1e-3 ? 1 : 0);
}

QString samplesText(std::int64_t count) {
    return count == 1 ? QStringLiteral("1 sample") : QStringLiteral("%L1 samples").arg(count);
}

} // namespace

QStringList describeTiming(const CaptureTiming& timing) {
    QStringList lines;
    if (timing.scheduledRate > 0.0) {
        const double interval = 1.0 / timing.scheduledRate;
        lines << QStringLiteral("Captured %1 at %2 on schedule: %L3 late by more than one "
                                "interval (%4); the latest was %5 late.")
                     .arg(samplesText(timing.samples), samplesPerSecondText(timing.scheduledRate))
                     .arg(timing.lateSamples)
                     .arg(microseconds(interval), microseconds(timing.latestDelaySeconds));
        return lines;
    }
    lines << QStringLiteral("Captured %1 in %2 s: %3 on average.")
                 .arg(samplesText(timing.samples))
                 .arg(timing.seconds, 0, 'f', 3)
                 .arg(samplesPerSecondText(timing.meanRate()));
    if (timing.samples < SamplesPerStamp)
        return lines;
    lines << QStringLiteral("Evenness: the slowest block of %L1 samples took %2 times the mean "
                            "(%3 against %4).")
                 .arg(SamplesPerStamp)
                 .arg(timing.unevenness(), 0, 'f', 2)
                 .arg(microseconds(timing.longestBlockSeconds),
                      microseconds(double(SamplesPerStamp) / timing.meanRate()));
    return lines;
}

QString timingWarning(const CaptureTiming& timing) {
    if (timing.scheduledRate > 0.0 || timing.unevenness() <= UnevenBlockFactor)
        return {};
    return QStringLiteral("Warning: sampling was uneven: one block took %1 times the mean, as "
                          "when the machine is busy or swapping, so the time axis is only "
                          "approximate there.")
        .arg(timing.unevenness(), 0, 'f', 1);
}

} // namespace tarvik
