#include "ScanCommand.h"

#include "Capture.h"

namespace tarvik {

ScanCommand::ScanCommand(ProgramState& state, CommonDialog& dialog, ProgressBar& progress,
                         std::function<void()> redraw)
    : state_(state), dialog_(dialog), progress_(progress), redraw_(std::move(redraw)) {}

void ScanCommand::scan(PortDevice& port, const QString& title) {
    const QString failure = port.open();
    if (!failure.isEmpty()) {
        dialog_.ShowMessage(title, failure);
        return;
    }
    CaptureSamples(state_, port, progress_);
    port.close();
    redraw_();
}

} // namespace tarvik
