#include "multi_channel_temperature_window.h"

#include "dialogs/korvo_rt_6.h"
#include "dialogs/korvo_tc_4.h"
#include "dialogs/korvo_tc_8.h"
#include "shell/windows/cp1252_text.h"
#include "shell/windows/message_box.h"
#include "station/profile_file.h"
#include "station/versch.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace korvo {

MultiChannelTemperatureWindow::MultiChannelTemperatureWindow(const MultiChannelLayout& layout,
                                                             StationSource station, QWidget* parent)
    : QWidget(parent, Qt::Window), layout_(layout), station_(std::move(station)) {
    setWindowTitle(ToQString(layout_.windowCaption));
    auto* outer = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    columns->addWidget(CreateOutputs(), 0, Qt::AlignTop);
    auto* middle = new QVBoxLayout;
    middle->addWidget(CreateValues());
    if (layout_.unitChoice) middle->addWidget(CreateUnit());
    middle->addStretch();
    columns->addLayout(middle, 1);
    columns->addWidget(CreateSensors(), 0, Qt::AlignTop);
    outer->addLayout(columns);

    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton(QStringLiteral("Save Configuration"), this);
    save->setObjectName(QStringLiteral("Button1"));
    connect(save, &QPushButton::clicked, this, &MultiChannelTemperatureWindow::Button1Click);
    auto* exit = new QPushButton(QStringLiteral("Exit"), this);
    exit->setObjectName(QStringLiteral("Button2"));
    connect(exit, &QPushButton::clicked, this, &MultiChannelTemperatureWindow::Button2Click);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(exit);
    buttons->addStretch();
    outer->addLayout(buttons);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(MultiChannelTemperatureDialog::kTimerMs);
    connect(timer1_, &QTimer::timeout, this, &MultiChannelTemperatureWindow::Timer1Timer);
}

MultiChannelTemperatureWindow::~MultiChannelTemperatureWindow() = default;

QWidget* MultiChannelTemperatureWindow::CreateOutputs() {
    auto* group = new QGroupBox(QStringLiteral("DO"), this);
    group->setObjectName(QStringLiteral("GroupDO"));
    auto* column = new QVBoxLayout(group);
    for (int output = 1; output <= layout_.outputs; ++output) {
        auto* box = new QCheckBox(QStringLiteral("DO%1").arg(output), group);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(output));
        connect(box, &QCheckBox::clicked, this, [this, output](bool ticked) {
            if (logic_) logic_->OutputClick(output, ticked);
        });
        column->addWidget(box);
        outputs_.push_back(box);
    }
    return group;
}

QWidget* MultiChannelTemperatureWindow::CreateValues() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    const char* headings[] = {"actual value", "current", "error"};
    for (int column = 0; column < 3; ++column) grid->addWidget(new QLabel(QString::fromLatin1(headings[column]), panel), 0, column);
    for (int row = 1; row <= layout_.valueRows; ++row) {
        const auto field = [&](const char* name, int column, std::vector<QLineEdit*>& list) {
            auto* edit = new QLineEdit(panel);
            edit->setObjectName(QStringLiteral("%1%2").arg(QString::fromLatin1(name)).arg(row));
            edit->setReadOnly(true);
            edit->setAlignment(Qt::AlignRight);
            grid->addWidget(edit, row, column);
            list.push_back(edit);
        };
        field("EditActual", 0, actual_);
        field("EditCurrent", 1, current_);
        field("EditError", 2, error_);
    }
    return panel;
}

QWidget* MultiChannelTemperatureWindow::CreateSensors() {
    auto* panel = new QWidget(this);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    button3_ = new QPushButton(QStringLiteral("next channel 1"), panel);
    button3_->setObjectName(QStringLiteral("Button3"));
    connect(button3_, &QPushButton::clicked, this, &MultiChannelTemperatureWindow::Button3Click);
    column->addWidget(button3_);
    auto* group = new QGroupBox(QStringLiteral("sensor typ"), panel);
    group->setObjectName(QStringLiteral("GroupSensor"));
    auto* options = new QVBoxLayout(group);
    options->setSpacing(1);
    for (std::size_t i = 0; i < layout_.sensors.size(); ++i) {
        auto* radio = new QRadioButton(ToQString(layout_.sensors[i].caption), group);
        radio->setObjectName(QStringLiteral("RadioSensor%1").arg(i));
        radio->setProperty("tag", static_cast<int>(i));
        connect(radio, &QRadioButton::clicked, this, [this, option = static_cast<int>(i)] {
            if (logic_) logic_->SensorClick(option);
        });
        options->addWidget(radio);
        sensors_.push_back(radio);
    }
    column->addWidget(group);
    return panel;
}

