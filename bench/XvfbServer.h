#pragma once

#include <QByteArray>

#include <sys/types.h>

namespace tarvik {

// A private X server for one benchmark run: Xvfb on the first free display,
// started and waited for by the constructor, ended by the destructor. It ends
// with this process too, should that die first.
class XvfbServer {
  public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // The value for DISPLAY, for example ":1"; empty when the server did not start.
    const QByteArray& display() const { return display_; }

  private:
    pid_t pid_ = -1;
    QByteArray display_;
};

} // namespace tarvik
