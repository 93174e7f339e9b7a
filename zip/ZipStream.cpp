#include "ZipStream.h"

#include "WritableFile.h"

#include <QFileDevice>

#include <zlib.h>

#include <algorithm>

namespace tarvik {

namespace {

// MS-DOS counts years from 1980 and seconds in twos.
constexpr int DosEpoch = 1980;
constexpr int DosLastYear = DosEpoch + 127;

} // namespace

PackedMember storedMember(const QByteArray& bytes) {
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(bytes.constData()),
                           static_cast<uInt>(bytes.size()));
    PackedMember member;
    member.crc32 = static_cast<std::uint32_t>(crc);
    member.size = static_cast<std::uint64_t>(bytes.size());
    member.parts = {bytes};
    return member;
}

ZipStream::ZipStream(QIODevice& device, const QDateTime& written) : device_(device) {
    const QDate date = written.date();
    const QTime time = written.time();
    const int year = std::clamp(date.year(), DosEpoch, DosLastYear);
    dosDate_ = static_cast<std::uint16_t>((year - DosEpoch) << 9 | date.month() << 5 | date.day());
    dosTime_ =
        static_cast<std::uint16_t>(time.hour() << 11 | time.minute() << 5 | time.second() / 2);
}

bool ZipStream::add(const QByteArray& name, const PackedMember& member) {
    ZipEntry entry{name,        member.deflated, member.crc32, 0,
                   member.size, written_,        dosTime_,     dosDate_};
    for (const QByteArray& part : member.parts)
        entry.packedSize += static_cast<std::uint64_t>(part.size());
    if (!write(localHeader(entry)))
        return false;
    for (const QByteArray& part : member.parts) {
        if (!write(part))
            return false;
    }
    directory_ += centralHeader(entry);
    ++entries_;
    return true;
}

bool ZipStream::finish() {
    const std::uint64_t offset = written_;
    return write(directory_) &&
           write(directoryEnd(entries_, offset, static_cast<std::uint64_t>(directory_.size())));
}

bool ZipStream::write(const QByteArray& bytes) {
    if (!writeAll(device_, bytes.constData(), bytes.size())) {
        // A file's buffer that reaches the disk only in part, as when it
        // fills, fails with no reason; writing out the rest once more gives it.
        if (auto* file = qobject_cast<QFileDevice*>(&device_))
            file->flush();
        return false;
    }
    written_ += static_cast<std::uint64_t>(bytes.size());
    return true;
}

} // namespace tarvik
