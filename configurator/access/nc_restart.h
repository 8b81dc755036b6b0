#pragma once
// Logic of the restart window: restart the current coupler, poll its state every 2 s
// until it reports ready or run, then reset its errors and close.

#include "clock.h"
#include "ddi_funktionen.h"

#include <string>

namespace korvo {

class ConnectionOpener;
class CouplerDiagnosis;

class RestartUi {
public:
    virtual ~RestartUi() = default;
    virtual void SetStatus(const std::string& /*text*/) {}
    virtual void ProcessMessages() {}
    virtual void SetProgress(int /*position*/) {}
    virtual void SetTimerEnabled(bool /*enabled*/) {}
    virtual void CloseWindow() {}
};

class NcRestart {
public:
    static constexpr std::uint32_t kTickMs = 2000;
    static constexpr int kProgressMax = 10;

    NcRestart(ControllerAccess& access, ConnectionOpener& opener, CouplerDiagnosis& diagnosis, RestartUi& ui,
              Clock& clock = SystemClock());

    void SetUi(RestartUi& ui) { ui_ = &ui; }

    bool ready = false;
    bool activ = false;
    bool run = false;
    int Progress = 0;
    bool TimerEnabled = false;

    void Activated();
    void ReadRestartState();
    void TimerTick();

private:
    void Step();

    ControllerAccess& access_;
    ConnectionOpener& opener_;
    CouplerDiagnosis& diagnosis_;
    RestartUi* ui_;
    Clock& clock_;
};

}  // namespace korvo
