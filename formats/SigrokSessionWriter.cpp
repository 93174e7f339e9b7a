#include "SigrokSession.h"

#include "ChunkPacker.h"
#include "SigrokMetadata.h"
#include "WritableFile.h"
#include "ZipStream.h"

#include <QIODevice>

#include <algorithm>

namespace tarvik {

namespace {

// The logic data of one member of the archive, a multiple of the unit as
// sigrok needs: 4 MiB, read a piece at a time.
constexpr qsizetype ChunkBytes = 4 * 1024 * 1024;
static_assert(ChunkBytes % ChunkPacker::PieceBytes == 0 &&
              ChunkPacker::PieceBytes % BytesPerSample == 0);
// Chunks waiting to be written while the next is read, one at most: the
// worker thread may still be packing it.
constexpr int ChunksAhead = 1;
constexpr char SessionVersion[] = "2";

// Reads up to `size` bytes of samples into the buffer, fewer when the source
// ends, which `ended` then says. False when the source fails.
bool readPiece(SampleSource& source, QByteArray& buffer, qsizetype size, bool& ended) {
    auto* pairs = reinterpret_cast<std::uint8_t*>(buffer.data());
    qsizetype filled = 0;
    while (filled < size && !ended) {
        const std::int64_t got =
            source.read(pairs + filled,
                        std::min<std::int64_t>(SamplesPerBlock, (size - filled) / BytesPerSample));
        if (got < 0)
            return false;
        ended = got == 0;
        filled += got * BytesPerSample;
    }
    buffer.truncate(filled);
    return true;
}

QByteArray chunkName(int k) {
    return QByteArray(SessionCaptureFile) + '-' + QByteArray::number(k);
}

} // namespace

QString writeSigrokSession(QIODevice& device, SampleSource& source) {
    ZipStream zip(device);
    // sigrok looks its members up by name; the metadata comes last, once the
    // source has ended and told how many samples it gave, and at what rate.
    if (!zip.add("version", storedMember(SessionVersion)))
        return writeFailureText(device);
    ChunkPacker packer;
    std::int64_t bytes = 0;
    qsizetype inChunk = 0;
    int written = 0;
    for (bool ended = false; !ended;) {
        QByteArray piece = packer.spareBuffer();
        if (!readPiece(source, piece, std::min(ChunkPacker::PieceBytes, ChunkBytes - inChunk),
                       ended))
            return readFailure(source);
        bytes += piece.size();
        inChunk += piece.size();
        if (!piece.isEmpty())
            packer.put(std::move(piece));
        if (inChunk == ChunkBytes || (ended && inChunk > 0)) {
            packer.endChunk();
            inChunk = 0;
        }
        while (packer.waiting() > (ended ? 0 : ChunksAhead)) {
            if (!zip.add(chunkName(++written), packer.take()))
                return writeFailureText(device);
        }
    }
    const CaptureFacts facts = source.facts();
    if (bytes == 0)
        return QStringLiteral("the capture has no samples");
    if (bytes / BytesPerSample != facts.sampleCount)
        return QStringLiteral("the capture has fewer samples than it claims");
    if (!zip.add("metadata", storedMember(composeSessionMetadata(facts))) || !zip.finish())
        return writeFailureText(device);
    return {};
}

} // namespace tarvik
