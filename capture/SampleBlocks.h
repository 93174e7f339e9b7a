#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

namespace tarvik {

// The blocks of samples that pass from the sampling thread to the writer
// thread: a fixed number, all allocated and touched before sampling starts, so
// that handing one on never allocates, never takes a lock and never waits.
// When every block still waits for the writer, the sampler is told at once
// instead of being held up. One producer and one consumer.
class SampleBlocks {
  public:
    SampleBlocks(std::int32_t blockCount, std::int32_t samplesPerBlock);

    std::int32_t samplesPerBlock() const { return samplesPerBlock_; }

    // The sampler's side. The free block to fill, as status/data pairs; nullptr
    // when none is free because the writer is behind.
    std::uint8_t* freeBlock();
    // Hands the block from freeBlock() on, holding that many samples.
    void publish(std::int32_t samples);
    // No more blocks will come.
    void close();
    // Whether the writer gave up (its device failed or its reader went away).
    bool writerFailed() const { return failed_.load(std::memory_order_acquire); }

    // The writer's side. The next block's samples, waiting for one; nothing
    // once the sampler closed and every block was taken.
    struct Block {
        const std::uint8_t* pairs;
        std::int32_t samples;
    };
    std::optional<Block> next();
    // Gives the block from next() back to the sampler.
    void release();
    // The writer goes no further; the sampler is to stop.
    void fail();

  private:
    std::uint8_t* blockAt(std::uint64_t k) const;

    std::int32_t blockCount_;
    std::int32_t samplesPerBlock_;
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::unique_ptr<std::int32_t[]> counts_;
    // Blocks published and released so far; the difference is in the writer's
    // hands or waiting for it. The close is a bit of the published count, read
    // with it in one.
    static constexpr std::uint64_t ClosedBit = std::uint64_t{1} << 63;
    std::atomic<std::uint64_t> published_{0};
    std::atomic<std::uint64_t> released_{0};
    std::uint64_t taken_ = 0;
    std::atomic<bool> failed_{false};
};

} // namespace tarvik
