#pragma once
// The window of the multi-channel temperature dialogs: output check boxes, the value
// rows, the sensor option group of the current channel and, for thermocouples, the
// unit. MultiChannelTemperatureDialog decides; the window binds controls to it.

#include "dialogs/multi_channel_temperature.h"
#include "dialogs/windows/two_channel_temperature_window.h"

#include <QWidget>

#include <memory>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace korvo {

class MultiChannelTemperatureWindow : public QWidget {
    Q_OBJECT
public:
    MultiChannelTemperatureWindow(const MultiChannelLayout& layout, StationSource station, QWidget* parent);
    ~MultiChannelTemperatureWindow() override;

    // Null until the window was first shown with a station.
    MultiChannelTemperatureDialog* Logic() const { return logic_.get(); }

    void FormShow();
    void FormActivate();
    void FormDeactivate();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* CreateOutputs();
    QWidget* CreateValues();
    QWidget* CreateSensors();
    QWidget* CreateUnit();
    void ShowChannel();
    void ShowRows();
    void SyncTimer();
    // The program's general error box, for a malformed parameter or a failed save.
    void ReportError(const char* text);

    const MultiChannelLayout& layout_;
    StationSource station_;
    std::unique_ptr<MultiChannelTemperatureDialog> logic_;
    std::vector<QCheckBox*> outputs_;
    std::vector<QLineEdit*> actual_;
    std::vector<QLineEdit*> current_;
    std::vector<QLineEdit*> error_;
    std::vector<QRadioButton*> sensors_;
    QRadioButton* fahrenheit_ = nullptr;
    QPushButton* button3_ = nullptr;
    QTimer* timer1_;
};

class TfrmKorvo_TC_4 final : public MultiChannelTemperatureWindow {
    Q_OBJECT
public:
    TfrmKorvo_TC_4(StationSource station, QWidget* parent);
};

class TfrmKorvo_TC_8 final : public MultiChannelTemperatureWindow {
    Q_OBJECT
public:
    TfrmKorvo_TC_8(StationSource station, QWidget* parent);
};

class TfrmKorvo_RT_6 final : public MultiChannelTemperatureWindow {
    Q_OBJECT
public:
    TfrmKorvo_RT_6(StationSource station, QWidget* parent);
};

}  // namespace korvo
