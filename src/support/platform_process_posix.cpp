#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include "support/platform_process.h"

namespace lumora_usb_encoder {

namespace {

sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

std::vector<std::string> commandLineWords(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

bool isTerminal(int standardStream) {
    return ::isatty(standardStream) != 0;
}

void useUtf8Console() {}

StopRequest::StopRequest() {
    // Taken by sigwait() alone: every thread started after this starts with them blocked.
    sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    // A peer that hangs up must not end the program; writes report EPIPE instead.
    signal(SIGPIPE, SIG_IGN);
}

void StopRequest::wait() {
    sigset_t signals = stopSignals();
    int received = 0;
    sigwait(&signals, &received);
}

}  // namespace lumora_usb_encoder
