#include "SigrokSession.h"

#include "ChunkPacker.h"
#include "SessionUnits.h"
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

// Reads up to `samples` samples into the buffer as the session's units,
// fewer when the source ends, which `ended` then says; the number read, or -1
// when the source fails.
std::int64_t readPiece(SampleSource& source, const SessionUnits& units, QByteArray& buffer,
                       std::int64_t samples, bool& ended) {
    auto* pairs = reinterpret_cast<std::uint8_t*>(buffer.data());
    std::int64_t filled = 0;
    while (filled < samples && !ended) {
        const std::int64_t got = source.read(pairs + filled * BytesPerSample,
                                             std::min(SamplesPerBlock, samples - filled));
        if (got < 0)
            return -1;
        ended = got == 0;
        filled += got;
    }
    buffer.truncate(units.pack(pairs, filled));
    return filled;
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
    // The lines are packed into the fewest bytes a unit, as the metadata
    // will say.
    const SessionUnits units = SessionUnits::forWriting(source.facts().channels);
    const std::int64_t samplesPerChunk = ChunkBytes / units.unitSize();
    ChunkPacker packer;
    std::int64_t samples = 0;
    std::int64_t inChunk = 0;
    int written = 0;
    for (bool ended = false; !ended;) {
        QByteArray piece = packer.spareBuffer();
        const std::int64_t got =
            readPiece(source, units, piece,
                      std::min<std::int64_t>(ChunkPacker::PieceBytes / BytesPerSample,
                                             samplesPerChunk - inChunk),
                      ended);
        if (got < 0)
            return readFailure(source);
        samples += got;
        inChunk += got;
        if (!piece.isEmpty())
            packer.put(std::move(piece));
        if (inChunk == samplesPerChunk || (ended && inChunk > 0)) {
            packer.endChunk();
            inChunk = 0;
        }
        while (packer.waiting() > (ended ? 0 : ChunksAhead)) {
            if (!zip.add(chunkName(++written), packer.take()))
                return writeFailureText(device);
        }
    }
    const CaptureFacts facts = source.facts();
    if (samples == 0)
        return QStringLiteral("the capture has no samples");
    if (samples != facts.sampleCount)
        return QStringLiteral("the capture has fewer samples than it claims");
    if (!zip.add("metadata", storedMember(composeSessionMetadata(facts))) || !zip.finish())
        return writeFailureText(device);
    return {};
}

} // namespace tarvik
