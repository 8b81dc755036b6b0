#pragma once
// The main window: toolbar, menus, the type list, the module popup, the logs and the
// status bar around the station view, which it creates at its first activation.
// Commands forward to the station model, its view and the online logic; the logic
// lives there. The window is the online logic's OnlineUi.

#include "station/app_state.h"
#include "online/cycle_observers.h"
#include "online/cycle_pacer.h"
#include "online/online_ui.h"
#include "station/catalogue.h"
#include "station/project_commands.h"
#include "station/property_call.h"
#include "tools/bootp_socket.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>

#include <map>
#include <set>
#include <memory>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace korvo {

class Clock;
class ControllerAccess;
class CouplerDiagnosis;
class IoEventLog;
class IoTestFeed;
class IoTestRecorder;
class TfrmEventLog;
class TfrmTrend;
class TrendHistory;
class TfrmIoRecord;
class TfrmConfigurationTable;
class NcRestart;
class OnlineLog;
class OnlineWorker;
class WaitingClock;
class WorkerPinger;
class OnlineOperation;
class Pinger;
class TAboutBox;
class BootpServer;
class TfrmBootpServer;
class TfrmConnectorImage;
class TfrmHelp;
class TfrmReport;
class TfrmKonfig;
class TfrmNCBRestart;
class TfrmPing;
class TfrmStationScan;
class TfrmCouplerSearch;
class TfrmPlantOverview;
class TfrmProjectProperties;
class StationHistory;
class Tfrmsystemconfig;
class TypeList;

// How the online functions reach the coupler and wait; null means the real echo and
// the system clock, whose pauses keep the window turning. Tests pass fakes. Either
// way the echoes run on a thread of their own and the library calls on the online
// worker, while the window goes on painting.
struct OnlineSeams {
    Pinger* pinger = nullptr;
    Clock* clock = nullptr;
    // Where the BOOTP server listens and replies.
    BootpEndpoints bootp{};
};

class TMainForm : public QMainWindow, public OnlineUi {
    Q_OBJECT
public:
    static constexpr int kIoCycleMs = 1000;

