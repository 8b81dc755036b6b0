#include "bootp_command.h"

#include "access/ddi_funktionen.h"
#include "online/online_operation.h"
#include "station/catalogue.h"
#include "station/station_model.h"
#include "station/text_encoding.h"
#include "station/versch.h"
#include "station/dotted_address.h"
#include "tools/bootp_socket.h"
#include "tools/udp_bootp_server.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <optional>
#include <ostream>

namespace korvo {

namespace {

constexpr const char* kUsage =
    "usage: korvo bootp --mac MAC --ip IP [--mask M] [--gateway G] [--once] [--restart PRESENT-ADDRESS]\n"
    "                   [--port PORT] [--timeout SECONDS]";
constexpr int kPollMs = 200;

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

// Stops the wait on SIGINT and SIGTERM and puts the previous handlers back at the end.
class StopSignals {
public:
    StopSignals() {
        stopRequested = 0;
        struct sigaction action {};
        action.sa_handler = RequestStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previousInt_);
        sigaction(SIGTERM, &action, &previousTerm_);
    }
    ~StopSignals() {
        sigaction(SIGINT, &previousInt_, nullptr);
        sigaction(SIGTERM, &previousTerm_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

// The window's log as lines on standard output, as they happen.
class ConsoleBootpUi final : public BootpUi, public OnlineUi {
public:
    explicit ConsoleBootpUi(std::ostream& out) : out_(out) {}
    void AddLogLine(const std::string& line) override {
        out_ << Cp1252ToUtf8(line) << std::endl;
        lastLine = line;
    }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        out_ << Cp1252ToUtf8(caption) << ": " << Cp1252ToUtf8(text) << std::endl;
    }
    std::string lastLine;

private:
    std::ostream& out_;
};

struct BootpOptions {
    std::map<std::string, std::string> values{{"--mask", "255.255.255.0"}, {"--gateway", "0.0.0.0"}};
    bool once = false;
    int port = kBootpServerPort;
    int timeoutSeconds = 0;
};

bool Fail(std::ostream& err, const std::string& message) {
    err << "korvo: " << message << "\n";
    return false;
}

bool ParseBootpOptions(const std::vector<std::string>& args, BootpOptions& options, std::ostream& err) {
    const std::vector<std::string> valued = {"--mac",     "--ip",   "--mask",   "--gateway",
                                             "--restart", "--port", "--timeout"};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--once") {
            options.once = true;
            continue;
        }
        if (std::find(valued.begin(), valued.end(), arg) == valued.end()) {
            return Fail(err, "unknown argument " + arg + "\n" + kUsage);
        }
        if (i + 1 >= args.size()) return Fail(err, arg + " needs a value\n" + kUsage);
        options.values[arg] = args[++i];
    }
    for (const char* required : {"--mac", "--ip"}) {
        if (!options.values.count(required))
            return Fail(err, std::string(required) + " is missing\n" + kUsage);
    }
    for (const auto& [name, text] : options.values) {
        if (name == "--port" || name == "--timeout") {
            std::int32_t number = 0;
            const bool port = name == "--port";
            if (!TryStrToInt(text, number) || number < 1 || number > (port ? 65535 : 86400)) {
                return Fail(err, name + " " + text + " is not a valid value");
            }
            (port ? options.port : options.timeoutSeconds) = number;
            continue;
        }
        const ParsedAddress parsed = name == "--mac" ? ParseMacText(text) : ParseIpText(text);
        if (!parsed.ok) return Fail(err, name + " \"" + text + "\" " + parsed.why);
    }
    return true;
}

}  // namespace

int RunBootpCommand(const std::vector<std::string>& args, const std::string& program, std::ostream& out,
                    std::ostream& err) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        out << kUsage << "\n";
        return 0;
    }
    BootpOptions options;
    if (!ParseBootpOptions(args, options, err)) return 2;

    BootpSocket socket;
    const auto port = static_cast<std::uint16_t>(options.port);
    if (!socket.Open({port, "255.255.255.255", kBootpClientPort})) {
        err << "korvo: " << PortUnavailableText(port, socket.OpenErrno(), program) << "\n";
        return 2;
    }

    StationModel model(nullptr, "/");
    CatalogueList catalogue;
    ControllerAccess access(model.CurrentIP);
    ConsoleBootpUi ui(out);
    Pinger pinger;
    OnlineOperation online(model, catalogue, access, ui, pinger);
    BootpServer server(model, access, online, pinger, socket, ui);
    server.FormActivate();
    server.FieldChanged(BootpField::MaskEdit_IP, options.values["--ip"]);
    server.FieldChanged(BootpField::SubnetMask, options.values["--mask"]);
    server.FieldChanged(BootpField::MaskGateway, options.values["--gateway"]);
    server.FieldChanged(BootpField::MaskEdit_MAC, options.values["--mac"]);
    if (options.values.count("--restart")) {
        const std::string& present = options.values["--restart"];
        server.FieldChanged(BootpField::MaskEdit_IP1, present);
        // The log line says whether it went out, and why not.
        if (!server.Button3Click()) {
            err << "korvo: cannot restart the coupler at " << present << ": " << Cp1252ToUtf8(ui.lastLine)
                << "\n";
            return 2;
        }
    }
    server.CheckIPClick(true);

    const StopSignals signals;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
    std::vector<std::uint8_t> datagram;
    while (!stopRequested) {
        if (options.timeoutSeconds > 0 && std::chrono::steady_clock::now() >= deadline) break;
        if (!socket.WaitReadable(kPollMs)) continue;
        while (socket.Receive(datagram)) {
            server.UDPServer67UDPRead(datagram);
            if (options.once && server.RepliesSent() > 0) return 0;
        }
    }
    if (server.RepliesSent() > 0) return 0;
    err << "korvo: no request from " << options.values["--mac"] << " was answered";
    if (options.timeoutSeconds > 0 && !stopRequested) err << " within " << options.timeoutSeconds << " s";
    err << "\n";
    return 1;
}

}  // namespace korvo
