#include "project_properties_window.h"

#include "ui/cp1252_text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace korvo {

TfrmProjectProperties::TfrmProjectProperties(QWidget* parent)
    : QDialog(parent),
      editName_(new QLineEdit(this)),
      editDescription_(new QPlainTextEdit(this)),
      editCustomer_(new QLineEdit(this)),
      editTester_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("frmProjectProperties"));
    setWindowTitle(QStringLiteral("project properties"));
    editName_->setObjectName(QStringLiteral("EditProjectName"));
    editDescription_->setObjectName(QStringLiteral("EditDescription"));
    editDescription_->setTabChangesFocus(true);
    editDescription_->setFixedHeight(80);
    editCustomer_->setObjectName(QStringLiteral("EditCustomer"));
    editTester_->setObjectName(QStringLiteral("EditTester"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("project name"), editName_);
    form->addRow(QStringLiteral("description"), editDescription_);
    form->addRow(QStringLiteral("customer"), editCustomer_);
    form->addRow(QStringLiteral("tester"), editTester_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("Buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(420, sizeHint().height());
}

void TfrmProjectProperties::Show(const ProjectProperties& properties) {
    editName_->setText(ToQString(properties.Name));
    editDescription_->setPlainText(ToQString(properties.Description));
    editCustomer_->setText(ToQString(properties.Customer));
    editTester_->setText(ToQString(properties.Tester));
    editName_->setFocus();
}

ProjectProperties TfrmProjectProperties::Properties() const {
    // The project file keeps one line per key; the description's lines join with blanks.
    QString description = editDescription_->toPlainText();
    description.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return ProjectProperties{FromQString(editName_->text().simplified()), FromQString(description.simplified()),
                             FromQString(editCustomer_->text().simplified()),
                             FromQString(editTester_->text().simplified())};
}

}  // namespace korvo
