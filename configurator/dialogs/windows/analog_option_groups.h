#pragma once
// The option groups of the analog input windows: one group box per field of the
// parameter word, one option button per code, each carrying its tag and hint.

#include "dialogs/analog_input_options.h"

#include <QString>

#include <array>
#include <functional>
#include <vector>

class QGroupBox;
class QRadioButton;
class QWidget;

namespace korvo {

class AnalogOptionGroups {
public:
    // Builds the three group boxes in `parent`; the option buttons are named
    // namePrefix + tag (e.g. "Radio1_5"). `clicked` receives the tag of a user click.
    AnalogOptionGroups(AnalogInputType type, QWidget* parent, const QString& namePrefix,
                       std::function<void(int tag)> clicked);

    QGroupBox* Box(int group) const { return boxes_[static_cast<std::size_t>(group)]; }
    void Select(int group, int option);

private:
    std::array<QGroupBox*, kAnalogGroupCount> boxes_{};
    std::array<std::vector<QRadioButton*>, kAnalogGroupCount> buttons_{};
};

// A label that shows error texts in red.
void MakeErrorLabel(QWidget* label);

}  // namespace korvo
