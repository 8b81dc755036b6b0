#pragma once
// "korvo io --record FILE.json": the commissioning record of the cycles run, written
// when the test ends, also when it ended with a lost connection, a signal or --timeout.

#include "online/io_test_record.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace korvo {

class CouplerDiagnosis;
class CycleObservers;
class IoEventLog;
class OnlineOperation;
class StationModel;

class IoRecordSession {
public:
    // Runs the configuration check (which also reads the coupler's state) for the
    // record's header and starts recording the cycles that observers hear, with the
    // events of the log as the record's appendix.
    IoRecordSession(StationModel& model, OnlineOperation& online, CouplerDiagnosis& diagnosis,
                    const std::string& project, CycleObservers& observers, const IoEventLog& events);
    ~IoRecordSession();
    IoRecordSession(const IoRecordSession&) = delete;
    IoRecordSession& operator=(const IoRecordSession&) = delete;

    // Ends the record after the cycles (a stopped test has ended it already) and writes
    // it; `stopped` says why the test ended early (a signal, --timeout), empty when it
    // ran its cycles. False after a one-line error on err.
    bool Write(const std::string& file, int cycles, const std::string& stopped, std::ostream& err);
    // Ends the record of a test that never ran because the coupler could not be
    // reached (status says why) and writes it; false after a one-line error on err.
    bool WriteUnconnected(const std::string& file, const std::string& status, std::ostream& err);

private:
    bool WriteFile(const std::string& file, std::ostream& err);

    CycleObservers& observers_;
    IoTestRecorder recorder_;
};

}  // namespace korvo
