#include "analog_option_groups.h"

#include "ui/cp1252_text.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvo {

AnalogOptionGroups::AnalogOptionGroups(AnalogInputType type, QWidget* parent, const QString& namePrefix,
                                       std::function<void(int tag)> clicked) {
    for (int g = 0; g < kAnalogGroupCount; ++g) {
        const AnalogGroup& group = AnalogInputGroup(type, g);
        auto* box = new QGroupBox(ToQString(group.caption), parent);
        box->setObjectName(QStringLiteral("Group%1%2").arg(namePrefix).arg(g + 1));
        auto* layout = new QVBoxLayout(box);
        layout->setSpacing(0);
        layout->setContentsMargins(6, 2, 6, 2);
        for (std::size_t o = 0; o < group.options.size(); ++o) {
            const AnalogOption& option = group.options[o];
            const int tag = AnalogTagOf(type, g, static_cast<int>(o));
            auto* button = new QRadioButton(ToQString(option.caption), box);
            button->setObjectName(namePrefix + QString::number(tag));
            button->setProperty("tag", tag);
            if (option.hint[0] != '\0') button->setToolTip(ToQString(option.hint));
            QObject::connect(button, &QRadioButton::clicked, button, [clicked, tag] { clicked(tag); });
            layout->addWidget(button);
            buttons_[static_cast<std::size_t>(g)].push_back(button);
        }
        boxes_[static_cast<std::size_t>(g)] = box;
    }
}

void AnalogOptionGroups::Select(int group, int option) {
    const std::vector<QRadioButton*>& buttons = buttons_[static_cast<std::size_t>(group)];
    if (option >= 0 && option < static_cast<int>(buttons.size()))
        buttons[static_cast<std::size_t>(option)]->setChecked(true);
}

void MakeErrorLabel(QWidget* label) {
    QPalette red = label->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(red);
}

}  // namespace korvo
