#pragma once
// Online work with the current station's coupler: reachability, opening the node
// pair, the configuration check against the modules the coupler reports, and the I/O
// test cycle that reads all inputs and writes the outputs once per second.

#include "access/connection_opener.h"
#include "access/ddi_funktionen.h"
#include "online/configuration_rows.h"
#include "online/cycle_texts.h"
#include "online/io_cycle_observer.h"
#include "online/online_ui.h"
#include "tools/pinger.h"
#include "station/catalogue.h"
#include "station/station_model.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace korvo {

class CouplerDiagnosis;

class OnlineOperation : public ConnectionOpener {
public:
    static constexpr int kMaxBusModules = 100;
    static constexpr int kOnlineImageIndex = 6;
    static constexpr int kBlinkImageIndex = 0;
    static constexpr int kCouplerOnlineLed = 17;

    OnlineOperation(StationModel& model, const CatalogueList& catalogue, ControllerAccess& access, OnlineUi& ui,
                    Pinger& pinger);

    // The error reset before each configuration check is the diagnosis window's.
    void SetDiagnosis(CouplerDiagnosis* diagnosis) { diagnosis_ = diagnosis; }
    // Told what every I/O cycle exchanged (the commissioning record); may be null.
    void SetCycleObserver(IoCycleObserver* observer) { cycleObserver_ = observer; }

    // The echo waits this long in every use.
    static constexpr int kEchoTimeoutMs = 1000;
    bool PingReply = false;
    // Why the last failed step failed ("connection refused", "no answer within 2 s",
    // "outputs refused by the coupler's watchdog (00A2)"); the line below a fixed text.
    std::string LastFailure;
    int InputLength = 0;
    int OutputLength = 0;
    bool ModbusWarningShown = false;
    bool DebugShown = false;
    // The settings show the debug button ("Debug=1"); without it nothing can hide a
    // panel left open for the debug view.
    bool DebugAllowed = false;
    int OnlineImageIndex = kOnlineImageIndex;
    // Entries 1..100 as the coupler reported them; entry 0 is unused.
    std::array<TAlleModule, kMaxBusModules + 1> BusConfigList{};
    int BusConfigCount = 0;
    // Whether the last configuration check received the coupler's module list at all.
    bool BusConfigRead = false;
    // The last compared list, position by position; empty before a list arrived.
    std::vector<ConfigurationRow> ComparedRows;

    // The outputs stay as the user last set them when the test stops (off by default:
    // the test switches them off).
    bool KeepOutputsWhenStopped = false;
    // A cycle that loses the coupler retries every 2 s instead of ending the test, and
    // resumes by itself once the coupler answers (the window ticks it on by default).
    bool Reconnect = false;
    int RetryCount = 0;
    // The I/O test's timer interval; the reconnection keeps its 2 s pace at any of them.
    int CycleIntervalMs = 1000;
    bool Reconnecting() const { return reconnecting_; }

    bool PingCoupler() override;
    bool OpenConnection() override;
    std::string FailureReason() const override { return LastFailure; }
    // The current station's output image with its outputs off: digital, relay and
    // analog outputs 0, while the output words of its input modules (parameters of the
    // analog and temperature inputs, the counter's commands) come from their records,
    // as zeroing them would parameterise the module anew. Bytes of other stations are 0.
    void PrepareOutputImage() override;
    // The test ends: unless KeepOutputsWhenStopped, the station's outputs are switched
    // off in the module records and, while the node pair is open, on the coupler, and
    // the online log says so. `reachable` is false when the connection is known lost.
    void EndTestOutputs(bool reachable = true);
    int CountStationModules(int station) const;
    bool CheckConfiguration();
    bool CompareConfiguration(int deviceCount, int projectCount);

    // The main window's commands.
    void CheckConfigurationCommand();
    void OnlineCommand();
    void DebugCommand();
    // Ends a running test as its stop button does, without the echo check first: the
    // program closes, another project is opened or a new one started.
    void StopTest();

    // One tick of the I/O test's timer.
    void IoCycle();

    // The modules' read and write methods; ExchangeModule names the module.
    void ReadMethod1(int slot);
    void ReadMethod3(int slot);
    void WriteMethod1(int slot);
    void WriteMethod2(int slot);
    void WriteMethod3(int slot);
    void WriteMethod4(int slot);
    void RunReadProc(int slot);
    void RunWriteProc(int slot);

    // The image the online button shows now.
    int OnlineButtonImage() const { return buttonImage_; }

private:
    // The echo check both commands start with; reports an unreachable coupler.
    bool CouplerAnswersBeforeCommand();
    std::string NoEchoReason() const;
    void Toggle();
    // The stop half of Toggle: outputs off, node pair closed, buttons and LEDs.
    void StopWithOutputsOff();
    void ShowTestState();
    // The debug button and the module dump beside the online log go together.
    void SetDebugButton(bool down);
    void StopAfterCycleError(const std::string& status);
    // A failed read or write: the test stops, or with Reconnect waits for the coupler.
    void CycleFailed(const std::string& status);
    void RetryConnection();
    // The current station's part of the output image to the coupler.
    std::uint32_t WriteStationOutputs();
    int OutputImageLength() const;
    // The coupler's LED and the input LEDs grey: nothing shown is live.
    void ShowInputsDead();
    int LastModuleOfStation(int station) const;
    // Copies a comma list of byte values, `source` after its first `skipItems`
    // items, into the module's part of the output image. The bytes of an
    // unchanged source are taken from the cycle before.
    bool CopyItemsToOutputImage(int slot, TModul& module, std::string_view source, int skipItems = 0);
    // The LEDs of an input module for the input word `value`.
    void SetInputLeds(int slot, const TModul& module, std::uint32_t value);
    // An output module's log line: its type and its output text as a hex list,
    // or why the text has none. Made again only when the text or type changed.
    const std::string& OutputLine(int slot, const TModul& module);
    void SkipModule(const TModul& module, const std::string& why);
    // A module whose output bytes are real outputs (digital, relay, analog), not the
    // parameter or command words of an input module.
    static bool HasRealOutputs(const TModul& module) { return module.output > 0 && module.Input <= 0; }

    StationModel& model_;
    const CatalogueList& catalogue_;
    ControllerAccess& access_;
    OnlineUi& ui_;
    Pinger& pinger_;
    CouplerDiagnosis* diagnosis_ = nullptr;
    IoCycleObserver* cycleObserver_ = nullptr;
    int buttonImage_ = kOnlineImageIndex;
    bool reconnecting_ = false;
    // The next cycle is the test's first: its listeners hear TestStarted before it.
    bool startNotice_ = false;
    int retryTick_ = 0;
    InputTexts inputTexts_;
    // What the last cycle made of each slot's output texts: outputs that did not change
    // are not parsed again in every cycle.
    struct ParsedOutput {
        std::string source;
        int skipItems = 0;
        std::vector<std::uint8_t> bytes;
        std::string data;
        std::string logText;
        std::string line;
        std::string lineType;
    };
    std::array<ParsedOutput, StationModel::kMaxModules + 1> parsedOutputs_{};
};

}  // namespace korvo
