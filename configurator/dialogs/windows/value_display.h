#pragma once
// A measured channel as the properties windows show it: the word as the module sent
// it in a read-only field, its engineering value with the unit beside it, and the
// red error label for the diagnostic it reports.

#include "dialogs/engineering_value.h"

#include <QString>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace korvo {

class ValueDisplay {
public:
    // The controls are named wordName, valueName and errorName; the field starts at
    // "0", as the windows always did.
    ValueDisplay(QWidget* parent, const QString& wordName, const QString& valueName,
                 const QString& errorName);

    // The field and the value side by side, for the window's layout.
    QHBoxLayout* Row() const { return row_; }
    QLabel* ErrorLabel() const { return error_; }

    void Show(const EngineeringValue& shown);
    // Nothing of an earlier module.
    void Clear();

private:
    QLineEdit* word_;
    QLabel* value_;
    QLabel* error_;
    QHBoxLayout* row_;
};

}  // namespace korvo
