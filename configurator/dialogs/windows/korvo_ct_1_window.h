#pragma once
// The counter dialog TfrmKorvo_CT_1: mode buttons, option groups and the gate-time
// field that edit the configuration word, the command buttons, and the configuration
// echo and counter value shown once a second. Korvo_CT_1 decides; the window shows.

#include "dialogs/korvo_ct_1.h"
#include "module_window.h"

#include <map>

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTimer;

namespace korvo {

class TfrmKorvo_CT_1 : public ModuleWindow {
    Q_OBJECT
public:
    TfrmKorvo_CT_1(ModelSource model, QWidget* owner);

    Korvo_CT_1::Dialog& Logic() { return logic_; }

    // The timer event.
    void Timer1Timer();

protected:
    void FormShow() override;
    void FormActivate() override;
    void FormClose() override;
    void changeEvent(QEvent* event) override;

private:
    QGroupBox* AddGroup(CounterGroup group, const char* name);
    // Runs a handler of the logic and shows the state it leaves, or its error.
    template <typename Handler>
    bool Run(Handler handler);
    void Report(const std::exception& error);
    void ShowState();
    void ShowInputWords();
    // "Save Configuration": the module's texts, then the automatic save.
    void Button1Click();

    Korvo_CT_1::Dialog logic_;
    std::map<CounterGroup, QGroupBox*> groups_;
    std::map<CounterGroup, QButtonGroup*> options_;
    std::map<CounterMode, QAbstractButton*> modeButtons_;
    QLineEdit* edValue1_;
    QLineEdit* edValue2_;
    QLabel* laValue2_;
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
