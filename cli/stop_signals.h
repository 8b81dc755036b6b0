#pragma once
// The end of a long command by SIGINT, SIGTERM or SIGHUP: the handler only notes the
// signal; the command's loop asks for it and ends the way it ends after its last cycle,
// so that what it must write (the I/O test record) is written.

#include <chrono>
#include <csignal>
#include <string>

namespace korvo {

class StopSignals {
public:
    // Installs the handlers; the destructor puts the earlier ones back.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that asked to stop, or 0.
    int Caught() const;
    // "SIGINT", "SIGTERM" or "SIGHUP".
    static std::string Name(int signal);
    // Waits `duration`, or less when a signal asks to stop; true when one did.
    bool Wait(std::chrono::milliseconds duration) const;

private:
    struct sigaction previous_[3]{};
};

}  // namespace korvo
