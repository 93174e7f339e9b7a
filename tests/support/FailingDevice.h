#pragma once

#include <QByteArray>
#include <QIODevice>

#include <algorithm>

// A device that works for its first `limit` bytes and then fails every read
// and write, as a disk or a network share can part-way through a file. Reads
// come from `content` (and end with it if it is shorter than the limit);
// writes collect in `written`.
class FailingDevice final : public QIODevice {
  public:
    FailingDevice(QByteArray content, qint64 limit) : content_(std::move(content)), limit_(limit) {}

    QByteArray written;

    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (failed(read_))
            return -1;
        const qint64 n = std::min({maxSize, limit_ - read_, content_.size() - read_});
        std::copy_n(content_.constData() + read_, n, data);
        read_ += n;
        return n;
    }

    qint64 writeData(const char* data, qint64 size) override {
        if (failed(written.size()))
            return -1;
        const qint64 n = std::min(size, limit_ - written.size());
        written.append(data, n);
        return n;
    }

  private:
    bool failed(qint64 done) {
        if (done < limit_)
            return false;
        setErrorString(QStringLiteral("Input/output error"));
        return true;
    }

    QByteArray content_;
    qint64 limit_;
    qint64 read_ = 0;
};
