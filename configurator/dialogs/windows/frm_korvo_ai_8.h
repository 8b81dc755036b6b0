#pragma once
// The window of the "KORVO AI 8" dialog: the options of one channel at a time on the
// left, the values of all eight channels on the right.

#include "dialogs/korvo_ai_8.h"
#include "module_window.h"

#include <array>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;

namespace korvo {

class AnalogOptionGroups;
class ValueDisplay;

class TfrmKorvo_AI_8 : public ModuleWindow {
    Q_OBJECT
public:
    TfrmKorvo_AI_8(ModelSource model, QWidget* owner);
    ~TfrmKorvo_AI_8() override;

    Korvo_AI_8::Dialog& Logic() { return logic_; }

protected:
    void FormActivate() override;
    void FormClose() override;

private:
    AnalogOptionSetter Setter();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Timer1Timer();

    static constexpr std::size_t kRows = Korvo_AI_8::Dialog::kChannels;

    Korvo_AI_8::Dialog logic_;
    std::unique_ptr<AnalogOptionGroups> groups_;
    QPushButton* button3_;
    std::array<std::unique_ptr<ValueDisplay>, kRows> values_;
    std::array<QLabel*, kRows> markers_{};
    QTimer* timer1_;
};

}  // namespace korvo
