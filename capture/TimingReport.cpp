#include "TimingReport.h"

#include "SampleRate.h"

namespace tarvik {

namespace {

QString microseconds(double seconds) {
    return QStringLiteral("%1 us").arg(seconds * 1e6, 0, 'f', seconds < 1e-3 ? 1 : 0);
}

} // namespace

QStringList describeTiming(const CaptureTiming& timing) {
    QStringList lines;
    if (timing.scheduledRate > 0.0) {
        const double interval = 1.0 / timing.scheduledRate;
        lines << QStringLiteral("Captured %L1 samples at %2 on schedule: %L3 late by more than "
                                "one interval (%4); the latest was %5 late.")
                     .arg(timing.samples)
                     .arg(samplesPerSecondText(timing.scheduledRate))
                     .arg(timing.lateSamples)
                     .arg(microseconds(interval), microseconds(timing.latestDelaySeconds));
        return lines;
    }
    lines << QStringLiteral("Captured %L1 samples in %2 s: %3 on average.")
                 .arg(timing.samples)
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
