#pragma once
// What every module properties window shares: a modeless window of its own, created
// hidden at program start and kept until the program ends; the handlers FormShow,
// FormActivate, FormDeactivate and FormClose driven by the toolkit's events; the
// station it edits; the general error report; the automatic save of "korvo.ini".
//
// Usage: derive, build the controls in the constructor, bind them to the type's
// logic class, and override the handlers the type has:
//   class TfrmKorvo_XY : public ModuleWindow {
//       void FormShow() override { logic_.FormShow(*Model()); }
//       void FormActivate() override { ... logic_.FormActivate(*Model()); timer_->start(); }
//   };
// then add one line to CreatePropertiesWindows (properties_windows.cpp).

#include "online/windows/trend_pane.h"

#include <QMessageBox>
#include <QWidget>

#include <exception>
#include <functional>

class QHBoxLayout;
class QTimer;

namespace korvo {

class IoTestFeed;
class StationModel;

// The station the windows edit; null until the main window's first activation.
using ModelSource = std::function<StationModel*()>;

class ModuleWindow : public QWidget {
    Q_OBJECT
public:
    ModuleWindow(ModelSource model, QWidget* owner);

    // Null before the main window's first activation; the handlers run only after it.
    StationModel* Model() const { return model_(); }
    // The I/O test's trends, for the windows of modules with measured channels.
    void SetTrendFeed(IoTestFeed* feed);
    // Null for a window without measured channels.
    TrendPane* Trends() const { return trendPane_; }

protected:
    virtual void FormShow() {}
    // Every time the window becomes the active window, including the first showing.
    virtual void FormActivate() {}
    virtual void FormDeactivate() {}
    virtual void FormClose() {}

    // The row every dialog ends with: "Save Configuration" (Button1) and "Exit"
    // (Button2), centred when asked. "Exit" after a change that was not saved asks
    // "save changes to TYPE (slot N)?": save, discard or stay.
    QHBoxLayout* SaveExitButtons(std::function<void()> save, std::function<void()> exit, bool centred);
    // The dialog's Timer1, stopped, ticking at the interval once started.
    QTimer* CreateTimer1(int intervalMs, std::function<void()> tick);
    // The plot of the edited module's measured channels; every showing plots the
    // module the window edits then.
    TrendPane* CreateTrendPane();
    // The general error report: a message box with what the logic reported.
    void ReportError(const std::exception& error);
    // Writes the whole station to "korvo.ini" in the program folder; a failure is
    // reported and the previous file stays.
    void SaveAutomatically();

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QMessageBox::StandardButton AskSaveChanges();
    // Marks the window changed on every click of an option and every typed field.
    void WatchChanges();

    ModelSource model_;
    TrendPane* trendPane_ = nullptr;
    IoTestFeed* trendFeed_ = nullptr;
    bool hasSaveButton_ = false;
    bool watching_ = false;
    bool unsaved_ = false;
    bool activatedByShow_ = false;
    bool returningFromReport_ = false;
};

}  // namespace korvo
