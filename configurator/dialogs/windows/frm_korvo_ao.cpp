#include "frm_korvo_ao.h"

#include "analog_option_groups.h"
#include "shell/windows/cp1252_text.h"
#include "station/versch.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace korvo {

namespace {

constexpr const char* kStartValue = "10,000";

// The group "output" of one channel; options are named prefix + 1, 2, ...
QGroupBox* RangeGroup(std::span<const OutputRange> ranges, QWidget* parent, const QString& prefix,
                      OutputChannelControls& controls) {
    auto* box = new QGroupBox(QStringLiteral("output"), parent);
    box->setObjectName(QStringLiteral("GroupOutput") + prefix);
    auto* layout = new QVBoxLayout(box);
    controls.ranges = new QButtonGroup(box);
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        auto* option = new QRadioButton(ToQString(ranges[i].caption), box);
        option->setObjectName(QStringLiteral("Radio") + prefix + QString::number(i + 1));
        option->setChecked(i == 0);
        controls.ranges->addButton(option, static_cast<int>(i));
        layout->addWidget(option);
    }
    return box;
}

QLineEdit* ValueEdit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(QString::fromLatin1(kStartValue), parent);
    edit->setObjectName(name);
    return edit;
}

QHBoxLayout* SendAndExit(QWidget* window, const std::function<void()>& send) {
    auto* buttons = new QHBoxLayout;
    auto* sendButton = new QPushButton(QStringLiteral("Send Date"), window);
    sendButton->setObjectName(QStringLiteral("Button1"));
    QObject::connect(sendButton, &QPushButton::clicked, window, send);
    auto* exit = new QPushButton(QStringLiteral("Exit"), window);
    exit->setObjectName(QStringLiteral("Button2"));
    QObject::connect(exit, &QPushButton::clicked, window, &QWidget::close);
    buttons->addWidget(sendButton);
    buttons->addWidget(exit);
    return buttons;
}

}  // namespace

TfrmKorvo_AO_1::TfrmKorvo_AO_1(ModelSource model, QWidget* owner) : ModuleWindow(std::move(model), owner) {
    setObjectName(QStringLiteral("frmKorvo_AO_1"));
    setWindowTitle(QStringLiteral("properties AO 1"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(RangeGroup(Korvo_AO_1::Ranges(), this, QString(), controls_));
    auto* valueColumn = new QVBoxLayout;
    auto* label = new QLabel(QStringLiteral("AO Date"), this);
    controls_.value = ValueEdit(this, QStringLiteral("Edit1"));
    label->setBuddy(controls_.value);
    valueColumn->addWidget(label);
    valueColumn->addWidget(controls_.value);
    valueColumn->addStretch();
    row->addLayout(valueColumn);
    layout->addLayout(row);
    layout->addLayout(SendAndExit(this, [this] { Button1Click(); }));
}

void TfrmKorvo_AO_1::FormShow() {
    logic_.FormShow(*Model());
}

void TfrmKorvo_AO_1::Button1Click() {
    if (Model() == nullptr) return;
    logic_.SetRangeOption(controls_.ranges->checkedId());
    logic_.SetValueText(FromQString(controls_.value->text()));
    try {
        logic_.Button1Click(*Model());
    } catch (const ConversionError& e) {
        ReportError(e);
        return;
    }
    controls_.value->setText(ToQString(logic_.ValueText()));
}

TfrmKorvo_AO_2V::TfrmKorvo_AO_2V(ModelSource model, QWidget* owner) : ModuleWindow(std::move(model), owner) {
    setObjectName(QStringLiteral("frmKorvo_AO_2V"));
    setWindowTitle(QStringLiteral("properties AO 2V"));
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    for (std::size_t c = 0; c < controls_.size(); ++c) {
        const QString number = QString::number(c + 1);
        auto* column = new QVBoxLayout;
        errors_[c] = new QLabel(this);
        errors_[c]->setObjectName(QStringLiteral("LaError") + number);
        MakeErrorLabel(errors_[c]);
        column->addWidget(errors_[c]);
        column->addWidget(RangeGroup(Korvo_AO_2V::Ranges(), this, number + QLatin1Char('_'), controls_[c]));
        controls_[c].value = ValueEdit(this, QStringLiteral("Edit") + number);
        column->addWidget(controls_[c].value);
        column->addStretch();
        columns->addLayout(column);
    }
    layout->addLayout(columns);
    layout->addLayout(SendAndExit(this, [this] { Button1Click(); }));

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(Korvo_AO_2V::Dialog::kTimerMs);
    connect(timer1_, &QTimer::timeout, this, &TfrmKorvo_AO_2V::Timer1Timer);
}

void TfrmKorvo_AO_2V::FormShow() {
    logic_.FormShow(*Model());
}

void TfrmKorvo_AO_2V::FormActivate() {
    timer1_->start();
}

void TfrmKorvo_AO_2V::FormClose() {
    timer1_->stop();
}

void TfrmKorvo_AO_2V::Button1Click() {
    if (Model() == nullptr) return;
    for (int channel = 1; channel <= Korvo_AO_2V::Dialog::kChannels; ++channel) {
        const OutputChannelControls& controls = controls_[static_cast<std::size_t>(channel - 1)];
        logic_.SetRangeOption(channel, controls.ranges->checkedId());
        logic_.SetValueText(channel, FromQString(controls.value->text()));
    }
    try {
        logic_.Button1Click(*Model());
    } catch (const ConversionError& e) {
        ReportError(e);
        return;
    }
    for (int channel = 1; channel <= Korvo_AO_2V::Dialog::kChannels; ++channel)
        controls_[static_cast<std::size_t>(channel - 1)].value->setText(ToQString(logic_.ValueText(channel)));
}

void TfrmKorvo_AO_2V::Timer1Timer() {
    if (Model() == nullptr) return;
    const auto errors = logic_.Timer1Timer(*Model());
    if (!errors) return;
    for (std::size_t c = 0; c < errors->size(); ++c) errors_[c]->setText(ToQString((*errors)[c]));
}

}  // namespace korvo
