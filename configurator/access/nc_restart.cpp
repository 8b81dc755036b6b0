#include "nc_restart.h"

#include "coupler_diagnosis.h"
#include "access/call_failure.h"
#include "access/connection_opener.h"

namespace korvo {

NcRestart::NcRestart(ControllerAccess& access, ConnectionOpener& opener, CouplerDiagnosis& diagnosis, RestartUi& ui,
                     Clock& clock)
    : access_(access), opener_(opener), diagnosis_(diagnosis), ui_(&ui), clock_(clock) {}

void NcRestart::Step() {
    Progress = (Progress + 1) % (kProgressMax + 1);
    ui_->SetProgress(Progress);
}

void NcRestart::Activated() {
    access_.CloseNodePair();
    ui_->SetStatus("");
    ui_->ProcessMessages();
    if (!access_.NodesClosed()) return;
    if (!opener_.OpenConnection()) {
        ui_->SetStatus("ERROR !! check IP");
        return;
    }
    ui_->SetStatus("wait for restart");
    access_.Exchange(CmdRestart, access_.MailboxNode);
    ui_->ProcessMessages();
    access_.CloseNodePair();
    clock_.SleepMs(100);
    Step();
    TimerEnabled = true;
    ui_->SetTimerEnabled(true);
}

void NcRestart::ReadRestartState() {
    ready = activ = run = false;
    if (access_.NodesClosed() && !opener_.OpenConnection()) return;
    if (!access_.NodesOpen()) return;
    const CouplerState state = CouplerState::FromRegister(access_.ReadStatusRegister());
    ready = state.ready;
    activ = state.activ;
    run = state.run;
}

void NcRestart::TimerTick() {
    Step();
    ui_->ProcessMessages();
    ReadRestartState();
    if (run || ready) {
        diagnosis_.ResetErrors();
        TimerEnabled = false;
        ui_->SetTimerEnabled(false);
        Progress = 0;
        ui_->SetProgress(Progress);
        ui_->CloseWindow();
    }
}

}  // namespace korvo
