#include "station_scan_window.h"

#include "online/io_test_header.h"
#include "ui/cp1252_text.h"
#include "station/station_model.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace korvo {

namespace {

QString Hex2(std::uint8_t value) {
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper() + QLatin1Char('h');
}

int SelectedStation(const StationModel& model) {
    const TModul* coupler = model.Module(model.SelectedCoupler);
    if (coupler != nullptr && coupler->IsCoupler()) return coupler->StationsNummmer;
    return model.CurrentStation;
}

}  // namespace

TfrmStationScan::TfrmStationScan(QWidget* parent, std::function<StationModel*()> model,
                                 const CatalogueList& catalogue, Pinger& pinger, std::function<void()> changed)
    : QWidget(parent, Qt::Window),
      model_(std::move(model)),
      catalogue_(catalogue),
      pinger_(pinger),
      changed_(std::move(changed)) {
    setObjectName(QStringLiteral("TfrmStationScan"));
    setWindowTitle(QStringLiteral("read station from coupler"));
    confirm = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("IP address:"), this));
    editAddress_ = new QLineEdit(this);
    editAddress_->setObjectName(QStringLiteral("EditAddress"));
    top->addWidget(editAddress_, 1);
    buttonRead_ = new QPushButton(QStringLiteral("read"), this);
    buttonRead_->setObjectName(QStringLiteral("ButtonRead"));
    top->addWidget(buttonRead_);
    layout->addLayout(top);

    table_ = new QTableWidget(0, 4, this);
    table_->setObjectName(QStringLiteral("TableModules"));
    table_->setHorizontalHeaderLabels({QStringLiteral("slot"), QStringLiteral("ID"), QStringLiteral("length"),
                                       QStringLiteral("type")});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(table_, 1);

    auto* name = new QHBoxLayout;
    name->addWidget(new QLabel(QStringLiteral("station name:"), this));
    editStationName_ = new QLineEdit(this);
    editStationName_->setObjectName(QStringLiteral("EditStationName"));
    editStationName_->setPlaceholderText(QStringLiteral("Station and its number"));
    name->addWidget(editStationName_, 1);
    layout->addLayout(name);

    auto* buttons = new QHBoxLayout;
    buttonAdd_ = new QPushButton(QStringLiteral("add as new station"), this);
    buttonAdd_->setObjectName(QStringLiteral("ButtonAdd"));
    buttonReplace_ = new QPushButton(QStringLiteral("replace the modules of the selected station"), this);
    buttonReplace_->setObjectName(QStringLiteral("ButtonReplace"));
    buttons->addWidget(buttonAdd_);
    buttons->addWidget(buttonReplace_);
    layout->addLayout(buttons);
    labelStatus_ = new QLabel(this);
    labelStatus_->setObjectName(QStringLiteral("LabelStatus"));
    labelStatus_->setWordWrap(true);
    layout->addWidget(labelStatus_);

    connect(buttonRead_, &QPushButton::clicked, this, &TfrmStationScan::ReadClick);
    connect(editAddress_, &QLineEdit::returnPressed, this, &TfrmStationScan::ReadClick);
    connect(buttonAdd_, &QPushButton::clicked, this, &TfrmStationScan::AddClick);
    connect(buttonReplace_, &QPushButton::clicked, this, &TfrmStationScan::ReplaceClick);
    buttonAdd_->setEnabled(false);
    buttonReplace_->setEnabled(false);
    resize(560, 420);
}

void TfrmStationScan::Open(const std::string& address) {
    if (!address.empty() && !work_.Running()) editAddress_->setText(ToQString(address));
    show();
    raise();
    activateWindow();
}

void TfrmStationScan::SetStatus(const QString& text, bool failure) {
    labelStatus_->setText(text);
    labelStatus_->setStyleSheet(failure ? QStringLiteral("color: red") : QString());
}

void TfrmStationScan::SetBusy(bool busy) {
    buttonRead_->setEnabled(!busy);
    editAddress_->setEnabled(!busy);
    const bool usable = !busy && scan_.listRead;
    buttonAdd_->setEnabled(usable);
    buttonReplace_->setEnabled(usable);
}

