#include "ChunkPacker.h"

#include <QtEndian>

#include <zlib.h>

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>

namespace tarvik {

namespace {

// Deflate's fastest level: a capture's lines change seldom, so even this
// packs them tightly, at little more than the cost of storing them.
constexpr int Level = 1;
// A raw deflate stream, as zip members hold it, with zlib's default window
// and memory.
constexpr int WindowBits = -15;
constexpr int MemoryLevel = 8;
// What the sync flush that ends a piece may add beyond deflateBound's worst
// case.
constexpr qsizetype FlushBytes = 16;
// Deflate spends nearly all its time on bytes that it cannot shrink: it is
// tried on a sixteenth of each piece first, and let go on the rest only
// where it shrinks that.
constexpr qsizetype ProbeBytes = ChunkPacker::PieceBytes / 16;
// Pieces that wait for a thread before the caller packs one itself.
constexpr std::size_t PiecesAhead = 2;
// A stored block of a deflate stream: a byte that says so, then its length
// and the length's complement, then at most this many bytes.
constexpr qsizetype StoredBlockBytes = 65535;
constexpr qsizetype StoredHeaderBytes = 5;
// The empty block, with fixed codes, that ends a deflate stream; each piece
// ends on a byte boundary and not the stream.
constexpr char FinalBlock[] = {0x03, 0x00};
constexpr std::size_t HugePage = 2 * 1024 * 1024;

// The bytes as stored blocks of a deflate stream, starting on a byte.
QByteArray storedBlocks(const std::uint8_t* bytes, qsizetype size) {
    QByteArray blocks;
    for (qsizetype done = 0; done < size; done += StoredBlockBytes) {
        const auto length = static_cast<std::uint16_t>(std::min(StoredBlockBytes, size - done));
        char header[StoredHeaderBytes] = {};
        qToLittleEndian(length, header + 1);
        qToLittleEndian(static_cast<std::uint16_t>(~length), header + 3);
        blocks.append(header, StoredHeaderBytes)
            .append(reinterpret_cast<const char*>(bytes + done), length);
    }
    return blocks;
}

// Memory for a chunk, in pages of 2 MiB where the kernel grants them: the
// kernel reads a chunk in once and the threads go over it twice, and in
// pages of 4 KiB that costs a fault and a TLB miss for each page, which on a
// virtual machine outweighs the packing.
std::shared_ptr<std::uint8_t> chunkMemory(qsizetype size) {
    const std::size_t rounded =
        (static_cast<std::size_t>(size) + HugePage - 1) / HugePage * HugePage;
    void* memory = std::aligned_alloc(HugePage, rounded);
    if (!memory)
        qBadAlloc();
    madvise(memory, rounded, MADV_HUGEPAGE);
    return {static_cast<std::uint8_t*>(memory), std::free};
}

} // namespace

struct ChunkPacker::Piece {
    Piece(Chunk* owner, qsizetype at, qsizetype length) : chunk(owner), begin(at), size(length) {}

    Chunk* chunk;
    qsizetype begin;
    qsizetype size;
    std::uint32_t crc32 = 0;
    // The piece as a deflate stream that ends on a byte; empty when deflate
    // does not shrink it (or zlib failed, for want of memory), and the piece
    // is stored.
    QByteArray packed;
};

struct ChunkPacker::Chunk {
    explicit Chunk(qsizetype capacity) : bytes(chunkMemory(capacity)) {}

