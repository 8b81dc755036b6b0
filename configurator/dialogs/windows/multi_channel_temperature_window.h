#pragma once
// The window of the multi-channel temperature dialogs: output check boxes, the value
// rows, the sensor option group of the current channel and, for thermocouples, the
// unit. MultiChannelTemperatureDialog decides; the window binds controls to it.

#include "dialogs/multi_channel_temperature.h"
#include "load_failure_report.h"
#include "module_window.h"

#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace korvo {

class MultiChannelTemperatureWindow : public ModuleWindow {
    Q_OBJECT
public:
    MultiChannelTemperatureWindow(const MultiChannelLayout& layout, ModelSource model, QWidget* owner);
    ~MultiChannelTemperatureWindow() override;

    MultiChannelTemperatureDialog& Logic() { return logic_; }
    // The timer event, public so a test can run a tick without waiting for it.
    void Timer1Timer();

protected:
    void FormShow() override;
    void FormActivate() override;
    void FormDeactivate() override;
    void FormClose() override;

private:
    void Button1Click();
    void Button3Click();
    QWidget* CreateOutputs();
    QWidget* CreateValues();
    QWidget* CreateSensors();
    QWidget* CreateUnit();
    void ShowChannel();
    void ShowModuleState();
    void ShowRows();

    const MultiChannelLayout& layout_;
    MultiChannelTemperatureDialog logic_;
    std::vector<QCheckBox*> outputs_;
    std::vector<QLineEdit*> actual_;
    std::vector<QLineEdit*> word_;
    std::vector<QLineEdit*> current_;
    std::vector<QLineEdit*> error_;
    std::vector<QRadioButton*> sensors_;
    QRadioButton* celsius_ = nullptr;
    QRadioButton* fahrenheit_ = nullptr;
    QPushButton* button3_ = nullptr;
    QTimer* timer1_;
    LoadFailureReport loadFailure_;
};

class TfrmKorvo_TC_4 final : public MultiChannelTemperatureWindow {
    Q_OBJECT
public:
    TfrmKorvo_TC_4(ModelSource model, QWidget* owner);
};

class TfrmKorvo_TC_8 final : public MultiChannelTemperatureWindow {
    Q_OBJECT
public:
    TfrmKorvo_TC_8(ModelSource model, QWidget* owner);
};

class TfrmKorvo_RT_6 final : public MultiChannelTemperatureWindow {
    Q_OBJECT
public:
    TfrmKorvo_RT_6(ModelSource model, QWidget* owner);
};

}  // namespace korvo
