#include "SigrokSession.h"

#include "SessionUnits.h"
#include "SigrokMetadata.h"
#include "ZipOnDevice.h"

#include <QIODevice>

#include <zip.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace tarvik {

namespace {

// Samples in one member of the archive, a multiple of the unit as sigrok
// needs: 4 MiB of data each.
constexpr std::int64_t SamplesPerChunk = 2 * 1024 * 1024;
// Deflate's fastest level: a capture's lines change seldom, so even this
// packs them tightly, at little more than the cost of storing them.
constexpr zip_uint32_t CompressionLevel = 1;
constexpr char SessionVersion[] = "2";

// The samples in the order libzip asks for them: member by member, each to
// its end before the next is opened.
struct SampleFeed {
    explicit SampleFeed(SampleSource& samples)
        : source(samples), block(SamplesPerBlock * BytesPerSample),
          units(SessionUnits::forWriting(samples.facts().channels)) {}

    SampleSource& source;
    std::vector<std::uint8_t> block;
    SessionUnits units;
    std::size_t next = 0;
    std::size_t end = 0;
    QString error;

    // Up to size bytes into bytes; -1 when the source fails or ends early.
    zip_int64_t take(void* bytes, zip_uint64_t size) {
        if (next == end) {
            const std::int64_t got = source.read(block.data(), SamplesPerBlock);
            if (got <= 0) {
                error = got < 0 ? readFailure(source)
                                : QStringLiteral("the capture has fewer samples than it claims");
                return -1;
            }
            next = 0;
            end = static_cast<std::size_t>(units.pack(block.data(), got));
        }
        const std::size_t taken = std::min<std::size_t>(size, end - next);
        std::memcpy(bytes, block.data() + next, taken);
        next += taken;
        return static_cast<zip_int64_t>(taken);
    }
};

// One member's share of the feed, as a libzip source.
struct Chunk {
    SampleFeed& feed;
    zip_uint64_t size;
    zip_uint64_t left = 0;
    bool opened = false;
    zip_error_t error{};
};

zip_int64_t readChunk(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* chunk = static_cast<Chunk*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        // The feed runs one way only: a second reading would get other samples.
        if (chunk->opened) {
            zip_error_set(&chunk->error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
        chunk->opened = true;
        chunk->left = chunk->size;
        return 0;
    case ZIP_SOURCE_READ: {
        if (chunk->left == 0)
            return 0;
        const zip_int64_t taken = chunk->feed.take(data, std::min(length, chunk->left));
        if (taken < 0) {
            zip_error_set(&chunk->error, ZIP_ER_READ, 0);
            return -1;
        }
        chunk->left -= static_cast<zip_uint64_t>(taken);
        return taken;
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        stat->size = chunk->size;
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&chunk->error, data, length);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&chunk->error);
        delete chunk;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    default:
        zip_error_set(&chunk->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// Adds a deflated member read from source, which the archive takes over.
// False on failure, with the source freed.
bool addMember(zip_t* zip, const QByteArray& name, zip_source_t* source) {
    if (!source)
        return false;
    const zip_int64_t index = zip_file_add(zip, name.constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return false;
    }
    return zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                                    CompressionLevel) == 0;
}

bool addText(zip_t* zip, const char* name, const QByteArray& text) {
    return addMember(zip, name, zip_source_buffer(zip, text.constData(), text.size(), 0));
}

bool addChunks(zip_t* zip, SampleFeed& feed, std::int64_t sampleCount) {
    std::int64_t first = 0;
    for (int k = 1; first < sampleCount; ++k, first += SamplesPerChunk) {
        const std::int64_t samples = std::min(SamplesPerChunk, sampleCount - first);
        auto* chunk = new Chunk{feed, static_cast<zip_uint64_t>(samples * feed.units.unitSize())};
        zip_source_t* source = zip_source_function(zip, readChunk, chunk);
        if (!source)
            delete chunk;
        const QByteArray name = QByteArray(SessionCaptureFile) + '-' + QByteArray::number(k);
        if (!addMember(zip, name, source))
            return false;
    }
    return true;
}

} // namespace

QString writeSigrokSession(QIODevice& device, SampleSource& source) {
    const CaptureFacts facts = source.facts();
    const QByteArray version(SessionVersion);
    const QByteArray metadata = composeSessionMetadata(facts);
    SampleFeed feed(source);

    QString whyNot;
    zip_t* zip = openZipOnDevice(device, &whyNot);
    if (!zip)
        return whyNot;
    // The archive holds its members in the order they are added; sigrok reads
    // the version and the metadata first.
    if (addText(zip, "version", version) && addText(zip, "metadata", metadata) &&
        addChunks(zip, feed, facts.sampleCount) && zip_close(zip) == 0)
        return {};
    const QString error = feed.error.isEmpty() ? zipCloseError(zip, device) : feed.error;
    zip_discard(zip);
    return error;
}

} // namespace tarvik
