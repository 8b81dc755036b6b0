#include "command_deadline.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace korvo {

CommandDeadline::CommandDeadline(std::chrono::seconds limit, std::function<void()> expired) {
    if (limit.count() <= 0) return;
    watcher_ = std::thread([this, limit, expired = std::move(expired)] {
        std::unique_lock lock(mutex_);
        if (!finished_.wait_for(lock, limit, [this] { return done_; })) expired();
    });
}

CommandDeadline::~CommandDeadline() {
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    finished_.notify_all();
    if (watcher_.joinable()) watcher_.join();
}

std::function<void()> ExitOnDeadline(std::string message) {
    return [message = std::move(message)] {
        std::fputs(("korvo: " + message + "\n").c_str(), stderr);
        std::fflush(stderr);
        std::_Exit(2);
    };
}

}  // namespace korvo
