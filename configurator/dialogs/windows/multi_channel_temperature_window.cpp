#include "multi_channel_temperature_window.h"

#include "dialogs/korvo_rt_6.h"
#include "dialogs/korvo_tc_4.h"
#include "dialogs/korvo_tc_8.h"
#include "ui/cp1252_text.h"
#include "station/versch.h"

#include <QCheckBox>
#include <QFontMetrics>
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

MultiChannelTemperatureWindow::MultiChannelTemperatureWindow(const MultiChannelLayout& layout, ModelSource model,
                                                             QWidget* owner)
    : ModuleWindow(std::move(model), owner), layout_(layout), logic_(layout) {
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
    outer->addWidget(CreateTrendPane(), 1);

    outer->addLayout(SaveExitButtons([this] { Button1Click(); }, [this] { close(); }, true));
    timer1_ = CreateTimer1(MultiChannelTemperatureDialog::kTimerMs, [this] { Timer1Timer(); });
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
            if (Model() != nullptr) logic_.OutputClick(*Model(), output, ticked);
        });
        column->addWidget(box);
        outputs_.push_back(box);
    }
    return group;
}

QWidget* MultiChannelTemperatureWindow::CreateValues() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    const char* headings[] = {"actual value", "word", "current", "error"};
    for (int column = 0; column < 4; ++column)
        grid->addWidget(new QLabel(QString::fromLatin1(headings[column]), panel), 0, column);
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
        field("EditWord", 1, word_);
        field("EditCurrent", 2, current_);
        field("EditError", 3, error_);
        // Room for the longest text of each column.
        const QFontMetrics metrics = word_.back()->fontMetrics();
        const auto room = [&](QLineEdit* edit, const QString& longest) {
            edit->setMinimumWidth(metrics.horizontalAdvance(longest) + 16);
        };
        room(actual_.back(), QStringLiteral("-3276.8 Ohm"));
        room(word_.back(), QStringLiteral("-32768"));
        room(current_.back(), QStringLiteral("6553.5 mA"));
        room(error_.back(), QStringLiteral("255 Error measuring range"));
        error_.back()->setAlignment(Qt::AlignLeft);
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
            if (Model() != nullptr) logic_.SensorClick(*Model(), option);
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
    celsius_ = new QRadioButton(QStringLiteral("Celsius"), group);
    celsius_->setObjectName(QStringLiteral("RadioCelsius"));
    celsius_->setChecked(true);
    fahrenheit_ = new QRadioButton(QStringLiteral("Fahrenheit"), group);
    fahrenheit_->setObjectName(QStringLiteral("RadioFahrenheit"));
    for (QRadioButton* option : {celsius_, fahrenheit_}) {
        connect(option, &QRadioButton::clicked, this, [this] {
            if (Model() != nullptr) logic_.UnitClick(*Model(), fahrenheit_->isChecked());
        });
        row->addWidget(option);
    }
    return group;
}

void MultiChannelTemperatureWindow::FormShow() {
    loadFailure_.Reset();
    logic_.FormShow(*Model());
    ShowRows();
}

void MultiChannelTemperatureWindow::FormActivate() {
    try {
        logic_.FormActivate(*Model());
    } catch (const ConversionError& e) {
        button3_->setText(ToQString(logic_.NextChannelCaption()));
        ShowModuleState();
        if (loadFailure_.ShouldReport(e.what())) ReportError(e);
        return;
    }
    loadFailure_.Reset();
    ShowChannel();
    ShowModuleState();
    timer1_->start();
}

// The check boxes and the unit are the edited module's.
void MultiChannelTemperatureWindow::ShowModuleState() {
    const ModuleDialogState& state = logic_.State(*Model());
    for (std::size_t i = 0; i < outputs_.size(); ++i)
        outputs_[i]->setChecked((state.outputBits >> i & 1u) != 0);
    if (fahrenheit_ != nullptr) (state.fahrenheit ? fahrenheit_ : celsius_)->setChecked(true);
}

// The command sequence runs only while the window is active; the I/O cycle goes on
// sending the last command written.
void MultiChannelTemperatureWindow::FormDeactivate() {
    logic_.FormDeactivate();
    timer1_->stop();
}

void MultiChannelTemperatureWindow::FormClose() {
    logic_.FormClose();
    timer1_->stop();
}

void MultiChannelTemperatureWindow::Button3Click() {
    if (Model() == nullptr) return;
    try {
        logic_.NextChannel(*Model());
    } catch (const ConversionError& e) {
        button3_->setText(ToQString(logic_.NextChannelCaption()));
        ReportError(e);
        return;
    }
    ShowChannel();
    if (!timer1_->isActive()) timer1_->start();
}

void MultiChannelTemperatureWindow::ShowChannel() {
    button3_->setText(ToQString(logic_.NextChannelCaption()));
    sensors_[static_cast<std::size_t>(logic_.SelectedSensor())]->setChecked(true);
}

void MultiChannelTemperatureWindow::Button1Click() {
    if (Model() == nullptr) return;
    logic_.SaveConfiguration(*Model());
    SaveAutomatically();
}

void MultiChannelTemperatureWindow::Timer1Timer() {
    if (Model() == nullptr) return;
    logic_.TimerTick(*Model());
    ShowRows();
}

void MultiChannelTemperatureWindow::ShowRows() {
    const auto& rows = logic_.Rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        actual_[i]->setText(ToQString(rows[i].actual));
        word_[i]->setText(ToQString(rows[i].word));
        current_[i]->setText(ToQString(rows[i].current));
        error_[i]->setText(ToQString(rows[i].error));
    }
}

TfrmKorvo_TC_4::TfrmKorvo_TC_4(ModelSource model, QWidget* owner)
    : MultiChannelTemperatureWindow(Korvo_TC_4::Layout(), std::move(model), owner) {
    setObjectName(QStringLiteral("frmKorvo_TC_4"));
}

TfrmKorvo_TC_8::TfrmKorvo_TC_8(ModelSource model, QWidget* owner)
    : MultiChannelTemperatureWindow(Korvo_TC_8::Layout(), std::move(model), owner) {
    setObjectName(QStringLiteral("frmKorvo_TC_8"));
}

TfrmKorvo_RT_6::TfrmKorvo_RT_6(ModelSource model, QWidget* owner)
    : MultiChannelTemperatureWindow(Korvo_RT_6::Layout(), std::move(model), owner) {
    setObjectName(QStringLiteral("frmKorvo_RT_6"));
}

}  // namespace korvo
