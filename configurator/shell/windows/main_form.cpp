#include "main_form.h"

#include "online/windows/configuration_table_window.h"
#include "ui/cp1252_text.h"
#include "ui/message_box.h"
#include "online_log.h"
#include "project_properties_window.h"
#include "station_history.h"
#include "toolbar_images.h"
#include "type_list.h"
#include "ui/window_placement.h"
#include "access/coupler_diagnosis.h"
#include "access/ddi_funktionen.h"
#include "access/nc_restart.h"
#include "access/online_worker.h"
#include "access/waiting_clock.h"
#include "access/windows/ncb_restart.h"
#include "access/windows/system_config.h"
#include "docs/address_map_export.h"
#include "docs/export_text.h"
#include "docs/module_inspector.h"
#include "docs/windows/about_box.h"
#include "docs/windows/help_viewer.h"
#include "docs/windows/io_record_window.h"
#include "online/io_test_header.h"
#include "online/io_test_record.h"
#include "docs/windows/report.h"
#include "dialogs/module_defaults.h"
#include "dialogs/windows/properties_windows.h"
#include "online/io_event_log.h"
#include "online/online_operation.h"
#include "online/trend_history.h"
#include "online/windows/event_log_window.h"
#include "online/windows/io_test_feed.h"
#include "online/windows/trend_window.h"
#include "online/worker_pinger.h"
#include "station/station_budget.h"
#include "station/windows/connector_image.h"
#include "station/windows/frm_konfig.h"
#include "station/text_encoding.h"
#include "station/windows/module_drawing.h"
#include "tools/udp_bootp_server.h"
#include "tools/windows/frm_bootp_server.h"
#include "tools/windows/eth_ping_window.h"
#include "ui/user_settings.h"
#include "ui/window_pump.h"
#include "dialogs/automatic_save.h"
#include "online/windows/coupler_search_window.h"
#include "online/windows/plant_overview_window.h"
#include "online/windows/station_scan_window.h"
#include "station/view_clicks.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <chrono>