void TfrmStationScan::ReadClick() {
    if (work_.Running()) return;
    const std::string address = FromQString(editAddress_->text().trimmed());
    scan_ = StationScan{};
    table_->setRowCount(0);
    SetBusy(true);
    SetStatus(QStringLiteral("reading the modules of %1 ...").arg(ToQString(address)), false);
    work_.Start<StationScan>(
        this, [address, catalogue = catalogue_, pinger = &pinger_] { return ScanStation(address, catalogue, pinger); },
        [this](StationScan& scan) {
            scan_ = std::move(scan);
            ShowScan();
            SetBusy(false);
        });
}

void TfrmStationScan::ShowScan() {
    table_->setRowCount(static_cast<int>(scan_.modules.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const ScannedModule& m = scan_.modules[static_cast<std::size_t>(row)];
        table_->setItem(row, 0, new QTableWidgetItem(QString::number(m.slot)));
        table_->setItem(row, 1, new QTableWidgetItem(Hex2(m.idCode)));
        table_->setItem(row, 2, new QTableWidgetItem(Hex2(m.lengthCode)));
        if (m.Ambiguous()) {
            auto* choice = new QComboBox(table_);
            choice->setObjectName(QStringLiteral("ChoiceSlot%1").arg(m.slot));
            choice->addItem(QStringLiteral("(choose the type)"));
            for (const std::string& type : m.types) choice->addItem(ToQString(type));
            table_->setCellWidget(row, 3, choice);
        } else {
            auto* item = new QTableWidgetItem(ToQString(m.Text()));
            if (m.types.empty()) item->setForeground(Qt::red);
            table_->setItem(row, 3, item);
        }
    }
    table_->resizeColumnsToContents();
    if (!scan_.listRead) {
        SetStatus(ToQString(scan_.address + ": " + scan_.failure), true);
        return;
    }
    const QString state = scan_.stateRead ? ToQString(CouplerStateText(scan_.state)) : QStringLiteral("not read");
    SetStatus(QStringLiteral("%1: %2 module(s), state: %3").arg(ToQString(scan_.address)).arg(scan_.modules.size()).arg(state),
              !scan_.failure.empty());
}

std::optional<std::vector<std::string>> TfrmStationScan::ChosenTypes() {
    SlotChoices choices;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const auto* choice = qobject_cast<QComboBox*>(table_->cellWidget(row, 3));
        if (choice != nullptr && choice->currentIndex() > 0) {
            choices[scan_.modules[static_cast<std::size_t>(row)].slot] = FromQString(choice->currentText());
        }
    }
    ScannedTypes types = TypesOfScan(scan_, choices);
    if (!types.problems.empty()) {
        std::string text;
        for (const std::string& problem : types.problems) text += (text.empty() ? "" : "\n") + problem;
        SetStatus(ToQString(text), true);
        return std::nullopt;
    }
    return types.types;
}

bool TfrmStationScan::RefuseWhileOnline() {
    const StationModel* model = model_();
    if (model == nullptr) return true;
    if (!model->Online) return false;
    SetStatus(QStringLiteral("the I/O test is running: stop it before the stations change"), true);
    return true;
}

void TfrmStationScan::AddClick() {
    if (RefuseWhileOnline()) return;
    const auto types = ChosenTypes();
    if (!types) return;
    StationModel& model = *model_();
    const auto station = AppendScannedStation(model, scan_.address, FromQString(editStationName_->text().trimmed()),
                                              *types);
    if (!station) {
        SetStatus(QStringLiteral("the project has no room for %1 more modules").arg(types->size() + 1), true);
        return;
    }
    model.Ui().ArrangeModules(model.ModuleCount);
    changed_();
    SetStatus(QStringLiteral("station %1 with %2 module(s) added").arg(*station).arg(types->size()), false);
}

void TfrmStationScan::ReplaceClick() {
    if (RefuseWhileOnline()) return;
    const auto types = ChosenTypes();
    if (!types) return;
    StationModel& model = *model_();
    const int station = SelectedStation(model);
    if (station < 1) {
        SetStatus(QStringLiteral("no station is selected"), true);
        return;
    }
    if (!confirm(QStringLiteral("replace the modules of station %1 by the %2 module(s) of %3 ?")
                     .arg(station)
                     .arg(types->size())
                     .arg(ToQString(scan_.address)))) {
        return;
    }
    if (!ReplaceStationModules(model, station, *types)) {
        SetStatus(QStringLiteral("the project has no room for the modules of station %1").arg(station), true);
        return;
    }
    model.Ui().ArrangeModules(model.ModuleCount);
    changed_();
    SetStatus(QStringLiteral("the modules of station %1 replaced").arg(station), false);
}

}  // namespace korvo
