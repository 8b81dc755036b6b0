#pragma once
// What the BOOTP server shows and sends, recorded for the tests.

#include "tools/udp_bootp_server.h"


#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace korvo::testing {

class RecordingSender final : public BootpSender {
public:
    bool SendReply(std::span<const std::uint8_t> bytes, std::string& error) override {
        if (!failure.empty()) {
            error = failure;
            return false;
        }
        sent.emplace_back(bytes.begin(), bytes.end());
        return true;
    }
    std::vector<std::vector<std::uint8_t>> sent;
    std::string failure;  // non-empty: every send fails with it
};

struct RecordingBootpUi final : BootpUi {
    std::map<BootpField, std::string> shown;
    std::vector<std::string> log;
    bool checkIP = false;
    bool checkIP1 = false;
    std::vector<std::string> boxes;
    std::string stationStatus;
    std::vector<int> helpPages;
    std::vector<bool> pingButton;

    void ShowField(BootpField field, const std::string& text) override { shown[field] = text; }
    void ShowArmed(bool ip, bool ip1) override {
        checkIP = ip;
        checkIP1 = ip1;
    }
    void AddLogLine(const std::string& line) override { log.push_back(line); }
    void ClearLog() override { log.clear(); }
    void SetPingButtonEnabled(bool enabled) override { pingButton.push_back(enabled); }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        boxes.push_back(caption + "|" + text);
    }
    void SetStationStatus(const std::string& text) override { stationStatus = text; }
    void ShowHelpPage(int page) override { helpPages.push_back(page); }

    bool LogHas(const std::string& text) const {
        return std::any_of(log.begin(), log.end(),
                           [&](const std::string& l) { return l.find(text) != std::string::npos; });
    }
};

}  // namespace korvo::testing
