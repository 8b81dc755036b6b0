#pragma once
// The window of the two-channel temperature dialogs: both channels side by side, each
// with its measured value, error label and option groups. TwoChannelTemperatureDialog
// decides; the window binds controls to it.

#include "dialogs/two_channel_temperature.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QRadioButton;
class QTimer;

namespace korvo {

class StationModel;

// The station exists once the main window has been activated; until then null.
using StationSource = std::function<StationModel*()>;

class TwoChannelTemperatureWindow : public QWidget {
    Q_OBJECT
public:
    TwoChannelTemperatureWindow(const TwoChannelLayout& layout, StationSource station, QWidget* parent);
    ~TwoChannelTemperatureWindow() override;

    // Null until the window was first shown with a station.
    TwoChannelTemperatureDialog* Logic() const { return logic_.get(); }

    void FormShow();
    void FormActivate();
    void Button1Click();
    void Button2Click() { close(); }
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* CreateChannel(int channel);
    void OptionClick(int channel, int tag);
    void ShowSelections();
    void SyncTimer();

    const TwoChannelLayout& layout_;
    StationSource station_;
    std::unique_ptr<TwoChannelTemperatureDialog> logic_;
    std::array<QLineEdit*, 2> values_{};
    std::array<QLabel*, 2> errors_{};
    // Per channel and group, the radio buttons in option order.
    std::array<std::vector<std::vector<QRadioButton*>>, 2> options_;
    QTimer* timer1_;
};

class TfrmKorvo_RT_2 final : public TwoChannelTemperatureWindow {
    Q_OBJECT
public:
    TfrmKorvo_RT_2(StationSource station, QWidget* parent);
};

class TfrmKorvo_TC_2 final : public TwoChannelTemperatureWindow {
    Q_OBJECT
public:
    TfrmKorvo_TC_2(StationSource station, QWidget* parent);
};

}  // namespace korvo
