#include "online_commands.h"

#include "input_files.h"
#include "json_text.h"
#include "command_deadline.h"
#include "cycle_times.h"
#include "stop_signals.h"

#include "access/call_failure.h"
#include "access/coupler_diagnosis.h"
#include "access/ddi_funktionen.h"
#include "access/nc_restart.h"
#include "io_record.h"
#include "io_trace.h"
#include "online/io_test_header.h"
#include "online/online_operation.h"
#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_budget.h"
#include "station/station_model.h"
#include "station/text_encoding.h"
#include "station/versch.h"

#include <quorrin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <thread>

namespace korvo {

namespace {

// Reports what the windows would show: boxes as lines, the online log as it grows.
class ConsoleUi final : public OnlineUi, public DiagnosisUi, public RestartUi {
public:
    ConsoleUi(std::ostream& out, std::ostream& err, bool printLog) : out_(out), err_(err), printLog_(printLog) {}

    void ShowMessage(const std::string& text, const std::string& caption) override {
        lastMessage = text;
        (caption == "communication error" ? err_ : out_) << Cp1252ToUtf8(caption) << ": " << Cp1252ToUtf8(text)
                                                         << "\n";
    }
    void SetStatusPanel1(const std::string& text) override { lastStatus = text; }
    void AddMemoLine(const std::string& line) override {
        if (holdLog) {
            heldLines.push_back(line);
        } else if (printLog_) {
            out_ << Cp1252ToUtf8(line) << "\n";
        }
    }
    void ClearMemo() override { heldLines.clear(); }
    // Prints the lines held back since the memo was last cleared.
    void PrintHeldLines() {
        for (const std::string& line : heldLines) out_ << Cp1252ToUtf8(line) << "\n";
        heldLines.clear();
    }
    void SetStatus(const std::string& text) override { diagnosisStatus = text; }
    void CloseWindow() override { closed = true; }

    std::string lastMessage;
    std::string lastStatus;
    std::string diagnosisStatus;
    bool closed = false;
    // Lines of an I/O cycle wait until the cycle is known to have succeeded,
    // so a failed read never shows as input bytes.
    bool holdLog = false;
    std::vector<std::string> heldLines;

private:
    std::ostream& out_;
    std::ostream& err_;
    bool printLog_;
};

struct Options {
    std::vector<std::string> positional;
    std::string catalogue;
    std::string record;
    int station = 1;
    int count = 1;
    int intervalMs = 1000;
    int timeoutSeconds = 60;
    std::string trend;
    std::string events;
    bool wait = false;
    bool keepOutputs = false;
    bool json = false;
};

std::optional<int> Number(const std::string& text, int min, int max) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value) || value < min || value > max) return std::nullopt;
    return value;
}

// Parses the options a command allows; prints the error and returns false on a bad one.
bool ParseOptions(const std::vector<std::string>& args, const std::vector<std::string>& allowed,
                  std::size_t positionals, const std::string& usage, Options& options, std::ostream& err) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool known = std::find(allowed.begin(), allowed.end(), arg) != allowed.end();
        if (!arg.empty() && arg[0] == '-' && !known) {
            err << "korvo: unknown option " << arg << "\n" << usage << "\n";
            return false;
        }
        if (arg == "--wait") {
            options.wait = true;
            continue;
        }
        if (arg == "--keep-outputs") {
            options.keepOutputs = true;
            continue;
        }
        if (arg == "--json") {
            options.json = true;
            continue;
        }
        if (known) {
            if (i + 1 >= args.size()) {
                err << "korvo: " << arg << " needs a value\n" << usage << "\n";
                return false;
            }
            const std::string& value = args[++i];
            std::optional<int> number;
            if (arg == "--catalogue") {
                options.catalogue = value;
                continue;
            }
            if (arg == "--record" || arg == "--trend" || arg == "--events") {
                if (value.empty()) {
                    err << "korvo: " << arg << " needs a file name\n" << usage << "\n";
                    return false;
                }
                (arg == "--record" ? options.record : arg == "--trend" ? options.trend : options.events) = value;
                continue;
            }
            if (arg == "--station") number = Number(value, 1, StationModel::kMaxModules);
            if (arg == "--cycles" || arg == "-c") number = Number(value, 1, 1000000);
            if (arg == "--interval") number = Number(value, 0, 60000);
            if (arg == "--timeout") number = Number(value, 1, 86400);
            if (!number) {
                err << "korvo: " << arg << " " << value << " is not a valid value\n" << usage << "\n";
                return false;
            }
            if (arg == "--station") options.station = *number;
            if (arg == "--cycles" || arg == "-c") options.count = *number;
            if (arg == "--interval") options.intervalMs = *number;
            if (arg == "--timeout") options.timeoutSeconds = *number;
            continue;
        }
        options.positional.push_back(arg);
    }
    if (options.positional.size() != positionals) {
        err << usage << "\n";
        return false;
    }
    return true;
}

