#include "window_keeper.h"

#include "docs/help_pages.h"

#include <QDialog>
#include <QKeyEvent>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace korvo {

namespace {

QString Key(const QWidget* window) { return QStringLiteral("windows/") + window->objectName(); }

// The rectangle moved (and if need be shrunk) into the area.
QRect Inside(QRect rect, const QRect& area) {
    rect.setWidth(std::min(rect.width(), area.width()));
    rect.setHeight(std::min(rect.height(), area.height()));
    rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() - rect.width() + 1));
    rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() - rect.height() + 1));
    return rect;
}

}  // namespace

WindowKeeper::WindowKeeper(QWidget* mainWindow, QSettings& settings, std::function<void(int)> openHelp,
                           QObject* parent)
    : QObject(parent), main_(mainWindow), settings_(settings), openHelp_(std::move(openHelp)) {}

int WindowKeeper::HelpPageOf(const QString& name) {
    // The pages of help/ by their subjects.
    static const std::map<QString, int> pages = {
        {QStringLiteral("frmKorvo_AI_2"), 5},  {QStringLiteral("frmKorvo_AI_8"), 5},
        {QStringLiteral("frmKorvo_AO_1"), 5},  {QStringLiteral("frmKorvo_AO_2V"), 5},
        {QStringLiteral("frmKorvo_RT_2"), 6},  {QStringLiteral("frmKorvo_TC_2"), 6},
        {QStringLiteral("frmKorvo_TC_4"), 6},  {QStringLiteral("frmKorvo_TC_8"), 6},
        {QStringLiteral("frmKorvo_RT_6"), 6},  {QStringLiteral("frmKorvo_CT_1"), 7},
        {QStringLiteral("frmKorvo_NC_ETH"), 7}, {QStringLiteral("frmConfigurationTable"), 8},
        {QStringLiteral("frmBootpServer"), HelpPages::kBootpPage},
        {QStringLiteral("frmsystemconfig"), HelpPages::kDiagnosisPage},
        {QStringLiteral("frmNCBRestart"), HelpPages::kDiagnosisPage},
        {QStringLiteral("frmIoRecord"), 11},   {QStringLiteral("frmPing"), 12},
        {QStringLiteral("frmProjectProperties"), 3}};
    const auto it = pages.find(name);
    if (it != pages.end()) return it->second;
    return name.startsWith(QStringLiteral("frmKorvo_")) ? 7 : HelpPages::kMainMenuPage;
}

bool WindowKeeper::Secondary(const QObject* object) const {
    const auto* window = qobject_cast<const QWidget*>(object);
    // Message boxes and file dialogs place themselves; they have no object name.
    return window != nullptr && window != main_ && window->isWindow() && !window->objectName().isEmpty() &&
           window->windowType() != Qt::Popup && window->windowType() != Qt::ToolTip;
}

bool WindowKeeper::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide && type != QEvent::KeyPress) return false;
    if (type == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* window = widget != nullptr ? widget->window() : nullptr;
        // Handled where the key arrives first, so it goes no further up.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (window == nullptr || (key != Qt::Key_Escape && key != Qt::Key_F1)) return false;
        if (key == Qt::Key_F1) {
            if (openHelp_) openHelp_(HelpPageOf(window == main_ ? QString() : window->objectName()));
            return true;
        }
        if (!Secondary(window) || qobject_cast<QDialog*>(window) != nullptr) return false;
        window->close();
        return true;
    }
    if (!Secondary(watched)) return false;
    auto* window = static_cast<QWidget*>(watched);
    if (type == QEvent::Show) Place(window);
    else Keep(window);
    return false;
}

void WindowKeeper::Place(QWidget* window) {
    const QScreen* screen = window->screen() != nullptr ? window->screen() : main_->screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QRect kept = settings_.value(Key(window)).toRect();
    if (kept.isValid()) {
        window->setGeometry(Inside(kept, area));
        return;
    }
    if (window->testAttribute(Qt::WA_Moved)) {
        window->setGeometry(Inside(window->geometry(), area));
        return;
    }
    QRect placed(QPoint(0, 0), window->size());
    placed.moveCenter(main_->geometry().center());
    window->setGeometry(Inside(placed, area));
}

void WindowKeeper::Keep(QWidget* window) { settings_.setValue(Key(window), window->geometry()); }

}  // namespace korvo
