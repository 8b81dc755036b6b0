#include "online/windows/configuration_table_window.h"

#include "ui/cp1252_text.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvo {

namespace {

QString Hex(std::uint8_t value) {
    return QString::number(value, 16).rightJustified(2, QLatin1Char('0')).toUpper() + QLatin1Char('h');
}

}  // namespace

TfrmConfigurationTable::TfrmConfigurationTable(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmConfigurationTable"));
    setWindowTitle(QStringLiteral("check configuration: expected and found"));
    setModal(false);
    table_ = new QTableWidget(0, 6, this);
    table_->setObjectName(QStringLiteral("ConfigurationTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("slot"), QStringLiteral("expected"), QStringLiteral("found"),
                                       QStringLiteral("ID"), QStringLiteral("length"), QStringLiteral("result")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    resize(720, 360);
}

void TfrmConfigurationTable::ShowRows(const std::vector<ConfigurationRow>& rows) {
    table_->setRowCount(static_cast<int>(rows.size()));
    bool marked = false;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const ConfigurationRow& row = rows[static_cast<std::size_t>(r)];
        const bool first = !row.match && !marked;
        marked = marked || first;
        const QStringList cells{QString::number(row.slot),
                                row.expected.empty() ? QStringLiteral("(none)") : ToQString(row.expected),
                                ToQString(row.found),
                                row.reported ? Hex(row.idCode) : QStringLiteral("-"),
                                row.reported ? Hex(row.lengthCode) : QStringLiteral("-"),
                                row.match ? QStringLiteral("ok")
                                          : first ? QStringLiteral("first difference") : QStringLiteral("differs")};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (!row.match) item->setBackground(first ? QColor(255, 170, 170) : QColor(255, 225, 225));
            table_->setItem(r, c, item);
        }
    }
    table_->resizeColumnsToContents();
    show();
    raise();
}

}  // namespace korvo
