#include "SigrokSession.h"

#include "ChunkPacker.h"
#include "SessionUnits.h"
#include "SigrokMetadata.h"
#include "WritableFile.h"
#include "ZipStream.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <vector>

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

// Reads up to a piece of the session's units into `piece`: `filled` bytes,
// fewer when the source ends, which `ended` then says; the pairs are read
// into `pairs` first and packed there. False when the source fails.
bool readPiece(SampleSource& source, const SessionUnits& units, std::vector<std::uint8_t>& pairs,
               std::uint8_t* piece, qsizetype& filled, bool& ended) {
    const std::int64_t samples = ChunkPacker::PieceBytes / units.unitSize();
    std::int64_t got = 0;
    while (got < samples && !ended) {
        const std::int64_t read = source.read(pairs.data() + got * BytesPerSample,
                                              std::min(SamplesPerBlock, samples - got));
        if (read < 0)
            return false;
        ended = read == 0;
        got += read;
    }
    filled = static_cast<qsizetype>(units.pack(pairs.data(), got));
    std::memcpy(piece, pairs.data(), static_cast<std::size_t>(filled));
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
    // The lines are packed into the fewest bytes a unit, as the metadata
    // will say.
    const SessionUnits units = SessionUnits::forWriting(source.facts().channels);
    std::vector<std::uint8_t> pairs(
        static_cast<std::size_t>(ChunkPacker::PieceBytes / units.unitSize() * BytesPerSample));
    ChunkPacker packer(ChunkBytes);
    std::int64_t bytes = 0;
    int written = 0;
    for (bool ended = false; !ended;) {
        qsizetype filled = 0;
        if (!readPiece(source, units, pairs, packer.nextPiece(), filled, ended))
            return readFailure(source);
        bytes += filled;
        packer.put(filled, ended);
        while (packer.waiting() > (ended ? 0 : ChunksAhead)) {
            if (!zip.add(chunkName(++written), packer.take()))
                return writeFailureText(device);
        }
    }
    const std::int64_t samples = bytes / units.unitSize();
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
