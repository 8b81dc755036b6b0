#pragma once
// The window of the two-channel temperature dialogs: both channels side by side, each
// with its measured word and value, error label and option groups. TwoChannelTemperatureDialog
// decides; the window binds controls to it.

#include "dialogs/two_channel_temperature.h"
#include "load_failure_report.h"
#include "module_window.h"

#include <array>
#include <memory>
#include <vector>

class QRadioButton;
class QTimer;

namespace korvo {

class ValueDisplay;

class TwoChannelTemperatureWindow : public ModuleWindow {
    Q_OBJECT
public:
    TwoChannelTemperatureWindow(const TwoChannelLayout& layout, ModelSource model, QWidget* owner);
    ~TwoChannelTemperatureWindow() override;

    TwoChannelTemperatureDialog& Logic() { return logic_; }
    // The timer event, public so a test can run a tick without waiting for it.
    void Timer1Timer();

protected:
    void FormShow() override;
    void FormActivate() override;
    void FormClose() override;

private:
    void Button1Click();
    QWidget* CreateChannel(int channel);

    const TwoChannelLayout& layout_;
    TwoChannelTemperatureDialog logic_;
    std::array<std::unique_ptr<ValueDisplay>, 2> values_;
    // Per channel and group, the radio buttons in option order.
    std::array<std::vector<std::vector<QRadioButton*>>, 2> options_;
    QTimer* timer1_;
    LoadFailureReport loadFailure_;
};

class TfrmKorvo_RT_2 final : public TwoChannelTemperatureWindow {
    Q_OBJECT
public:
    TfrmKorvo_RT_2(ModelSource model, QWidget* owner);
};

class TfrmKorvo_TC_2 final : public TwoChannelTemperatureWindow {
    Q_OBJECT
public:
    TfrmKorvo_TC_2(ModelSource model, QWidget* owner);
};

}  // namespace korvo
