#pragma once
// Station 1 of a project behind a simulated coupler on the test's own loopback
// address, for the main window's online commands and the coupler windows. The live
// input thread stays off, so a test sets the inputs itself and sees exactly those;
// the recorded message boxes replace the real ones, which would wait for a click.

#include "program_folder.h"

#include "access/clock.h"
#include "korvo_sim/simulator.h"
#include "tools/pinger.h"
#include "ui/message_box.h"
#include "simulated_station.h"

#include <quorrin.h>

#include <QStringList>
#include <QTest>

#include <memory>
#include <set>
#include <string>

// The demo project with station 1 at the test's address. Station 2 points at an
// address nothing answers, so only station 1 is reachable.
inline QByteArray DemoProjectAt(const std::string& address) {
    QByteArray demo = ProgramFolder::DemoProject();
    demo.replace("127.0.0.11", "127.0.0.169");
    demo.replace("127.0.0.10", QByteArray::fromStdString(address));
    return demo;
}

// Time that moves only when the code under test looks at it or pauses.
class FakeClock final : public korvo::Clock {
public:
    std::uint64_t TickMs() override { return now += 5; }
    void SleepMs(std::uint32_t ms) override { now += ms; }
    std::uint64_t now = 0;
};

// Answers the echo for the addresses it knows, as a reachable coupler would.
class FakePinger final : public korvo::Pinger {
public:
    korvo::EchoResult Ping(const std::string& host) override {
        korvo::EchoResult result;
        result.sent = true;
        if (reachable.count(host)) {
            result.reply.bytes = 32;
            result.reply.address = host;
        }
        return result;
    }
    std::set<std::string> reachable;
};

// Every box as "caption|text", in order, for as long as the recorder lives.
class MessageBoxRecorder {
public:
    MessageBoxRecorder() : previous_(korvo::MessageBoxSeam()) {
        korvo::MessageBoxSeam() = [this](QWidget*, const QString& text, const QString& caption) {
            boxes << caption + QLatin1Char('|') + text;
        };
    }
    ~MessageBoxRecorder() { korvo::MessageBoxSeam() = previous_; }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    QStringList boxes;

private:
    korvo::MessageBoxFunction previous_;
};

class SimulatedCoupler {
public:
    // project and catalogue are files; the modules of the project's station 1 sit on
    // the bus of a coupler listening on address.
    SimulatedCoupler(const std::string& address, const std::string& project, const std::string& catalogue,
                     korvo::sim::StationOptions options = {})
        : simulator_(korvo::sim::SimulatorOptions{address}),
          station_(simulator_.controller(), korvo::sim::SimulatedStation::FromProject(project, catalogue), options) {
        simulator_.controller().setMailboxHandler(
            [this](std::uint16_t node, const korvo::sim::MailboxMessage& sent) { return station_.onMailbox(node, sent); });
        simulator_.start();
        // Failures must show quickly, not after the library's usual seconds.
        const std::int32_t seconds = 1;
        ETH_SetClientOptions(ETH_OPTION_CONNECT_TIMEOUT, &seconds, sizeof seconds);
        ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &seconds, sizeof seconds);
    }
    ~SimulatedCoupler() {
        simulator_.controller().setMailboxHandler(nullptr);
        simulator_.stop();
    }

    korvo::sim::Controller& Controller() { return simulator_.controller(); }
    korvo::sim::Simulator& Simulator() { return simulator_; }
    korvo::sim::SimulatedStation& Station() { return station_; }
    // The bus module of a type, as the coupler places it in its images.
    const korvo::sim::BusModule& Module(const std::string& type) const {
        for (const korvo::sim::BusModule& m : station_.bus()) {
            if (m.type == type) return m;
        }
        throw std::runtime_error("no " + type + " on the simulated bus");
    }

private:
    korvo::sim::Simulator simulator_;
    korvo::sim::SimulatedStation station_;
};

// The demo project in a program folder of its own (with `extra` lines after it), its
// station 1 behind a simulated coupler on address, and the echo, clock and message
// boxes a main window is given in a test.
struct DemoOnline {
    explicit DemoOnline(const std::string& address, const QByteArray& extra = {})
        : folder(DemoProjectAt(address) + extra),
          coupler(address, folder.FilePath(QStringLiteral("korvo.ini")).toStdString(),
                  folder.FilePath(QStringLiteral("korvo_config.ini")).toStdString()) {
        pinger.reachable.insert(address);
    }
    korvo::OnlineSeams Seams() { return korvo::OnlineSeams{&pinger, &clock}; }

    ProgramFolder folder;
    SimulatedCoupler coupler;
    FakePinger pinger;
    FakeClock clock;
    MessageBoxRecorder boxes;
};
