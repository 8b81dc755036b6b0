#pragma once
// The one thread that carries the configurator's library calls, in the order they
// were handed in, one at a time: the library's one-exchange-per-node rule holds
// however many windows ask. The caller waits through its CallWaiter, which in the
// window keeps the event loop turning; a cancelled wait returns at once while the
// call finishes behind it, so every task owns what it touches.

#include "call_runner.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace korvo {

class OnlineWorker final : public CallRunner {
public:
    explicit OnlineWorker(CallWaiter& waiter);
    // Runs what is queued, then ends the thread.
    ~OnlineWorker() override;
    OnlineWorker(const OnlineWorker&) = delete;
    OnlineWorker& operator=(const OnlineWorker&) = delete;

    std::uint32_t Run(std::function<std::uint32_t()> call, bool always = false) override;
    // Runs `task` after everything handed in before it and waits for it; false when
    // the wait was cancelled or, unless `always`, refused after a cancel.
    bool RunTask(std::function<void()> task, bool always = false);

private:
    void Loop();

    CallWaiter& waiter_;
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<std::function<void()>> queue_;
    bool ending_ = false;
    std::thread thread_;
};

}  // namespace korvo
