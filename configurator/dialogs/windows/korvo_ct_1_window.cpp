#include "korvo_ct_1_window.h"

#include "ui/cp1252_text.h"
#include "station/versch.h"

#include <QButtonGroup>
#include <QEvent>
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

namespace {

QLineEdit* Field(const char* name, const QString& text, QWidget* parent) {
    auto* field = new QLineEdit(text, parent);
    field->setObjectName(QString::fromLatin1(name));
    return field;
}

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

}  // namespace

TfrmKorvo_CT_1::TfrmKorvo_CT_1(ModelSource model, QWidget* owner) : ModuleWindow(std::move(model), owner) {
    setObjectName(QStringLiteral("frmKorvo_CT_1"));
    setWindowTitle(QStringLiteral("frmKorvo_CT_1"));
    auto* layout = new QVBoxLayout(this);

    auto* values = new QGridLayout;
    edValue2_ = Field("EdValue2", QStringLiteral("0"), this);
    edValue1_ = Field("EdValue1", QStringLiteral("0"), this);
    for (QLineEdit* field : {edValue1_, edValue2_}) field->setReadOnly(true);
    laValue2_ = new QLabel(this);
    laValue2_->setObjectName(QStringLiteral("LaValue2"));
    laValue2_->setMinimumWidth(laValue2_->fontMetrics().horizontalAdvance(QStringLiteral("65535 counts")));
    values->addWidget(new QLabel(QStringLiteral("counter value"), this), 0, 0);
    values->addWidget(edValue2_, 0, 1);
    values->addWidget(laValue2_, 0, 2);
    values->addWidget(new QLabel(QStringLiteral("Config value"), this), 0, 3);
    values->addWidget(edValue1_, 0, 4);
    layout->addLayout(values);

    auto* modes = new QHBoxLayout;
    const std::pair<CounterMode, QPushButton*> modeButtons[] = {
        {CounterMode::EventCounter, Button("Speedcounter", "event counter", this)},
        {CounterMode::TimeFrequency, Button("Speedtimefreq", "time controlled frequenz", this)},
        {CounterMode::StateFrequency, Button("Speedstatefreq", "state controlled frequenz", this)},
    };
    for (const auto& [mode, button] : modeButtons) {
        button->setCheckable(true);
        modes->addWidget(button);
        modeButtons_[mode] = button;
        connect(button, &QPushButton::clicked, this,
                [this, m = mode] { Run([&] { logic_.ModeButtonClick(m); }); });
    }
    layout->addLayout(modes);

    auto* columns = new QHBoxLayout;
    auto* eventColumn = new QVBoxLayout;
    eventColumn->addWidget(AddGroup(CounterGroup::Continuation, "GroupContinuation"));
    eventColumn->addWidget(AddGroup(CounterGroup::Gate, "GroupGate"));
    eventColumn->addWidget(AddGroup(CounterGroup::Direction, "GroupDirection"));
    auto* outputColumn = new QVBoxLayout;
    outputColumn->addWidget(AddGroup(CounterGroup::Output, "GroupOutput"));
    outputColumn->addStretch();
    auto* frequencyColumn = new QVBoxLayout;
    QGroupBox* time = AddGroup(CounterGroup::TimeFrequency, "GroupTimeFrequency");
    auto* timeLayout = new QVBoxLayout(time);
    timeLayout->addWidget(new QLabel(QStringLiteral("1..1000 = 0.01..10 [sec]"), time));
    edit1_ = Field("Edit1", QStringLiteral("100"), time);
    timeLayout->addWidget(edit1_);
    connect(edit1_, &QLineEdit::textEdited, this,
            [this](const QString& text) { Run([&] { logic_.Edit1Change(FromQString(text)); }); });
    frequencyColumn->addWidget(time);
    frequencyColumn->addWidget(AddGroup(CounterGroup::StateGate, "GroupStateGate"));
    frequencyColumn->addStretch();
    columns->addLayout(eventColumn);
    columns->addLayout(outputColumn);
    columns->addLayout(frequencyColumn);
    layout->addLayout(columns);

    auto* commands = new QGridLayout;
    QPushButton* save = Button("Button1", "Save Configuration", this);
    connect(save, &QPushButton::clicked, this, &TfrmKorvo_CT_1::Button1Click);
    commands->addWidget(save, 0, 0, 1, 2);
    edit2_ = Field("Edit2", QStringLiteral("0"), this);
    edit3_ = Field("Edit3", QStringLiteral("0"), this);
    QPushButton* startValue = Button("Button5", "startvalue             ", this);
    connect(startValue, &QPushButton::clicked, this,
            [this] { Run([&] { logic_.SendStartValue(*Model(), FromQString(edit2_->text())); }); });
    QPushButton* endValue = Button("Button6", "endvalue              ", this);
    connect(endValue, &QPushButton::clicked, this,
            [this] { Run([&] { logic_.SendEndValue(*Model(), FromQString(edit3_->text())); }); });
    commands->addWidget(startValue, 1, 0);
    commands->addWidget(edit2_, 1, 1);
    commands->addWidget(endValue, 2, 0);
    commands->addWidget(edit3_, 2, 1);
    const struct {
        const char* name;
        const char* caption;
        CounterCommand command;
        int row, column;
    } commandButtons[] = {
        {"Button3", "Start CT", CounterCommand::Start, 0, 2},
        {"Button8", "Read CT", CounterCommand::Read, 0, 3},
        {"Button7", "Stop CT", CounterCommand::Stop, 1, 2},
        {"Button4", "Reset CT", CounterCommand::Reset, 1, 3},
    };
    for (const auto& entry : commandButtons) {
        QPushButton* button = Button(entry.name, entry.caption, this);
        connect(button, &QPushButton::clicked, this,
                [this, c = entry.command] { Run([&] { logic_.SendCommand(*Model(), c); }); });
        commands->addWidget(button, entry.row, entry.column);
    }
    layout->addLayout(commands);
    layout->addWidget(CreateTrendPane(), 1);

    QPushButton* exit = Button("Button2", "Exit", this);
    connect(exit, &QPushButton::clicked, this, [this] {
        Button1Click();
        close();
    });
    layout->addWidget(exit);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(Korvo_CT_1::Dialog::kTimerMs);
    connect(timer1_, &QTimer::timeout, this, &TfrmKorvo_CT_1::Timer1Timer);
    ShowState();
}