// The station of a project, addressed at the coupler given on the command line.
struct OnlineSession {
    ProfileFile catalogueIni;
    CatalogueList catalogue;
    std::unique_ptr<StationModel> model;
    std::unique_ptr<ControllerAccess> access;
    Pinger pinger;

    bool Load(const std::string& address, const std::string& project, const std::string& cataloguePath, int station,
              std::ostream& err) {
        if (const auto why = MissingInputFile(cataloguePath, project)) {
            err << "korvo: " << *why << "\n";
            return false;
        }
        try {
            catalogueIni = ProfileFile::Load(cataloguePath);
            catalogue = ReadCatalogueList(catalogueIni);
            model = std::make_unique<StationModel>(&catalogueIni, "/");
            const ProjectLoadReport report = LoadProject(*model, std::filesystem::path(project));
            for (const std::string& warning : report.warnings) err << "korvo: " << warning << "\n";
        } catch (const ProfileError& e) {
            err << "korvo: " << e.what() << "\n";
            return false;
        }
        int coupler = 0;
        for (int i = 1; i <= model->ModuleCount; ++i) {
            if (model->Module(i)->StationsNummmer == station) coupler = i;
        }
        if (coupler == 0) {
            err << "korvo: the project \"" << project << "\" has no station " << station << "\n";
            return false;
        }
        if (const auto over = OverBudgetRefusal(*model, station)) {
            err << "korvo: " << *over << "\n";
            return false;
        }
        model->CurrentStation = station;
        model->CurrentCouplerModule = coupler;
        model->CurrentIP = address;
        access = std::make_unique<ControllerAccess>(model->CurrentIP);
        return true;
    }
};

// The coupler alone, for commands that need no project.
struct CouplerSession {
    StationModel model{nullptr, "/"};
    CatalogueList catalogue;
    std::unique_ptr<ControllerAccess> access;
    Pinger pinger;

    explicit CouplerSession(const std::string& address) {
        model.CurrentIP = address;
        access = std::make_unique<ControllerAccess>(model.CurrentIP);
    }
};

// True when a node of the pair has been dropped after a network failure.
bool NodeDropped(const ControllerAccess& access) {
    return ETH_GetNetworkError(static_cast<std::int32_t>(access.MailboxNode)) != 0 ||
           ETH_GetNetworkError(static_cast<std::int32_t>(access.DataNode)) != 0;
}

// How long korvo io may take beyond --timeout to end its exchange and write its record.
constexpr std::chrono::seconds kRecordGrace(15);

std::function<void()> Expired(const std::string& command, const std::string& address, int seconds) {
    return ExitOnDeadline(command + " " + address + ": no result within " + std::to_string(seconds) +
                          " s (--timeout)");
}
}  // namespace

