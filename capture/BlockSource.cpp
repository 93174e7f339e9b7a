#include "BlockSource.h"

#include <algorithm>
#include <cstring>

namespace tarvik {

void BlockSource::setFacts(const CaptureFacts& facts) {
    const std::lock_guard lock(factsLock_);
    facts_ = facts;
}

CaptureFacts BlockSource::facts() const {
    const std::lock_guard lock(factsLock_);
    return facts_;
}

std::int64_t BlockSource::read(std::uint8_t* pairs, std::int64_t maxSamples) {
    // One block at most a call: a live reader downstream sees each block as
    // soon as it comes.
    if (!block_) {
        block_ = blocks_.next();
        readInBlock_ = 0;
        if (!block_)
            return 0;
    }
    const auto count = static_cast<std::int32_t>(
        std::min<std::int64_t>(maxSamples, block_->samples - readInBlock_));
    std::memcpy(pairs, block_->pairs + std::size_t(readInBlock_) * BytesPerSample,
                std::size_t(count) * BytesPerSample);
    readInBlock_ += count;
    if (readInBlock_ == block_->samples) {
        blocks_.release();
        block_.reset();
    }
    return count;
}

} // namespace tarvik
