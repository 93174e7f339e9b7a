#include "TimingReport.h"

namespace tarvik {

QStringList describeTiming(const CaptureTiming& timing) {
    QStringList lines;
    lines << QStringLiteral("Captured %L1 samples in %2 s: %3 kS/s on average.")
                 .arg(timing.samples)
                 .arg(timing.seconds, 0, 'f', 3)
                 .arg(timing.meanRate() / 1e3, 0, 'f', 1);
    if (timing.samples < SamplesPerStamp)
        return lines;
    const double unevenness = timing.unevenness();
    lines << QStringLiteral("Evenness: the slowest block of %L1 samples took %2 times the mean "
                            "(%3 us against %4 us).")
                 .arg(SamplesPerStamp)
                 .arg(unevenness, 0, 'f', 2)
                 .arg(timing.longestBlockSeconds * 1e6, 0, 'f', 0)
                 .arg(double(SamplesPerStamp) / timing.meanRate() * 1e6, 0, 'f', 0);
    if (unevenness > UnevenBlockFactor)
        lines << QStringLiteral("Warning: sampling was uneven; the machine held the capture up "
                                "for a while (busy, or swapping), so the time axis is only "
                                "approximate there.");
    return lines;
}

} // namespace tarvik
