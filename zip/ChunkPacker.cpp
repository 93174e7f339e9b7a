#include "ChunkPacker.h"

#include <QtEndian>

#include <zlib.h>

#include <algorithm>

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

// The bytes as stored blocks of a deflate stream, starting on a byte.
QByteArray storedBlocks(const QByteArray& bytes) {
    QByteArray blocks;
    for (qsizetype done = 0; done < bytes.size(); done += StoredBlockBytes) {
        const auto length =
            static_cast<std::uint16_t>(std::min(StoredBlockBytes, bytes.size() - done));
        char header[StoredHeaderBytes] = {};
        qToLittleEndian(length, header + 1);
        qToLittleEndian(static_cast<std::uint16_t>(~length), header + 3);
        blocks.append(header, StoredHeaderBytes).append(bytes.constData() + done, length);
    }
    return blocks;
}

} // namespace

struct ChunkPacker::Piece {
    Piece(Chunk* owner, QByteArray bytes) : chunk(owner), raw(std::move(bytes)), size(raw.size()) {}

    Chunk* chunk;
    // The bytes of the piece, until they are deflated.
    QByteArray raw;
    qsizetype size;
    std::uint32_t crc32 = 0;
    // The piece as a deflate stream that ends on a byte; empty when deflate
    // does not shrink it (or zlib failed, for want of memory), and the piece
    // is stored.
    QByteArray packed;
};

struct ChunkPacker::Chunk {
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
        const auto* bytes = reinterpret_cast<const Bytef*>(piece.raw.constData());
        piece.crc32 = static_cast<std::uint32_t>(crc32(0, bytes, static_cast<uInt>(piece.size)));
        if (!ready_ || deflateReset(&stream_) != Z_OK)
            return;
        stream_.next_in = const_cast<Bytef*>(bytes);
        stream_.next_out = reinterpret_cast<Bytef*>(room_.data());
        stream_.avail_out = static_cast<uInt>(room_.size());
        const qsizetype probe = std::min(ProbeBytes, piece.size);
        if (!run(probe) || stream_.total_out >= stream_.total_in)
            return;
        // Where matches shrink the start by little (noise on some lines,
        // quiet others), coding the bytes alone keeps most of the gain at a
        // fraction of the cost.
        const bool fewMatches = stream_.total_out * 8 > stream_.total_in * 7;
        if (fewMatches && deflateParams(&stream_, Level, Z_HUFFMAN_ONLY) != Z_OK)
            return;
        if ((probe == piece.size || run(piece.size - probe)) &&
            stream_.total_out < stream_.total_in)
            piece.packed = room_.left(static_cast<qsizetype>(stream_.total_out));
        if (fewMatches)
            deflateParams(&stream_, Level, Z_DEFAULT_STRATEGY);
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

QByteArray ChunkPacker::spareBuffer() {
    std::unique_lock lock(mutex_);
    if (spares_.empty())
        return QByteArray(PieceBytes, Qt::Uninitialized);
    QByteArray buffer = std::move(spares_.back());
    spares_.pop_back();
    lock.unlock();
    buffer.resize(PieceBytes);
    return buffer;
}

void ChunkPacker::put(QByteArray piece) {
    std::unique_lock lock(mutex_);
    if (!lastOpen_) {
        chunks_.push_back(std::make_unique<Chunk>());
        lastOpen_ = true;
    }
    Chunk& chunk = *chunks_.back();
    chunk.pieces.emplace_back(&chunk, std::move(piece));
    ++chunk.piecesLeft;
    queue_.push_back(&chunk.pieces.back());
    queued_.notify_one();
    while (queue_.size() > PiecesAhead)
        packNext(lock, *deflater_);
}

void ChunkPacker::endChunk() {
    const std::lock_guard lock(mutex_);
    lastOpen_ = false;
}

int ChunkPacker::waiting() const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(chunks_.size()) - (lastOpen_ ? 1 : 0);
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
    for (const Piece& piece : chunk->pieces) {
        if (!member.deflated)
            member.parts.append(piece.raw);
        else
            member.parts.append(piece.packed.isEmpty() ? storedBlocks(piece.raw) : piece.packed);
    }
    if (member.deflated)
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
    // A deflated piece's bytes are needed no more: its buffer takes the next.
    if (!piece.packed.isEmpty())
        spares_.push_back(std::move(piece.raw));
    // Pieces finish in any order; only the last of a chunk wakes its taker.
    if (--piece.chunk->piecesLeft == 0)
        packed_.notify_all();
}

} // namespace tarvik
