#include "frm_korvo_ai_8.h"

#include "analog_option_groups.h"
#include "ui/cp1252_text.h"
#include "station/versch.h"
#include "value_display.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace korvo {

namespace {

constexpr int kMarkerSize = 10;

}  // namespace

TfrmKorvo_AI_8::TfrmKorvo_AI_8(ModelSource model, QWidget* owner) : ModuleWindow(std::move(model), owner) {
    setObjectName(QStringLiteral("frmKorvo_AI_8"));
    setWindowTitle(QStringLiteral("properties AI 8"));
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;

    auto* left = new QVBoxLayout;
    button3_ = new QPushButton(QStringLiteral("next channel 1"), this);
    button3_->setObjectName(QStringLiteral("Button3"));
    connect(button3_, &QPushButton::clicked, this, &TfrmKorvo_AI_8::Button3Click);
    left->addWidget(button3_);
    groups_ = std::make_unique<AnalogOptionGroups>(AnalogInputType::AI_8, this, QStringLiteral("Radio"),
                                                   [this](int tag) {
                                                       if (Model() != nullptr)
                                                           logic_.OptionClick(*Model(), tag);
                                                   });
    for (int g = 0; g < kAnalogGroupCount; ++g) left->addWidget(groups_->Box(g));
    left->addStretch();
    columns->addLayout(left);

    auto* measures = new QGroupBox(QStringLiteral("measuremente"), this);
    measures->setObjectName(QStringLiteral("GroupMeasures"));
    auto* grid = new QGridLayout(measures);
    grid->setVerticalSpacing(0);
    for (std::size_t row = 0; row < kRows; ++row) {
        const int channel = static_cast<int>(row) + 1;
        const int gridRow = 2 * static_cast<int>(row);
        values_[row] = std::make_unique<ValueDisplay>(measures, QStringLiteral("EdValue%1").arg(channel),
                                                      QStringLiteral("LaValue%1").arg(channel),
                                                      QStringLiteral("LaError%1").arg(channel));
        auto* caption = new QLabel(QStringLiteral("channel %1").arg(channel), measures);
        markers_[row] = new QLabel(measures);
        markers_[row]->setObjectName(QStringLiteral("Shape%1").arg(channel));
        markers_[row]->setFixedSize(kMarkerSize, kMarkerSize);
        markers_[row]->setStyleSheet(
            QStringLiteral("background: red; border-radius: %1px;").arg(kMarkerSize / 2));
        markers_[row]->hide();
        grid->addWidget(values_[row]->ErrorLabel(), gridRow, 0);
        grid->addLayout(values_[row]->Row(), gridRow + 1, 0);
        grid->addWidget(caption, gridRow + 1, 1);
        grid->addWidget(markers_[row], gridRow + 1, 2);
    }
    columns->addWidget(measures, 1);
    layout->addLayout(columns);
    layout->addWidget(CreateTrendPane(), 1);

    layout->addLayout(SaveExitButtons([this] { Button1Click(); }, [this] { Button2Click(); }, false));
    timer1_ = CreateTimer1(Korvo_AI_8::Dialog::kTimerMs, [this] { Timer1Timer(); });
}

TfrmKorvo_AI_8::~TfrmKorvo_AI_8() = default;

AnalogOptionSetter TfrmKorvo_AI_8::Setter() {
    return [this](int, int group, int option) { groups_->Select(group, option); };
}

void TfrmKorvo_AI_8::FormActivate() {
    try {
        logic_.FormActivate(*Model(), Setter());
    } catch (const ConversionError& e) {
        ReportError(e);
        return;
    }
    button3_->setText(ToQString(logic_.Button3Caption()));
    timer1_->start();
}

void TfrmKorvo_AI_8::FormClose() {
    timer1_->stop();
}

void TfrmKorvo_AI_8::Button1Click() {
    if (Model() == nullptr) return;
    logic_.SaveConfiguration(*Model());
    SaveAutomatically();
}

void TfrmKorvo_AI_8::Button2Click() {
    timer1_->stop();
    close();
}

void TfrmKorvo_AI_8::Button3Click() {
    if (Model() == nullptr) return;
    try {
        logic_.Button3Click(*Model(), Setter());
    } catch (const ConversionError& e) {
        ReportError(e);
        return;
    }
    button3_->setText(ToQString(logic_.Button3Caption()));
    timer1_->start();
}

void TfrmKorvo_AI_8::Timer1Timer() {
    if (Model() == nullptr) return;
    const auto display = logic_.Timer1Timer(*Model());
    if (!display) return;
    for (std::size_t row = 0; row < kRows; ++row) {
        values_[row]->Show(display->values[row]);
        markers_[row]->setVisible(display->marker == static_cast<int>(row) + 1);
    }
}

}  // namespace korvo
