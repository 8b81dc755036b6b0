#pragma once
// The overall time limit of an online command (--timeout): the library bounds
// each exchange, but a command makes many; when the limit passes, the command
// ends with one line on stderr and exit status 2, whatever call it is in.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace korvo {

class CommandDeadline {
public:
    // Runs `expired` on a thread of its own once `limit` has passed; a limit
    // of zero never expires.
    CommandDeadline(std::chrono::seconds limit, std::function<void()> expired);
    CommandDeadline(const CommandDeadline&) = delete;
    CommandDeadline& operator=(const CommandDeadline&) = delete;
    // The command finished in time.
    ~CommandDeadline();

private:
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::thread watcher_;
};

// What a command does when its limit passes: the message, then exit status 2
// at once, as the command cannot be interrupted inside a library call.
std::function<void()> ExitOnDeadline(std::string message);

}  // namespace korvo
