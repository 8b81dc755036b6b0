#include "message_box.h"

#include "cp1252_text.h"

#include <QMessageBox>

namespace korvo {

MessageBoxFunction& MessageBoxSeam() {
    static MessageBoxFunction box = [](QWidget* parent, const QString& text, const QString& caption) {
        QMessageBox::information(parent, caption, text);
    };
    return box;
}

void ShowMessageBox(QWidget* parent, const std::string& text, const std::string& caption) {
    MessageBoxSeam()(parent, ToQString(text), ToQString(caption));
}

}  // namespace korvo
