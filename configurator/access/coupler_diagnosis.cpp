#include "coupler_diagnosis.h"

#include "access/call_failure.h"
#include "access/connection_opener.h"
#include "station/station_model.h"

#include <cstdio>

namespace korvo {

namespace {

const std::string kRestartCaption = " restart ";
const std::string kWaitCaption = " wait for restart ";

}  // namespace

CouplerState CouplerState::FromRegister(std::uint16_t reg) {
    CouplerState s;
    s.ready = reg & (1u << 7);
    s.activ = reg & (1u << 6);
    s.run = reg & (1u << 5);
    s.controllerFail = reg & (1u << 3);
    s.busFail = reg & (1u << 2);
    s.submodulFail = reg & (1u << 1);
    s.userFail = reg & (1u << 0);
    s.warning = reg & (1u << 13);
    return s;
}

CouplerDiagnosis::CouplerDiagnosis(StationModel& model, ControllerAccess& access, ConnectionOpener& opener,
                                   DiagnosisUi& ui, Clock& clock)
    : model_(model), access_(access), opener_(opener), ui_(&ui), clock_(clock) {}

std::string CouplerDiagnosis::StationText(const StationModel& model) {
    return "Station :" + model.CurrentStationName + "   IP : " + model.CurrentIP;
}

void CouplerDiagnosis::SetStatus(const std::string& text) { ui_->SetStatus(text); }

void CouplerDiagnosis::SetRestartButton(bool down, const std::string& caption) {
    RestartDown = down;
    ui_->SetRestartButton(down, caption);
}

void CouplerDiagnosis::SetTimer(bool enabled) {
    TimerEnabled = enabled;
    ui_->SetTimerEnabled(enabled);
}

void CouplerDiagnosis::OpenIfNeeded() {
    if (access_.NodesClosed() && !opener_.OpenConnection()) SetStatus("NO Handle is exist ");
}

bool CouplerDiagnosis::ReadBusState() {
    SetStatus("");
    std::uint16_t reg = 0;
    std::uint8_t code = 0;
    RegisterResult = 0;
    TestWriteResult = 0;
    OpenIfNeeded();
    if (access_.NodesOpen()) {
        RegisterResult = access_.ReadStatusRegister(reg);
        ui_->ProcessMessages();
        // The test write sends the first two output bytes: the running test's own, or
        // else the current station's outputs off.
        if (!model_.Online) opener_.PrepareOutputImage();
        TestWriteResult = access_.WriteProcessData(access_.DataNode, 0, 2);
        code = static_cast<std::uint8_t>(TestWriteResult & 0xFF);
        if (code == kModbusClientCode) SetStatus("Error write!! ModbusClient aktiv  (" + HexCode(code) + ")");
        if (code == kWatchdogCode) SetStatus("Error write!! Watch Dog aktiv  (" + HexCode(code) + ")");
    } else {
        SetStatus("");
    }
    State = CouplerState::FromRegister(reg);
    State.plugPlayActive = code == kPlugPlayCode;
    ui_->ShowState(State);
    return State.Running();
}

void CouplerDiagnosis::ResetErrors() {
    OpenIfNeeded();
    for (const CommandWords command :
         {CmdPlugPlayOff, CmdVar2293Off, CmdVar2275On, Cmd1303, Cmd0710, Cmd0701, CmdVar2275Off}) {
        access_.Exchange(command, access_.MailboxNode);
        clock_.SleepMs(kResetPauseMs);
    }
}

bool CouplerDiagnosis::ResetAndReadState() {
    ResetErrors();
    return ReadBusState();
}

void CouplerDiagnosis::CloseUnlessTesting() {
    // The running I/O test exchanges on the same node pair; closing it would stop the
    // test's exchanges behind its back.
    if (!model_.Online) access_.CloseNodePair();
}

void CouplerDiagnosis::ReadBusStateClick() {
    ui_->ProcessMessages();
    if (opener_.PingCoupler()) {
        ReadBusState();
        CloseUnlessTesting();
    } else {
        ui_->ShowMessage("ERROR !! check IP address\n" + opener_.FailureReason(), "communication error");
    }
}

void CouplerDiagnosis::ErrorResetClick() {
    ResetAndReadState();
    CloseUnlessTesting();
}

void CouplerDiagnosis::SendSetting(CommandWords command) {
    OpenIfNeeded();
    access_.Exchange(command, access_.MailboxNode);
    CloseUnlessTesting();
}

void CouplerDiagnosis::RestartClick(bool down) {
    RestartDown = down;
    ui_->ProcessMessages();
    if (!opener_.PingCoupler()) {
        SetRestartButton(false, kRestartCaption);
        ui_->ShowMessage("ERROR !! check IP address\n" + opener_.FailureReason(), "communication error");
        return;
    }
    access_.CloseNodePair();
    if (!opener_.OpenConnection()) {
        SetRestartButton(false, kRestartCaption);
        SetStatus("ERROR ! check IP ");
        return;
    }
    access_.Exchange(CmdRestart, access_.MailboxNode);
    access_.CloseNodePair();
    State.ready = State.activ = State.run = false;
    ui_->ShowState(State);
    Progress = 0;
    ui_->SetProgress(Progress);
    TimerTick();
    // The first tick may already have seen the coupler back and released the button.
    SetTimer(RestartDown);
    if (!RestartDown) SetRestartButton(false, kRestartCaption);
}

void CouplerDiagnosis::TimerTick() {
    Progress = (Progress + 1) % (kProgressMax + 1);
    ui_->SetProgress(Progress);
    ui_->ProcessMessages();
    ReadBusState();
    SetRestartButton(RestartDown, RestartDown ? kWaitCaption : kRestartCaption);
    if (State.ready || State.activ || State.run) {
        SetTimer(false);
        SetRestartButton(false, kRestartCaption);
        Progress = 0;
        ui_->SetProgress(Progress);
    }
}

void CouplerDiagnosis::Activated() { ui_->SetStationText(StationText(model_)); }

}  // namespace korvo
