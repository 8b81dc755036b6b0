#pragma once
// The window of the "KORVO AI 2" dialog: both channels side by side, each with its
// measured word and value, error label and three option groups.

#include "dialogs/korvo_ai_2.h"
#include "module_window.h"

#include <array>
#include <memory>

class QTimer;

namespace korvo {

class AnalogOptionGroups;
class ValueDisplay;

class TfrmKorvo_AI_2 : public ModuleWindow {
    Q_OBJECT
public:
    TfrmKorvo_AI_2(ModelSource model, QWidget* owner);
    ~TfrmKorvo_AI_2() override;

    Korvo_AI_2::Dialog& Logic() { return logic_; }

protected:
    void FormShow() override;
    void FormActivate() override;
    void FormClose() override;

private:
    void Button1Click();
    void Timer1Timer();

    Korvo_AI_2::Dialog logic_;
    std::array<std::unique_ptr<AnalogOptionGroups>, Korvo_AI_2::Dialog::kChannels> groups_;
    std::array<std::unique_ptr<ValueDisplay>, Korvo_AI_2::Dialog::kChannels> values_;
    QTimer* timer1_;
};

}  // namespace korvo