    // Shared with the member when it is stored, until it is written.
    std::shared_ptr<std::uint8_t> bytes;
    qsizetype filled = 0;
    // A deque keeps the pieces in place as more are added.
    std::deque<Piece> pieces;
    std::size_t piecesLeft = 0;
};

// A deflate stream kept for one thread's pieces, with room for a piece's
// output: zlib's state is large, and fresh memory for each piece would cost
// more than packing it.
class ChunkPacker::Deflater {
  public:
    Deflater() {
        ready_ = deflateInit2(&stream_, Level, Z_DEFLATED, WindowBits, MemoryLevel,
                              Z_DEFAULT_STRATEGY) == Z_OK;
        if (ready_)
            room_.resize(static_cast<qsizetype>(deflateBound(&stream_, PieceBytes)) + FlushBytes);
    }
    ~Deflater() {
        if (ready_)
            deflateEnd(&stream_);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void pack(Piece& piece) {
        const std::uint8_t* bytes = piece.chunk->bytes.get() + piece.begin;
        piece.crc32 = static_cast<std::uint32_t>(crc32(0, bytes, static_cast<uInt>(piece.size)));
        if (!ready_ || deflateReset(&stream_) != Z_OK)
            return;
        stream_.next_in = const_cast<Bytef*>(bytes);
        stream_.next_out = reinterpret_cast<Bytef*>(room_.data());
        stream_.avail_out = static_cast<uInt>(room_.size());
        const qsizetype probe = std::min(ProbeBytes, piece.size);
        // A start that deflate shrinks by less than a quarter is noise, on
        // all lines or most: storing the piece costs a copy, deflating it
        // tens of times more for a few bytes.
        if (!run(probe) || stream_.total_out * 4 > stream_.total_in * 3)
            return;
        if ((probe == piece.size || run(piece.size - probe)) &&
            stream_.total_out < stream_.total_in)
            piece.packed = room_.left(static_cast<qsizetype>(stream_.total_out));
    }

  private:
    // Deflates the next `size` bytes and flushes them to a byte boundary;
    // true when all of it is out.
    bool run(qsizetype size) {
        stream_.avail_in = static_cast<uInt>(size);
        // A flush is complete when it leaves room to spare.
        return deflate(&stream_, Z_SYNC_FLUSH) == Z_OK && stream_.avail_in == 0 &&
               stream_.avail_out > 0;
    }

    z_stream stream_{};
    bool ready_ = false;
    QByteArray room_;
};

ChunkPacker::ChunkPacker(qsizetype chunkBytes)
    : chunkBytes_(chunkBytes), deflater_(std::make_unique<Deflater>()),
      worker_([this] { work(); }) {}

ChunkPacker::~ChunkPacker() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    queued_.notify_all();
    worker_.join();
}

std::uint8_t* ChunkPacker::nextPiece() {
    const std::lock_guard lock(mutex_);
    if (!open_) {
        chunks_.push_back(std::make_unique<Chunk>(chunkBytes_));
        open_ = true;
    }
    Chunk& chunk = *chunks_.back();
    return chunk.bytes.get() + chunk.filled;
}

void ChunkPacker::put(qsizetype size, bool last) {
    std::unique_lock lock(mutex_);
    Chunk& chunk = *chunks_.back();
    if (size > 0) {
        queue_.push_back(&chunk.pieces.emplace_back(&chunk, chunk.filled, size));
        chunk.filled += size;
        ++chunk.piecesLeft;
        queued_.notify_one();
    }
    if (chunk.filled == chunkBytes_ || last)
        open_ = false;
    // A source that ends with a chunk leaves the next one empty.
    if (chunk.filled == 0 && last)
        chunks_.pop_back();
    while (queue_.size() > PiecesAhead)
        packNext(lock, *deflater_);
}

int ChunkPacker::waiting() const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(chunks_.size()) - (open_ ? 1 : 0);
}

PackedMember ChunkPacker::take() {
    std::unique_lock lock(mutex_);
    Chunk& oldest = *chunks_.front();
    while (oldest.piecesLeft > 0) {
        if (!queue_.empty())
            packNext(lock, *deflater_);
        else
            packed_.wait(lock);
    }
    const std::unique_ptr<Chunk> chunk = std::move(chunks_.front());
    chunks_.pop_front();
    lock.unlock();

    PackedMember member;
    for (const Piece& piece : chunk->pieces) {
        member.crc32 = static_cast<std::uint32_t>(
            crc32_combine(member.crc32, piece.crc32, static_cast<z_off_t>(piece.size)));
        member.size += static_cast<std::uint64_t>(piece.size);
        member.deflated = member.deflated || !piece.packed.isEmpty();
    }
    if (!member.deflated) {
        member.parts = {QByteArray::fromRawData(reinterpret_cast<const char*>(chunk->bytes.get()),
                                                chunk->filled)};
        member.holder = chunk->bytes;
        return member;
    }
    for (const Piece& piece : chunk->pieces) {
        member.parts.append(piece.packed.isEmpty()
                                ? storedBlocks(chunk->bytes.get() + piece.begin, piece.size)
                                : piece.packed);
    }
    member.parts.append(QByteArray(FinalBlock, sizeof FinalBlock));
    return member;
}

void ChunkPacker::work() {
    Deflater deflater;
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_)
            return;
        packNext(lock, deflater);
    }
}

void ChunkPacker::packNext(std::unique_lock<std::mutex>& lock, Deflater& deflater) {
    Piece& piece = *queue_.front();
    queue_.pop_front();
    lock.unlock();
    deflater.pack(piece);
    lock.lock();
    // Pieces finish in any order; only a chunk's last wakes its taker.
    if (--piece.chunk->piecesLeft == 0)
        packed_.notify_all();
}

} // namespace tarvik
