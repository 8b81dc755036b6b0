#include "coupler_search_window.h"

#include "online/io_test_header.h"
#include "ui/cp1252_text.h"
#include "station/station_model.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvo {

namespace {

constexpr auto kProbeTimeout = std::chrono::milliseconds(500);

}  // namespace

TfrmCouplerSearch::TfrmCouplerSearch(QWidget* parent, std::function<StationModel*()> model,
                                     const CatalogueList& catalogue, CouplerSearchActions actions)
    : QWidget(parent, Qt::Window), model_(std::move(model)), catalogue_(catalogue), actions_(std::move(actions)) {
    setObjectName(QStringLiteral("TfrmCouplerSearch"));
    setWindowTitle(QStringLiteral("find couplers"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("range (A.B.C.D/N or FIRST-LAST):"), this));
    editRange_ = new QLineEdit(this);
    editRange_->setObjectName(QStringLiteral("EditRange"));
    top->addWidget(editRange_, 1);
    buttonFind_ = new QPushButton(QStringLiteral("find"), this);
    buttonFind_->setObjectName(QStringLiteral("ButtonFind"));
    buttonCancel_ = new QPushButton(QStringLiteral("cancel"), this);
    buttonCancel_->setObjectName(QStringLiteral("ButtonCancel"));
    buttonCancel_->setEnabled(false);
    top->addWidget(buttonFind_);
    top->addWidget(buttonCancel_);
    layout->addLayout(top);

    table_ = new QTableWidget(0, 5, this);
    table_->setObjectName(QStringLiteral("TableCouplers"));
    table_->setHorizontalHeaderLabels({QStringLiteral("address"), QStringLiteral("modules"), QStringLiteral("state"),
                                       QStringLiteral("station"), QStringLiteral("types")});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(table_, 1);
    labelStatus_ = new QLabel(this);
    labelStatus_->setObjectName(QStringLiteral("LabelStatus"));
    labelStatus_->setWordWrap(true);
    layout->addWidget(labelStatus_);

    connect(buttonFind_, &QPushButton::clicked, this, &TfrmCouplerSearch::FindClick);
    connect(editRange_, &QLineEdit::returnPressed, this, &TfrmCouplerSearch::FindClick);
    connect(buttonCancel_, &QPushButton::clicked, this, &TfrmCouplerSearch::CancelClick);
    connect(table_, &QWidget::customContextMenuRequested, this, &TfrmCouplerSearch::ShowRowMenu);
    resize(760, 420);
}

TfrmCouplerSearch::~TfrmCouplerSearch() { cancel_ = true; }

void TfrmCouplerSearch::Open() {
    if (editRange_->text().isEmpty() && model_() != nullptr) {
        editRange_->setText(ToQString(SuggestedRange(ProjectStations(*model_()))));
    }
    show();
    raise();
    activateWindow();
}

void TfrmCouplerSearch::SetStatus(const QString& text, bool failure) {
    labelStatus_->setText(text);
    labelStatus_->setStyleSheet(failure ? QStringLiteral("color: red") : QString());
}

void TfrmCouplerSearch::FindClick() {
    if (work_.Running()) return;
    AddressRange range = ParseAddressRange(FromQString(editRange_->text().trimmed()));
    if (!range.error.empty()) {
        SetStatus(ToQString(range.error), true);
        return;
    }
    // The search compares with a copy: the project may change while it runs.
    std::shared_ptr<StationModel> project;
    if (const StationModel* model = model_()) project = CopyStations(*model);
    cancel_ = false;
    buttonFind_->setEnabled(false);
    buttonCancel_->setEnabled(true);
    table_->setRowCount(0);
    SetStatus(QStringLiteral("probing %1 address(es) ...").arg(range.addresses.size()), false);
    work_.Start<Discovery>(
        this,
        [range = std::move(range), project, catalogue = catalogue_, cancel = &cancel_] {
            return DiscoverCouplers(range, catalogue, project.get(), kProbeTimeout, 16, 1962,
                                    [cancel] { return cancel->load(); });
        },
        [this](Discovery& found) {
            found_ = std::move(found);
            buttonFind_->setEnabled(true);
            buttonCancel_->setEnabled(false);
            ShowFound();
        });
}

void TfrmCouplerSearch::CancelClick() { cancel_ = true; }

void TfrmCouplerSearch::ShowFound() {
    table_->setRowCount(static_cast<int>(found_.couplers.size() + found_.missing.size()));
    int row = 0;
    for (const FoundCoupler& c : found_.couplers) {
        const StationScan& s = c.scan;
        QString station = QStringLiteral("-");
        if (c.station > 0) {
            station = QStringLiteral("%1 \"%2\": %3")
                          .arg(c.station)
                          .arg(ToQString(c.stationName))
                          .arg(c.match ? QStringLiteral("match") : ToQString(c.firstDifference));
        }
        const QStringList cells = {ToQString(s.address),
                                   s.listRead ? QString::number(s.modules.size()) : QStringLiteral("-"),
                                   s.stateRead ? ToQString(CouplerStateText(s.state)) : QStringLiteral("not read"),
                                   station, s.listRead ? ToQString(s.TypeSummary()) : ToQString(s.failure)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if ((column == 3 && c.station > 0 && !c.match) || (column == 4 && !s.listRead)) item->setForeground(Qt::red);
            table_->setItem(row, column, item);
        }
        ++row;
    }
    for (const MissingStation& m : found_.missing) {
        const QStringList cells = {ToQString(m.address), QStringLiteral("-"),
                                   m.inRange ? QStringLiteral("not found") : QStringLiteral("outside the range"),
                                   QStringLiteral("%1 \"%2\"").arg(m.station).arg(ToQString(m.name)), QString()};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setForeground(Qt::gray);
            table_->setItem(row, column, item);
        }
        ++row;
    }
    table_->resizeColumnsToContents();
    SetStatus(QStringLiteral("%1 coupler(s) answered; %2 station(s) of the project not found")
                  .arg(found_.couplers.size())
                  .arg(found_.missing.size()),
              !found_.missing.empty());
}

void TfrmCouplerSearch::ShowRowMenu(const QPoint& at) {
    const int row = table_->rowAt(at.y());
    if (row < 0 || row >= static_cast<int>(found_.couplers.size())) return;
    QMenu menu(this);
    connect(menu.addAction(QStringLiteral("read station")), &QAction::triggered, this, [this, row] { ReadStationOf(row); });
    connect(menu.addAction(QStringLiteral("ping")), &QAction::triggered, this, [this, row] { PingOf(row); });
    connect(menu.addAction(QStringLiteral("open in BOOTP window")), &QAction::triggered, this,
            [this, row] { BootpOf(row); });
    menu.exec(table_->viewport()->mapToGlobal(at));
}

void TfrmCouplerSearch::ReadStationOf(int row) { actions_.readStation(found_.couplers.at(static_cast<std::size_t>(row)).scan.address); }
void TfrmCouplerSearch::PingOf(int row) { actions_.ping(found_.couplers.at(static_cast<std::size_t>(row)).scan.address); }
void TfrmCouplerSearch::BootpOf(int row) { actions_.bootp(found_.couplers.at(static_cast<std::size_t>(row)).scan.address); }

}  // namespace korvo
