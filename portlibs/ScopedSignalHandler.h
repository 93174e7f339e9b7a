#pragma once

// A signal handler of a port library's own for as long as one call needs it:
// installed without SA_RESTART, so that a blocking system call ends with
// EINTR, and with the signal unblocked in the calling thread. The previous
// handler and signal mask come back when it goes.

#include <pthread.h>
#include <signal.h>

namespace tarvik {

class ScopedSignalHandler {
  public:
    ScopedSignalHandler(int signal, void (*handler)(int)) : signal_(signal) {
        struct sigaction action {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        sigaction(signal_, &action, &previousAction_);
        sigset_t only;
        sigemptyset(&only);
        sigaddset(&only, signal_);
        pthread_sigmask(SIG_UNBLOCK, &only, &previousMask_);
    }
    ~ScopedSignalHandler() {
        pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
        sigaction(signal_, &previousAction_, nullptr);
    }
    ScopedSignalHandler(const ScopedSignalHandler&) = delete;
    ScopedSignalHandler& operator=(const ScopedSignalHandler&) = delete;

    // Puts the previous handler back at once, from inside the handler too.
    void restorePrevious() const { sigaction(signal_, &previousAction_, nullptr); }

  private:
    int signal_;
    struct sigaction previousAction_ {};
    sigset_t previousMask_{};
};

} // namespace tarvik
