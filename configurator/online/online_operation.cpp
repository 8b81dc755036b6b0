#include "online/online_operation.h"

#include "access/call_failure.h"
#include "access/call_runner.h"
#include "access/coupler_diagnosis.h"
#include "online/cycle_texts.h"
#include "station/versch.h"
#include "station/view_clicks.h"

#include <quorrin.h>

#include <algorithm>
#include <utility>
#include <array>
#include <cstdio>
#include <cstring>

namespace korvo {

namespace {

constexpr const char* kCommunicationError = "communication error";
constexpr const char* kCheckCaption = "check configuration";
constexpr const char* kCheckIpSettings = "ERROR !! check IP settings";
constexpr const char* kOpenFailedBox = "Communication Error  CHECK IP SETTINGS !!";
constexpr std::uint16_t kConfigurationConfirmation = 0x830B;
constexpr std::size_t kCountWord = 7;
constexpr std::size_t kFirstEntryWord = 9;

bool IsPassive(const std::string& type) { return type == kPassiveType || type == kPassiveRowBreakType; }

std::string WordBytes(std::uint16_t a, std::uint16_t b) {
    return std::to_string(a >> 8) + "," + std::to_string(a & 0xFF) + "," + std::to_string(b >> 8) + "," +
           std::to_string(b & 0xFF) + ",";
}

}  // namespace

OnlineOperation::OnlineOperation(StationModel& model, const CatalogueList& catalogue, ControllerAccess& access,
                                 OnlineUi& ui, Pinger& pinger)
    : model_(model), catalogue_(catalogue), access_(access), ui_(ui), pinger_(pinger) {}

bool OnlineOperation::PingCoupler() {
    RemoveBlanks(model_.CurrentIP);
    const EchoResult result = pinger_.Ping(model_.CurrentIP);
    if (result.sent) PingReply = result.reply.bytes > 0;
    if (!PingReply) LastFailure = result.error == kCancelledReason ? result.error : NoEchoReason();
    return PingReply;
}

std::string OnlineOperation::NoEchoReason() const {
    return "no answer to ping from " + model_.CurrentIP + " within " + std::to_string(kEchoTimeoutMs) + " ms";
}

bool OnlineOperation::OpenConnection() {
    ui_.SetStatusPanel1("");
    ui_.ProcessMessages();
    LastFailure.clear();
    if (!PingCoupler()) {
        ui_.SetStatusPanel1(std::string(kCheckIpSettings) + "  - " + LastFailure);
        return false;
    }
    const std::uint32_t result = access_.OpenNodePair();
    if (result != DDI_OK) {
        LastFailure = CallFailureReason(result);
        ui_.SetStatusPanel1(" ----   Open failed !    Error-Code: " + HexCode(result) + "h  - " + LastFailure);
        return false;
    }
    ui_.SetStatusPanel1Success(" ----  communication initialized  ----- ");
    return true;
}

void OnlineOperation::PrepareOutputImage() {
    access_.OutputImage.fill(0);
    const int station = model_.CurrentStation;
    for (int i = 1; i <= model_.ModuleCount; ++i) {
        const TModul* m = model_.Module(i);
        if (m == nullptr || m->ModulZuStations != station || m->output <= 0 || HasRealOutputs(*m)) continue;
        if (m->ByteOffsetOutput - m->output < 0 ||
            m->ByteOffsetOutput > static_cast<int>(ControllerAccess::kImageSize)) {
            continue;
        }
        model_.ExchangeModule = i;
        RunWriteProc(i);
    }
}

void OnlineOperation::EndTestOutputs(bool reachable) {
    if (KeepOutputsWhenStopped || model_.ModuleCount == 0) return;
    const int station = model_.CurrentStation;
    for (int i = 1; i <= model_.ModuleCount; ++i) {
        TModul* m = model_.Module(i);
        if (m == nullptr || m->ModulZuStations != station || !HasRealOutputs(*m)) continue;
        if (m->ModulType.find(kDigitalOutputFamily) != std::string::npos) {
            m->BitValue = 0;
            m->OutputData = OutputBytesText(0);
            model_.Ui().LayoutLeds(i);
        } else {
            m->OutputData.clear();
            for (int b = 0; b < m->output; ++b) m->OutputData += "0,";
        }
    }
    PrepareOutputImage();
    const std::string number = std::to_string(station);
    if (!reachable || access_.DataNode == 0) {
        ui_.AddMemoLine("outputs of station " + number +
                        " set to off; the coupler gets them when it is reached again");
        return;
    }
    const std::uint32_t result = WriteStationOutputs();
    if (result == DDI_OK) {
        if (cycleObserver_ != nullptr) {
            cycleObserver_->OutputsSwitchedOff(access_.OutputImage.data(), OutputImageLength());
        }
        ui_.AddMemoLine("outputs of station " + number + " switched off");
    } else {
        ui_.AddMemoLine("outputs of station " + number + " could not be switched off: error " + HexCode(result, 8) +
                        "h");
    }
}

int OnlineOperation::OutputImageLength() const {
    const int last = LastModuleOfStation(model_.CurrentStation);
    const int length = last > 0 ? model_.Module(last)->ByteOffsetOutput : 0;
    return std::clamp(length, 0, static_cast<int>(ControllerAccess::kImageSize));
}

std::uint32_t OnlineOperation::WriteStationOutputs() {
    const auto writeLength = static_cast<std::uint16_t>(OutputImageLength());
    return writeLength > 0 ? access_.WriteProcessData(access_.DataNode, 0, writeLength) : DDI_OK;
}

int OnlineOperation::CountStationModules(int station) const {
    int count = 0;
    for (int i = 1; i <= model_.ModuleCount; ++i) {
        const TModul* m = model_.Module(i);
        if (m && m->ModulZuStations == station && !IsPassive(m->ModulType)) ++count;
    }
    return count;
}

bool OnlineOperation::CheckConfiguration() {
    // A check that fails before the list arrives must not show an older log as its own.
    ui_.ClearMemo();
    BusConfigRead = false;
    if (access_.NodesClosed() && !OpenConnection()) {
        access_.CloseNodePair();
        ui_.AddMemoLine(" no connection to " + model_.CurrentIP + ": " + LastFailure);
        ui_.ShowMessage(std::string(kOpenFailedBox) + "\n" + LastFailure, kCommunicationError);
        return false;
    }
    const int projectCount = CountStationModules(model_.CurrentStation);
    // A check that starts the test sends the outputs off as well; the test's first
    // cycle then writes what the user sets.
    PrepareOutputImage();
    if (diagnosis_ != nullptr) diagnosis_->ResetAndReadState();
    access_.MailboxBuffer.fill(0);
    std::uint32_t result = access_.SendCommand(CmdReadConfiguration, access_.MailboxNode);
    if (result == DDI_OK) result = access_.ConfirmCommand(kConfigurationConfirmation, access_.MailboxNode);
    // A wait that ended without the list is a failed check, not an empty bus.
    if (result != DDI_OK || access_.MailboxBuffer[0] != kConfigurationConfirmation) {
        LastFailure = result != DDI_OK ? CallFailureReason(result) : "the coupler sent no list";
        access_.CloseNodePair();
        ui_.AddMemoLine(" no bus configuration list from " + model_.CurrentIP + ": " + LastFailure);
        return false;
    }
    const int n = std::min<int>(access_.MailboxBuffer[kCountWord], kMaxBusModules);
    BusConfigList.fill(TAlleModule{});
    ComparedRows.clear();
    BusConfigCount = n;
    BusConfigRead = true;
    for (int e = 0; e < n; ++e) {
        const std::uint16_t w = access_.MailboxBuffer[kFirstEntryWord + 2 * static_cast<std::size_t>(e)];
        BusConfigList[static_cast<std::size_t>(e + 1)].idCode = static_cast<std::uint8_t>(w & 0xFF);
        BusConfigList[static_cast<std::size_t>(e + 1)].lengthCode = static_cast<std::uint8_t>(w >> 8);
    }
    ui_.ClearMemo();
    ui_.AddMemoLine(" Bus configuration list: ");
    ui_.AddMemoLine(" -----------------------");
    for (int e = 1; e <= n; ++e) {
        TAlleModule& entry = BusConfigList[static_cast<std::size_t>(e)];
        for (int t = 1; t < catalogue_.CatalogueTypeCount; ++t) {
            const TAlleModule& type = catalogue_.CatalogueTypes[static_cast<std::size_t>(t)];
            if (type.idCode == entry.idCode && type.lengthCode == entry.lengthCode) entry.name += type.name + "  ";
        }
        ui_.AddMemoLine(entry.name);
    }
    const bool ok = CompareConfiguration(n, projectCount);
    access_.CloseNodePair();
    return ok;
}

bool OnlineOperation::CompareConfiguration(int deviceCount, int projectCount) {
    int matched = 0;
    int d = 0;
    for (int i = 1; i <= model_.ModuleCount; ++i) {
        const TModul* m = model_.Module(i);
        if (m == nullptr || m->ModulZuStations != model_.CurrentStation) continue;
        if (!IsPassive(m->ModulType)) ++d;
        if (d >= 1 && d <= kMaxBusModules &&
            BusConfigList[static_cast<std::size_t>(d)].name.find(m->ModulType) != std::string::npos) {
            ++matched;
        }
    }
    const bool ok = matched == deviceCount;
    const std::vector<TAlleModule> reported(BusConfigList.begin() + 1,
                                            BusConfigList.begin() + 1 + std::clamp(deviceCount, 0, kMaxBusModules));
    ComparedRows = CompareConfigurationRows(model_, model_.CurrentStation, reported);
    if (deviceCount != projectCount || !ok) {
        // Expected against found, slot by slot, the first difference marked.
        ui_.AddMemoLine("");
        for (const std::string& line : ConfigurationRowLines(ComparedRows)) ui_.AddMemoLine(line);
        ui_.ShowConfigurationTable(ComparedRows);
    }
    if (deviceCount != projectCount) {
        ui_.ShowMessage("station is different number of moduls !!  ", kCheckCaption);
        return false;
    }
    if (!ok) {
        ui_.ShowMessage("station is different  !!  ", kCheckCaption);
        ui_.SetMemoVisible(true);
        return false;
    }
    if (!model_.Online) ui_.ShowMessage("station OK !!  ", kCheckCaption);
    return true;
}

bool OnlineOperation::CouplerAnswersBeforeCommand() {
    ui_.SetStatusPanel1("");
    ui_.ProcessMessages();
    if (PingCoupler()) return true;
    ui_.ShowMessage(std::string(kCheckIpSettings) + "\n" + LastFailure, kCommunicationError);
    ui_.SetStatusPanel1(std::string(kCheckIpSettings) + "  - " + LastFailure);
    return false;
}

void OnlineOperation::CheckConfigurationCommand() {
    if (!CouplerAnswersBeforeCommand()) return;
    if (model_.Online) EndTestOutputs();
    model_.Online = false;
    buttonImage_ = OnlineImageIndex;
    ui_.SetOnlineButton(false, OnlineImageIndex);
    ui_.SetCycleTimerEnabled(false);
    SetDebugButton(false);
    ui_.SetDebugPanelVisible(false);
    ui_.SetStatusPanel1("");
    ui_.SetMemoVisible(false);
    if (CheckConfiguration()) return;
    DebugShown = true;
    SetDebugButton(true);
    ui_.SetMemoVisible(true);
    ui_.SetDebugPanelVisible(true);
}

void OnlineOperation::SetDebugButton(bool down) {
    ui_.SetDebugButtonDown(down);
    ui_.SetMemoDebugVisible(down && DebugAllowed);
}

void OnlineOperation::OnlineCommand() {
    if (!CouplerAnswersBeforeCommand()) return;
    ModbusWarningShown = false;
    Toggle();
    ui_.SetTypeListEnabled(!model_.Online);
}

void OnlineOperation::Toggle() {
    ui_.SetStatusPanel1("");
    model_.Online = !model_.Online;
    if (model_.Online) {
        if (!CheckConfiguration()) {
            model_.Online = false;
            return;
        }
        if (OpenConnection()) {
            startNotice_ = true;
            ui_.SetDebugPanelVisible(false);
            if (DebugShown) {
                SetDebugButton(true);
                ui_.SetDebugPanelVisible(true);
            }
        } else {
            model_.Online = false;
            access_.CloseNodePair();
            ui_.ShowMessage(std::string(kOpenFailedBox) + "\n" + LastFailure, kCommunicationError);
        }
    } else {
        StopWithOutputsOff();
        return;
    }
    ShowTestState();
}

void OnlineOperation::StopWithOutputsOff() {
    reconnecting_ = false;
    startNotice_ = false;
    buttonImage_ = OnlineImageIndex;
    ui_.SetOnlineButton(false, OnlineImageIndex);
    EndTestOutputs();
    access_.CloseNodePair();
    // The online log goes with the test; the panel stays only for the debug view.
    ui_.SetDebugPanelVisible(DebugShown && DebugAllowed);
    ShowTestState();
}

void OnlineOperation::ShowTestState() {
    ui_.SetOnlineButton(model_.Online, buttonImage_);
    ui_.SetMemoVisible(model_.Online);
    ui_.SetCycleTimerEnabled(model_.Online);
    if (!model_.Online && model_.ModuleCount > 0) {
        ui_.SetLedColor(model_.CurrentCouplerModule, kCouplerOnlineLed, LedColor::Grey);
    }
}

void OnlineOperation::StopTest() {
    if (!model_.Online) return;
    model_.Online = false;
    StopWithOutputsOff();
    ui_.SetTypeListEnabled(true);
}

void OnlineOperation::DebugCommand() {
    DebugShown = !DebugShown;
    SetDebugButton(DebugShown);
    ui_.SetDebugPanelVisible(DebugShown);
}

int OnlineOperation::LastModuleOfStation(int station) const {
    int last = 0;
    for (int i = 1; i <= model_.ModuleCount; ++i) {
        if (const TModul* m = model_.Module(i); m && m->ModulZuStations == station) last = i;
    }
    return last;
}

void OnlineOperation::StopAfterCycleError(const std::string& status) {
    ui_.SetStatusPanel1(status);
    ui_.SetCycleTimerEnabled(false);
    buttonImage_ = OnlineImageIndex;
    ui_.SetOnlineButton(false, OnlineImageIndex);
    EndTestOutputs(false);
    model_.Online = false;
    // Nothing on the screen may look live once the test has stopped.
    ShowInputsDead();
    if (cycleObserver_ != nullptr) cycleObserver_->CycleStopped(status);
}

void OnlineOperation::SkipModule(const TModul& module, const std::string& why) {
    ui_.AddMemoLine(module.ModulType + "  skipped: " + why);
}

// The functions of the I/O cycle are marked hot: the compiler keeps them
// together, so a cycle runs through few pages and cache lines of code.
void OnlineOperation::CycleFailed(const std::string& status) {
    if (!Reconnect) {
        StopAfterCycleError(status);
        return;
    }
    access_.CloseNodePair();
    EndTestOutputs(false);
    reconnecting_ = true;
    RetryCount = 0;
    retryTick_ = 0;
    buttonImage_ = OnlineImageIndex;
    ui_.SetOnlineButton(true, OnlineImageIndex);
    ShowInputsDead();
    ui_.AddMemoLine("connection lost: " + status + "; retrying every 2 s");
    ui_.SetStatusPanel1("coupler not answering, retrying (0)");
}

void OnlineOperation::RetryConnection() {
    // One attempt every 2 s, whatever the test's interval.
    if (++retryTick_ % std::max(1, 2000 / std::max(CycleIntervalMs, 1)) != 0) return;
    ++RetryCount;
    ui_.SetStatusPanel1("coupler not answering, retrying (" + std::to_string(RetryCount) + ")");
    if (!PingCoupler()) return;
    if (const std::uint32_t result = access_.OpenNodePair(); result != DDI_OK) {
        LastFailure = CallFailureReason(result);
        access_.CloseNodePair();
        return;
    }
    reconnecting_ = false;
    if (cycleObserver_ != nullptr) cycleObserver_->Reconnected();
    // As after a stopped test, the outputs start again from off, at once.
    PrepareOutputImage();
    WriteStationOutputs();
    ui_.ClearMemo();
    ui_.AddMemoLine("connection to " + model_.CurrentIP + " back after " + std::to_string(RetryCount) +
                    " retries; the outputs restart from off");
    ui_.SetStatusPanel1(" --- online ---- ");
}

void OnlineOperation::ShowInputsDead() {
    if (model_.ModuleCount > 0) ui_.SetLedColor(model_.CurrentCouplerModule, kCouplerOnlineLed, LedColor::Grey);
    for (int i = 1; i <= model_.ModuleCount; ++i) {
        const TModul* m = model_.Module(i);
        if (m != nullptr && m->ModulZuStations == model_.CurrentStation && m->ReadProc == ReadProcKind::Method1) {
            ui_.SetLedPattern(i, 0);
        }
    }
}

[[gnu::hot]] void OnlineOperation::IoCycle() {
    if (model_.ModuleCount == 0) return;
    if (reconnecting_) {
        RetryConnection();
        return;
    }
    if (cycleObserver_ != nullptr && std::exchange(startNotice_, false)) cycleObserver_->TestStarted();
    // Whatever the cycle reaches, its listeners hear that it is over.
    struct CycleEnd {
        IoCycleObserver* observer;
        ~CycleEnd() {
            if (observer != nullptr) observer->CycleEnded();
        }
    } cycleEnd{cycleObserver_};
    const int coupler = model_.CurrentCouplerModule;
    if (buttonImage_ != kBlinkImageIndex) {
        ui_.SetLedColor(coupler, kCouplerOnlineLed, LedColor::Red);
        buttonImage_ = kBlinkImageIndex;
        ui_.SetOnlineButton(model_.Online, buttonImage_);
        ui_.SetStatusPanel1(" ");
    } else {
        buttonImage_ = OnlineImageIndex;
        ui_.SetOnlineButton(model_.Online, buttonImage_);
        static const std::string kOnlineStatus = " --- online ---- ";
        ui_.SetStatusPanel1Success(kOnlineStatus);
        ui_.SetLedSize(coupler, kCouplerOnlineLed, 12);
        ui_.SetLedColor(coupler, kCouplerOnlineLed, LedColor::Grey);
    }
    ui_.ClearMemo();
    static const std::string kReadSection = "READ Section ------";
    ui_.AddMemoLine(kReadSection);

    const int station = model_.CurrentStation;
    const int last = LastModuleOfStation(station);
    InputLength = last > 0 ? model_.Module(last)->ByteOffsetInput : 0;
    if (access_.DataNode == 0) {
        // Something closed the test's node pair: the test stops and says so, rather
        // than showing itself running with frozen LEDs.
        StopAfterCycleError("NO Handle is exist ");
        ui_.AddMemoLine("the I/O test stopped: its connection to " + model_.CurrentIP + " was closed");
        return;
    }
    const int imageSize = static_cast<int>(ControllerAccess::kImageSize);
    const auto readLength = static_cast<std::uint16_t>(std::clamp(InputLength, 0, imageSize));
    if (const std::uint32_t read = access_.ReadProcessData(access_.DataNode, 0, readLength); read != DDI_OK) {
        LastFailure = CallFailureReason(read);
        CycleFailed("Error read data  CHECK IP settings ??  - " + LastFailure);
        // The library has dropped the node; a later start opens a fresh pair.
        access_.CloseNodePair();
        // Waiting for the coupler: no input of this cycle may light an LED.
        if (reconnecting_) return;
    } else if (cycleObserver_ != nullptr) {
        cycleObserver_->InputsRead(access_.InputImage.data(), readLength);
    }

    for (int i = 1; i <= model_.ModuleCount; ++i) {
        TModul* m = model_.Module(i);
        if (m == nullptr || m->ModulZuStations != station || m->Input <= 0) continue;
        const int start = m->ByteOffsetInput - m->Input;
        if (start < 0 || m->ByteOffsetInput > imageSize) {
            SkipModule(*m, "its input bytes lie outside the 512-byte process image");
            continue;
        }
        const std::uint8_t* bytes = access_.InputImage.data() + start;
        ui_.AddMemoLine(inputTexts_.Update(i, *m, bytes));
        model_.ExchangeModule = i;
        // The first method's LEDs come straight from the bytes just listed in
        // InputData, without reading the list back: it runs for every digital
        // input module in every cycle.
        if (m->ReadProc == ReadProcKind::Method1 && m->Input >= 2) {
            SetInputLeds(i, *m, static_cast<std::uint32_t>(bytes[0]) * 256u + bytes[1]);
        } else {
            RunReadProc(i);
        }
    }

    static const std::string kWriteSection = "WRITE SectionWriteData ------";
    ui_.AddMemoLine(kWriteSection);
    OutputLength = last > 0 ? model_.Module(last)->ByteOffsetOutput : 0;
    const auto writeLength = static_cast<std::uint16_t>(std::clamp(OutputLength, 0, imageSize));
    bool outputsReached = false;
    for (int i = 1; i <= model_.ModuleCount; ++i) {
        TModul* m = model_.Module(i);
        if (m == nullptr || m->ModulZuStations != station || m->output <= 0) continue;
        if (m->ByteOffsetOutput - m->output < 0 || m->ByteOffsetOutput > imageSize) {
            SkipModule(*m, "its output bytes lie outside the 512-byte process image");
            continue;
        }
        model_.ExchangeModule = i;
        RunWriteProc(i);
        ui_.AddMemoLine(OutputLine(i, *m));
        // After a read error the pair is closed: this cycle writes nothing.
        if (access_.DataNode == 0) continue;
        const std::uint32_t result = access_.WriteProcessData(access_.DataNode, 0, writeLength);
        if (result == DDI_OK) {
            outputsReached = true;
            continue;
        }
        if ((result & 0xFF) == kModbusClientCode) {
            ui_.SetStatusPanel1("Error Write!! ModbusClient aktiv");
            if (!ModbusWarningShown) {
                ModbusWarningShown = true;
                ui_.ShowMessage(
                    "ModbusClient is aktiv !! Write Data is not possible !! remove ModbusClient and restart NC-ETH",
                    kCommunicationError);
            }
            continue;
        }
        LastFailure = CallFailureReason(result);
        CycleFailed("Error write data  CHECK IP settings ??  - " + LastFailure);
        access_.CloseNodePair();
        return;
    }
    if (outputsReached && cycleObserver_ != nullptr) {
        cycleObserver_->OutputsWritten(access_.OutputImage.data(), writeLength);
    }
}

void OnlineOperation::RunReadProc(int slot) {
    const TModul* m = model_.Module(slot);
    if (m == nullptr) return;
    switch (m->ReadProc) {
        case ReadProcKind::Method1: ReadMethod1(slot); break;
        case ReadProcKind::Method3: ReadMethod3(slot); break;
        case ReadProcKind::None: break;
    }
}

[[gnu::hot]] void OnlineOperation::RunWriteProc(int slot) {
    const TModul* m = model_.Module(slot);
    if (m == nullptr) return;
    switch (m->WriteProc) {
        case WriteProcKind::Method1: WriteMethod1(slot); break;
        case WriteProcKind::Method2: WriteMethod2(slot); break;
        case WriteProcKind::Method3:
        case WriteProcKind::Method5: WriteMethod3(slot); break;
        case WriteProcKind::Method4: WriteMethod4(slot); break;
        case WriteProcKind::None: break;
    }
}

namespace {

// The first `count` items of a comma list as integers; false when one is missing or
// not a number.
bool TakeInts(std::string_view list, int count, std::int32_t* values) {
    std::string_view item;
    for (int i = 0; i < count; ++i) {
        if (list.empty()) return false;
        NextItem(list, ',', item);
        TrimBlanks(item);
        if (!TryStrToInt(item, values[i])) return false;
    }
    return true;
}

}  // namespace

void OnlineOperation::ReadMethod1(int slot) {
    const TModul* m = model_.Module(slot);
    if (m == nullptr) return;
    std::int32_t bytes[2];
    if (!TakeInts(m->InputData, 2, bytes)) {
        SkipModule(*m, "its LEDs need two input bytes");
        return;
    }
    SetInputLeds(slot, *m, static_cast<std::uint32_t>(bytes[0]) * 256u + static_cast<std::uint32_t>(bytes[1]));
}

[[gnu::hot]] void OnlineOperation::SetInputLeds(int slot, const TModul& module, std::uint32_t value) {
    ui_.SetLedPattern(slot, module.LitLeds(value));
}

void OnlineOperation::ReadMethod3(int slot) {
    TModul* m = model_.Module(slot);
    if (m == nullptr || m->InputData.empty()) return;
    std::int32_t items[4];
    if (!TakeInts(m->InputData, 4, items)) {
        SkipModule(*m, "its channel value needs four input bytes");
        return;
    }
    const int channel = std::clamp(m->MuxChannel, 0, TModul::kChannelCount - 1);
    const std::int32_t value = items[2] * 256 + items[3];
    m->ChannelValue[static_cast<std::size_t>(channel + 1)] = value;
    m->MuxChannel = channel + 1 > 7 ? 0 : channel + 1;
    if (cycleObserver_ != nullptr) cycleObserver_->ChannelRead(slot, channel + 1, value);
}

[[gnu::hot]] const std::string& OnlineOperation::OutputLine(int slot, const TModul& module) {
    ParsedOutput& parsed = parsedOutputs_[static_cast<std::size_t>(slot)];
    const bool textChanged = !SameText(parsed.data, module.OutputData) || parsed.logText.empty();
    if (textChanged) {
        parsed.logText.clear();
        try {
            AppendDecimalListAsHex(module.OutputData, parsed.logText);
        } catch (const ConversionError& e) {
            parsed.logText = e.what();
        }
        parsed.data = module.OutputData;
    }
    if (textChanged || !SameText(parsed.lineType, module.ModulType)) {
        AssignDataLine(parsed.line, module.ModulType, parsed.logText);
        parsed.lineType = module.ModulType;
    }
    return parsed.line;
}

[[gnu::hot]] bool OnlineOperation::CopyItemsToOutputImage(int slot, TModul& module, std::string_view source,
                                                       int skipItems) {
    const int start = module.ByteOffsetOutput - module.output;
    if (start < 0 || module.ByteOffsetOutput > static_cast<int>(ControllerAccess::kImageSize)) {
        SkipModule(module, "its output bytes lie outside the 512-byte process image");
        return false;
    }
    ParsedOutput& parsed = parsedOutputs_[static_cast<std::size_t>(slot)];
    if (SameText(parsed.source, source) && parsed.skipItems == skipItems &&
        parsed.bytes.size() == static_cast<std::size_t>(module.output)) {
        std::copy(parsed.bytes.begin(), parsed.bytes.end(), access_.OutputImage.begin() + start);
        return true;
    }
    std::string_view rest = source;
    std::string_view item;
    for (int i = 0; i < skipItems; ++i) NextItemTrimmed(rest, ',', item);
    // Check every byte first, so a bad item never leaves half a module's outputs written.
    std::array<std::uint8_t, ControllerAccess::kImageSize> bytes;
    for (int i = 0; i < module.output; ++i) {
        NextItemTrimmed(rest, ',', item);
        std::int32_t value = 0;
        if (!TryStrToInt(item, value) || value < 0 || value > 255) {
            SkipModule(module, "output item '" + std::string(item) + "' is not a byte value");
            return false;
        }
        bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
    }
    std::copy_n(bytes.begin(), module.output, access_.OutputImage.begin() + start);
    parsed.source = source;
    parsed.skipItems = skipItems;
    parsed.bytes.assign(bytes.begin(), bytes.begin() + module.output);
    return true;
}

[[gnu::hot]] void OnlineOperation::WriteMethod1(int slot) {
    TModul* m = model_.Module(slot);
    if (m == nullptr || m->OutputData.empty()) return;
    // A two-byte module takes the last two of its four items.
    CopyItemsToOutputImage(slot, *m, m->OutputData, m->output == 2 ? 2 : 0);
}

void OnlineOperation::WriteMethod2(int slot) {
    TModul* m = model_.Module(slot);
    if (m == nullptr || m->Parameter.empty()) return;
    std::string_view list = m->Parameter;
    std::string_view item;
    std::int32_t words[2];
    for (std::int32_t& word : words) {
        NextItemTrimmed(list, ',', item);
        if (!TryStrToInt(item, word)) {
            SkipModule(*m, "parameter item '" + std::string(item) + "' is not a number");
            return;
        }
    }
    const std::int64_t a = static_cast<std::int64_t>(words[0]) + 0x8000;
    const std::int64_t b = static_cast<std::int64_t>(words[1]) + 0x8000;
    if (a < 0 || a > 0xFFFF || b < 0 || b > 0xFFFF) {
        SkipModule(*m, "its parameter words do not fit 16 bits");
        return;
    }
    m->OutputData = WordBytes(static_cast<std::uint16_t>(a), static_cast<std::uint16_t>(b));
    CopyItemsToOutputImage(slot, *m, m->OutputData);
}

void OnlineOperation::WriteMethod3(int slot) {
    TModul* m = model_.Module(slot);
    if (m == nullptr || m->OutputData.empty()) return;
    CopyItemsToOutputImage(slot, *m, m->OutputData);
}

void OnlineOperation::WriteMethod4(int slot) {
    TModul* m = model_.Module(slot);
    if (m == nullptr) return;
    std::int32_t p[8] = {};
    ParseIntList(m->Parameter, p, 7, 1, 8);
    const int k = std::clamp(m->MuxChannel, 0, 7);
    const auto c = static_cast<std::uint16_t>((k + 0x50) * 256);
    const std::int64_t v = static_cast<std::int64_t>(p[k]) + 0x8000;
    if (v < 0 || v > 0xFFFF) {
        SkipModule(*m, "its parameter word of channel " + std::to_string(k + 1) + " does not fit 16 bits");
        return;
    }
    m->OutputData = WordBytes(c, static_cast<std::uint16_t>(v));
    CopyItemsToOutputImage(slot, *m, m->OutputData);
}

}  // namespace korvo
