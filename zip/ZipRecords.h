#pragma once

#include <QByteArray>

#include <cstdint>

namespace tarvik {

// What an archive records of one member, in its local header before the
// member's bytes and again in the central directory at the end.
struct ZipEntry {
    QByteArray name;
    // Deflated, or else stored as it is.
    bool deflated = false;
    std::uint32_t crc32 = 0;
    // The bytes in the archive, and the bytes they unpack to.
    std::uint64_t packedSize = 0;
    std::uint64_t size = 0;
    // Where the member's local header starts in the archive.
    std::uint64_t offset = 0;
    // When the member was written, as MS-DOS counts time and date.
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
};

// The header that goes right before the member's bytes. Sizes beyond the
// 32-bit fields go in a ZIP64 field.
QByteArray localHeader(const ZipEntry& entry);

// The member's header in the central directory. Sizes and an offset beyond
// the 32-bit fields go in a ZIP64 field.
QByteArray centralHeader(const ZipEntry& entry);

// What ends the archive after its central directory of `entries` headers,
// `size` bytes from `offset`: the end record, preceded by the ZIP64 end
// record and its locator when a number does not fit the end record.
QByteArray directoryEnd(std::uint64_t entries, std::uint64_t offset, std::uint64_t size);

} // namespace tarvik
