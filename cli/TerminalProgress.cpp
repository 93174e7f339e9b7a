#include "TerminalProgress.h"

#include "Interruption.h"
#include "SampleRate.h"

#include <unistd.h>

namespace tarvik {

namespace {

constexpr double SecondsBetweenLines = 0.2;

} // namespace

TerminalProgress::TerminalProgress(std::FILE* stream, const CaptureRequest& request, bool quiet)
    : stream_(stream), request_(request), shown_(!quiet && isatty(fileno(stream)) != 0) {}

TerminalProgress::~TerminalProgress() {
    // The line goes, so that what comes after starts on a clean one.
    if (lineOpen_)
        std::fputs("\r\033[K", stream_);
}

bool TerminalProgress::lineDue(double seconds) {
    if (!shown_ || seconds < nextLine_)
        return false;
    nextLine_ = seconds + SecondsBetweenLines;
    return true;
}

void TerminalProgress::showLine(const QString& text) {
    std::fprintf(stream_, "\r\033[K%s", qUtf8Printable(text));
    std::fflush(stream_);
    lineOpen_ = true;
}

bool TerminalProgress::waiting(double seconds) {
    if (interrupted())
        return false;
    if (lineDue(seconds))
        showLine(QStringLiteral("Waiting for the trigger %1: %2 s")
                     .arg(request_.trigger.text())
                     .arg(seconds, 0, 'f', 1));
    return true;
}

bool TerminalProgress::carryOn(std::int64_t samplesDone, double seconds) {
    if (interrupted())
        return false;
    if (lineDue(seconds)) {
        const double rate = seconds > 0.0 ? double(samplesDone) / seconds : 0.0;
        const double left = rate > 0.0 ? double(request_.samples - samplesDone) / rate : 0.0;
        if (request_.continuous)
            showLine(QStringLiteral("Capturing until Ctrl-C: %L1 samples  %2  %3 s")
                         .arg(samplesDone)
                         .arg(samplesPerSecondText(rate))
                         .arg(seconds, 0, 'f', 1));
        else
            showLine(QStringLiteral("Capturing: %1%  %2  %3 s left")
                         .arg(int(100 * samplesDone / request_.samples), 3)
                         .arg(samplesPerSecondText(rate))
                         .arg(left, 0, 'f', 1));
    }
    return true;
}

void TerminalProgress::cannotKeepUp(double fastestRate) {
    std::fprintf(stream_,
                 "tarvik-cli: the port cannot keep up with %s: it answered at %s at most. "
                 "The capture goes on and counts the samples taken late; press Ctrl-C to stop, "
                 "and choose a lower --samplerate.\n",
                 qUtf8Printable(sampleRateText(request_.sampleRate)),
                 qUtf8Printable(samplesPerSecondText(fastestRate)));
}

} // namespace tarvik
