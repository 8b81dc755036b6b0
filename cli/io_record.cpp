#include "io_record.h"

#include "access/coupler_diagnosis.h"
#include "docs/export_text.h"
#include "online/cycle_observers.h"
#include "online/io_test_record_export.h"
#include "online/io_test_header.h"
#include "online/online_operation.h"
#include "station/versch.h"

#include <filesystem>
#include <ostream>

namespace korvo {

IoRecordSession::IoRecordSession(StationModel& model, OnlineOperation& online, CouplerDiagnosis& diagnosis,
                                 const std::string& project, CycleObservers& observers, const IoEventLog& events)
    : observers_(observers), recorder_(model) {
    const bool passed = online.CheckConfiguration();
    recorder_.Begin(MakeRecordHeader(model, std::filesystem::path(project).filename().string(),
                                     CheckResultText(online, model, passed), CouplerStateText(diagnosis.State)));
    recorder_.SetEventLog(&events);
    observers.Add(&recorder_);
}

IoRecordSession::~IoRecordSession() { observers_.Remove(&recorder_); }

bool IoRecordSession::Write(const std::string& file, int cycles, const std::string& stopped, std::ostream& err) {
    recorder_.Finish("the test ended after " + std::to_string(cycles) + " cycles" +
                     (stopped.empty() ? "" : ": " + stopped));
    return WriteFile(file, err);
}

bool IoRecordSession::WriteUnconnected(const std::string& file, const std::string& status, std::ostream& err) {
    std::string reason = status;
    TrimBlanks(reason);
    recorder_.NoConnection(reason.empty() ? "the coupler was not reached" : reason);
    return WriteFile(file, err);
}

bool IoRecordSession::WriteFile(const std::string& file, std::ostream& err) {
    try {
        WriteIoTestRecord(recorder_.Record(), file, true);
    } catch (const ExportError& e) {
        err << "korvo: " << e.what() << "\n";
        return false;
    }
    return true;
}

}  // namespace korvo
