#include "OpenCaptureFile.h"

#include "CaptureFile.h"
#include "RawSampleFile.h"
#include "ReadableFile.h"
#include "SigrokSessionReader.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace tarvik {

namespace {

// Every zip archive with members starts with a member's local header.
constexpr char ZipStart[] = "PK\x03\x04";

// A .lgc with the file it reads from, which it keeps open.
class LgcFile : public SampleSource {
  public:
    LgcFile(QString path, std::unique_ptr<QFile> file)
        : path_(std::move(path)), file_(std::move(file)),
          samples_(*file_, CaptureFacts{SampleCount, 0.0, {}}) {}

    CaptureFacts facts() const override { return samples_.facts(); }
    std::int64_t read(std::uint8_t* pairs, std::int64_t maxSamples) override {
        return samples_.read(pairs, maxSamples);
    }
    QString errorString() const override {
        return QStringLiteral("\"%1\": %2").arg(path_, samples_.errorString());
    }

  private:
    QString path_;
    std::unique_ptr<QFile> file_;
    RawSampleFile samples_;
};

QString whyNotReadable(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("it does not exist");
    if (!info.isFile())
        return QStringLiteral("it is not a regular file");
    return QStringLiteral("it cannot be opened");
}

} // namespace

std::unique_ptr<SampleSource> OpenCaptureFile(const QString& path, QString* whyNot) {
    auto file = std::make_unique<QFile>(path);
    QString wrong;
    std::unique_ptr<SampleSource> source;
    if (!openForReading(*file, ReadableKinds::RegularFile)) {
        wrong = whyNotReadable(path);
    } else if (file->peek(sizeof ZipStart - 1) == ZipStart) {
        source = openSigrokSession(*file, path, wrong);
    } else if (file->size() != CaptureFileSize) {
        const QLocale english(QLocale::English);
        wrong = QStringLiteral("it holds %1 bytes, and a .lgc capture exactly %2")
                    .arg(english.toString(file->size()), english.toString(CaptureFileSize));
    } else {
        source = std::make_unique<LgcFile>(path, std::move(file));
    }
    if (!source && whyNot)
        *whyNot = QStringLiteral("\"%1\" cannot be read as a capture: %2.").arg(path, wrong);
    return source;
}

} // namespace tarvik