QGroupBox* TfrmKorvo_CT_1::AddGroup(CounterGroup group, const char* name) {
    auto* box = new QGroupBox(QString::fromLatin1(CounterGroupCaption(group)), this);
    box->setObjectName(QString::fromLatin1(name));
    groups_[group] = box;
    if (group == CounterGroup::TimeFrequency) return box;
    auto* layout = new QVBoxLayout(box);
    auto* buttons = new QButtonGroup(box);
    for (const CounterOption& option : CounterOptions()) {
        if (option.group != group) continue;
        auto* radio = new QRadioButton(ToQString(option.caption), box);
        radio->setObjectName(QStringLiteral("RadioButton%1").arg(option.tag));
        buttons->addButton(radio, option.tag);
        layout->addWidget(radio);
        // Only the user's clicks reach the logic; setting the options does not.
        connect(radio, &QRadioButton::clicked, this,
                [this, tag = option.tag] { Run([&] { logic_.OptionClick(tag); }); });
    }
    options_[group] = buttons;
    return box;
}

template <typename Handler>
bool TfrmKorvo_CT_1::Run(Handler handler) {
    bool done = false;
    if (Model() != nullptr) {
        try {
            handler();
            done = true;
        } catch (const ConversionError& e) {
            Report(e);
        }
    }
    ShowState();
    return done;
}

void TfrmKorvo_CT_1::Report(const std::exception& error) {
    boxOpen_ = true;
    ReportError(error);
    boxOpen_ = false;
}

void TfrmKorvo_CT_1::Button1Click() {
    if (Run([&] { logic_.SaveConfiguration(*Model()); })) SaveAutomatically();
}

void TfrmKorvo_CT_1::ShowState() {
    for (const auto& [mode, button] : modeButtons_) button->setChecked(logic_.Mode() == mode);
    for (const auto& [group, box] : groups_) box->setEnabled(logic_.GroupEnabled(group));
    for (const auto& [group, buttons] : options_) {
        const int tag = logic_.SelectedTag(group);
        if (tag != 0) {
            buttons->button(tag)->setChecked(true);
        } else if (QAbstractButton* checked = buttons->checkedButton()) {
            // An exclusive group never lets its last option go by itself.
            buttons->setExclusive(false);
            checked->setChecked(false);
            buttons->setExclusive(true);
        }
    }
    const QString gateTime = ToQString(logic_.GateTimeText());
    if (edit1_->text() != gateTime) edit1_->setText(gateTime);
}

void TfrmKorvo_CT_1::FormShow() {
    logic_.FormShow(*Model());
    ShowInputWords();
}

void TfrmKorvo_CT_1::FormActivate() {
    if (Run([&] { logic_.FormActivate(*Model()); })) timer1_->start();
}

void TfrmKorvo_CT_1::FormClose() {
    timer1_->stop();
}

void TfrmKorvo_CT_1::Timer1Timer() {
    if (Model() == nullptr || !logic_.ShowInputWords(*Model())) return;
    ShowInputWords();
}

void TfrmKorvo_CT_1::ShowInputWords() {
    edValue1_->setText(ToQString(logic_.ConfigValueText()));
    edValue2_->setText(ToQString(logic_.CounterValueText()));
    laValue2_->setText(ToQString(logic_.CounterUnitText()));
}

void TfrmKorvo_CT_1::changeEvent(QEvent* event) {
    // Getting the focus back from this window's own message box is no activation:
    // reloading would throw away what the user has just typed.
    if (event->type() == QEvent::ActivationChange) {
        if (!isActiveWindow() && boxOpen_) {
            skipNextActivation_ = true;
        } else if (isActiveWindow() && skipNextActivation_) {
            skipNextActivation_ = false;
            QWidget::changeEvent(event);
            return;
        }
    }
    ModuleWindow::changeEvent(event);
}

}  // namespace korvo
