#pragma once
// File > "project properties...": the project's name, description, customer and
// tester, which the documents' title blocks and the I/O test record show.

#include "station/station_model.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace korvo {

class TfrmProjectProperties : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProjectProperties(QWidget* parent);

    // Fills the fields from the properties.
    void Show(const ProjectProperties& properties);
    // What the fields hold now, in Windows-1252.
    ProjectProperties Properties() const;

private:
    QLineEdit* editName_;
    QPlainTextEdit* editDescription_;
    QLineEdit* editCustomer_;
    QLineEdit* editTester_;
};

}  // namespace korvo
