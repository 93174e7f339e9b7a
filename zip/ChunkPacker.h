#pragma once

#include "ZipStream.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace tarvik {

// Deflates the chunks of a stream for a zip archive on two threads, the
// caller's and one of its own, and hands them back in the order they were
// put. A chunk is filled a piece at a time, and the two threads share the
// pieces as they come, so that even a single chunk is packed on both; the
// pieces' deflate streams join into the chunk's. A piece whose start deflate
// does not shrink, such as noise, is stored in the stream as it is, and a
// chunk none of whose pieces shrinks is stored whole.
class ChunkPacker {
  public:
    // The most bytes a piece holds.
    static constexpr qsizetype PieceBytes = 128 * 1024;

    // Chunks of chunkBytes, a multiple of PieceBytes, the last one shorter.
    explicit ChunkPacker(qsizetype chunkBytes);
    // Stops at once: pieces not yet begun are dropped.
    ~ChunkPacker();
    ChunkPacker(const ChunkPacker&) = delete;
    ChunkPacker& operator=(const ChunkPacker&) = delete;

    // Where the next piece is to be written, PieceBytes of room in the chunk
    // being filled, or in a new one.
    std::uint8_t* nextPiece();
    // Adds the first `size` bytes written at nextPiece() as a piece. A chunk
    // ends once it is full, or here when `last`. While pieces wait for a
    // thread, the caller packs them itself, so that it reads no further ahead
    // than the packing goes.
    void put(qsizetype size, bool last);
    // The chunks ended and not yet taken.
    int waiting() const;
    // The oldest chunk ended and not yet taken, packed, once it is; the
    // caller packs pieces meanwhile. Only when waiting() is not 0.
    PackedMember take();

  private:
    struct Chunk;
    struct Piece;
    class Deflater;

    void work();
    // Packs the first piece in the queue, with the lock held on entry and on
    // return but not while it packs.
    void packNext(std::unique_lock<std::mutex>& lock, Deflater& deflater);

    const qsizetype chunkBytes_;
    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable packed_;
    // The chunks in the order put; the last is being filled while open_.
    std::deque<std::unique_ptr<Chunk>> chunks_;
    bool open_ = false;
    std::deque<Piece*> queue_;
    bool stopping_ = false;
    // The caller's own, kept from piece to piece as the worker keeps its.
    std::unique_ptr<Deflater> deflater_;
    std::thread worker_;
};

} // namespace tarvik
