#include "TerminalProgress.h"

#include "Interruption.h"

#include <unistd.h>

namespace tarvik {

namespace {

constexpr double SecondsBetweenLines = 0.2;

} // namespace

TerminalProgress::TerminalProgress(std::FILE* stream, std::int64_t total, bool quiet)
    : stream_(stream), total_(total), shown_(!quiet && isatty(fileno(stream)) != 0) {}

TerminalProgress::~TerminalProgress() {
    // The line goes, so that what comes after starts on a clean one.
    if (lineOpen_)
        std::fputs("\r\033[K", stream_);
}

bool TerminalProgress::carryOn(std::int64_t samplesDone, double seconds) {
    if (interrupted())
        return false;
    if (!shown_ || seconds < nextLine_)
        return true;
    nextLine_ = seconds + SecondsBetweenLines;
    const double rate = seconds > 0.0 ? double(samplesDone) / seconds : 0.0;
    const double left = rate > 0.0 ? double(total_ - samplesDone) / rate : 0.0;
    std::fprintf(stream_, "\r\033[KCapturing: %3d%%  %.1f kS/s  %.1f s left",
                 int(100 * samplesDone / total_), rate / 1e3, left);
    std::fflush(stream_);
    lineOpen_ = true;
    return true;
}

} // namespace tarvik
