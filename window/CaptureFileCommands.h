#pragma once

#include "Dialogs.h"
#include "LgcFormat.h"
#include "ProgramState.h"
#include "ProgressBar.h"

#include <functional>
#include <memory>

namespace tarvik {

// The "LOAD" and "SAVE" commands: a capture to and from a file chosen in the
// shared file dialogs, with the progress bar showing the transfer.
class CaptureFileCommands {
  public:
    // previousPage is the "<" command, with which every complete load ends.
    CaptureFileCommands(ProgramState& state, CommonDialog& dialog, ProgressBar& progress,
                        std::function<void()> previousPage);

    // Reads the chosen file into both buffers and shows it one page before the
    // view. A file that cannot be opened or read, and a name that is no file
    // or device (a named pipe, a socket, a directory), change nothing at all.
    void load();

    // Writes both buffers to the chosen file, replacing it only once the whole
    // capture is written, or in place where the folder takes no new files. A
    // name that is no regular file is left alone. Every failure is reported in
    // a message. Nothing is redrawn.
    void save();

  private:
    ProgramState& state_;
    CommonDialog& dialog_;
    ProgressBar& progress_;
    std::function<void()> previousPage_;
    // A load reads the whole file here before it touches the buffers, so that
    // a read error cannot leave half of one capture over another. Made on the
    // first load and kept for the run.
    std::unique_ptr<CaptureImage> image_;
};

} // namespace tarvik
