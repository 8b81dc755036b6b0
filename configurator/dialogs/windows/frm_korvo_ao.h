#pragma once
// The windows of the analog output dialogs: a range group, a value field and the
// value being output per channel, "Send Date", "Exit" and a red line that says why
// a value was not sent. AO 2V also shows the module's error words.

#include "dialogs/korvo_ao_1.h"
#include "dialogs/korvo_ao_2v.h"
#include "module_window.h"

#include <array>
#include <vector>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QTimer;
class QVBoxLayout;

namespace korvo {

// A group "output" with one option per range (the first selected), a value field
// and the value the module's output data stand for.
struct OutputChannelControls {
    QButtonGroup* ranges = nullptr;
    QLineEdit* value = nullptr;
    QLabel* output = nullptr;
};

class TfrmKorvo_AO_1 : public ModuleWindow {
    Q_OBJECT
public:
    TfrmKorvo_AO_1(ModelSource model, QWidget* owner);

    Korvo_AO_1::Dialog& Logic() { return logic_; }

protected:
    void FormShow() override;
    void FormActivate() override;

private:
    void Button1Click();
    void ShowOutput();

    Korvo_AO_1::Dialog logic_;
    OutputChannelControls controls_;
    QLabel* status_;
};

class TfrmKorvo_AO_2V : public ModuleWindow {
    Q_OBJECT
public:
    TfrmKorvo_AO_2V(ModelSource model, QWidget* owner);

    Korvo_AO_2V::Dialog& Logic() { return logic_; }

protected:
    void FormShow() override;
    void FormActivate() override;
    void FormClose() override;

private:
    void Button1Click();
    void Timer1Timer();
    void ShowOutput();

    Korvo_AO_2V::Dialog logic_;
    std::array<OutputChannelControls, Korvo_AO_2V::Dialog::kChannels> controls_;
    std::array<QLabel*, Korvo_AO_2V::Dialog::kChannels> errors_{};
    QLabel* status_;
    QTimer* timer1_;
};

}  // namespace korvo
