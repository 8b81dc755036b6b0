#pragma once
// The configuration check's differences as a table: per bus position the expected
// type, what the coupler reported, its codes and whether they match, the first
// difference marked.

#include "online/configuration_rows.h"

#include <QDialog>

#include <vector>

class QTableWidget;

namespace korvo {

class TfrmConfigurationTable : public QDialog {
    Q_OBJECT
public:
    explicit TfrmConfigurationTable(QWidget* parent = nullptr);

    void ShowRows(const std::vector<ConfigurationRow>& rows);

private:
    QTableWidget* table_;
};

}  // namespace korvo
