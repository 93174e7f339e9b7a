#pragma once

namespace tarvik {

// How both programs end when they end on their own.
enum ExitStatus : int {
    ExitDone = 0,
    ExitFailed = 1,
    // The command line asked for something the program does not do.
    ExitUsageError = 2,
};

} // namespace tarvik