namespace {

// The compared list as `korvo check --json` prints it.
void PrintConfigurationRowsJson(const std::vector<ConfigurationRow>& rows, std::ostream& out) {
    out << "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ConfigurationRow& row = rows[i];
        out << (i > 0 ? ",\n " : "\n ") << "{\"slot\": " << row.slot
            << ", \"expected\": " << (row.expected.empty() ? std::string("null") : JsonString(row.expected))
            << ", \"found\": " << (row.reported ? JsonString(row.found) : std::string("null"));
        if (row.reported) {
            out << ", \"idCode\": " << static_cast<int>(row.idCode)
                << ", \"lengthCode\": " << static_cast<int>(row.lengthCode);
        } else {
            out << ", \"idCode\": null, \"lengthCode\": null";
        }
        out << ", \"match\": " << (row.match ? "true" : "false") << "}";
    }
    out << "\n]\n";
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue, std::ostream& out,
                    std::ostream& err) {
    const std::string usage =
        "usage: korvo check ADDRESS PROJECT [--station N] [--catalogue FILE] [--timeout SECONDS] [--json]";
    Options options;
    options.catalogue = defaultCatalogue;
    if (!ParseOptions(args, {"--station", "--catalogue", "--timeout", "--json"}, 2, usage, options, err)) return 2;
    CommandDeadline deadline(std::chrono::seconds(options.timeoutSeconds),
                             Expired("check", options.positional[0], options.timeoutSeconds));
    OnlineSession session;
    if (!session.Load(options.positional[0], options.positional[1], options.catalogue, options.station, err)) return 2;
    // With --json only the table goes to standard output; boxes go to stderr.
    ConsoleUi ui(options.json ? err : out, err, !options.json);
    OnlineOperation online(*session.model, session.catalogue, *session.access, ui, session.pinger);
    CouplerDiagnosis diagnosis(*session.model, *session.access, online, ui);
    online.SetDiagnosis(&diagnosis);
    if (!online.PingCoupler()) {
        err << "korvo: " << options.positional[0] << " does not answer the echo request: ERROR !! check IP settings\n";
        return 2;
    }
    const bool passed = online.CheckConfiguration();
    if (options.json && online.BusConfigRead) PrintConfigurationRowsJson(online.ComparedRows, out);
    if (passed) return 0;
    if (ui.lastMessage.rfind("station is different", 0) == 0) return 1;
    if (ui.lastMessage.empty())
        err << "korvo: the coupler did not confirm the configuration request: " << online.LastFailure << "\n";
    return 2;
}

