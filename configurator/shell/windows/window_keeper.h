#pragma once
// What every secondary window of the program does the same way: it opens wholly on
// the screen, centred over the main window the first time and where the user left it
// (place and size, kept per user across runs) afterwards; Escape closes it; F1 opens
// the help page about it. One filter on the application does it for all windows.

#include <QObject>
#include <QString>

#include <functional>

class QSettings;
class QWidget;

namespace korvo {

class WindowKeeper : public QObject {
    Q_OBJECT
public:
    // settings: where the places are kept (the user's configuration, never the
    // project); openHelp(page) shows the help viewer at a page.
    WindowKeeper(QWidget* mainWindow, QSettings& settings, std::function<void(int)> openHelp, QObject* parent);

    // The help page of a window, by its object name; windows not listed open page 1.
    static int HelpPageOf(const QString& objectName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place(QWidget* window);
    void Keep(QWidget* window);
    bool Secondary(const QObject* object) const;

    QWidget* main_;
    QSettings& settings_;
    std::function<void(int)> openHelp_;
};

}  // namespace korvo