namespace korvo {

namespace {

constexpr int kToolBarHeight = 36;
constexpr int kToolButtonWidth = 31;
constexpr int kDebugSeparatorWidth = 104;
constexpr int kTypeListWidth = 134;
constexpr int kDebugPanelHeight = 155;
constexpr int kMemoWidth = 359;

CatalogueList ReadTypeList(const std::filesystem::path& file, QString& problem) {
    try {
        CatalogueList list = ReadCatalogueList(ProfileFile::Load(file));
        problem = ToQString(DroppedSectionsMessage(list));
        return list;
    } catch (const ProfileError& e) {
        problem = ToQString(e.what());
        return CatalogueList{};
    }
}

// "caption|pattern" of the project commands as the platform's dialogs show it: the
// caption names its own pattern, and a pattern that lets it show every file becomes
// a filter of its own.
QStringList NameFilters(const std::string& filter) {
    const std::size_t bar = filter.find('|');
    if (bar == std::string::npos) return {ToQString(filter)};
    const QString caption = ToQString(filter.substr(0, bar));
    const QString pattern = ToQString(filter.substr(bar + 1));
    QStringList filters{caption.contains(QLatin1Char('(')) ? caption
                                                            : caption + QStringLiteral(" (") + pattern + QLatin1Char(')')};
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*")) filters << QStringLiteral("All files (*)");
    return filters;
}

QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

constexpr const char* kCommunicationError = "communication error";
constexpr const char* kCheckIpSettings = "ERROR !! check IP settings";

// The logic's colours are blue-green-red values.
QColor LedQColor(LedColor color) {
    const auto value = static_cast<unsigned>(color);
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

// The buttons of the window's commands are grey while one runs.
class CommandsGreyed {
public:
    explicit CommandsGreyed(std::function<void(bool)> setEnabled) : setEnabled_(std::move(setEnabled)) {
        setEnabled_(false);
    }
    ~CommandsGreyed() {
        WindowPump::Instance().EndCommand();
        setEnabled_(true);
    }
    CommandsGreyed(const CommandsGreyed&) = delete;
    CommandsGreyed& operator=(const CommandsGreyed&) = delete;

private:
    std::function<void(bool)> setEnabled_;
};

Pinger& SystemPinger() {
    static Pinger pinger;
    return pinger;
}

}  // namespace

TMainForm::TMainForm(std::string programFolder, OnlineSeams seams, QWidget* parent)
    : QMainWindow(parent),
      worker_(std::make_unique<OnlineWorker>(WindowPump::Instance())),
      plainPinger_(seams.pinger ? seams.pinger : &SystemPinger()),
      echo_(std::make_unique<WorkerPinger>(*plainPinger_, WindowPump::Instance())),
      waitingClock_(std::make_unique<WaitingClock>(WindowPump::Instance())),
      pinger_(echo_.get()),
      clock_(seams.clock ? seams.clock : waitingClock_.get()) {
    RegisterModuleDefaults();
    state_.ProgramFolder = std::move(programFolder);
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Korvo Configurator"));
    resize(738, 664);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(palette);
    pacer_.SetInterval(UserSettings()->value(QString::fromLatin1(kIntervalKey), CyclePacer::kDefaultIntervalMs).toInt());
    testFeed_ = new IoTestFeed([this] { return trend_.get(); }, [this] { return events_.get(); }, this);

    CreateActions();
    CreateToolBar();
    CreateMenus();
    CreatePopup();
    CreateCentralArea();
    CreateStatusBar();

    QString problem;
    catalogue_ = ReadTypeList(state_.CatalogueFile(), problem);
    listModule_->SetLines(catalogue_.lines, catalogue_.FontColors);
    ShowStatus(problem, StatusKind::Failure);

    frmConnectorImage_ = new TfrmConnectorImage(this);
    frmConnectorImage_->hide();
    frmsystemconfig_ = new Tfrmsystemconfig(this);
    frmsystemconfig_->hide();
    frmNCBRestart_ = new TfrmNCBRestart(this);
    frmNCBRestart_->hide();
    frmHelp_ = new TfrmHelp(state_.ProgramFolder, this);
    frmHelp_->hide();
    aboutBox_ = new TAboutBox(state_.ProgramFolder, this);
    aboutBox_->hide();
    frmReport_ = new TfrmReport(this);
    connect(frmReport_, &TfrmReport::progress, this, [this](int percent) {
        SetStatusPanel1Success("Connection List  " + std::to_string(percent) + " %");
    });
    frmIoRecord_ = new TfrmIoRecord(this);
    frmIoRecord_->hide();
    frmConfigurationTable_ = new TfrmConfigurationTable(this);
    frmConfigurationTable_->hide();
    connect(frmsystemconfig_, &Tfrmsystemconfig::helpRequested, frmHelp_, &TfrmHelp::OpenDiagnosisHelp);

    // Created with the others, so the BOOTP port is bound from program start on.
    frmBootpServer_ = new TfrmBootpServer(this, seams.bootp, FromQString(QCoreApplication::applicationFilePath()));
    frmBootpServer_->hide();
    connect(frmBootpServer_, &TfrmBootpServer::stationStatusChanged, statusPanels_[0], &QLabel::setText);
    connect(frmBootpServer_, &TfrmBootpServer::helpRequested, frmHelp_, &TfrmHelp::OpenBootpHelp);

    CreatePropertiesWindows([this] { return frmKonfig_ != nullptr ? &frmKonfig_->Model() : nullptr; }, this,
                            [this](PropertiesDialog dialog, QWidget* window) { RegisterPropertiesDialog(dialog, window); },
                            pinger_, testFeed_);
    frmPing_ = new TfrmPing(this, *pinger_);
    frmPing_->hide();
    frmProjectProperties_ = new TfrmProjectProperties(this);
    frmProjectProperties_->hide();
    connect(frmProjectProperties_, &QDialog::accepted, this, [this] {
        if (frmKonfig_ == nullptr) return;
        frmKonfig_->Model().Properties = frmProjectProperties_->Properties();
        StationChanged();
    });

    timerReadWrite_ = new QTimer(this);
    timerReadWrite_->setObjectName(QStringLiteral("TimerReadWrite"));
    timerReadWrite_->setInterval(pacer_.IntervalMs());
    connect(timerReadWrite_, &QTimer::timeout, this, &TMainForm::TimerReadWriteTimer);

    WindowPump& pump = WindowPump::Instance();
    connect(&pump, &WindowPump::longWait, this, &TMainForm::ShowLongWait);
    connect(&pump, &WindowPump::longWaitEnded, this, &TMainForm::EndLongWait);
}

TMainForm::~TMainForm() {
    timerReadWrite_->stop();
    if (access_) access_->CloseNodePair();
    if (WindowPump::Instance().Busy()) WindowPump::Instance().Cancel();
}

void TMainForm::CreateActions() {
    images_ = ToolbarImages();
    const auto action = [this](const char* name, const QString& text, int image, auto slot) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        if (image >= 0) a->setIcon(images_[image]);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    toolNew_ = action("ToolNew", QString(), ImageIndex::NewProject, &TMainForm::ToolNewClick);
    toolNew_->setToolTip(QStringLiteral("new project"));
    toolOpen_ = action("ToolButton1", QString(), ImageIndex::OpenProject, &TMainForm::ToolOpenClick);
    toolOpen_->setToolTip(QStringLiteral("open project"));
    // Today's desktops save the open project from the toolbar; "save as" is in the menu.
    toolSave_ = action("ToolButton5", QString(), ImageIndex::SaveProject, &TMainForm::SaveClick);
    toolSave_->setToolTip(QStringLiteral("save project"));
    toolZoom_ = action("ToolZoom", QString(), ImageIndex::ZoomOut, [this] { if (frmKonfig_) frmKonfig_->StepSmaller(); });
    toolZoom_->setToolTip(QStringLiteral("zoom out"));
    toolZoomReset_ = action("ToolZoomReset", QString(), ImageIndex::ZoomIn, [this] { if (frmKonfig_) frmKonfig_->StepLarger(); });
    toolZoomReset_->setToolTip(QStringLiteral("zoom in"));
    toolVertical_ = action("Toolvertikal", QString(), ImageIndex::Arrangement, [this] { if (frmKonfig_) frmKonfig_->ToggleArrangement(); });
    toolVertical_->setToolTip(QStringLiteral("vertical / horizontal"));
    toolIP_ = action("ToolIP", QString(), ImageIndex::IpSettings, &TMainForm::ToolIPClick);
    toolIP_->setToolTip(QStringLiteral("IP settings"));
    toolConfig_ = action("Toolconfig", QString(), ImageIndex::CheckConfiguration, &TMainForm::ToolconfigClick);
    toolConfig_->setToolTip(QStringLiteral("check configuration"));
    toolTest_ = action("ToolTest", QString(), ImageIndex::Online, &TMainForm::ToolTestClick);
    toolTest_->setToolTip(QStringLiteral("online"));
    toolTest_->setCheckable(true);
    onlineButtonImage_ = ImageIndex::Online;
    toolDebug_ = action("Tooldebug", QString(), ImageIndex::Debug, &TMainForm::TooldebugClick);
    toolDebug_->setToolTip(QStringLiteral("debug "));
    toolDebug_->setCheckable(true);
    toolDebug_->setVisible(false);
}

void TMainForm::CreateToolBar() {
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(kToolBarHeight);
    bar->setIconSize(QSize(20, 20));
    addToolBar(Qt::TopToolBarArea, bar);
    const auto add = [bar](QAction* a) {
        bar->addAction(a);
        if (QWidget* button = bar->widgetForAction(a)) {
            button->setFixedWidth(kToolButtonWidth);
            button->setObjectName(a->objectName() + QStringLiteral("Button"));
        }
    };
    add(toolNew_);
    add(toolOpen_);
    add(toolSave_);
    bar->addSeparator();
    add(toolZoom_);
    add(toolZoomReset_);
    add(toolVertical_);
    bar->addSeparator();
    add(toolIP_);
    add(toolConfig_);
    add(toolTest_);
    auto* gap = new QWidget(bar);
    gap->setFixedWidth(kDebugSeparatorWidth);
    bar->addWidget(gap);
    add(toolDebug_);
    // Off by default: a stopped test leaves the station's outputs off.
    checkKeepOutputs_ = new QCheckBox(QStringLiteral("keep outputs when the test stops"), bar);
    checkKeepOutputs_->setObjectName(QStringLiteral("CheckKeepOutputs"));
    connect(checkKeepOutputs_, &QCheckBox::toggled, this, [this](bool keep) {
        if (online_) online_->KeepOutputsWhenStopped = keep;
    });
    bar->addWidget(checkKeepOutputs_);
    // On by default: a coupler that stops answering is retried until it is back.
    checkReconnect_ = new QCheckBox(QStringLiteral("reconnect"), bar);
    checkReconnect_->setObjectName(QStringLiteral("CheckReconnect"));
    checkReconnect_->setChecked(true);
    connect(checkReconnect_, &QCheckBox::toggled, this, [this](bool on) {
        if (online_) online_->Reconnect = on;
    });
    bar->addWidget(checkReconnect_);

    laStatus_ = new QLabel(bar);
    laStatus_->setObjectName(QStringLiteral("LaStatus"));
    laStatus_->setAlignment(Qt::AlignCenter);
    laStatus_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    QFont font = laStatus_->font();
    font.setBold(true);
    font.setPixelSize(13);
    laStatus_->setFont(font);
    bar->addWidget(laStatus_);
}

void TMainForm::CreateMenus() {
    const auto item = [this](QMenu* menu, const char* name, const QString& text, int image, auto slot) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (image >= 0) a->setIcon(images_[image]);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    item(file, "MenuNew", QStringLiteral("&new"), ImageIndex::NewProject, &TMainForm::ToolNewClick);
    item(file, "MenuOpen", QStringLiteral("&open"), ImageIndex::OpenProject, &TMainForm::ToolOpenClick)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    item(file, "MenuSave", QStringLiteral("s&ave"), ImageIndex::SaveProject, &TMainForm::SaveClick)
        ->setShortcut(QKeySequence::Save);
    item(file, "MenuSaveAs", QStringLiteral("&save as"), ImageIndex::SaveProject, &TMainForm::ToolSaveClick)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    item(file, "MenuExportAddressMap", QStringLiteral("export address map..."), -1,
         &TMainForm::ExportAddressMapClick);
    item(file, "MenuProjectProperties", QStringLiteral("project properties..."), -1,
         &TMainForm::ProjectPropertiesClick);
    file->addSeparator();
    item(file, "MenuExit", QStringLiteral("&exit"), -1, &QWidget::close);

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    menuUndo_ = item(edit, "MenuUndo", QStringLiteral("&undo"), -1, [this] { UndoClick(false); });
    menuUndo_->setShortcut(QKeySequence::Undo);
    menuRedo_ = item(edit, "MenuRedo", QStringLiteral("&redo"), -1, [this] { UndoClick(true); });
    menuRedo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    menuUndo_->setEnabled(false);
    menuRedo_->setEnabled(false);

    // The menu names the steps by what the picture does, the toolbar hints the other way.
    QMenu* view = bar->addMenu(QStringLiteral("View"));
    menuZoomIn_ = item(view, "MenuZoomIn", QStringLiteral("zoom in"), ImageIndex::ZoomOut,
                       [this] { if (frmKonfig_) frmKonfig_->StepSmaller(); });
    menuZoomOut_ = item(view, "MenuZoomOut", QStringLiteral("zoom out"), ImageIndex::ZoomIn,
                        [this] { if (frmKonfig_) frmKonfig_->StepLarger(); });
    item(view, "MenuVertical", QStringLiteral("vertical / horizontal"), ImageIndex::Arrangement,
         [this] { if (frmKonfig_) frmKonfig_->ToggleArrangement(); });

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    item(tools, "MenuIPManager", QStringLiteral("IP manager"), ImageIndex::IpSettings, &TMainForm::ToolIPClick);
    item(tools, "MenuDiagnosis", QStringLiteral("NC-ETH diagnosis"), -1, &TMainForm::DiagnosisClick);
    item(tools, "MenuPing", QStringLiteral("Ping"), -1, &TMainForm::PingClick);
    item(tools, "MenuFindCouplers", QStringLiteral("find couplers\u2026"), -1, &TMainForm::FindCouplersClick);

    QMenu* online = bar->addMenu(QStringLiteral("&Online"));
    item(online, "MenuCheckConfig", QStringLiteral("check config"), ImageIndex::CheckConfiguration,
         &TMainForm::ToolconfigClick);
    item(online, "MenuIOTest", QStringLiteral("I/O test"), ImageIndex::Online, &TMainForm::ToolTestClick);
    item(online, "MenuReadStation", QStringLiteral("read station from coupler\u2026"), -1,
         [this] { ReadStationClick(frmKonfig_ != nullptr ? frmKonfig_->Model().CurrentIP : std::string()); });
    item(online, "MenuPlantOverview", QStringLiteral("plant overview"), -1, &TMainForm::PlantOverviewClick);
    // The tool bar's check boxes again, for a window too narrow to show them.
    online->addSeparator();
    for (const auto& [box, name] : {std::pair{checkKeepOutputs_, "MenuKeepOutputs"}, {checkReconnect_, "MenuReconnect"}}) {
        QAction* a = online->addAction(box->text());
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        a->setChecked(box->isChecked());
        connect(a, &QAction::toggled, box, &QCheckBox::setChecked);
        connect(box, &QCheckBox::toggled, a, &QAction::setChecked);
    }
    QMenu* interval = online->addMenu(QStringLiteral("I/O test interval"));
    interval->setObjectName(QStringLiteral("MenuInterval"));
    auto* intervals = new QActionGroup(interval);
    intervals->setExclusive(true);
    for (const int ms : CyclePacer::kIntervalsMs) {
        QAction* a = interval->addAction(QStringLiteral("%1 ms").arg(ms));
        a->setObjectName(QStringLiteral("MenuInterval%1").arg(ms));
        a->setCheckable(true);
        a->setChecked(ms == pacer_.IntervalMs());
        intervals->addAction(a);
        connect(a, &QAction::triggered, this, [this, ms] { SetIoTestInterval(ms); });
        intervalActions_[ms] = a;
    }
    online->addSeparator();
    item(online, "MenuTrend", QStringLiteral("trend"), -1, &TMainForm::TrendClick);
    item(online, "MenuEventLog", QStringLiteral("event log"), -1, &TMainForm::EventLogClick);

    QMenu* report = bar->addMenu(QStringLiteral("Report"));
    item(report, "MenuPreview", QStringLiteral("preview"), -1, &TMainForm::PreviewClick);
    item(report, "MenuIoRecord", QStringLiteral("I/O test record..."), -1, &TMainForm::IoRecordClick);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    item(help, "MenuInfo", QStringLiteral("&info..."), -1, &TMainForm::InfoClick);
    item(help, "MenuKorvoHelp", QStringLiteral("Korvo Help"), -1, &TMainForm::HelpClick);
}

void TMainForm::CreatePopup() {
    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](const char* name, const QString& text, int number) {
        QAction* a = popupMenu_->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setData(number);
        connect(a, &QAction::triggered, this, [this, number] { PopupItemClick(number); });
        return a;
    };
    item("PopupDelete", QStringLiteral("  delete"), 1);
    popupRestart_ = item("PopupRestart", QStringLiteral("  restart NC-B ETH"), 99);
    item("PopupConnectionPlan", QStringLiteral("  connection plan"), 5);
    item("PopupProperties", QStringLiteral("  properties"), 4);
}

void TMainForm::CreateCentralArea() {
    auto* vertical = new QSplitter(Qt::Vertical, this);
    vertical->setObjectName(QStringLiteral("Splitter2"));
    auto* horizontal = new QSplitter(Qt::Horizontal, vertical);
    horizontal->setObjectName(QStringLiteral("Splitter1"));

    viewHost_ = new QWidget(horizontal);
    viewHost_->setObjectName(QStringLiteral("ClientArea"));
    auto* hostLayout = new QVBoxLayout(viewHost_);
    hostLayout->setContentsMargins(0, 0, 0, 0);

    listModule_ = new TypeList(horizontal);
    connect(listModule_, &TypeList::lineClicked, this, &TMainForm::ListModuleClick);
    horizontal->addWidget(viewHost_);
    horizontal->addWidget(listModule_);
    horizontal->setStretchFactor(0, 1);
    horizontal->setStretchFactor(1, 0);
    horizontal->setSizes({738 - kTypeListWidth, kTypeListWidth});

    paDebug_ = new QFrame(vertical);
    paDebug_->setObjectName(QStringLiteral("PaDebug"));
    paDebug_->setAutoFillBackground(true);
    QPalette black = paDebug_->palette();
    black.setColor(QPalette::Window, Qt::black);
    paDebug_->setPalette(black);
    auto* debugLayout = new QHBoxLayout(paDebug_);
    debugLayout->setContentsMargins(0, 0, 0, 0);
    memo_ = new QPlainTextEdit(paDebug_);
    memo_->setObjectName(QStringLiteral("Memo"));
    onlineLog_ = std::make_unique<OnlineLog>(memo_);
    memo_->setFixedWidth(kMemoWidth);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoDebug_ = new QPlainTextEdit(paDebug_);
    memoDebug_->setObjectName(QStringLiteral("MemoDebug"));
    memoDebug_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    memoDebug_->setFont(fixed);
    debugLayout->addWidget(memo_);
    debugLayout->addWidget(memoDebug_);
    memo_->hide();
    memoDebug_->hide();
    paDebug_->hide();
    vertical->addWidget(horizontal);
    vertical->addWidget(paDebug_);
    vertical->setStretchFactor(0, 1);
    vertical->setSizes({664 - kDebugPanelHeight, kDebugPanelHeight});
    setCentralWidget(vertical);
}

void TMainForm::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    const int widths[3] = {250, 350, 10};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFixedWidth(widths[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        QFont font = panel->font();
        font.setBold(true);
        panel->setFont(font);
        bar->addWidget(panel);
        statusPanels_[i] = panel;
    }
    statusInspector_ = new QLabel(bar);
    statusInspector_->setObjectName(QStringLiteral("StatusInspector"));
    statusInspector_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(statusInspector_, 1);
    // Panel 1 is rewritten every cycle; the overrun keeps a panel of its own.
    statusOverrun_ = new QLabel(bar);
    statusOverrun_->setObjectName(QStringLiteral("StatusOverrun"));
    statusOverrun_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QPalette overrunPalette = statusOverrun_->palette();
    overrunPalette.setColor(QPalette::WindowText, Qt::red);
    statusOverrun_->setPalette(overrunPalette);
    bar->addWidget(statusOverrun_);
    statusOverrun_->hide();
    statusBudget_ = new QLabel(bar);
    statusBudget_->setObjectName(QStringLiteral("StatusBudget"));
    statusBudget_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bar->addWidget(statusBudget_, 1);
    // A long wait covers the panels with its message until it ends.
    cancelWait_ = new QPushButton(QStringLiteral("cancel"), bar);
    cancelWait_->setObjectName(QStringLiteral("CancelWait"));
    connect(cancelWait_, &QPushButton::clicked, this, [] { WindowPump::Instance().Cancel(); });
    bar->addPermanentWidget(cancelWait_);
    cancelWait_->hide();
    WindowPump::Instance().AllowInput(cancelWait_);
}

void TMainForm::ShowLongWait(int elapsedMs) {
    const QString address = frmKonfig_ != nullptr ? ToQString(frmKonfig_->Model().CurrentIP) : QString();
    statusBar()->showMessage(QStringLiteral("waiting for %1 ... %2 s").arg(address).arg(elapsedMs / 1000));
    if (longWaitShown_) return;
    longWaitShown_ = true;
    cancelWait_->show();
    SetOnlineCommandsEnabled(false);
}

void TMainForm::EndLongWait() {
    if (!longWaitShown_) return;
    longWaitShown_ = false;
    statusBar()->clearMessage();
    cancelWait_->hide();
    SetOnlineCommandsEnabled(true);
}

void TMainForm::SetOnlineCommandsEnabled(bool enabled) {
    // The window's own commands and a long wait each grey the buttons; the last to end
    // brings them back.
    commandsOff_ += enabled ? -1 : 1;
    const bool on = commandsOff_ <= 0;
    for (QAction* a : {toolNew_, toolOpen_, toolSave_, toolIP_, toolConfig_, toolTest_}) a->setEnabled(on);
    menuBar()->setEnabled(on);
}

void TMainForm::FormActivate() {
    if (!state_.FirstActivation) return;
    frmKonfig_ = new TfrmKonfig(state_, viewHost_);
    viewHost_->layout()->addWidget(frmKonfig_);
    connect(frmKonfig_, &TfrmKonfig::placementModeChanged, laStatus_, &QLabel::setText);
    connect(frmKonfig_, &TfrmKonfig::stationStatusChanged, statusPanels_[0], &QLabel::setText);
    connect(frmKonfig_, &TfrmKonfig::zoomChanged, this, &TMainForm::UpdateZoomControls);
    connect(frmKonfig_, &TfrmKonfig::propertiesRequested, this, [this](int slot) {
        if (const TModul* m = frmKonfig_->Model().Module(slot)) ShowProperties(m->ModulType);
    });
    connect(frmKonfig_, &TfrmKonfig::popupRequested, this, [this](const QPoint& position, bool restartVisible) {
        popupRestart_->setVisible(restartVisible);
        popupMenu_->popup(position);
    });
    connect(frmKonfig_, &TfrmKonfig::moduleDumped, this, [this](const QStringList& lines) {
        memoDebug_->setPlainText(lines.join(QLatin1Char('\n')));
    });
    frmKonfig_->installEventFilter(this);
    listModule_->installEventFilter(this);
    frmKonfig_->show();
    projectCommands_ = std::make_unique<ProjectCommands>(frmKonfig_->Model());
    // The test's station would vanish under the running cycle.
    projectCommands_->BeforeStationReplaced = [this] { StopIoTest("stopped: the project was replaced"); };
    projectCommands_->ChooseSavePath = [this] { return ChooseSavePath(); };
    connect(frmKonfig_, &TfrmKonfig::stationChanged, this, &TMainForm::StationChanged);
    connect(frmKonfig_, &TfrmKonfig::moduleSelected, this, [this](int slot) {
        statusInspector_->setText(ToQString(ModuleInspectorLine(frmKonfig_->Model(), slot)));
        statusInspector_->setToolTip(ToQString(ModuleInspectorText(frmKonfig_->Model(), slot)));
    });
    CreateOnline(frmKonfig_->Model());

    const std::optional<ProjectLoadReport> report = RunFirstActivation(state_, frmKonfig_->Model());
    if (!state_.StartProject.empty()) projectCommands_->ProjectFileName = state_.StartProject.string();
    projectCommands_->MarkSaved();
    history_ = new StationHistory(frmKonfig_->Model(), this);
    history_->Restored = [this] { StationChanged(); };
    connect(&history_->Stack(), &QUndoStack::canUndoChanged, menuUndo_, &QAction::setEnabled);
    connect(&history_->Stack(), &QUndoStack::canRedoChanged, menuRedo_, &QAction::setEnabled);
    StationChanged();
    toolDebug_->setVisible(state_.DebugAllowed);
    online_->DebugAllowed = state_.DebugAllowed;
    if (report && !report->warnings.empty()) {
        QStringList lines;
        for (const std::string& warning : report->warnings) lines << ToQString(warning);
        ShowStatus(lines.join(QStringLiteral("; ")), StatusKind::Failure);
    }
}

void TMainForm::CreateOnline(StationModel& model) {
    access_ = std::make_unique<ControllerAccess>(model.CurrentIP, *clock_, *worker_);
    online_ = std::make_unique<OnlineOperation>(model, catalogue_, *access_, *this, *pinger_);
    online_->OnlineImageIndex = onlineButtonImage_;
    if (checkKeepOutputs_ != nullptr) online_->KeepOutputsWhenStopped = checkKeepOutputs_->isChecked();
    if (checkReconnect_ != nullptr) online_->Reconnect = checkReconnect_->isChecked();
    diagnosis_ = std::make_unique<CouplerDiagnosis>(model, *access_, *online_, *frmsystemconfig_, *clock_);
    online_->SetDiagnosis(diagnosis_.get());
    restart_ = std::make_unique<NcRestart>(*access_, *online_, *diagnosis_, *frmNCBRestart_, *clock_);
    frmsystemconfig_->Bind(*diagnosis_);
    frmNCBRestart_->Bind(*restart_);
    bootp_ = std::make_unique<BootpServer>(model, *access_, *online_, *pinger_, frmBootpServer_->Socket(),
                                           *frmBootpServer_, state_.SettingsFile());
    frmBootpServer_->Bind(*bootp_);

    recorder_ = std::make_unique<IoTestRecorder>(model);
    trend_ = std::make_unique<TrendHistory>(model);
    events_ = std::make_unique<IoEventLog>(model);
    // The history and the log have one callback each: the feed passes them on to
    // every window that listens.
    trend_->SetChanged([this] { testFeed_->NotifyTrendsChanged(); });
    trend_->SetReadingsSink([this](const std::vector<TrendReading>& readings) { testFeed_->NotifyReadings(readings); });
    events_->SetSink([this](const IoEvent&) { testFeed_->NotifyEventLogged(); });
    recorder_->SetEventLog(events_.get());
    observers_.Add(recorder_.get());
    observers_.Add(trend_.get());
    observers_.Add(events_.get());
    online_->SetCycleObserver(&observers_);
    online_->CycleIntervalMs = pacer_.IntervalMs();
    frmIoRecord_->Bind(*recorder_);
}

void TMainForm::RegisterPropertiesDialog(PropertiesDialog dialog, QWidget* window) {
    propertiesDialogs_[dialog] = window;
}

void TMainForm::ShowProperties(const std::string& typeName) {
    const std::optional<PropertiesDialog> dialog = PropertiesDialogFor(typeName);
    if (!dialog) return;
    const auto it = propertiesDialogs_.find(*dialog);
    if (it == propertiesDialogs_.end()) return;
    // A window already open for another module of the type takes the new current
    // module when it is shown again; it would go on editing the old one otherwise.
    if (it->second->isVisible()) it->second->hide();
    it->second->show();
    it->second->raise();
    it->second->activateWindow();
}


void TMainForm::ShowConnectionImage(const std::string& typeName) {
    frmConnectorImage_->ShowConnectionImage(state_.ProgramFolder, typeName);
}

void TMainForm::PopupItemClick(int number) {
    if (frmKonfig_ == nullptr) return;
    StationModel& model = frmKonfig_->Model();
    const TModul* current = model.Module(model.CurrentModule);
    switch (number) {
        case 1: model.DeleteCurrent(); break;
        case 99: RestartClick(); break;
        case 5: if (current) ShowConnectionImage(current->ModulType); break;
        case 4: if (current) ShowProperties(current->ModulType); break;
        default: break;
    }
}

void TMainForm::UpdateZoomControls() {
    toolZoom_->setEnabled(state_.Zoom.SmallerEnabled);
    menuZoomIn_->setEnabled(state_.Zoom.SmallerEnabled);
    toolZoomReset_->setEnabled(state_.Zoom.LargerEnabled);
    menuZoomOut_->setEnabled(state_.Zoom.LargerEnabled);
}

void TMainForm::ShowConfigurationTable(const std::vector<ConfigurationRow>& rows) {
    frmConfigurationTable_->ShowRows(rows);
}

void TMainForm::StopIoTest(const std::string& reason) {
    if (!online_ || frmKonfig_ == nullptr || !frmKonfig_->Model().Online) return;
    online_->StopTest();
    toolTest_->setChecked(false);
    FollowIoTest(reason);
}

void TMainForm::ToolNewClick() {
    if (!projectCommands_) return;
    SetStatusPanel1("");
    if (projectCommands_->NewProject() && history_) history_->Reset();
    StationChanged();
}

void TMainForm::ToolOpenClick() {
    if (!projectCommands_) return;
    SetStatusPanel1("");
    projectCommands_->PrepareOpen();
    const FileDialogSettings settings = projectCommands_->OpenDialogSettings();
    QFileDialog dialog(this, QString(), PathText(settings.startFolder));
    dialog.setNameFilters(NameFilters(settings.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(ToQString(settings.defaultExtension));
    dialog.selectFile(ToQString(settings.initialFileName));
    std::optional<std::filesystem::path> chosen;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        chosen = std::filesystem::path(QFile::encodeName(dialog.selectedFiles().first()).toStdString());
    }
    if (projectCommands_->OpenProject(chosen) && history_) history_->Reset();
    StationChanged();
}

void TMainForm::ToolSaveClick() {
    if (!projectCommands_) return;
    SetStatusPanel1("");
    projectCommands_->SaveProjectAs(ChooseSavePath());
    RefreshTitle();
}

void TMainForm::SaveClick() {
    if (!projectCommands_) return;
    SetStatusPanel1("");
    projectCommands_->Save();
    RefreshTitle();
}

void TMainForm::ProjectPropertiesClick() {
    if (frmKonfig_ == nullptr) return;
    frmProjectProperties_->Show(frmKonfig_->Model().Properties);
    ShowOverOwner(frmProjectProperties_, this);
}

void TMainForm::RefreshTitle() {
    if (projectCommands_) setWindowTitle(ToQString(projectCommands_->WindowTitle()));
}

void TMainForm::StationChanged() {
    if (history_) history_->Record(QStringLiteral("change of the station"));
    RefreshTitle();
    RefreshBudgets();
    if (frmKonfig_ != nullptr) {
        const StationModel& model = frmKonfig_->Model();
        statusInspector_->setText(ToQString(ModuleInspectorLine(model, model.CurrentModule)));
        statusInspector_->setToolTip(ToQString(ModuleInspectorText(model, model.CurrentModule)));
    }
}

void TMainForm::UndoClick(bool redo) {
    if (history_ == nullptr || frmKonfig_ == nullptr) return;
    // The test's cycle works on the module objects that a step would replace.
    if (frmKonfig_->Model().Online) {
        SetStatusPanel1("undo and redo wait until the I/O test is stopped");
        return;
    }
    if (redo) history_->Stack().redo();
    else history_->Stack().undo();
}

void TMainForm::RefreshBudgets() {
    if (frmKonfig_ == nullptr) return;
    const std::vector<StationBudget> budgets = StationBudgets(frmKonfig_->Model());
    std::set<int> over;
    std::string newlyOver;
    for (const StationBudget& budget : budgets) {
        if (!budget.Over()) continue;
        over.insert(budget.coupler);
        if (newlyOver.empty() && !overBudget_.count(budget.coupler)) newlyOver = budget.Text();
    }
    // The panel may be narrower than its text; the tooltip shows it whole.
    statusBudget_->setText(ToQString(BudgetsText(budgets)));
    statusBudget_->setToolTip(statusBudget_->text());
    QPalette palette = statusBudget_->palette();
    palette.setColor(QPalette::WindowText, over.empty() ? this->palette().color(QPalette::WindowText) : QColor(Qt::red));
    statusBudget_->setPalette(palette);
    frmKonfig_->MarkOverBudget(over);
    overBudget_ = over;
    // The module stays: the user may be about to move or delete another one.
    if (!newlyOver.empty()) SetStatusPanel1("over budget: " + newlyOver + " - the station cannot hold its modules");
}

std::optional<std::filesystem::path> TMainForm::ChooseSavePath() {
    const FileDialogSettings settings = projectCommands_->SaveDialogSettings();
    QFileDialog dialog(this, QString(), PathText(settings.startFolder));
    dialog.setNameFilters(NameFilters(settings.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(ToQString(settings.defaultExtension));
    // The commands ask themselves, once the extension is added.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(ToQString(settings.initialFileName));
    std::optional<std::filesystem::path> chosen;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        chosen = std::filesystem::path(QFile::encodeName(dialog.selectedFiles().first()).toStdString());
    }
    return chosen;
}

void TMainForm::ToolconfigClick() {
    if (!online_) return;
    const CommandsGreyed greyed([this](bool on) { SetOnlineCommandsEnabled(on); });
    online_->CheckConfigurationCommand();
    state_.DebugShown = online_->DebugShown;
    FollowIoTest("stopped by the configuration check");
}

void TMainForm::ToolTestClick() {
    if (!online_) return;
    const CommandsGreyed greyed([this](bool on) { SetOnlineCommandsEnabled(on); });
    online_->OnlineCommand();
    // Clicking the checkable button toggles it; whether the test runs decides its state.
    toolTest_->setChecked(frmKonfig_->Model().Online);
    FollowIoTest("stopped by the user");
}

void TMainForm::TooldebugClick() {
    if (!online_) return;
    online_->DebugCommand();
    state_.DebugShown = online_->DebugShown;
}

void TMainForm::DiagnosisClick() { ShowOverOwner(frmsystemconfig_, this); }

void TMainForm::ToolIPClick() {
    frmBootpServer_->Open();
}

void TMainForm::RestartClick() {
    if (!online_) return;
    SetStatusPanel1("");
    ProcessMessages();
    const CommandsGreyed greyed([this](bool on) { SetOnlineCommandsEnabled(on); });
    if (!online_->PingCoupler()) {
        ShowMessage(std::string(kCheckIpSettings) + "\n" + online_->LastFailure, kCommunicationError);
        SetStatusPanel1(std::string(kCheckIpSettings) + "  - " + online_->LastFailure);
        return;
    }
    frmNCBRestart_->ShowCentredOver(this);
}

void TMainForm::PreviewClick() {
    SetStatusPanel1("");
    if (frmKonfig_ != nullptr) {
        frmReport_->Preview(frmKonfig_->Model());
        return;
    }
    // Before the first activation there is no station yet: the list has only its title.
    const StationModel empty(nullptr, state_.ProgramFolder);
    frmReport_->Preview(empty);
}

void TMainForm::InfoClick() { aboutBox_->ShowCentred(); }

void TMainForm::HelpClick() { frmHelp_->OpenFromMainMenu(); }

void TMainForm::PingClick() {
    frmPing_->Open(frmKonfig_ != nullptr ? PingHostOfSelection(frmKonfig_->Model()) : "");
}

void TMainForm::ReadStationClick(const std::string& address) {
    if (frmStationScan_ == nullptr) {
        frmStationScan_ = new TfrmStationScan(
            this, [this] { return frmKonfig_ != nullptr ? &frmKonfig_->Model() : nullptr; }, catalogue_, *plainPinger_,
            [this] { StationsChanged(); });
    }
    frmStationScan_->Open(address);
}

void TMainForm::FindCouplersClick() {
    if (frmCouplerSearch_ == nullptr) {
        CouplerSearchActions actions;
        actions.readStation = [this](const std::string& address) { ReadStationClick(address); };
        actions.ping = [this](const std::string& address) { frmPing_->Open(address); };
        actions.bootp = [this](const std::string&) { frmBootpServer_->Open(); };
        frmCouplerSearch_ = new TfrmCouplerSearch(
            this, [this] { return frmKonfig_ != nullptr ? &frmKonfig_->Model() : nullptr; }, catalogue_,
            std::move(actions));
    }
    frmCouplerSearch_->Open();
}

void TMainForm::PlantOverviewClick() {
    if (frmPlantOverview_ == nullptr) {
        frmPlantOverview_ = new TfrmPlantOverview(
            this, [this] { return frmKonfig_ != nullptr ? &frmKonfig_->Model() : nullptr; }, catalogue_, *plainPinger_,
            [this](int couplerSlot) {
                if (frmKonfig_ != nullptr) SelectModule(frmKonfig_->Model(), couplerSlot, true, false);
            });
    }
    frmPlantOverview_->Open();
}

void TMainForm::StationsChanged() {
    if (frmKonfig_ == nullptr) return;
    try {
        SaveStationAutomatically(frmKonfig_->Model());
    } catch (const ProfileError& e) {
        ShowMessage(e.what(), "Korvo Configurator");
    }
    if (frmPlantOverview_ != nullptr) frmPlantOverview_->ShowStations();
}

void TMainForm::TimerReadWriteTimer() {
    // A tick that comes while a command (or the cycle before) waits is left out, so
    // a slow cycle makes the next ones wait for their turn rather than queue.
    if (!online_ || WindowPump::Instance().Busy()) return;
    const auto start = std::chrono::steady_clock::now();
    onlineLog_->Hold();
    online_->IoCycle();
    onlineLog_->Release();
    WindowPump::Instance().EndCommand();
    ShowPace(pacer_.CycleTook(std::chrono::steady_clock::now() - start));
    // A cycle error may have stopped the test.
    if (frmKonfig_ != nullptr && !frmKonfig_->Model().Online) {
        ShowPace(false);
        testFeed_->NotifyEnded();
    }
}

void TMainForm::ShowPace(bool overran) {
    if (!overran) {
        overrunning_ = false;
        statusOverrun_->hide();
        return;
    }
    const QString text = ToQString(pacer_.OverrunText());
    statusOverrun_->setText(text);
    statusOverrun_->setToolTip(text);
    statusOverrun_->show();
    if (!std::exchange(overrunning_, true)) AddMemoLine(pacer_.OverrunText());
}

void TMainForm::SetIoTestInterval(int intervalMs) {
    pacer_.SetInterval(intervalMs);
    const int ms = pacer_.IntervalMs();
    timerReadWrite_->setInterval(ms);
    if (online_) online_->CycleIntervalMs = ms;
    if (const auto it = intervalActions_.find(ms); it != intervalActions_.end()) it->second->setChecked(true);
    UserSettings()->setValue(QString::fromLatin1(kIntervalKey), ms);
}

void TMainForm::TrendClick() {
    if (frmTrend_ == nullptr) {
        frmTrend_ = new TfrmTrend(this);
        frmTrend_->Bind(*testFeed_);
    }
    ShowOverOwner(frmTrend_, this);
}

void TMainForm::EventLogClick() {
    if (frmEventLog_ == nullptr) {
        frmEventLog_ = new TfrmEventLog(this);
        frmEventLog_->Bind(*testFeed_);
    }
    ShowOverOwner(frmEventLog_, this);
}

void TMainForm::ShowMessage(const std::string& text, const std::string& caption) {
    if (onlineLog_) onlineLog_->Flush();
    ShowMessageBox(this, text, caption);
}

void TMainForm::SetStatusPanel1(const std::string& text) {
    ShowStatus(ToQString(text), StatusKind::Failure);
}

void TMainForm::SetStatusPanel1Success(const std::string& text) {
    ShowStatus(ToQString(text), StatusKind::Success);
}

void TMainForm::ShowStatus(const QString& text, StatusKind kind) {
    QLabel* panel = statusPanels_[1];
    QPalette palette = panel->palette();
    palette.setColor(QPalette::WindowText, kind == StatusKind::Failure
                                               ? QColor(Qt::red)
                                               : this->palette().color(QPalette::WindowText));
    panel->setPalette(palette);
    panel->setText(text);
}

void TMainForm::ProcessMessages() { WindowPump::Instance().Pump(); }

void TMainForm::ClearMemo() { onlineLog_->Clear(); }

void TMainForm::AddMemoLine(const std::string& line) { onlineLog_->Add(ToQString(line)); }

void TMainForm::SetMemoVisible(bool visible) { memo_->setVisible(visible); }

void TMainForm::SetMemoDebugVisible(bool visible) { memoDebug_->setVisible(visible); }

void TMainForm::SetDebugPanelVisible(bool visible) { paDebug_->setVisible(visible); }

void TMainForm::SetDebugButtonDown(bool down) { toolDebug_->setChecked(down); }

void TMainForm::SetLedColor(int slot, int led, LedColor color) {
    if (frmKonfig_ == nullptr || led < 1 || led > ModulePanel::kLedCount) return;
    if (ModulePanel* panel = frmKonfig_->Panel(slot)) panel->Led(led)->SetColour(LedQColor(color));
}

void TMainForm::SetLedPattern(int slot, std::uint32_t litLeds) {
    ModulePanel* panel = frmKonfig_ != nullptr ? frmKonfig_->Panel(slot) : nullptr;
    if (panel == nullptr) return;
    const QColor lit = LedQColor(LedColor::Yellow);
    const QColor dark = LedQColor(LedColor::Grey);
    for (int led = 1; led <= ModulePanel::kLedCount; ++led) {
        panel->Led(led)->SetColour((litLeds >> (led - 1) & 1u) != 0 ? lit : dark);
    }
}

void TMainForm::SetLedSize(int slot, int led, int pixels) {
    if (frmKonfig_ == nullptr || led < 1 || led > ModulePanel::kLedCount) return;
    ModulePanel* panel = frmKonfig_->Panel(slot);
    if (panel == nullptr) return;
    panel->normalLedRects[static_cast<std::size_t>(led)].setSize(QSize(pixels, pixels));
    panel->ApplyScale(frmKonfig_->Scale());
}

void TMainForm::SetOnlineButton(bool down, int imageIndex) {
    toolTest_->setChecked(down);
    if (imageIndex >= 0 && imageIndex < images_.size()) {
        toolTest_->setIcon(images_[imageIndex]);
        onlineButtonImage_ = imageIndex;
    }
}

void TMainForm::SetCycleTimerEnabled(bool enabled) {
    if (enabled) timerReadWrite_->start();
    else timerReadWrite_->stop();
}

void TMainForm::SetTypeListEnabled(bool enabled) { listModule_->setEnabled(enabled); }

void TMainForm::ListModuleClick(int row) {
    if (frmKonfig_ == nullptr || row < 0 || static_cast<std::size_t>(row) >= catalogue_.lines.size()) return;
    frmKonfig_->Model().PlaceModule(listModule_->Line(row));
}

void TMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
        // Another window (the BOOTP server, a dialog) may have changed the station.
        StationChanged();
    }
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // A window manager may never activate the window (or the platform may not report
    // it); the first showing counts as the first activation then.
    FormActivate();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (WindowPump::Instance().Busy()) {
        // A command is waiting for the coupler: it ends first, cancelled, and the
        // window closes right after.
        WindowPump::Instance().Cancel();
        event->ignore();
        QTimer::singleShot(WindowPump::kCommandGapMs, this, &QWidget::close);
        return;
    }
    if (projectCommands_ && !projectCommands_->MayClose()) {
        event->ignore();
        return;
    }
    timerReadWrite_->stop();
    StopIoTest("stopped: the program was closed");
    if (access_) access_->CloseNodePair();
    if (frmKonfig_ != nullptr) {
        try {
            SaveSettings(state_, frmKonfig_->Model());
        } catch (const ProfileError& e) {
            MakeMessageBox(this, QMessageBox::Warning, QStringLiteral("Korvo Configurator"), ToQString(e.what()),
                           QMessageBox::Ok)
                ->exec();
        }
    }
    event->accept();
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
    if (frmKonfig_ != nullptr) frmKonfig_->HandleKey(event->key(), event->modifiers());
    QMainWindow::keyPressEvent(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    // The window sees key presses before its controls and hands them to the view.
    if (event->type() == QEvent::KeyPress && frmKonfig_ != nullptr) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete) {
            frmKonfig_->HandleKey(key->key());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::FollowIoTest(const std::string& stopReason) {
    if (!recorder_ || frmKonfig_ == nullptr) return;
    const StationModel& model = frmKonfig_->Model();
    if (model.Online && !recorder_->Running()) {
        const std::string project = projectCommands_ && !projectCommands_->ProjectFileName.empty()
                                        ? std::filesystem::path(projectCommands_->ProjectFileName).filename().string()
                                        : std::string("korvo.ini");
        // The test only starts after a configuration check that passed.
        recorder_->Begin(MakeRecordHeader(model, project, CheckResultText(*online_, model, true),
                                          CouplerStateText(diagnosis_->State)));
        trend_->Begin(pacer_.IntervalMs());
        events_->Begin();
        testFeed_->NotifyBegun();
    } else if (!model.Online) {
        recorder_->Finish(stopReason);
        ShowPace(false);
        testFeed_->NotifyEnded();
    }
}

void TMainForm::IoRecordClick() { frmIoRecord_->ShowRecord(); }

void TMainForm::ExportAddressMapClick() {
    if (frmKonfig_ == nullptr) return;
    const QString csv = QStringLiteral("CSV table (*.csv)");
    const QString gvl = QStringLiteral("IEC 61131-3 global variable list (*.gvl)");
    const QString json = QStringLiteral("JSON (*.json)");
    QFileDialog dialog(this, QStringLiteral("export address map"));
    dialog.setObjectName(QStringLiteral("ExportAddressMapDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({csv, gvl, json});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(filter == gvl ? QStringLiteral("gvl") : filter == json ? QStringLiteral("json")
                                                                                       : QStringLiteral("csv"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    SetStatusPanel1("");
    const std::filesystem::path file(QFile::encodeName(dialog.selectedFiles().first()).toStdString());
    ExportOptions options;
    const QString filter = dialog.selectedNameFilter();
    options.format = FormatOfFile(file).value_or(filter == gvl    ? ExportFormat::Gvl
                                                 : filter == json ? ExportFormat::Json
                                                                  : ExportFormat::Csv);
    if (projectCommands_ && !projectCommands_->ProjectFileName.empty()) {
        options.project = std::filesystem::path(projectCommands_->ProjectFileName).filename().string();
    }
    try {
        const AddressMapExport result = ExportAddressMap(frmKonfig_->Model(), options, file);
        SetStatusPanel1Success(
            "address map: " + std::to_string(result.rows.size()) + " entries written" +
            (result.notes.empty() ? "" : ", " + std::to_string(result.notes.size()) + " names changed"));
        if (!result.descriptionProblems.empty()) {
            std::string text = "The points of these connection descriptions are exported without a description:";
            for (const std::string& problem : result.descriptionProblems) text += "\n" + Utf8ToCp1252(problem);
            ShowMessage(text, "export address map");
        }
    } catch (const ExportError& e) {
        ShowMessage(Utf8ToCp1252(e.what()), "export address map");
    }
}

}  // namespace korvo
