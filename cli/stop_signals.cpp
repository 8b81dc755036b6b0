#include "stop_signals.h"

#include <thread>

namespace korvo {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t caughtSignal = 0;

extern "C" void NoteStopSignal(int signal) { caughtSignal = signal; }

}  // namespace

StopSignals::StopSignals() {
    caughtSignal = 0;
    struct sigaction action {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &action, &previous_[i]);
}

StopSignals::~StopSignals() {
    for (int i = 0; i < 3; ++i) ::sigaction(kSignals[i], &previous_[i], nullptr);
}

int StopSignals::Caught() const { return caughtSignal; }

std::string StopSignals::Name(int signal) {
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "signal " + std::to_string(signal);
    }
}

bool StopSignals::Wait(std::chrono::milliseconds duration) const {
    // Short slices: a sleep of the library resumes after a signal, and the command
    // should end within a blink of being asked to.
    constexpr std::chrono::milliseconds kSlice(20);
    const auto until = std::chrono::steady_clock::now() + duration;
    while (caughtSignal == 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= until) return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kSlice, until - now));
    }
    return true;
}

}  // namespace korvo
