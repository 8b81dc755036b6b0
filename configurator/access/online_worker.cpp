#include "online_worker.h"

#include <atomic>
#include <memory>

namespace korvo {

OnlineWorker::OnlineWorker(CallWaiter& waiter) : waiter_(waiter), thread_([this] { Loop(); }) {}

OnlineWorker::~OnlineWorker() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    queued_.notify_one();
    thread_.join();
}

void OnlineWorker::Loop() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            queued_.wait(lock, [this] { return ending_ || !queue_.empty(); });
            if (queue_.empty()) return;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task();
    }
}

bool OnlineWorker::RunTask(std::function<void()> task, bool always) {
    if (!always && waiter_.Cancelled()) return false;
    auto done = std::make_shared<std::atomic<bool>>(false);
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back([done, task = std::move(task), &waiter = waiter_] {
            task();
            // Sequentially consistent: a waiter that is about to sleep either sees
            // the flag or is seen by Wake().
            done->store(true);
            waiter.Wake();
        });
    }
    queued_.notify_one();
    return waiter_.WaitUntil([&done] { return done->load(); });
}

std::uint32_t OnlineWorker::Run(std::function<std::uint32_t()> call, bool always) {
    auto result = std::make_shared<std::uint32_t>(kCallCancelled);
    if (!RunTask([result, call = std::move(call)] { *result = call(); }, always)) return kCallCancelled;
    return *result;
}

}  // namespace korvo
