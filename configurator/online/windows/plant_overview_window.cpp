#include "plant_overview_window.h"

#include "online/io_test_header.h"
#include "ui/cp1252_text.h"
#include "station/station_model.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvo {

namespace {

std::string Key(const std::string& name, const std::string& address) { return name + "\n" + address; }

}  // namespace

TfrmPlantOverview::TfrmPlantOverview(QWidget* parent, std::function<StationModel*()> model,
                                     const CatalogueList& catalogue, Pinger& pinger,
                                     std::function<void(int)> makeCurrent)
    : QWidget(parent, Qt::Window),
      model_(std::move(model)),
      catalogue_(catalogue),
      pinger_(pinger),
      makeCurrent_(std::move(makeCurrent)) {
    setObjectName(QStringLiteral("TfrmPlantOverview"));
    setWindowTitle(QStringLiteral("plant overview"));
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 6, this);
    table_->setObjectName(QStringLiteral("TableStations"));
    table_->setHorizontalHeaderLabels({QStringLiteral("station"), QStringLiteral("name"), QStringLiteral("address"),
                                       QStringLiteral("state"), QStringLiteral("last check"),
                                       QStringLiteral("result")});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(table_, 1);
    auto* buttons = new QHBoxLayout;
    buttonCheckAll_ = new QPushButton(QStringLiteral("check all"), this);
    buttonCheckAll_->setObjectName(QStringLiteral("ButtonCheckAll"));
    buttonCancel_ = new QPushButton(QStringLiteral("cancel"), this);
    buttonCancel_->setObjectName(QStringLiteral("ButtonCancel"));
    buttonCancel_->setEnabled(false);
    buttons->addWidget(buttonCheckAll_);
    buttons->addWidget(buttonCancel_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    labelStatus_ = new QLabel(this);
    labelStatus_->setObjectName(QStringLiteral("LabelStatus"));
    layout->addWidget(labelStatus_);

    connect(buttonCheckAll_, &QPushButton::clicked, this, &TfrmPlantOverview::CheckAllClick);
    connect(buttonCancel_, &QPushButton::clicked, this, &TfrmPlantOverview::CancelClick);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { StationDoubleClicked(row); });
    resize(780, 420);
}

TfrmPlantOverview::~TfrmPlantOverview() { cancel_ = true; }

void TfrmPlantOverview::Open() {
    ShowStations();
    show();
    raise();
    activateWindow();
}

void TfrmPlantOverview::ShowStations() {
    const StationModel* model = model_();
    shown_ = model != nullptr ? ProjectStations(*model) : std::vector<ProjectStation>{};
    table_->setRowCount(static_cast<int>(shown_.size()));
    int matching = 0;
    int checked = 0;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const ProjectStation& s = shown_[static_cast<std::size_t>(row)];
        const auto result = results_.find(Key(s.name, s.address));
        QString state;
        QString when;
        QString verdict = QStringLiteral("not checked");
        bool failed = false;
        if (result != results_.end()) {
            const StationCheck& c = result->second;
            state = c.stateRead ? ToQString(CouplerStateText(c.state)) : QStringLiteral("not read");
            when = QDateTime::fromSecsSinceEpoch(std::chrono::system_clock::to_time_t(c.finished))
                       .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            verdict = ToQString(CheckVerdict(c));
            failed = !c.match;
            ++checked;
            matching += c.match;
        }
        const QStringList cells = {QString::number(s.station), ToQString(s.name), ToQString(s.address), state, when,
                                   verdict};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == 5 && failed) item->setForeground(Qt::red);
            table_->setItem(row, column, item);
        }
    }
    table_->resizeColumnsToContents();
    if (!work_.Running()) {
        labelStatus_->setText(QStringLiteral("%1 station(s), %2 checked, %3 match")
                                  .arg(shown_.size())
                                  .arg(checked)
                                  .arg(matching));
    }
}

void TfrmPlantOverview::CheckAllClick() {
    const StationModel* model = model_();
    if (work_.Running() || model == nullptr) return;
    // The check compares with a copy: the project may change while it runs.
    std::shared_ptr<StationModel> project = CopyStations(*model);
    const int total = static_cast<int>(ProjectStations(*project).size());
    cancel_ = false;
    buttonCheckAll_->setEnabled(false);
    buttonCancel_->setEnabled(true);
    labelStatus_->setText(QStringLiteral("checking %1 station(s) ...").arg(total));
    work_.Start<std::vector<StationCheck>>(
        this,
        [this, project, catalogue = catalogue_, pinger = &pinger_, cancel = &cancel_] {
            PlantCheckOptions options;
            options.pinger = pinger;
            options.cancelled = [cancel] { return cancel->load(); };
            // Each result shows as soon as it is there.
            options.done = [this](const StationCheck& check) {
                QMetaObject::invokeMethod(this, [this, check] { StationChecked(check); }, Qt::QueuedConnection);
            };
            return CheckPlant(*project, catalogue, options);
        },
        [this](std::vector<StationCheck>&) {
            buttonCheckAll_->setEnabled(true);
            buttonCancel_->setEnabled(false);
            ShowStations();
        });
}

void TfrmPlantOverview::StationChecked(const StationCheck& check) {
    if (check.firstDifference == "cancelled") return;
    results_[Key(check.name, check.address)] = check;
    ShowStations();
}

void TfrmPlantOverview::CancelClick() { cancel_ = true; }

void TfrmPlantOverview::StationDoubleClicked(int row) {
    if (row < 0 || row >= static_cast<int>(shown_.size())) return;
    makeCurrent_(shown_[static_cast<std::size_t>(row)].couplerSlot);
}

}  // namespace korvo
