#pragma once
// The restart window TfrmNCBRestart: restarts the current coupler when it becomes
// active, polls the coupler every 2 s and closes itself once the coupler is back.
// NcRestart decides; the window shows.

#include "access/nc_restart.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

namespace korvo {

class TfrmNCBRestart : public QWidget, public RestartUi {
    Q_OBJECT
public:
    static constexpr int kTimerMs = 2000;

    // A window of its own that lives as long as its parent.
    explicit TfrmNCBRestart(QWidget* parent);

    void Bind(NcRestart& restart) { restart_ = &restart; }

    // Shows the window, centred over the given one the first time, and makes it the
    // active window.
    void ShowCentredOver(const QWidget* window);

    // The activation handler and the timer event.
    void FormActivate();
    void TimerTimer();

    void SetStatus(const std::string& text) override;
    void ProcessMessages() override;
    void SetProgress(int position) override;
    void SetTimerEnabled(bool enabled) override;
    void CloseWindow() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    NcRestart* restart_ = nullptr;
    QProgressBar* progress_;
    QLabel* paStatus_;
    QTimer* timer_;
};

}  // namespace korvo
