#pragma once

#include "StreamCapture.h"

#include <cstdint>
#include <cstdio>

namespace tarvik {

// The capture's progress as one line on a terminal: percent, samples per
// second and time left, rewritten at most five times a second, so that
// writing it never slows the capture. Silent when the stream is no terminal
// or quiet is asked for. Stops the capture once Ctrl-C was pressed.
class TerminalProgress final : public CaptureObserver {
  public:
    TerminalProgress(std::FILE* stream, std::int64_t total, bool quiet);
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool carryOn(std::int64_t samplesDone, double seconds) override;

  private:
    std::FILE* stream_;
    std::int64_t total_;
    bool shown_;
    bool lineOpen_ = false;
    double nextLine_ = 0.0;
};

} // namespace tarvik
