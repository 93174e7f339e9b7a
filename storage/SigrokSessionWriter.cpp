#include "SigrokSessionWriter.h"

#include "ChunkPacker.h"
#include "SigrokMetadata.h"
#include "ZipStream.h"

#include <QIODevice>

#include <algorithm>
#include <optional>

namespace tarvik {

namespace {

// Samples in one member of the archive, a multiple of the unit as sigrok
// needs: 4 MiB of data each.
constexpr std::int64_t SamplesPerChunk = 2 * 1024 * 1024;
// Chunks waiting to be written while the next is read: the one that the
// worker thread packs meanwhile.
constexpr int ChunksAhead = 1;
constexpr char SessionVersion[] = "2";

// Fills a chunk from the source, shorter when the source ends, which `ended`
// then says. Nothing when the source fails.
std::optional<QByteArray> readChunk(SampleSource& source, bool& ended) {
    QByteArray chunk(SamplesPerChunk * BytesPerSample, Qt::Uninitialized);
    auto* pairs = reinterpret_cast<std::uint8_t*>(chunk.data());
    std::int64_t filled = 0;
    while (filled < SamplesPerChunk && !ended) {
        const std::int64_t got = source.read(pairs + filled * BytesPerSample,
                                             std::min(SamplesPerBlock, SamplesPerChunk - filled));
        if (got < 0)
            return std::nullopt;
        ended = got == 0;
        filled += got;
    }
    chunk.truncate(filled * BytesPerSample);
    return chunk;
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
        return device.errorString();
    ChunkPacker packer;
    std::int64_t samples = 0;
    int written = 0;
    for (bool ended = false; !ended;) {
        std::optional<QByteArray> chunk = readChunk(source, ended);
        if (!chunk)
            return readFailure(source);
        if (!chunk->isEmpty()) {
            samples += chunk->size() / BytesPerSample;
            packer.put(std::move(*chunk));
        }
        while (packer.waiting() > (ended ? 0 : ChunksAhead)) {
            if (!zip.add(chunkName(++written), packer.take()))
                return device.errorString();
        }
    }
    const CaptureFacts facts = source.facts();
    if (samples == 0)
        return QStringLiteral("the capture has no samples");
    if (samples != facts.sampleCount)
        return QStringLiteral("the capture has fewer samples than it claims");
    if (!zip.add("metadata", storedMember(composeSessionMetadata(facts))) || !zip.finish())
        return device.errorString();
    return {};
}

} // namespace tarvik
