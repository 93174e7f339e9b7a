#include "Interruption.h"

#include <csignal>

namespace tarvik {

namespace {

// Lock-free, so that the handler may set it.
std::atomic<bool> stopping = false;
static_assert(std::atomic<bool>::is_always_lock_free);
volatile std::sig_atomic_t caught = 0;

void onSignal(int signal) {
    caught = signal;
    stopping.store(true);
    std::signal(signal, SIG_DFL);
}

} // namespace

void catchInterruptions() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a sleep between samples ends at once.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

void rearmInterruptions() {
    catchInterruptions();
    caught = 0;
    stopping.store(false);
}

bool interrupted() {
    return stopping.load();
}

const std::atomic<bool>& stopFlag() {
    return stopping;
}

int interruptedStatus() {
    return 128 + caught;
}

} // namespace tarvik
