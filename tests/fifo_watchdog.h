#pragma once
// For tests that hand the program a FIFO nobody writes to: a reader that waits for a
// writer would hang the test for ever. After a grace time the watchdog opens the
// FIFOs for writing and closes them again, which lets such a reader go on (it reads
// an empty file), and remembers that it had to.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace korvo::testing {

class FifoWatchdog {
public:
    explicit FifoWatchdog(std::vector<std::filesystem::path> fifos,
                          std::chrono::milliseconds grace = std::chrono::seconds(3))
        : fifos_(std::move(fifos)), thread_([this, grace] { Watch(grace); }) {}
    FifoWatchdog(const FifoWatchdog&) = delete;
    FifoWatchdog& operator=(const FifoWatchdog&) = delete;
    ~FifoWatchdog() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    // Some reader was still waiting on a FIFO after the grace time.
    bool HadToRelease() const { return released_; }

private:
    void Watch(std::chrono::milliseconds grace) {
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, grace, [this] { return stop_; })) return;
        while (!stop_) {
            for (const auto& fifo : fifos_) {
                // Without a waiting reader this fails at once (ENXIO) and changes nothing.
                const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    released_ = true;
                    ::close(fd);
                }
            }
            wake_.wait_for(lock, std::chrono::milliseconds(20), [this] { return stop_; });
        }
    }

    std::vector<std::filesystem::path> fifos_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::atomic<bool> released_{false};
    std::thread thread_;
};

}  // namespace korvo::testing
