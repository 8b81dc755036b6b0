// The longest stretch the main window's event loop stands still while its online
// commands run: check configuration, online (start, cycles, stop), diagnosis read
// and error reset, restart and a ping, offscreen, against (a) a good simulated
// coupler, (b) one that accepts connections and never answers, (c) a refused port
// and (d) a coupler that stops answering in the middle of the I/O test. The echo
// and the clock are the real ones; the library keeps its own time limits. Goal:
// at most 100 ms in every scenario. --verbose adds each scenario's time and boxes.

#include "program_folder.h"
#include "simulated_coupler.h"

#include "access/windows/system_config.h"
#include "shell/windows/main_form.h"
#include "tools/windows/eth_ping_window.h"

#include <quorrin.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr qint64 kGoalMs = 100;

std::string RandomAddress() {
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> part(1, 254);
    return "127." + std::to_string(part(random)) + "." + std::to_string(part(random)) + "." +
           std::to_string(part(random));
}

// Accepts every connection on the coupler's port and never sends a byte.
class SilentCoupler {
public:
    explicit SilentCoupler(const std::string& address) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(korvo::sim::kDefaultPort);
        ::inet_pton(AF_INET, address.c_str(), &where.sin_addr);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || ::listen(listener_, 16) != 0) {
            throw std::runtime_error("cannot listen on " + address);
        }
        thread_ = std::thread([this] {
            for (;;) {
                const int client = ::accept(listener_, nullptr, nullptr);
                if (client < 0) return;
                clients_.push_back(client);
            }
        });
    }
    ~SilentCoupler() {
        ::shutdown(listener_, SHUT_RDWR);
        ::close(listener_);
        thread_.join();
        for (const int client : clients_) ::close(client);
    }

private:
    int listener_ = -1;
    std::vector<int> clients_;
    std::thread thread_;
};

// The largest interval between two turns of the event loop, seen by a 2 ms timer.
class GapProbe {
public:
    GapProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(2);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            maxGap_ = std::max(maxGap_, since_.restart());
        });
        since_.start();
        timer_.start();
    }
    qint64 MaxGap() const { return std::max(maxGap_, since_.elapsed()); }

private:
    QTimer timer_;
    QElapsedTimer since_;
    qint64 maxGap_ = 0;
};

struct Step {
    const char* what;
    std::function<void()> run;
    int thenWaitMs;
};

// Runs the steps from the event loop, each after the wait of the one before.
void RunSteps(const std::vector<Step>& steps) {
    QEventLoop loop;
    std::size_t next = 0;
    std::function<void()> runNext = [&] {
        if (next == steps.size()) {
            loop.quit();
            return;
        }
        const Step& step = steps[next++];
        step.run();
        QTimer::singleShot(step.thenWaitMs, &loop, runNext);
    };
    QTimer::singleShot(0, &loop, runNext);
    loop.exec();
}

void WaitMs(int ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QAction* ActionNamed(korvo::TMainForm& form, const char* name) {
    return form.findChild<QAction*>(QString::fromLatin1(name));
}

void Click(QWidget* window, const char* name) {
    if (auto* button = window->findChild<QPushButton*>(QString::fromLatin1(name))) button->click();
}

enum class Peer { Good, Silent, Refused, StopsMidTest };

struct Limits {
    std::int32_t connect = 0;
    std::int32_t receive = 0;
};

Limits LibraryLimits() {
    Limits limits;
    std::int32_t size = sizeof limits.connect;
    ETH_GetClientOptions(ETH_OPTION_CONNECT_TIMEOUT, &limits.connect, &size);
    size = sizeof limits.receive;
    ETH_GetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &limits.receive, &size);
    return limits;
}

void SetLibraryLimits(const Limits& limits) {
    ETH_SetClientOptions(ETH_OPTION_CONNECT_TIMEOUT, &limits.connect, sizeof limits.connect);
    ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &limits.receive, sizeof limits.receive);
}

bool verbose = false;

