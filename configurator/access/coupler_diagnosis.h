#pragma once
// Logic of the diagnosis window: the coupler's state bits, the error reset, the BOOTP
// and Plug & Play switches, and the restart with a wait until the coupler is back.

#include "clock.h"
#include "command_table.h"
#include "ddi_funktionen.h"

#include <string>

namespace korvo {

class ConnectionOpener;
class StationModel;

// Bits of the coupler's status register.
struct CouplerState {
    bool ready = false;           // bit 7
    bool activ = false;           // bit 6
    bool run = false;             // bit 5
    bool controllerFail = false;  // bit 3
    bool busFail = false;         // bit 2
    bool submodulFail = false;    // bit 1
    bool userFail = false;        // bit 0
    bool warning = false;         // bit 13
    bool plugPlayActive = false;  // the test write was refused with A9h

    static CouplerState FromRegister(std::uint16_t reg);
    bool Running() const { return ready && activ && run; }
};

class DiagnosisUi {
public:
    virtual ~DiagnosisUi() = default;
    virtual void SetStatus(const std::string& /*text*/) {}
    virtual void ShowState(const CouplerState& /*state*/) {}
    virtual void ShowMessage(const std::string& /*text*/, const std::string& /*caption*/) {}
    virtual void ProcessMessages() {}
    virtual void SetRestartButton(bool /*down*/, const std::string& /*caption*/) {}
    virtual void SetProgress(int /*position*/) {}
    virtual void SetTimerEnabled(bool /*enabled*/) {}
    virtual void SetStationText(const std::string& /*text*/) {}
};

class CouplerDiagnosis {
public:
    static constexpr std::uint32_t kTickMs = 5000;
    static constexpr std::uint32_t kResetPauseMs = 200;
    static constexpr int kProgressMax = 10;

    CouplerDiagnosis(StationModel& model, ControllerAccess& access, ConnectionOpener& opener, DiagnosisUi& ui,
                     Clock& clock = SystemClock());

    void SetUi(DiagnosisUi& ui) { ui_ = &ui; }

    CouplerState State;
    // Results of the last state reading's register read and test write (0: none made).
    std::uint32_t RegisterResult = 0;
    std::uint32_t TestWriteResult = 0;
    int Progress = 0;
    bool RestartDown = false;
    bool TimerEnabled = false;

    bool ReadBusState();
    void ResetErrors();
    bool ResetAndReadState();

    // Buttons and events of the window.
    void ReadBusStateClick();
    void ErrorResetClick();
    void BootpOffClick() { SendSetting(CmdBootpOff); }
    void BootpOnClick() { SendSetting(CmdBootpOn); }
    void PlugPlayOffClick() { SendSetting(CmdPlugPlayOff); }
    void PlugPlayOnClick() { SendSetting(CmdPlugPlayOn); }
    // The restart toggle was clicked; down is its new state.
    void RestartClick(bool down);
    void TimerTick();
    void Activated();

    static std::string StationText(const StationModel& model);

private:
    void CloseUnlessTesting();
    void OpenIfNeeded();
    void SendSetting(CommandWords command);
    void SetStatus(const std::string& text);
    void SetRestartButton(bool down, const std::string& caption);
    void SetTimer(bool enabled);

    StationModel& model_;
    ControllerAccess& access_;
    ConnectionOpener& opener_;
    DiagnosisUi* ui_;
    Clock& clock_;
};

}  // namespace korvo
