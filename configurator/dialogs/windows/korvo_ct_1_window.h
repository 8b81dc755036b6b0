#pragma once
// The counter dialog TfrmKorvo_CT_1: mode buttons, option groups and the gate-time
// field that edit the configuration word, the command buttons, and the configuration
// echo and counter value shown once a second. Korvo_CT_1 decides; the window shows.

#include "dialogs/korvo_ct_1.h"

#include <QWidget>

#include <map>

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QTimer;

namespace korvo {

class TfrmKorvo_CT_1 : public QWidget {
    Q_OBJECT
public:
    // A window of its own that lives as long as its parent.
    TfrmKorvo_CT_1(QWidget* parent, StationModel& model, std::filesystem::path settingsFile);

    Korvo_CT_1& Logic() { return logic_; }

    // The activation handler and the timer event.
    void FormActivate();
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QGroupBox* AddGroup(CounterGroup group, const char* name);
    // Runs a handler of the logic and shows the state it leaves, or its error.
    template <typename Handler>
    bool Run(Handler handler);
    void Report(const std::string& text);
    void ShowState();

    Korvo_CT_1 logic_;
    std::map<CounterGroup, QGroupBox*> groups_;
    std::map<CounterGroup, QButtonGroup*> options_;
    std::map<CounterMode, QAbstractButton*> modeButtons_;
    QLineEdit* edValue1_;
    QLineEdit* edValue2_;
    QLineEdit* edit1_;
    QLineEdit* edit2_;
    QLineEdit* edit3_;
    QTimer* timer1_;
    // A message box of this window takes the focus for a moment; getting it back is
    // not an activation that reloads the word.
    bool boxOpen_ = false;
    bool skipNextActivation_ = false;
};

}  // namespace korvo
