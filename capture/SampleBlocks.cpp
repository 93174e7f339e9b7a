#include "SampleBlocks.h"

#include "SampleSource.h"

#include <cstring>

namespace tarvik {

SampleBlocks::SampleBlocks(std::int32_t blockCount, std::int32_t samplesPerBlock)
    : blockCount_(blockCount), samplesPerBlock_(samplesPerBlock),
      bytes_(new std::uint8_t[std::size_t(blockCount) * samplesPerBlock * BytesPerSample]),
      counts_(new std::int32_t[std::size_t(blockCount)]) {
    // Every page is faulted in now, not while the port is being read.
    std::memset(bytes_.get(), 0, std::size_t(blockCount) * samplesPerBlock * BytesPerSample);
}

std::uint8_t* SampleBlocks::blockAt(std::uint64_t k) const {
    return bytes_.get() +
           std::size_t(k % std::uint64_t(blockCount_)) * samplesPerBlock_ * BytesPerSample;
}

std::uint8_t* SampleBlocks::freeBlock() {
    const std::uint64_t published = published_.load(std::memory_order_relaxed);
    if (published - released_.load(std::memory_order_acquire) >= std::uint64_t(blockCount_))
        return nullptr;
    return blockAt(published);
}

void SampleBlocks::publish(std::int32_t samples) {
    const std::uint64_t published = published_.load(std::memory_order_relaxed);
    counts_[published % std::uint64_t(blockCount_)] = samples;
    published_.store(published + 1, std::memory_order_release);
    published_.notify_one();
}

void SampleBlocks::close() {
    published_.fetch_or(ClosedBit, std::memory_order_release);
    published_.notify_all();
}

std::optional<SampleBlocks::Block> SampleBlocks::next() {
    for (;;) {
        const std::uint64_t published = published_.load(std::memory_order_acquire);
        if (taken_ < (published & ~ClosedBit)) {
            const std::uint64_t k = taken_++;
            return Block{blockAt(k), counts_[k % std::uint64_t(blockCount_)]};
        }
        if (published & ClosedBit)
            return std::nullopt;
        published_.wait(published, std::memory_order_acquire);
    }
}

void SampleBlocks::release() {
    released_.fetch_add(1, std::memory_order_release);
}

void SampleBlocks::fail() {
    failed_.store(true, std::memory_order_release);
}

} // namespace tarvik
