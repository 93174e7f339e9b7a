#include "LgcFormat.h"

#include "RawSampleFile.h"
#include "WritableFile.h"

#include <QFile>

#include <vector>

namespace tarvik {

namespace {

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

} // namespace

void splitLgcPairs(const std::uint8_t* pairs, std::int32_t count, std::uint8_t* status,
                   std::uint8_t* data) {
    for (std::int32_t i = 0; i < count; ++i, pairs += BytesPerSample) {
        status[i] = pairs[0];
        data[i] = pairs[1];
    }
}

void joinLgcPairs(const std::uint8_t* status, const std::uint8_t* data, std::int32_t count,
                  std::uint8_t* pairs) {
    for (std::int32_t i = 0; i < count; ++i, pairs += BytesPerSample) {
        pairs[0] = status[i];
        pairs[1] = data[i];
    }
}

bool recognisesLgc(QFile& file) {
    return file.size() == CaptureFileSize;
}

std::unique_ptr<SampleSource> readLgc(std::unique_ptr<QFile> file, const QString& path, QString&) {
    return std::make_unique<LgcFile>(path, std::move(file));
}

QString writeLgc(QIODevice& device, SampleSource& source) {
    std::vector<std::uint8_t> block(SamplesPerBlock * BytesPerSample);
    for (;;) {
        const std::int64_t got = source.read(block.data(), SamplesPerBlock);
        if (got < 0)
            return readFailure(source);
        if (got == 0)
            return {};
        if (!writeAll(device, reinterpret_cast<const char*>(block.data()), got * BytesPerSample))
            return writeFailureText(device);
    }
}

} // namespace tarvik
