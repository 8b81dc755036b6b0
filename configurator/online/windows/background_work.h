#pragma once
// Work with couplers on a thread of its own: the window thread never waits for an
// exchange. The result is handed to the window on its own thread; a window that goes
// away first waits for the work to end, which each exchange's time limit bounds.

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <memory>
#include <thread>

namespace korvo {

class BackgroundWork {
public:
    BackgroundWork() = default;
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;
    ~BackgroundWork() { Join(); }

    bool Running() const { return running_; }

    template <class Result>
    void Start(QObject* window, std::function<Result()> work, std::function<void(Result&)> done) {
        Join();
        running_ = true;
        thread_ = std::thread([this, window, work = std::move(work), done = std::move(done)] {
            auto result = std::make_shared<Result>(work());
            QMetaObject::invokeMethod(
                window,
                [this, done, result] {
                    running_ = false;
                    done(*result);
                },
                Qt::QueuedConnection);
        });
    }

    void Join() {
        if (thread_.joinable()) thread_.join();
    }

private:
    bool running_ = false;  // read and written on the window thread only
    std::thread thread_;
};

}  // namespace korvo
