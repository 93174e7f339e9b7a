#pragma once

#include "SampleSource.h"

class QIODevice;

namespace tarvik {

// The samples of a device that holds nothing else: the pairs in file order
// from its current position, as many as the facts count. A device that ends
// early is an error, so a truncated file is never taken for a short capture.
class RawSampleFile : public SampleSource {
  public:
    RawSampleFile(QIODevice& device, CaptureFacts facts);

    CaptureFacts facts() const override { return facts_; }
    std::int64_t read(std::uint8_t* pairs, std::int64_t maxSamples) override;
    QString errorString() const override { return error_; }

  private:
    QIODevice& device_;
    CaptureFacts facts_;
    std::int64_t samplesLeft_;
    QString error_;
};

} // namespace tarvik
