#include "call_runner.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace korvo {

namespace {

class InPlace final : public CallRunner {
public:
    std::uint32_t Run(std::function<std::uint32_t()> call, bool /*always*/) override { return call(); }
};

class Blocking final : public CallWaiter {
public:
    bool WaitUntil(const std::function<bool()>& done) override {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, done);
        return true;
    }
    void Wake() override {
        // Taken so that a waiter between its look at done() and its sleep cannot
        // miss the change.
        { const std::lock_guard lock(mutex_); }
        changed_.notify_all();
    }
    bool Pause(std::uint32_t ms) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return true;
    }
    bool Cancelled() const override { return false; }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
};

}  // namespace

CallRunner& DirectCalls() {
    static InPlace runner;
    return runner;
}

CallWaiter& BlockingWaiter() {
    static Blocking waiter;
    return waiter;
}

}  // namespace korvo
