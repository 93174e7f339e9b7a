#pragma once

#include "Dialogs.h"
#include "PortDevice.h"
#include "ProgramState.h"
#include "ProgressBar.h"

#include <QString>

#include <functional>

namespace tarvik {

// The "SCAN" command of either button: capture through the button's port and
// show the new samples at the same view.
class ScanCommand {
  public:
    // redraw repaints the trace area; every complete capture ends with it.
    ScanCommand(ProgramState& state, CommonDialog& dialog, ProgressBar& progress,
                std::function<void()> redraw);

    // A port that cannot be reached ends the command before anything has
    // changed, with one message titled after the button's library: otherwise
    // the click would seem to do nothing at all. The port is held only while
    // the samples are read.
    void scan(PortDevice& port, const QString& title);

  private:
    ProgramState& state_;
    CommonDialog& dialog_;
    ProgressBar& progress_;
    std::function<void()> redraw_;
};

} // namespace tarvik
