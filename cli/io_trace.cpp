#include "io_trace.h"

#include "station/safe_file_write.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <unistd.h>

namespace korvo {

namespace {

bool IsJson(const std::string& file) {
    std::string extension = std::filesystem::path(file).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".json";
}

}  // namespace

IoTraceSession::IoTraceSession(const StationModel& model, CycleObservers& observers, int intervalMs)
    : observers_(observers), trend_(model), events_(model) {
    trend_.Begin(intervalMs);
    events_.Begin();
    observers.Add(&events_);
}

bool IoTraceSession::OpenTrend(const std::string& file, std::ostream& err) {
    std::string error;
    trendFile_ = TrendFile::Open(file, &error);
    if (!trendFile_) {
        err << "korvo: --trend: " << error << "\n";
        return false;
    }
    trend_.SetReadingsSink([this](const std::vector<TrendReading>& readings) { trendFile_->Write(trend_, readings); });
    observers_.Add(&trend_);
    return true;
}

bool IoTraceSession::OpenEvents(const std::string& file, std::ostream& err) {
    if (IsJson(file)) {
        // Written whole at the end; a folder that cannot take it is said now, not after the test.
        const std::filesystem::path folder = std::filesystem::absolute(file).parent_path();
        if (::access(folder.c_str(), W_OK) != 0) {
            err << "korvo: --events: cannot write " << file << ": " << std::strerror(errno) << "\n";
            return false;
        }
        eventJson_ = file;
        return true;
    }
    std::string error;
    eventCsv_ = AppendingFile::Open(file, IoEventsCsvHeader(), &error);
    if (!eventCsv_) {
        err << "korvo: --events: " << error << "\n";
        return false;
    }
    events_.SetSink([this](const IoEvent& event) { eventCsv_->Append(IoEventCsvRow(event)); });
    return true;
}

bool IoTraceSession::Finish(std::ostream& err) {
    bool whole = true;
    if (trendFile_ && trendFile_->Failed()) {
        err << "korvo: --trend: " << trendFile_->Error() << "\n";
        whole = false;
    }
    if (eventCsv_ && eventCsv_->Failed()) {
        err << "korvo: --events: " << eventCsv_->Error() << "\n";
        whole = false;
    }
    if (!eventJson_.empty()) {
        if (const auto why = WriteFileSafely(eventJson_, IoEventsJson(events_.Events()))) {
            err << "korvo: --events: " << *why << "\n";
            whole = false;
        }
    }
    return whole;
}

}  // namespace korvo
