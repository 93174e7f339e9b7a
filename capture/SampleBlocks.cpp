#include "SampleBlocks.h"

#include "SampleSource.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace tarvik {

namespace {

// How long the writer sleeps when it finds no block: short beside the 50 ms
// within which a reader at the end of a pipe is to see the samples, long
// beside the time it takes to look.
constexpr std::chrono::milliseconds WriterLooksAgainAfter{1};

} // namespace

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
    // No wake-up: waking a thread is a system call, which the sampler does
    // not make; the writer looks again within a millisecond.
    published_.store(published + 1, std::memory_order_release);
}

void SampleBlocks::close() {
    published_.fetch_or(ClosedBit, std::memory_order_release);
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
        std::this_thread::sleep_for(WriterLooksAgainAfter);
    }
}

void SampleBlocks::release() {
    released_.fetch_add(1, std::memory_order_release);
}

void SampleBlocks::fail() {
    failed_.store(true, std::memory_order_release);
}

} // namespace tarvik
