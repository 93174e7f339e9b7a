#pragma once

#include "SampleBlocks.h"
#include "SampleSource.h"

#include <mutex>

namespace tarvik {

// The writer thread's view of a capture as it is taken: the samples of each
// block as the sampler hands it on, waiting for the next, until the sampler
// closes the blocks. What is known of the capture grows as it goes: the
// trigger's sample before the first block, the count and the rate at the end.
class BlockSource final : public SampleSource {
  public:
    explicit BlockSource(SampleBlocks& blocks) : blocks_(blocks) {}

    // The sampler's side, never called inside the sampling loop.
    void setFacts(const CaptureFacts& facts);

    CaptureFacts facts() const override;
    std::int64_t read(std::uint8_t* pairs, std::int64_t maxSamples) override;
    QString errorString() const override { return {}; }
    bool live() const override { return true; }

  private:
    SampleBlocks& blocks_;
    mutable std::mutex factsLock_;
    CaptureFacts facts_;
    // The part of the block in hand not yet read.
    std::optional<SampleBlocks::Block> block_;
    std::int32_t readInBlock_ = 0;
};

} // namespace tarvik