QWidget* MultiChannelTemperatureWindow::CreateUnit() {
    auto* group = new QGroupBox(QStringLiteral("Celsius/Fahrenheit"), this);
    group->setObjectName(QStringLiteral("GroupUnit"));
    auto* row = new QHBoxLayout(group);
    auto* celsius = new QRadioButton(QStringLiteral("Celsius"), group);
    celsius->setObjectName(QStringLiteral("RadioCelsius"));
    celsius->setChecked(true);
    fahrenheit_ = new QRadioButton(QStringLiteral("Fahrenheit"), group);
    fahrenheit_->setObjectName(QStringLiteral("RadioFahrenheit"));
    for (QRadioButton* option : {celsius, fahrenheit_}) {
        connect(option, &QRadioButton::clicked, this, [this] {
            if (logic_) logic_->UnitClick(fahrenheit_->isChecked());
        });
        row->addWidget(option);
    }
    return group;
}

void MultiChannelTemperatureWindow::FormShow() {
    if (!logic_) {
        StationModel* station = station_ ? station_() : nullptr;
        if (station == nullptr) return;
        logic_ = std::make_unique<MultiChannelTemperatureDialog>(layout_, *station);
    }
    logic_->FormShow();
}

void MultiChannelTemperatureWindow::ReportError(const char* text) {
    ShowMessageBox(this, text, "KorvoConfigurator");
}

void MultiChannelTemperatureWindow::FormActivate() {
    if (!logic_) return;
    try {
        logic_->FormActivate();
    } catch (const ConversionError& e) {
        button3_->setText(ToQString(logic_->NextChannelCaption()));
        ReportError(e.what());
        return;
    }
    ShowChannel();
    SyncTimer();
}

void MultiChannelTemperatureWindow::FormDeactivate() {
    if (logic_) logic_->FormDeactivate();
    SyncTimer();
}

void MultiChannelTemperatureWindow::Button3Click() {
    if (!logic_) return;
    try {
        logic_->NextChannel();
    } catch (const ConversionError& e) {
        button3_->setText(ToQString(logic_->NextChannelCaption()));
        ReportError(e.what());
        return;
    }
    ShowChannel();
    SyncTimer();
}

void MultiChannelTemperatureWindow::ShowChannel() {
    button3_->setText(ToQString(logic_->NextChannelCaption()));
    sensors_[static_cast<std::size_t>(logic_->SelectedSensor())]->setChecked(true);
}

void MultiChannelTemperatureWindow::Button1Click() {
    if (!logic_) return;
    try {
        logic_->Save();
    } catch (const ProfileError& e) {
        ReportError(e.what());
    }
}

void MultiChannelTemperatureWindow::Button2Click() {
    if (logic_) logic_->FormClose();
    SyncTimer();
    close();
}

void MultiChannelTemperatureWindow::Timer1Timer() {
    if (!logic_) return;
    logic_->TimerTick();
    ShowRows();
}

void MultiChannelTemperatureWindow::ShowRows() {
    const auto& rows = logic_->Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        actual_[i]->setText(ToQString(rows[i].actual));
        current_[i]->setText(ToQString(rows[i].current));
        error_[i]->setText(ToQString(rows[i].error));
    }
}

void MultiChannelTemperatureWindow::SyncTimer() {
    if (logic_ && logic_->TimerEnabled()) {
        if (!timer1_->isActive()) timer1_->start();
    } else {
        timer1_->stop();
    }
}

void MultiChannelTemperatureWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void MultiChannelTemperatureWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange) return;
    if (isActiveWindow()) FormActivate();
    else FormDeactivate();
}

void MultiChannelTemperatureWindow::closeEvent(QCloseEvent* event) {
    if (logic_) logic_->FormClose();
    SyncTimer();
    QWidget::closeEvent(event);
}

TfrmKorvo_TC_4::TfrmKorvo_TC_4(StationSource station, QWidget* parent)
    : MultiChannelTemperatureWindow(Korvo_TC_4::Layout(), std::move(station), parent) {
    setObjectName(QStringLiteral("frmKorvo_TC_4"));
}

TfrmKorvo_TC_8::TfrmKorvo_TC_8(StationSource station, QWidget* parent)
    : MultiChannelTemperatureWindow(Korvo_TC_8::Layout(), std::move(station), parent) {
    setObjectName(QStringLiteral("frmKorvo_TC_8"));
}

TfrmKorvo_RT_6::TfrmKorvo_RT_6(StationSource station, QWidget* parent)
    : MultiChannelTemperatureWindow(Korvo_RT_6::Layout(), std::move(station), parent) {
    setObjectName(QStringLiteral("frmKorvo_RT_6"));
}

}  // namespace korvo
