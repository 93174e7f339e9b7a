#include "ChunkPacker.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

namespace tarvik {

namespace {

// Small enough that the two threads finish a chunk close together, large
// enough that a piece's own start and end cost nothing.
constexpr qsizetype PieceBytes = 256 * 1024;
// Deflate's fastest level: a capture's lines change seldom, so even this
// packs them tightly, at little more than the cost of storing them.
constexpr int Level = 1;
// A raw deflate stream, as zip members hold it, with zlib's default window
// and memory.
constexpr int WindowBits = -15;
constexpr int MemoryLevel = 8;
// What a flush that ends a piece may add beyond deflateBound's worst case.
constexpr qsizetype FlushBytes = 16;

} // namespace

struct ChunkPacker::Piece {
    Chunk* chunk;
    qsizetype begin;
    qsizetype size;
    // The last piece of the chunk ends the deflate stream; the others end
    // on a byte with a sync flush, so that the next piece's stream can follow.
    bool last;
    QByteArray packed;
    std::uint32_t crc32 = 0;
    // False when zlib failed, for want of memory: the chunk is then stored.
    bool deflated = false;
};

struct ChunkPacker::Chunk {
    QByteArray bytes;
    std::vector<Piece> pieces;
    std::size_t piecesLeft = 0;
};

// A deflate stream kept for one thread's pieces: zlib's state is large, and
// fresh memory for it on every piece costs more than packing a small one.
class ChunkPacker::Deflater {
  public:
    Deflater() {
        ready_ = deflateInit2(&stream_, Level, Z_DEFLATED, WindowBits, MemoryLevel,
                              Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater() {
        if (ready_)
            deflateEnd(&stream_);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void pack(Piece& piece) {
        const auto* bytes =
            reinterpret_cast<const Bytef*>(piece.chunk->bytes.constData() + piece.begin);
        piece.crc32 = static_cast<std::uint32_t>(crc32(0, bytes, static_cast<uInt>(piece.size)));
        if (!ready_ || deflateReset(&stream_) != Z_OK)
            return;
        piece.packed.resize(
            static_cast<qsizetype>(deflateBound(&stream_, static_cast<uLong>(piece.size))) +
            FlushBytes);
        stream_.next_in = const_cast<Bytef*>(bytes);
        stream_.avail_in = static_cast<uInt>(piece.size);
        stream_.next_out = reinterpret_cast<Bytef*>(piece.packed.data());
        stream_.avail_out = static_cast<uInt>(piece.packed.size());
        const int result = deflate(&stream_, piece.last ? Z_FINISH : Z_SYNC_FLUSH);
        // A flush is complete when it leaves room to spare.
        piece.deflated = piece.last
                             ? result == Z_STREAM_END
                             : result == Z_OK && stream_.avail_in == 0 && stream_.avail_out > 0;
        piece.packed.resize(static_cast<qsizetype>(stream_.total_out));
    }

  private:
    z_stream stream_{};
    bool ready_ = false;
};

ChunkPacker::ChunkPacker() : deflater_(std::make_unique<Deflater>()), worker_([this] { work(); }) {}

ChunkPacker::~ChunkPacker() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        queue_.clear();
    }
    queued_.notify_all();
    worker_.join();
}

void ChunkPacker::put(QByteArray bytes) {
    auto chunk = std::make_unique<Chunk>();
    chunk->bytes = std::move(bytes);
    for (qsizetype begin = 0; begin < chunk->bytes.size(); begin += PieceBytes) {
        const qsizetype size = std::min(PieceBytes, chunk->bytes.size() - begin);
        chunk->pieces.push_back(
            {chunk.get(), begin, size, begin + size == chunk->bytes.size(), {}});
    }
    chunk->piecesLeft = chunk->pieces.size();
    {
        const std::lock_guard lock(mutex_);
        for (Piece& piece : chunk->pieces)
            queue_.push_back(&piece);
        chunks_.push_back(std::move(chunk));
    }
    queued_.notify_one();
}

int ChunkPacker::waiting() const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(chunks_.size());
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

    PackedMember member{true, 0, static_cast<std::uint64_t>(chunk->bytes.size()), {}};
    qsizetype packedSize = 0;
    for (Piece& piece : chunk->pieces) {
        member.crc32 = static_cast<std::uint32_t>(
            crc32_combine(member.crc32, piece.crc32, static_cast<z_off_t>(piece.size)));
        packedSize += piece.packed.size();
        member.deflated = member.deflated && piece.deflated;
        member.parts.append(std::move(piece.packed));
    }
    if (!member.deflated || packedSize >= chunk->bytes.size()) {
        member.deflated = false;
        member.parts = {chunk->bytes};
    }
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
    // Pieces finish in any order; only the last of a chunk wakes its taker.
    if (--piece.chunk->piecesLeft == 0)
        packed_.notify_all();
}

} // namespace tarvik
