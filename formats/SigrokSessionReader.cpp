#include "SigrokSession.h"

#include "SessionUnits.h"
#include "SigrokMetadata.h"
#include "ZipErrorText.h"

#include <QFile>

#include <zip.h>

#include <unistd.h>

#include <algorithm>
#include <vector>

namespace tarvik {

namespace {

// Neither of the small members is ever near this long in a real session.
constexpr zip_uint64_t LongestSmallMember = 1 << 20;
constexpr char SessionVersion[] = "2";
// Every zip archive with members starts with a member's local header.
constexpr char ZipStart[] = "PK\x03\x04";

struct ZipCloser {
    void operator()(zip_t* zip) const { zip_discard(zip); }
};
using Zip = std::unique_ptr<zip_t, ZipCloser>;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

struct Member {
    zip_uint64_t index;
    zip_uint64_t size;
};

std::optional<Member> findMember(zip_t* zip, const QString& name) {
    const zip_int64_t index = zip_name_locate(zip, name.toUtf8().constData(), 0);
    zip_stat_t stat;
    if (index < 0 || zip_stat_index(zip, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return std::nullopt;
    return Member{static_cast<zip_uint64_t>(index), stat.size};
}

// The whole of a small member; nothing when it is missing, too long or
// cannot be read.
std::optional<QByteArray> readSmallMember(zip_t* zip, const char* name) {
    const std::optional<Member> member = findMember(zip, QString::fromLatin1(name));
    if (!member || member->size > LongestSmallMember)
        return std::nullopt;
    QByteArray bytes(static_cast<qsizetype>(member->size), Qt::Uninitialized);
    const ZipFile file(zip_fopen_index(zip, member->index, 0));
    if (!file ||
        zip_fread(file.get(), bytes.data(), member->size) != static_cast<zip_int64_t>(member->size))
        return std::nullopt;
    return bytes;
}

class SigrokSession : public SampleSource {
  public:
    SigrokSession(QString path, Zip zip, std::vector<Member> members, CaptureFacts facts,
                  int unitSize)
        : path_(std::move(path)), zip_(std::move(zip)), members_(std::move(members)),
          facts_(std::move(facts)), units_(facts_.channels, unitSize) {}

    CaptureFacts facts() const override { return facts_; }
    std::int64_t read(std::uint8_t* pairs, std::int64_t maxSamples) override;
    QString errorString() const override { return QStringLiteral("\"%1\": %2").arg(path_, error_); }

  private:
    // Reads one member to its end: only there does libzip check its CRC.
    bool finishMember();
    std::int64_t fail(const QString& error) {
        error_ = error;
        return -1;
    }

    QString path_;
    Zip zip_;
    std::vector<Member> members_;
    CaptureFacts facts_;
    SessionUnits units_;
    std::size_t member_ = 0;
    ZipFile open_;
    zip_uint64_t leftInMember_ = 0;
    QString error_;
};

std::int64_t SigrokSession::read(std::uint8_t* pairs, std::int64_t maxSamples) {
    // The units land in the front of the block and spread out to pairs there.
    const std::int64_t wanted = maxSamples * units_.unitSize();
    std::int64_t filled = 0;
    while (filled < wanted && member_ < members_.size()) {
        if (!open_) {
            open_.reset(zip_fopen_index(zip_.get(), members_[member_].index, 0));
            if (!open_)
                return fail(QString::fromUtf8(zip_strerror(zip_.get())));
            leftInMember_ = members_[member_].size;
        }
        const auto chunk = std::min<zip_uint64_t>(leftInMember_, wanted - filled);
        const zip_int64_t got = chunk == 0 ? 0 : zip_fread(open_.get(), pairs + filled, chunk);
        if (got < 0)
            return fail(QString::fromUtf8(zip_file_strerror(open_.get())));
        if (got == 0 && chunk != 0)
            return fail(QStringLiteral("the logic data ends early"));
        filled += got;
        leftInMember_ -= got;
        if (leftInMember_ == 0) {
            if (!finishMember())
                return -1;
            ++member_;
        }
    }
    units_.unpack(pairs, filled / units_.unitSize());
    return filled / units_.unitSize();
}

bool SigrokSession::finishMember() {
    char extra = 0;
    const zip_int64_t got = zip_fread(open_.get(), &extra, 1);
    if (got != 0) {
        error_ = got < 0 ? QString::fromUtf8(zip_file_strerror(open_.get()))
                         : QStringLiteral("the logic data is longer than the directory says");
        return false;
    }
    open_.reset();
    return true;
}

// Reads what the archive holds beside its samples: empty when it is a session
// of the port's lines, otherwise what is wrong with it.
QString readLayout(zip_t* zip, SessionMetadata& metadata, std::vector<Member>& members) {
    const std::optional<QByteArray> version = readSmallMember(zip, "version");
    if (!version)
        return QStringLiteral("it is a zip archive but no sigrok session");
    if (version->trimmed() != SessionVersion)
        return QStringLiteral("it is a sigrok session of version %1, not %2")
            .arg(QString::fromUtf8(version->trimmed().left(20)), QLatin1String(SessionVersion));
    const std::optional<QByteArray> metadataText = readSmallMember(zip, "metadata");
    if (!metadataText)
        return QStringLiteral("it has no metadata");
    if (QString wrong = parseSessionMetadata(*metadataText, metadata); !wrong.isEmpty())
        return wrong;

    // sigrok writes its data in numbered chunks, or old sessions in one.
    if (const std::optional<Member> single = findMember(zip, metadata.captureFile)) {
        members.push_back(*single);
    } else {
        for (int k = 1;; ++k) {
            const std::optional<Member> chunk =
                findMember(zip, metadata.captureFile + u'-' + QString::number(k));
            if (!chunk)
                break;
            members.push_back(*chunk);
        }
    }
    if (members.empty())
        return QStringLiteral("it has no logic data \"%1\"").arg(metadata.captureFile);
    for (const Member& member : members) {
        if (member.size % static_cast<zip_uint64_t>(metadata.unitSize) != 0)
            return QStringLiteral("its logic data ends in the middle of a sample");
    }
    return {};
}

} // namespace

bool recognisesSigrokSession(QFile& file) {
    return file.peek(sizeof ZipStart - 1) == ZipStart;
}

std::unique_ptr<SampleSource> readSigrokSession(std::unique_ptr<QFile> file, const QString& path,
                                                QString& whatIsWrong) {
    const int handle = ::dup(file->handle());
    int code = 0;
    Zip zip(handle < 0 ? nullptr : zip_fdopen(handle, ZIP_CHECKCONS, &code));
    if (!zip) {
        if (handle >= 0)
            ::close(handle);
        whatIsWrong = QStringLiteral("it is a damaged zip archive (%1)").arg(zipErrorText(code));
        return nullptr;
    }
    SessionMetadata metadata;
    std::vector<Member> members;
    whatIsWrong = readLayout(zip.get(), metadata, members);
    CaptureFacts facts{0, metadata.sampleRate, metadata.trigger, metadata.triggerSample,
                       metadata.channels};
    for (const Member& member : members)
        facts.sampleCount += static_cast<std::int64_t>(member.size) / metadata.unitSize;
    if (whatIsWrong.isEmpty() && facts.sampleCount == 0)
        whatIsWrong = QStringLiteral("it holds no samples");
    if (!whatIsWrong.isEmpty())
        return nullptr;
    return std::make_unique<SigrokSession>(path, std::move(zip), std::move(members),
                                           std::move(facts), metadata.unitSize);
}

} // namespace tarvik
