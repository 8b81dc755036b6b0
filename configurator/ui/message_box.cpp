#include "ui/message_box.h"

#include "ui/cp1252_text.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>

namespace korvo {

namespace {

// Room beside the caption for the window icon and the title bar's buttons.
constexpr int kTitleBarExtras = 160;

}  // namespace

MessageBoxFunction& MessageBoxSeam() {
    static MessageBoxFunction box = [](QWidget* parent, const QString& text, const QString& caption) {
        MakeMessageBox(parent, QMessageBox::Information, caption, text, QMessageBox::Ok)->exec();
    };
    return box;
}

void ShowMessageBox(QWidget* parent, const std::string& text, const std::string& caption) {
    MessageBoxSeam()(parent, ToQString(text), ToQString(caption));
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                            const QString& text, QMessageBox::StandardButtons buttons) {
    auto box = std::make_unique<QMessageBox>(icon, caption, text, buttons, parent);
    // Window managers draw captions bold and larger than the dialog's own font.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    if (titleFont.pointSizeF() > 0) titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    else titleFont.setPixelSize(titleFont.pixelSize() * 5 / 4);
    const int width = QFontMetrics(titleFont).horizontalAdvance(caption) + kTitleBarExtras;
    // The box sizes itself from its layout's minimum width, so a spacer sets the floor.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    return box;
}

}  // namespace korvo
