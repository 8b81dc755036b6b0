#include "frm_korvo_ai_2.h"

#include "analog_option_groups.h"
#include "station/versch.h"
#include "value_display.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace korvo {

TfrmKorvo_AI_2::TfrmKorvo_AI_2(ModelSource model, QWidget* owner) : ModuleWindow(std::move(model), owner) {
    setObjectName(QStringLiteral("frmKorvo_AI_2"));
    setWindowTitle(QStringLiteral("properties AI 2"));
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    for (int c = 1; c <= Korvo_AI_2::Dialog::kChannels; ++c) {
        const auto index = static_cast<std::size_t>(c - 1);
        auto* box = new QGroupBox(QStringLiteral("channel %1").arg(c), this);
        box->setObjectName(QStringLiteral("GroupChannel%1").arg(c));
        auto* column = new QVBoxLayout(box);
        values_[index] = std::make_unique<ValueDisplay>(box, QStringLiteral("EdValue%1").arg(c),
                                                        QStringLiteral("LaValue%1").arg(c),
                                                        QStringLiteral("LaError%1").arg(c));
        column->addLayout(values_[index]->Row());
        column->addWidget(values_[index]->ErrorLabel());
        groups_[index] = std::make_unique<AnalogOptionGroups>(
            AnalogInputType::AI_2, box, QStringLiteral("Radio%1_").arg(c),
            [this, c](int tag) { logic_.OptionClick(c, tag); });
        for (int g = 0; g < kAnalogGroupCount; ++g) column->addWidget(groups_[index]->Box(g));
        column->addStretch();
        columns->addWidget(box, 1);
    }
    layout->addLayout(columns);
    layout->addWidget(CreateTrendPane(), 1);
    layout->addLayout(SaveExitButtons([this] { Button1Click(); }, [this] { close(); }, false));
    timer1_ = CreateTimer1(Korvo_AI_2::Dialog::kTimerMs, [this] { Timer1Timer(); });
}

TfrmKorvo_AI_2::~TfrmKorvo_AI_2() = default;

void TfrmKorvo_AI_2::FormShow() {
    logic_.FormShow(*Model());
    for (const auto& value : values_) value->Clear();
}

void TfrmKorvo_AI_2::FormActivate() {
    try {
        logic_.FormActivate(*Model(), [this](int channel, int group, int option) {
            groups_[static_cast<std::size_t>(channel - 1)]->Select(group, option);
        });
    } catch (const ConversionError& e) {
        ReportError(e);
        return;
    }
    timer1_->start();
}

void TfrmKorvo_AI_2::FormClose() {
    timer1_->stop();
}

void TfrmKorvo_AI_2::Button1Click() {
    if (Model() == nullptr) return;
    logic_.SaveConfiguration(*Model());
    SaveAutomatically();
}

void TfrmKorvo_AI_2::Timer1Timer() {
    if (Model() == nullptr) return;
    const auto readings = logic_.Timer1Timer(*Model());
    if (!readings) return;
    for (std::size_t c = 0; c < readings->size(); ++c) values_[c]->Show((*readings)[c]);
}

}  // namespace korvo
