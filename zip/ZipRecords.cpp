#include "ZipRecords.h"

#include <QList>
#include <QtEndian>

#include <algorithm>

namespace tarvik {

namespace {

constexpr std::uint32_t LocalSignature = 0x04034b50;
constexpr std::uint32_t CentralSignature = 0x02014b50;
constexpr std::uint32_t Zip64EndSignature = 0x06064b50;
constexpr std::uint32_t Zip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t EndSignature = 0x06054b50;
constexpr std::uint16_t Zip64FieldId = 0x0001;

// A 32-bit field that holds this value says the number is in the ZIP64
// field instead; so does a 16-bit field holding all ones.
constexpr std::uint64_t Full32 = 0xFFFFFFFF;
constexpr std::uint64_t Full16 = 0xFFFF;

// The format's versions, in tenths: what a reader needs for a stored member,
// a deflated one, and ZIP64 fields.
constexpr std::uint16_t ForStored = 10;
constexpr std::uint16_t ForDeflate = 20;
constexpr std::uint16_t ForZip64 = 45;
// Written on Unix by a writer of format 4.5; the members unpack as files that
// their owner may write and everyone may read.
constexpr std::uint16_t MadeBy = 3 << 8 | ForZip64;
constexpr std::uint32_t FileAttributes = 0100644u << 16;
constexpr std::uint16_t Stored = 0;
constexpr std::uint16_t Deflated = 8;

template <typename T> void put(QByteArray& bytes, T value) {
    char little[sizeof(T)];
    qToLittleEndian(value, little);
    bytes.append(little, sizeof(T));
}
void put16(QByteArray& bytes, std::uint64_t value) {
    put(bytes, static_cast<std::uint16_t>(value));
}
void put32(QByteArray& bytes, std::uint64_t value) {
    put(bytes, static_cast<std::uint32_t>(value));
}
void put64(QByteArray& bytes, std::uint64_t value) {
    put(bytes, value);
}

// The number, or the mark that sends a reader to the ZIP64 field for it.
std::uint64_t field32(std::uint64_t value) {
    return std::min(value, Full32);
}

// The numbers that do not fit their fields, as a header's extra field.
QByteArray zip64Field(const QList<std::uint64_t>& values) {
    QByteArray field;
    if (values.isEmpty())
        return field;
    put16(field, Zip64FieldId);
    put16(field, 8 * values.size());
    for (const std::uint64_t value : values)
        put64(field, value);
    return field;
}

std::uint16_t versionNeeded(const ZipEntry& entry, bool zip64) {
    return zip64 ? ForZip64 : entry.deflated ? ForDeflate : ForStored;
}

// The fields that local and central headers share, from the version needed
// up to the name's length.
void putCommon(QByteArray& header, const ZipEntry& entry, std::uint16_t needed,
               std::uint64_t packedSize, std::uint64_t size) {
    put16(header, needed);
    put16(header, 0); // no flags: the sizes and the CRC stand in the header
    put16(header, entry.deflated ? Deflated : Stored);
    put16(header, entry.dosTime);
    put16(header, entry.dosDate);
    put32(header, entry.crc32);
    put32(header, packedSize);
    put32(header, size);
    put16(header, entry.name.size());
}

} // namespace

QByteArray localHeader(const ZipEntry& entry) {
    // A local header with a ZIP64 field holds both sizes there.
    const bool zip64 = entry.size >= Full32 || entry.packedSize >= Full32;
    const QByteArray extra = zip64 ? zip64Field({entry.size, entry.packedSize}) : QByteArray();
    QByteArray header;
    put32(header, LocalSignature);
    putCommon(header, entry, versionNeeded(entry, zip64), zip64 ? Full32 : entry.packedSize,
              zip64 ? Full32 : entry.size);
    put16(header, extra.size());
    return header + entry.name + extra;
}

QByteArray centralHeader(const ZipEntry& entry) {
    // Only the numbers that overflow go in the ZIP64 field, in this order.
    QList<std::uint64_t> large;
    for (const std::uint64_t value : {entry.size, entry.packedSize, entry.offset}) {
        if (value >= Full32)
            large.append(value);
    }
    const QByteArray extra = zip64Field(large);
    QByteArray header;
    put32(header, CentralSignature);
    put16(header, MadeBy);
    putCommon(header, entry, versionNeeded(entry, !large.isEmpty()), field32(entry.packedSize),
              field32(entry.size));
    put16(header, extra.size());
    put16(header, 0); // no comment
    put16(header, 0); // the first and only disk
    put16(header, 0); // no internal attributes
    put32(header, FileAttributes);
    put32(header, field32(entry.offset));
    return header + entry.name + extra;
}

QByteArray directoryEnd(std::uint64_t entries, std::uint64_t offset, std::uint64_t size) {
    QByteArray end;
    if (entries >= Full16 || offset >= Full32 || size >= Full32) {
        // The ZIP64 end record and its locator stand right after the
        // directory.
        const std::uint64_t recordAt = offset + size;
        put32(end, Zip64EndSignature);
        put64(end, 44); // what follows this field
        put16(end, MadeBy);
        put16(end, ForZip64);
        put32(end, 0);       // this disk
        put32(end, 0);       // the disk where the directory starts
        put64(end, entries); // on this disk
        put64(end, entries); // in all
        put64(end, size);
        put64(end, offset);
        put32(end, Zip64LocatorSignature);
        put32(end, 0); // the disk of the ZIP64 end record
        put64(end, recordAt);
        put32(end, 1); // disks
    }
    put32(end, EndSignature);
    put16(end, 0);                         // this disk
    put16(end, 0);                         // the disk where the directory starts
    put16(end, std::min(entries, Full16)); // on this disk
    put16(end, std::min(entries, Full16)); // in all
    put32(end, field32(size));
    put32(end, field32(offset));
    put16(end, 0); // no comment
    return end;
}

} // namespace tarvik
