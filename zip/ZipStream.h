#pragma once

#include "ZipRecords.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>

#include <cstdint>
#include <memory>

class QIODevice;

namespace tarvik {

// A member packed in memory, ready to be written with its sizes and CRC in
// its local header.
struct PackedMember {
    bool deflated = false;
    std::uint32_t crc32 = 0;
    // The bytes it unpacks to.
    std::uint64_t size = 0;
    // The bytes that go into the archive, in order.
    QList<QByteArray> parts;
    // What holds the parts' bytes where they do not own them.
    std::shared_ptr<const void> holder;
};

// A member of the bytes as they are.
PackedMember storedMember(const QByteArray& bytes);

// Writes a zip archive to a device front to back, one member after another,
// and never seeks, so that any device can take it: members are packed before
// they are added, and the central directory waits in memory until finish().
// Sizes, offsets and counts beyond the classic fields take ZIP64 records.
class ZipStream {
  public:
    // The members are dated `written`.
    explicit ZipStream(QIODevice& device, const QDateTime& written = QDateTime::currentDateTime());

    // False when the device takes no more; its errorString() says why.
    bool add(const QByteArray& name, const PackedMember& member);
    // Writes the central directory and the end records.
    bool finish();

  private:
    bool write(const QByteArray& bytes);

    QIODevice& device_;
    std::uint16_t dosTime_;
    std::uint16_t dosDate_;
    std::uint64_t written_ = 0;
    std::uint64_t entries_ = 0;
    QByteArray directory_;
};

} // namespace tarvik
