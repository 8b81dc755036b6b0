#pragma once
// What online operation shows: message boxes, status-bar panel 1, the online log,
// LED colours, the online and debug buttons. The main window implements it; tests
// record it. Defaults do nothing, so a command-line caller overrides what it needs.

#include "online/configuration_rows.h"
#include "station/status_kind.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvo {

enum class LedColor : unsigned { Grey = 0x808080, Yellow = 0x00FFFF, Red = 0x0000FF };

class OnlineUi {
public:
    virtual ~OnlineUi() = default;

    virtual void ShowMessage(const std::string& /*text*/, const std::string& /*caption*/) {}
    // A failure, or empty to clear the panel.
    virtual void SetStatusPanel1(const std::string& /*text*/) {}
    // A command that went well; a caller that draws no colours takes it like any text.
    virtual void SetStatusPanel1Success(const std::string& text) { SetStatusPanel1(text); }
    // Lets pending window messages run, so status texts appear before long waits.
    virtual void ProcessMessages() {}

    virtual void ClearMemo() {}
    virtual void AddMemoLine(const std::string& /*line*/) {}
    virtual void SetMemoVisible(bool /*visible*/) {}
    virtual void SetMemoDebugVisible(bool /*visible*/) {}
    virtual void SetDebugPanelVisible(bool /*visible*/) {}
    virtual void SetDebugButtonDown(bool /*down*/) {}

    virtual void SetLedColor(int /*slot*/, int /*led*/, LedColor /*color*/) {}
    // All 32 LEDs of a module at once, as the input bits light them: LED n is
    // yellow where bit n-1 of `litLeds` is set and grey elsewhere. One call per
    // module instead of 32, because it runs for every input module in every cycle.
    virtual void SetLedPattern(int /*slot*/, std::uint32_t /*litLeds*/) {}
    // LED 17 of the online coupler grows to 12 x 12 pixels while it blinks.
    virtual void SetLedSize(int /*slot*/, int /*led*/, int /*pixels*/) {}

    // A check found differences: expected against found, slot by slot.
    virtual void ShowConfigurationTable(const std::vector<ConfigurationRow>& /*rows*/) {}

    virtual void SetOnlineButton(bool /*down*/, int /*imageIndex*/) {}
    virtual void SetCycleTimerEnabled(bool /*enabled*/) {}
    virtual void SetTypeListEnabled(bool /*enabled*/) {}
};

}  // namespace korvo
