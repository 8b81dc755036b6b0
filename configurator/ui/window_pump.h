#pragma once
// How the window thread waits for the online worker: a nested event loop that goes
// on painting, resizing and ticking timers, while the user's clicks and keys are held
// off everything but the cancel button, so no second command can start in the
// middle of one. A burst of waits that lasts beyond a moment is reported, to show
// progress and offer the cancel; the cancel holds for the rest of the command.

#include "access/call_runner.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <vector>

class QEventLoop;
class QWidget;

namespace korvo {

class WindowPump final : public QObject, public CallWaiter {
    Q_OBJECT
public:
    // A burst of waits is reported once it has lasted this long.
    static constexpr int kLongWaitMs = 300;
    // Waits closer together than this belong to one command.
    static constexpr int kCommandGapMs = 150;
    // An answer on a quick network comes within this: it is waited for without a
    // turn of the event loop, which would cost more than the exchange.
    static constexpr qint64 kSpinNs = 200'000;

    // The one pump of the window thread, made at its first use.
    static WindowPump& Instance();

    bool WaitUntil(const std::function<bool()>& done) override;
    void Wake() override;
    bool Pause(std::uint32_t ms) override;
    bool Cancelled() const override { return cancelled_; }

    // One turn of the event loop with the user's input held off, for logic that lets
    // its status texts paint before it goes on.
    void Pump();
    // Ends the current wait and refuses the command's further calls and pauses.
    void Cancel();
    // A command's handler has returned: its cancel and progress end now rather than
    // after the gap. Commands of other windows end with the gap.
    void EndCommand();
    // A wait or a pump is running: timers that would start online work skip a tick.
    bool Busy() const { return depth_ > 0; }
    // The widget (and its children) the user can still reach while waiting.
    void AllowInput(QWidget* widget) { allowed_ = widget; }

Q_SIGNALS:
    // A command has been waiting for `elapsedMs`; repeated while it lasts.
    void longWait(int elapsedMs);
    // The long wait is over: the command ended or was cancelled.
    void longWaitEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowPump();
    bool Wait(const std::function<bool()>& done, int limitMs);
    void Enter();
    void Leave();
    void CommandEnded();

    int depth_ = 0;
    bool cancelled_ = false;
    bool inCommand_ = false;
    bool longShown_ = false;
    std::vector<QEventLoop*> loops_;
    // Loops that wait for a wake; a worker posts one only then.
    std::atomic<int> sleeping_{0};
    QElapsedTimer commandTime_;
    QTimer progress_;
    QTimer gap_;
    QPointer<QWidget> allowed_;
};

}  // namespace korvo