int RunIoCommand(const std::vector<std::string>& args, const std::string& defaultCatalogue, std::ostream& out,
                 std::ostream& err) {
    const std::string usage =
        "usage: korvo io ADDRESS PROJECT [--cycles N] [--interval MS] [--station N] [--catalogue FILE]\n"
        "                [--timeout SECONDS] [--record FILE.json] [--trend FILE.csv]\n"
        "                [--events FILE.csv|FILE.json] [--keep-outputs]";
    Options options;
    options.catalogue = defaultCatalogue;
    // Many cycles may rightly take long: no overall limit unless one is given.
    options.timeoutSeconds = 0;
    if (!ParseOptions(args, {"--cycles", "--interval", "--station", "--catalogue", "--timeout", "--record",
                             "--trend", "--events", "--keep-outputs"},
                      2, usage, options, err)) {
        return 2;
    }
    const std::string& address = options.positional[0];
    // --timeout ends the test like its last cycle, so that the record is written; the
    // hard limit behind it ends a command stuck past every exchange's own time limit.
    const std::chrono::seconds limit(options.timeoutSeconds);
    const auto softDeadline = std::chrono::steady_clock::now() + limit;
    CommandDeadline deadline(limit.count() > 0 ? limit + kRecordGrace : limit,
                             Expired("io", address, options.timeoutSeconds));
    const StopSignals signals;
    OnlineSession session;
    if (!session.Load(address, options.positional[1], options.catalogue, options.station, err)) return 2;
    ConsoleUi ui(out, err, true);
    ui.holdLog = true;
    OnlineOperation online(*session.model, session.catalogue, *session.access, ui, session.pinger);
    online.KeepOutputsWhenStopped = options.keepOutputs;
    CouplerDiagnosis diagnosis(*session.model, *session.access, online, ui);
    online.SetDiagnosis(&diagnosis);
    // Everything that listens to the cycles: the trend and event files, the record.
    CycleObservers observers;
    online.SetCycleObserver(&observers);
    IoTraceSession trace(*session.model, observers, std::max(options.intervalMs, 1));
    if (!options.trend.empty() && !trace.OpenTrend(options.trend, err)) return 2;
    if (!options.events.empty() && !trace.OpenEvents(options.events, err)) return 2;
    std::unique_ptr<IoRecordSession> record;
    if (!options.record.empty()) {
        record = std::make_unique<IoRecordSession>(*session.model, online, diagnosis, options.positional[1], observers,
                                                   trace.Events());
    }
    if (!online.OpenConnection()) {
        err << "korvo: cannot connect to " << address << ":" << ui.lastStatus << "\n";
        session.access->CloseNodePair();
        if (record) record->WriteUnconnected(options.record, ui.lastStatus, err);
        return 2;
    }
    session.model->Online = true;
    observers.TestStarted();
    int status = 0;
    int cycles = 0;
    std::string ended;  // why the test ended before its last cycle, for the record
    CycleTimes times;
    const auto stopAsked = [&] {
        if (!out.good()) {
            ended = "stopped: the output could not be written";
        } else if (signals.Caught() != 0) {
            ended = "stopped by " + StopSignals::Name(signals.Caught());
        } else if (limit.count() > 0 && std::chrono::steady_clock::now() >= softDeadline) {
            ended = "stopped after " + std::to_string(options.timeoutSeconds) + " s (--timeout)";
        }
        return !ended.empty();
    };
    for (int cycle = 1; cycle <= options.count && !stopAsked(); ++cycle) {
        out << "cycle " << cycle << "\n";
        const auto started = std::chrono::steady_clock::now();
        online.IoCycle();
        cycles = cycle;
        times.Add(std::chrono::steady_clock::now() - started);
        if (!session.model->Online || NodeDropped(*session.access)) {
            err << "korvo: " << address << ": "
                << (session.model->Online ? "the connection was lost during the cycle" : ui.lastStatus) << "\n";
            status = 2;
            break;
        }
        ui.PrintHeldLines();
        if (cycle < options.count) {
            auto pause = std::chrono::milliseconds(options.intervalMs);
            if (limit.count() > 0) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    softDeadline - std::chrono::steady_clock::now());
                pause = std::max(std::chrono::milliseconds(0), std::min(pause, left));
            }
            signals.Wait(pause);
        }
    }
    // The test ends here: the station's outputs go off unless --keep-outputs (a
    // lost connection has set them off in the records already).
    // After a failed cycle its held lines stay unprinted: a failed read never shows
    // as input bytes.
    if (status == 0) {
        online.EndTestOutputs();
        ui.PrintHeldLines();
    }
    session.access->CloseNodePair();
    if (!ended.empty()) {
        err << "korvo: io " << address << ": " << ended << " after " << cycles << " cycles\n";
        status = 2;
    }
    if (status == 0) out << times.Summary() << "\n";
    const bool traced = trace.Finish(err);
    if (record && !record->Write(options.record, cycles, ended, err)) return 2;
    return traced ? status : 2;
}

int RunDiagCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options options;
    if (!ParseOptions(args, {"--timeout"}, 1, "usage: korvo diag ADDRESS [--timeout SECONDS]", options, err)) return 2;
    CommandDeadline deadline(std::chrono::seconds(options.timeoutSeconds),
                             Expired("diag", options.positional[0], options.timeoutSeconds));
    CouplerSession session(options.positional[0]);
    ConsoleUi ui(out, err, false);
    OnlineOperation online(session.model, session.catalogue, *session.access, ui, session.pinger);
    CouplerDiagnosis diagnosis(session.model, *session.access, online, ui);
    if (!online.PingCoupler()) {
        err << "korvo: " << options.positional[0] << " does not answer the echo request: ERROR !! check IP address: "
            << online.LastFailure << "\n";
        return 2;
    }
    diagnosis.ReadBusState();
    const bool connected = session.access->NodesOpen();
    const bool dropped = connected && NodeDropped(*session.access);
    session.access->CloseNodePair();
    if (!connected) {
        err << "korvo: cannot connect to " << options.positional[0] << ":" << ui.lastStatus << "\n";
        return 2;
    }
    // A failed read must not pass for a coupler without state bits.
    if (diagnosis.RegisterResult != DDI_OK) {
        err << "korvo: " << options.positional[0] << ": reading the diagnosis register failed: "
            << CallFailureReason(diagnosis.RegisterResult) << "\n";
        return 2;
    }
    if (dropped) {
        err << "korvo: " << options.positional[0] << ": the test write failed: " << CallFailureReason(diagnosis.TestWriteResult)
            << "\n";
        return 2;
    }
    out << "state: " << CouplerStateText(diagnosis.State) << "\n";
    if (!ui.diagnosisStatus.empty()) out << ui.diagnosisStatus << "\n";
    return 0;
}

int RunRestartCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options options;
    if (!ParseOptions(args, {"--wait", "--timeout"}, 1, "usage: korvo restart ADDRESS [--wait] [--timeout SECONDS]",
                      options, err)) {
        return 2;
    }
    CouplerSession session(options.positional[0]);
    ConsoleUi ui(out, err, false);
    OnlineOperation online(session.model, session.catalogue, *session.access, ui, session.pinger);
    CouplerDiagnosis diagnosis(session.model, *session.access, online, ui);
    NcRestart restart(*session.access, online, diagnosis, ui);
    if (!online.PingCoupler()) {
        err << "korvo: " << options.positional[0] << " does not answer the echo request: ERROR !! check IP address: "
            << online.LastFailure << "\n";
        return 2;
    }
    restart.Activated();
    if (!restart.TimerEnabled) {
        err << "korvo: cannot connect to " << options.positional[0] << ":" << ui.lastStatus << "\n";
        return 2;
    }
    out << "restart sent to " << options.positional[0] << "\n";
    if (!options.wait) return 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
    while (!ui.closed) {
        if (std::chrono::steady_clock::now() >= deadline) {
            session.access->CloseNodePair();
            err << "korvo: the coupler did not report ready within " << options.timeoutSeconds << " s\n";
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(NcRestart::kTickMs));
        restart.TimerTick();
    }
    session.access->CloseNodePair();
    out << "coupler is back: " << (restart.ready ? "ready" : "") << (restart.run ? " run" : "") << "\n";
    return 0;
}

int RunPingCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options options;
    if (!ParseOptions(args, {"-c"}, 1, "usage: korvo ping ADDRESS [-c COUNT]", options, err)) return 2;
    const std::string& host = options.positional[0];
    int replies = 0;
    for (int i = 0; i < options.count; ++i) {
        const auto started = std::chrono::steady_clock::now();
        const EchoResult result = SendEcho(host);
        if (!result.sent) {
            err << "korvo: " << result.error << "\n";
            return 2;
        }
        if (result.reply.bytes > 0) {
            ++replies;
            out << "Reply from " << result.reply.address << ": bytes=" << result.reply.bytes
                << " seq=" << result.reply.sequence << " TTL=" << result.reply.ttl
                << " time=" << result.reply.roundTripMs << "ms\n";
        } else {
            out << "Request timed out.\n";
        }
        // One request per second, as a ping does.
        if (i + 1 < options.count) {
            std::this_thread::sleep_until(started + std::chrono::seconds(1));
        }
    }
    out << options.count << " sent, " << replies << " received\n";
    return replies > 0 ? 0 : 1;
}

}  // namespace korvo
