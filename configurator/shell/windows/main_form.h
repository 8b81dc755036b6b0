#pragma once
// The main window: toolbar, menus, the type list, the module popup, the logs and the
// status bar around the station view, which it creates at its first activation.
// Commands forward to the station model and its view; the logic lives there.

#include "shell/app_state.h"
#include "station/catalogue.h"
#include "station/project_commands.h"
#include "station/property_call.h"

#include <QMainWindow>

#include <map>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;

namespace korvo {

class TfrmConnectorImage;
class TfrmKonfig;
class TypeList;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // programFolder ends with a separator; the catalogue is read from it at once.
    explicit TMainForm(std::string programFolder, QWidget* parent = nullptr);
    ~TMainForm() override;

    AppState& State() { return state_; }
    // Null until the first activation.
    TfrmKonfig* frmKonfig() const { return frmKonfig_; }
    TfrmConnectorImage* frmConnectorImage() const { return frmConnectorImage_; }
    QMenu* ModulePopup() const { return popupMenu_; }

    // The activation handler: the first call creates the station view and loads
    // "korvo.ini"; every later call does nothing.
    void FormActivate();
    // A properties window of a module type, shown by ShowProperties.
    void RegisterPropertiesDialog(PropertiesDialog dialog, QWidget* window);
    void ShowProperties(const std::string& typeName);
    void ShowConnectionImage(const std::string& typeName);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateToolBar();
    void CreateMenus();
    void CreatePopup();
    void CreateCentralArea();
    void CreateStatusBar();
    void UpdateZoomControls();
    void PopupItemClick(int number);

    void ToolNewClick();
    void ToolOpenClick();
    void ToolSaveClick();
    void ListModuleClick(int row);

    // Commands whose windows or online logic come with later work: they open nothing yet.
    void ToolIPClick() {}
    void ToolconfigClick() {}
    void ToolTestClick() {}
    void TooldebugClick() {}
    void DiagnosisClick() {}
    void PingClick() {}
    void PreviewClick() {}
    void InfoClick() {}
    void HelpClick() {}
    void RestartClick() {}

    AppState state_;
    CatalogueList catalogue_;
    std::unique_ptr<ProjectCommands> projectCommands_;
    std::map<PropertiesDialog, QWidget*> propertiesDialogs_;

    TfrmKonfig* frmKonfig_ = nullptr;
    TfrmConnectorImage* frmConnectorImage_ = nullptr;
    QWidget* viewHost_ = nullptr;
    TypeList* listModule_ = nullptr;
    QFrame* paDebug_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QPlainTextEdit* memoDebug_ = nullptr;
    QLabel* laStatus_ = nullptr;
    QLabel* statusPanels_[3] = {};
    QMenu* popupMenu_ = nullptr;

    QAction* toolNew_ = nullptr;
    QAction* toolOpen_ = nullptr;
    QAction* toolSave_ = nullptr;
    QAction* toolZoom_ = nullptr;
    QAction* toolZoomReset_ = nullptr;
    QAction* toolVertical_ = nullptr;
    QAction* toolIP_ = nullptr;
    QAction* toolConfig_ = nullptr;
    QAction* toolTest_ = nullptr;
    QAction* toolDebug_ = nullptr;
    QAction* menuZoomIn_ = nullptr;
    QAction* menuZoomOut_ = nullptr;
    QAction* popupRestart_ = nullptr;
};

}  // namespace korvo
