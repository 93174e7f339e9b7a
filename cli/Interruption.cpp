#include "Interruption.h"

#include <csignal>

namespace tarvik {

namespace {

volatile std::sig_atomic_t caught = 0;

void onSignal(int signal) {
    caught = signal;
    std::signal(signal, SIG_DFL);
}

} // namespace

void catchInterruptions() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interrupted() {
    return caught != 0;
}

int interruptedStatus() {
    return 128 + caught;
}

} // namespace tarvik
