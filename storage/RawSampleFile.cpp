#include "RawSampleFile.h"

#include <QIODevice>

#include <algorithm>

namespace tarvik {

RawSampleFile::RawSampleFile(QIODevice& device, CaptureFacts facts)
    : device_(device), facts_(std::move(facts)), samplesLeft_(facts_.sampleCount) {}

std::int64_t RawSampleFile::read(std::uint8_t* pairs, std::int64_t maxSamples) {
    const std::int64_t wanted = std::min(maxSamples, samplesLeft_) * BytesPerSample;
    auto* bytes = reinterpret_cast<char*>(pairs);
    std::int64_t filled = 0;
    while (filled < wanted) {
        const qint64 got = device_.read(bytes + filled, wanted - filled);
        if (got <= 0) {
            error_ = got < 0 ? device_.errorString()
                             : QStringLiteral("the file ends after %1 of its %2 samples")
                                   .arg(facts_.sampleCount - samplesLeft_ + filled / BytesPerSample)
                                   .arg(facts_.sampleCount);
            return -1;
        }
        filled += got;
    }
    samplesLeft_ -= wanted / BytesPerSample;
    return wanted / BytesPerSample;
}

} // namespace tarvik
