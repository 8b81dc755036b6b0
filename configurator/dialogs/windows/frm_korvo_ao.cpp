#include "frm_korvo_ao.h"

#include "analog_option_groups.h"
#include "ui/cp1252_text.h"
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

QLineEdit* ValueEdit(QWidget* parent, const QString& name, const char* startText) {
    auto* edit = new QLineEdit(QString::fromLatin1(startText), parent);
    edit->setObjectName(name);
    return edit;
}

QLabel* OutputLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

// The line that says why nothing was sent; empty while everything went out.
QLabel* StatusLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("LaStatus"));
    label->setWordWrap(true);
    MakeErrorLabel(label);
    return label;
}

QString OutputCaption(const std::optional<EngineeringValue>& output) {
    return QStringLiteral("output value: ") + ToQString(OutputValueText(output));
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
    controls_.value = ValueEdit(this, QStringLiteral("Edit1"), Korvo_AO_1::Dialog::kStartValue);
    label->setBuddy(controls_.value);
    valueColumn->addWidget(label);
    valueColumn->addWidget(controls_.value);
    controls_.output = OutputLabel(this, QStringLiteral("LaOutput"));
    valueColumn->addWidget(controls_.output);
    valueColumn->addStretch();
    row->addLayout(valueColumn);
    layout->addLayout(row);
    status_ = StatusLabel(this);
    layout->addWidget(status_);
    layout->addWidget(CreateTrendPane(), 1);
    layout->addLayout(SendAndExit(this, [this] { Button1Click(); }));
}

void TfrmKorvo_AO_1::FormShow() {
    logic_.FormShow(*Model());
    controls_.ranges->button(logic_.RangeOption())->setChecked(true);
    controls_.value->setText(ToQString(logic_.ValueText()));
    status_->clear();
}

// The I/O test may have switched the output off meanwhile.
void TfrmKorvo_AO_1::FormActivate() {
    ShowOutput();
}

void TfrmKorvo_AO_1::ShowOutput() {
    controls_.output->setText(OutputCaption(logic_.OutputValue(*Model(), 1)));
}

void TfrmKorvo_AO_1::Button1Click() {
    if (Model() == nullptr) return;
    status_->clear();
    logic_.SetRangeOption(controls_.ranges->checkedId());
    logic_.SetValueText(FromQString(controls_.value->text()));
    try {
        const ValueOutcome outcome = logic_.Button1Click(*Model());
        if (!outcome.inRange) status_->setText(ToQString(outcome.message));
    } catch (const ConversionError& e) {
        ReportError(e);
    }
    ShowOutput();
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
        controls_[c].value =
            ValueEdit(this, QStringLiteral("Edit") + number, Korvo_AO_2V::Dialog::kStartValue);
        column->addWidget(controls_[c].value);
        controls_[c].output = OutputLabel(this, QStringLiteral("LaOutput") + number);
        column->addWidget(controls_[c].output);
        column->addStretch();
        columns->addLayout(column);
    }
    layout->addLayout(columns);
    status_ = StatusLabel(this);
    layout->addWidget(status_);
    layout->addWidget(CreateTrendPane(), 1);
    layout->addLayout(SendAndExit(this, [this] { Button1Click(); }));

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(Korvo_AO_2V::Dialog::kTimerMs);
    connect(timer1_, &QTimer::timeout, this, &TfrmKorvo_AO_2V::Timer1Timer);
}

void TfrmKorvo_AO_2V::FormShow() {
    logic_.FormShow(*Model());
    for (int channel = 1; channel <= Korvo_AO_2V::Dialog::kChannels; ++channel) {
        const OutputChannelControls& controls = controls_[static_cast<std::size_t>(channel - 1)];
        controls.ranges->button(logic_.RangeOption(channel))->setChecked(true);
        controls.value->setText(ToQString(logic_.ValueText(channel)));
    }
    for (QLabel* error : errors_) error->clear();
    status_->clear();
}

void TfrmKorvo_AO_2V::FormActivate() {
    ShowOutput();
    timer1_->start();
}

void TfrmKorvo_AO_2V::ShowOutput() {
    for (int channel = 1; channel <= Korvo_AO_2V::Dialog::kChannels; ++channel)
        controls_[static_cast<std::size_t>(channel - 1)].output->setText(
            OutputCaption(logic_.OutputValue(*Model(), channel)));
}

void TfrmKorvo_AO_2V::FormClose() {
    timer1_->stop();
}

void TfrmKorvo_AO_2V::Button1Click() {
    if (Model() == nullptr) return;
    status_->clear();
    for (int channel = 1; channel <= Korvo_AO_2V::Dialog::kChannels; ++channel) {
        const OutputChannelControls& controls = controls_[static_cast<std::size_t>(channel - 1)];
        logic_.SetRangeOption(channel, controls.ranges->checkedId());
        logic_.SetValueText(channel, FromQString(controls.value->text()));
    }
    try {
        const ValueOutcome outcome = logic_.Button1Click(*Model());
        if (!outcome.inRange) status_->setText(ToQString(outcome.message));
    } catch (const ConversionError& e) {
        ReportError(e);
    }
    ShowOutput();
}

void TfrmKorvo_AO_2V::Timer1Timer() {
    if (Model() == nullptr) return;
    const auto errors = logic_.Timer1Timer(*Model());
    if (!errors) return;
    for (std::size_t c = 0; c < errors->size(); ++c) errors_[c]->setText(ToQString((*errors)[c]));
}

}  // namespace korvo
