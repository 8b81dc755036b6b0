#include "window_pump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>

#include <thread>

namespace korvo {

WindowPump& WindowPump::Instance() {
    // Lives as long as the program: workers may wake it until their last task ends.
    static auto* pump = new WindowPump;
    return *pump;
}

WindowPump::WindowPump() {
    progress_.setInterval(kLongWaitMs);
    connect(&progress_, &QTimer::timeout, this, [this] {
        if (!inCommand_) return;
        longShown_ = true;
        Q_EMIT longWait(static_cast<int>(commandTime_.elapsed()));
    });
    gap_.setSingleShot(true);
    gap_.setInterval(kCommandGapMs);
    connect(&gap_, &QTimer::timeout, this, &WindowPump::CommandEnded);
    QCoreApplication::instance()->installEventFilter(this);
}

void WindowPump::Enter() {
    if (depth_++ > 0) return;
    gap_.stop();
    if (inCommand_) return;
    inCommand_ = true;
    commandTime_.start();
    progress_.start();
}

void WindowPump::Leave() {
    if (--depth_ == 0) gap_.start();
}

void WindowPump::CommandEnded() {
    inCommand_ = false;
    cancelled_ = false;
    progress_.stop();
    if (!longShown_) return;
    longShown_ = false;
    Q_EMIT longWaitEnded();
}

bool WindowPump::Wait(const std::function<bool()>& done, int limitMs) {
    if (done()) return true;
    if (cancelled_) return false;
    if (limitMs < 0) {
        QElapsedTimer spin;
        spin.start();
        while (!done() && spin.nsecsElapsed() < kSpinNs) std::this_thread::yield();
        if (done()) return true;
    }
    QEventLoop loop;
    loops_.push_back(&loop);
    Enter();
    QTimer deadline;
    if (limitMs >= 0) {
        deadline.setSingleShot(true);
        deadline.setTimerType(Qt::PreciseTimer);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(limitMs);
    }
    // Counted before the last look at done(), so a worker that finishes in between
    // sees it and wakes the loop.
    ++sleeping_;
    while (!done() && !cancelled_ && (limitMs < 0 || deadline.isActive())) loop.exec();
    --sleeping_;
    loops_.pop_back();
    Leave();
    // A wait further out may have been woken while this one ran.
    if (!loops_.empty()) Wake();
    return done();
}

bool WindowPump::WaitUntil(const std::function<bool()>& done) { return Wait(done, -1); }

bool WindowPump::Pause(std::uint32_t ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    return Wait([&] { return elapsed.hasExpired(static_cast<qint64>(ms)); }, static_cast<int>(ms));
}

void WindowPump::Wake() {
    if (sleeping_.load() == 0) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!loops_.empty()) loops_.back()->quit();
        },
        Qt::QueuedConnection);
}

void WindowPump::Pump() {
    Enter();
    QCoreApplication::processEvents();
    Leave();
}

void WindowPump::Cancel() {
    if (!inCommand_) return;
    cancelled_ = true;
    for (QEventLoop* loop : loops_) loop->quit();
    if (depth_ == 0) gap_.start();
}

void WindowPump::EndCommand() {
    if (depth_ > 0) return;
    gap_.stop();
    CommandEnded();
}

bool WindowPump::eventFilter(QObject* watched, QEvent* event) {
    if (depth_ == 0) return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Drop:
            break;
        case QEvent::Shortcut:
            // Delivered to actions and shortcuts, never to the cancel button.
            return true;
        default:
            return false;
    }
    // Input reaches the window first and then the widget under it; the widget decides.
    if (!watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    return !(allowed_ && (widget == allowed_ || allowed_->isAncestorOf(widget)));
}

}  // namespace korvo
