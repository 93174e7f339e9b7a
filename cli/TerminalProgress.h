#pragma once

#include "StreamCapture.h"

#include <QString>

#include <cstdint>
#include <cstdio>

namespace tarvik {

// The capture's progress as one line on a terminal: percent, samples per
// second and time left, or how long the trigger has been waited for,
// rewritten at most five times a second, so that writing it never slows the
// capture. Silent when the stream is no terminal or quiet is asked for, but
// for a port that cannot keep the schedule. Stops the capture once Ctrl-C
// was pressed.
class TerminalProgress final : public CaptureObserver {
  public:
    TerminalProgress(std::FILE* stream, const CaptureRequest& request, bool quiet);
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool waiting(double seconds) override;
    bool carryOn(std::int64_t samplesDone, double seconds) override;
    void cannotKeepUp(double fastestRate) override;

  private:
    bool lineDue(double seconds);
    void showLine(const QString& text);

    std::FILE* stream_;
    const CaptureRequest& request_;
    bool shown_;
    bool lineOpen_ = false;
    double nextLine_ = 0.0;
};

} // namespace tarvik