qint64 RunScenario(Peer peer, const Limits& limits) {
    const std::string address = RandomAddress();
    ProgramFolder folder(DemoProjectAt(address));
    std::optional<SimulatedCoupler> coupler;
    std::optional<SilentCoupler> silent;
    if (peer == Peer::Good || peer == Peer::StopsMidTest) {
        coupler.emplace(address, folder.FilePath(QStringLiteral("korvo.ini")).toStdString(),
                        folder.FilePath(QStringLiteral("korvo_config.ini")).toStdString());
    } else if (peer == Peer::Silent) {
        silent.emplace(address);
    }
    // The simulated coupler shortens the library's limits for the tests; here they
    // stay what a user has.
    SetLibraryLimits(limits);
    MessageBoxRecorder boxes;
    korvo::TMainForm form(folder.Path());
    form.show();
    WaitMs(200);
    if (form.frmKonfig() == nullptr) throw std::runtime_error("the main window did not start");

    const auto online = [&form] { return form.frmKonfig()->Model().Online; };
    GapProbe probe;
    std::vector<Step> steps{
        {"check", [&] { ActionNamed(form, "Toolconfig")->trigger(); }, 300},
        {"online", [&] { ActionNamed(form, "ToolTest")->trigger(); }, 2500},
    };
    if (peer == Peer::StopsMidTest) {
        steps.push_back({"coupler stops answering",
                         [&] {
                             korvo::sim::Fault fault = korvo::sim::Fault::of(korvo::sim::FaultKind::Silent, 0);
                             fault.times = 1000000;
                             coupler->Simulator().inject(fault);
                         },
                         6000});
    }
    steps.push_back({"online off", [&] {
                         if (online()) ActionNamed(form, "ToolTest")->trigger();
                     },
                     300});
    steps.push_back({"diagnosis read", [&] { Click(form.frmsystemconfig(), "ButtonReadBusState"); }, 300});
    steps.push_back({"error reset", [&] { Click(form.frmsystemconfig(), "ButtonErrorReset"); }, 300});
    steps.push_back({"restart", [&] { ActionNamed(form, "PopupRestart")->trigger(); }, 3000});
    steps.push_back({"ping", [&] {
                         form.frmPing()->Open(address);
                         Click(form.frmPing(), "btnPing");
                     },
                     300});
    QElapsedTimer took;
    took.start();
    RunSteps(steps);
    const qint64 gap = probe.MaxGap();
    if (verbose) {
        std::printf("  %lld ms; boxes: %s\n", static_cast<long long>(took.elapsed()),
                    qUtf8Printable(boxes.boxes.join(QStringLiteral(" / ")).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    }
    if (online()) ActionNamed(form, "ToolTest")->trigger();
    if (coupler) coupler->Simulator().clearFaults();
    return gap;
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    verbose = argc > 1 && std::strcmp(argv[1], "--verbose") == 0;
    const Limits limits = LibraryLimits();
    if (korvo::SendEcho("127.0.0.1", 300).notPermitted) {
        std::printf("note: this user may not send ICMP echoes, so every command stops at its echo\n");
    }
    std::printf("library limits: connect %d s, receive %d s\n", limits.connect, limits.receive);
    bool met = true;
    const std::pair<Peer, const char*> scenarios[] = {{Peer::Good, "good coupler"},
                                                      {Peer::Silent, "coupler accepts and never answers"},
                                                      {Peer::Refused, "refused port"},
                                                      {Peer::StopsMidTest, "coupler stops answering mid-test"}};
    for (const auto& [peer, name] : scenarios) {
        try {
            const qint64 gap = RunScenario(peer, limits);
            met = met && gap <= kGoalMs;
            std::printf("max event-loop gap: %lld ms (%s)\n", static_cast<long long>(gap), name);
            std::fflush(stdout);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "window freeze bench: %s: %s\n", name, e.what());
            return 2;
        }
    }
    std::printf("goal: at most %lld ms in every scenario: %s\n", static_cast<long long>(kGoalMs),
                met ? "met" : "missed");
    return met ? 0 : 1;
}
