#pragma once

#include <QByteArray>
#include <QIODevice>

#include <algorithm>

namespace tarvik {

// A device that reads its first `limit` bytes of `content` and then fails, as
// a disk or a network share can part-way through a file.
class FailingDevice final : public QIODevice {
  public:
    FailingDevice(QByteArray content, qint64 limit) : content_(std::move(content)), limit_(limit) {}

    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (read_ >= limit_) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 n = std::min({maxSize, limit_ - read_, content_.size() - read_});
        std::copy_n(content_.constData() + read_, n, data);
        read_ += n;
        return n;
    }

    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArray content_;
    qint64 limit_;
    qint64 read_ = 0;
};

} // namespace tarvik