    // programFolder ends with a separator; the catalogue is read from it at once.
    explicit TMainForm(std::string programFolder, OnlineSeams seams = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    AppState& State() { return state_; }
    // Null until the first activation.
    TfrmKonfig* frmKonfig() const { return frmKonfig_; }
    TfrmConnectorImage* frmConnectorImage() const { return frmConnectorImage_; }
    QMenu* ModulePopup() const { return popupMenu_; }
    Tfrmsystemconfig* frmsystemconfig() const { return frmsystemconfig_; }
    TfrmNCBRestart* frmNCBRestart() const { return frmNCBRestart_; }
    // The help viewer; other windows' "?" buttons open it at their page.
    TfrmHelp* frmHelp() const { return frmHelp_; }
    TAboutBox* AboutBox() const { return aboutBox_; }
    TfrmReport* frmReport() const { return frmReport_; }

    TfrmBootpServer* frmBootpServer() const { return frmBootpServer_; }

    // The commissioning record of the I/O test and its window; the recorder is null
    // until the first activation, like the online logic that feeds it.
    TfrmIoRecord* frmIoRecord() const { return frmIoRecord_; }
    TfrmConfigurationTable* frmConfigurationTable() const { return frmConfigurationTable_; }
    IoTestRecorder* IoRecorder() const { return recorder_.get(); }
    // The I/O test's trends and event log, null until the first activation, and what
    // their windows hear of them.
    TrendHistory* Trends() const { return trend_.get(); }
    IoEventLog* EventLog() const { return events_.get(); }
    IoTestFeed* TestFeed() const { return testFeed_; }
    TfrmTrend* frmTrend() const { return frmTrend_; }
    TfrmEventLog* frmEventLog() const { return frmEventLog_; }
    // The I/O test's interval, one of CyclePacer::kIntervalsMs, kept in the user's settings.
    int IoTestIntervalMs() const { return pacer_.IntervalMs(); }
    void SetIoTestInterval(int intervalMs);
    static constexpr const char* kIntervalKey = "online/ioTestIntervalMs";

    TfrmPing* frmPing() const { return frmPing_; }
    // The windows for many couplers; each is made when its menu item is first used.
    TfrmStationScan* frmStationScan() const { return frmStationScan_; }
    TfrmCouplerSearch* frmCouplerSearch() const { return frmCouplerSearch_; }
    TfrmPlantOverview* frmPlantOverview() const { return frmPlantOverview_; }
    TfrmProjectProperties* frmProjectProperties() const { return frmProjectProperties_; }
    // Null until the first activation, like the station it records.
    StationHistory* History() const { return history_; }
    // Null until the first activation, like the station it works on.
    ControllerAccess* Access() const { return access_.get(); }
    OnlineOperation* Online() const { return online_.get(); }
    // The image index the online button shows now.
    int OnlineButtonImage() const { return onlineButtonImage_; }

    // The activation handler: the first call creates the station view and loads
    // "korvo.ini"; every later call does nothing.
    void FormActivate();
    // A properties window of a module type, shown by ShowProperties.
    void RegisterPropertiesDialog(PropertiesDialog dialog, QWidget* window);
    void ShowProperties(const std::string& typeName);
    void ShowConnectionImage(const std::string& typeName);

    // The I/O test's timer event.
    void TimerReadWriteTimer();

    void ShowMessage(const std::string& text, const std::string& caption) override;
    void SetStatusPanel1(const std::string& text) override;
    void SetStatusPanel1Success(const std::string& text) override;
    void ProcessMessages() override;
    void ClearMemo() override;
    void AddMemoLine(const std::string& line) override;
    void SetMemoVisible(bool visible) override;
    void SetMemoDebugVisible(bool visible) override;
    void SetDebugPanelVisible(bool visible) override;
    void SetDebugButtonDown(bool down) override;
    void SetLedColor(int slot, int led, LedColor color) override;
    void SetLedPattern(int slot, std::uint32_t litLeds) override;
    void SetLedSize(int slot, int led, int pixels) override;
    void SetOnlineButton(bool down, int imageIndex) override;
    void SetCycleTimerEnabled(bool enabled) override;
    void SetTypeListEnabled(bool enabled) override;
    void ShowConfigurationTable(const std::vector<ConfigurationRow>& rows) override;

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
    void CreateOnline(StationModel& model);
    void UpdateZoomControls();
    void PopupItemClick(int number);

    void ToolNewClick();
    void ToolOpenClick();
    void ToolSaveClick();
    void SaveClick();
    void ProjectPropertiesClick();
    void UndoClick(bool redo);
    // The save dialog; none when the user cancelled.
    std::optional<std::filesystem::path> ChooseSavePath();
    // The title bar names the open project and marks unsaved changes.
    void RefreshTitle();
    // After every change of the station: title, budgets, the view's marks.
    void StationChanged();
    // The budget panel of the status bar and the view's over-budget marks; a station
    // that went over since the last call is reported in panel 1.
    void RefreshBudgets();
    void ListModuleClick(int row);

    void ToolconfigClick();
    void ToolTestClick();
    void TooldebugClick();
    void DiagnosisClick();
    void RestartClick();
    void ToolIPClick();
    void PingClick();
    void ReadStationClick(const std::string& address);
    void FindCouplersClick();
    void PlantOverviewClick();
    // The project changed in one of those windows: save it as every change is saved.
    void StationsChanged();
    void PreviewClick();
    void ExportAddressMapClick();
    void IoRecordClick();
    void TrendClick();
    void EventLogClick();
    // While cycles do not fit the interval, the status bar says so; the online log
    // says it once when it starts.
    void ShowPace(bool overran);
    // Starts the record when the I/O test has started, ends it when the test stopped.
    void FollowIoTest(const std::string& stopReason);
    // Stops a running I/O test before the project changes or the program closes.
    void StopIoTest(const std::string& reason);
    // A command has waited long: its progress and the cancel show, commands grey.
    void ShowLongWait(int elapsedMs);
    void EndLongWait();
    void SetOnlineCommandsEnabled(bool enabled);
    // Panel 1 in red for a failure, in the window's text colour otherwise.
    void ShowStatus(const QString& text, StatusKind kind);
    void InfoClick();
    void HelpClick();

    AppState state_;
    // Declared before everything that calls through them, so they go last.
    std::unique_ptr<OnlineWorker> worker_;
    // The echo itself, for work on threads of its own (the plant windows); the
    // window thread echoes through echo_, which waits in the window's pump.
    Pinger* plainPinger_;
    std::unique_ptr<WorkerPinger> echo_;
    std::unique_ptr<WaitingClock> waitingClock_;
    Pinger* pinger_;
    Clock* clock_;
    CatalogueList catalogue_;
    std::unique_ptr<ProjectCommands> projectCommands_;
    std::map<PropertiesDialog, QWidget*> propertiesDialogs_;

    TfrmKonfig* frmKonfig_ = nullptr;
    TfrmConnectorImage* frmConnectorImage_ = nullptr;
    Tfrmsystemconfig* frmsystemconfig_ = nullptr;
    TfrmNCBRestart* frmNCBRestart_ = nullptr;
    TfrmHelp* frmHelp_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;
    TfrmReport* frmReport_ = nullptr;
    TfrmIoRecord* frmIoRecord_ = nullptr;
    TfrmConfigurationTable* frmConfigurationTable_ = nullptr;
    std::unique_ptr<IoTestRecorder> recorder_;
    std::unique_ptr<TrendHistory> trend_;
    std::unique_ptr<IoEventLog> events_;
    CycleObservers observers_;
    CyclePacer pacer_;
    bool overrunning_ = false;
    IoTestFeed* testFeed_ = nullptr;
    TfrmTrend* frmTrend_ = nullptr;
    TfrmEventLog* frmEventLog_ = nullptr;
    std::map<int, QAction*> intervalActions_;
    TfrmPing* frmPing_ = nullptr;
    TfrmStationScan* frmStationScan_ = nullptr;
    TfrmCouplerSearch* frmCouplerSearch_ = nullptr;
    TfrmPlantOverview* frmPlantOverview_ = nullptr;
    TfrmProjectProperties* frmProjectProperties_ = nullptr;
    StationHistory* history_ = nullptr;
    QAction* menuUndo_ = nullptr;
    QAction* menuRedo_ = nullptr;
    std::unique_ptr<ControllerAccess> access_;
    std::unique_ptr<OnlineOperation> online_;
    std::unique_ptr<CouplerDiagnosis> diagnosis_;
    std::unique_ptr<NcRestart> restart_;
    TfrmBootpServer* frmBootpServer_ = nullptr;
    std::unique_ptr<BootpServer> bootp_;
    QTimer* timerReadWrite_ = nullptr;
    QList<QIcon> images_;
    int onlineButtonImage_ = 0;
    QWidget* viewHost_ = nullptr;
    TypeList* listModule_ = nullptr;
    QFrame* paDebug_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    std::unique_ptr<OnlineLog> onlineLog_;
    QPlainTextEdit* memoDebug_ = nullptr;
    QLabel* laStatus_ = nullptr;
    QLabel* statusPanels_[3] = {};
    QPushButton* cancelWait_ = nullptr;
    int commandsOff_ = 0;
    bool longWaitShown_ = false;
    QLabel* statusBudget_ = nullptr;
    QLabel* statusInspector_ = nullptr;
    QLabel* statusOverrun_ = nullptr;
    std::set<int> overBudget_;
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
    QCheckBox* checkKeepOutputs_ = nullptr;
    QCheckBox* checkReconnect_ = nullptr;
    QAction* toolDebug_ = nullptr;
    QAction* menuZoomIn_ = nullptr;
    QAction* menuZoomOut_ = nullptr;
    QAction* popupRestart_ = nullptr;
};

}  // namespace korvo
