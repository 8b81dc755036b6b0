#include "two_channel_temperature_window.h"

#include "dialogs/korvo_rt_2.h"
#include "dialogs/korvo_tc_2.h"
#include "ui/cp1252_text.h"
#include "station/versch.h"
#include "value_display.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace korvo {

TwoChannelTemperatureWindow::TwoChannelTemperatureWindow(const TwoChannelLayout& layout, ModelSource model,
                                                         QWidget* owner)
    : ModuleWindow(std::move(model), owner), layout_(layout), logic_(layout) {
    setWindowTitle(ToQString(layout_.windowCaption));
    auto* outer = new QVBoxLayout(this);
    auto* channels = new QHBoxLayout;
    for (int channel = 1; channel <= 2; ++channel) channels->addWidget(CreateChannel(channel), 1);
    outer->addLayout(channels);
    outer->addWidget(CreateTrendPane(), 1);

    outer->addLayout(SaveExitButtons([this] { Button1Click(); }, [this] { close(); }, true));
    timer1_ = CreateTimer1(TwoChannelTemperatureDialog::kTimerMs, [this] { Timer1Timer(); });
}

TwoChannelTemperatureWindow::~TwoChannelTemperatureWindow() = default;

QWidget* TwoChannelTemperatureWindow::CreateChannel(int channel) {
    auto* box = new QGroupBox(QStringLiteral("channel %1").arg(channel), this);
    box->setObjectName(QStringLiteral("GroupChannel%1").arg(channel));
    auto* column = new QVBoxLayout(box);
    column->setSpacing(2);

    auto& value = values_[static_cast<std::size_t>(channel - 1)];
    value = std::make_unique<ValueDisplay>(box, QStringLiteral("EditValue%1").arg(channel),
                                           QStringLiteral("LaValue%1").arg(channel),
                                           QStringLiteral("LaError%1").arg(channel));
    column->addLayout(value->Row());
    column->addWidget(value->ErrorLabel());

    auto& groups = options_[channel - 1];
    QHBoxLayout* row = nullptr;
    for (std::size_t g = 0; g < layout_.groups.size(); ++g) {
        const WordGroup& spec = layout_.groups[g];
        auto* group = new QGroupBox(ToQString(spec.caption), box);
        group->setObjectName(QStringLiteral("%1%2").arg(QString::fromLatin1(spec.objectName)).arg(channel));
        auto* grid = new QGridLayout(group);
        grid->setVerticalSpacing(0);
        grid->setContentsMargins(6, 2, 6, 2);
        const int perColumn = static_cast<int>((spec.options.size() + static_cast<std::size_t>(spec.columns) - 1) /
                                               static_cast<std::size_t>(spec.columns));
        std::vector<QRadioButton*> buttons;
        for (std::size_t i = 0; i < spec.options.size(); ++i) {
            const WordOption& option = spec.options[i];
            auto* radio = new QRadioButton(ToQString(option.CaptionIn(channel)), group);
            radio->setObjectName(QStringLiteral("Radio%1_%2").arg(channel).arg(option.tag));
            radio->setProperty("tag", option.tag);
            if (spec.hint) radio->setToolTip(ToQString(spec.hint));
            const int index = static_cast<int>(i);
            grid->addWidget(radio, index % perColumn, index / perColumn);
            connect(radio, &QRadioButton::clicked, this, [this, channel, tag = option.tag] { logic_.OptionClick(channel, tag); });
            buttons.push_back(radio);
        }
        groups.push_back(std::move(buttons));

        const bool beside = std::find(layout_.besideNext.begin(), layout_.besideNext.end(), static_cast<int>(g)) !=
                            layout_.besideNext.end();
        if (row) {
            row->addWidget(group);
            row = nullptr;
        } else if (beside) {
            row = new QHBoxLayout;
            row->addWidget(group);
            column->addLayout(row);
        } else {
            column->addWidget(group);
        }
    }
    column->addStretch();
    return box;
}

void TwoChannelTemperatureWindow::FormShow() {
    loadFailure_.Reset();
    logic_.FormShow(*Model());
    for (const auto& value : values_) value->Clear();
}

void TwoChannelTemperatureWindow::FormActivate() {
    try {
        logic_.FormActivate(*Model());
    } catch (const ConversionError& e) {
        if (loadFailure_.ShouldReport(e.what())) ReportError(e);
        return;
    }
    loadFailure_.Reset();
    for (std::size_t c = 0; c < options_.size(); ++c) {
        for (std::size_t g = 0; g < options_[c].size(); ++g) {
            options_[c][g][static_cast<std::size_t>(logic_.Selected(static_cast<int>(c) + 1, static_cast<int>(g)))]
                ->setChecked(true);
        }
    }
    timer1_->start();
}

void TwoChannelTemperatureWindow::FormClose() {
    logic_.FormClose();
    timer1_->stop();
}

void TwoChannelTemperatureWindow::Button1Click() {
    if (Model() == nullptr) return;
    logic_.SaveConfiguration(*Model());
    SaveAutomatically();
}

void TwoChannelTemperatureWindow::Timer1Timer() {
    if (Model() == nullptr) return;
    logic_.TimerTick(*Model());
    for (std::size_t c = 0; c < values_.size(); ++c) {
        if (const auto& shown = logic_.Display(static_cast<int>(c) + 1)) values_[c]->Show(*shown);
    }
}

TfrmKorvo_RT_2::TfrmKorvo_RT_2(ModelSource model, QWidget* owner)
    : TwoChannelTemperatureWindow(Korvo_RT_2::Layout(), std::move(model), owner) {
    setObjectName(QStringLiteral("frmKorvo_RT_2"));
}

TfrmKorvo_TC_2::TfrmKorvo_TC_2(ModelSource model, QWidget* owner)
    : TwoChannelTemperatureWindow(Korvo_TC_2::Layout(), std::move(model), owner) {
    setObjectName(QStringLiteral("frmKorvo_TC_2"));
}

}  // namespace korvo
