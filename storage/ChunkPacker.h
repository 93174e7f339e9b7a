#pragma once

#include "ZipStream.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace tarvik {

// Deflates chunks of a stream for a zip archive on two threads, the caller's
// and one of its own, and hands them back in the order they were put. Each
// chunk is cut into pieces that the two threads share, so that even a single
// chunk is packed on both; the pieces' streams join into one deflate stream.
// A chunk that deflate does not shrink comes back stored.
class ChunkPacker {
  public:
    ChunkPacker();
    // Stops at once: pieces not yet begun are dropped.
    ~ChunkPacker();
    ChunkPacker(const ChunkPacker&) = delete;
    ChunkPacker& operator=(const ChunkPacker&) = delete;

    // Starts packing the bytes, which must not be empty.
    void put(QByteArray chunk);
    // The chunks put and not yet taken.
    int waiting() const;
    // The oldest chunk put and not yet taken, packed, once it is; meanwhile
    // the caller packs pieces too. Only when waiting() is not 0.
    PackedMember take();

  private:
    struct Chunk;
    struct Piece;
    class Deflater;

    void work();
    // Packs the first piece in the queue, with the lock held on entry and on
    // return but not while it packs.
    void packNext(std::unique_lock<std::mutex>& lock, Deflater& deflater);

    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable packed_;
    std::deque<std::unique_ptr<Chunk>> chunks_;
    std::deque<Piece*> queue_;
    bool stopping_ = false;
    // The caller's own, kept from piece to piece as the worker keeps its.
    std::unique_ptr<Deflater> deflater_;
    std::thread worker_;
};

} // namespace tarvik
