#include "value_display.h"

#include "analog_option_groups.h"
#include "ui/cp1252_text.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace korvo {

ValueDisplay::ValueDisplay(QWidget* parent, const QString& wordName, const QString& valueName,
                           const QString& errorName)
    : word_(new QLineEdit(QStringLiteral("0"), parent)),
      value_(new QLabel(parent)),
      error_(new QLabel(parent)),
      row_(new QHBoxLayout) {
    word_->setObjectName(wordName);
    word_->setReadOnly(true);
    word_->setAlignment(Qt::AlignRight);
    // Room for "-32768" and "8002h", the rest for the value.
    word_->setFixedWidth(word_->fontMetrics().horizontalAdvance(QStringLiteral("-32768")) + 16);
    value_->setObjectName(valueName);
    value_->setMinimumWidth(value_->fontMetrics().horizontalAdvance(QStringLiteral("-10.000 mA")));
    error_->setObjectName(errorName);
    MakeErrorLabel(error_);
    row_->addWidget(word_);
    row_->addWidget(value_, 1);
}

void ValueDisplay::Show(const EngineeringValue& shown) {
    word_->setText(ToQString(shown.WordText()));
    value_->setText(ToQString(shown.ValueText()));
    error_->setText(ToQString(shown.diagnostic));
}

void ValueDisplay::Clear() {
    word_->setText(QStringLiteral("0"));
    value_->clear();
    error_->clear();
}

}  // namespace korvo
