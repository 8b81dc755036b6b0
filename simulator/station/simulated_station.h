#pragma once
// A simulated station behind the simulated coupler: the modules of one station of a
// project, with their catalogue codes and byte counts. It answers the firmware's
// mailbox commands (bus configuration list, settings, error reset, restart) and keeps
// the input image alive so an I/O test has something to show.

#include "channel_fault.h"
#include "korvo_sim/controller.h"
#include "temperature_module.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvo::sim {

struct BusModule {
    std::string type;
    uint8_t idCode = 0;
    uint8_t lengthCode = 0;
    int in = 0;
    int out = 0;
    int inStart = 0;   // first byte in the input image
    int outStart = 0;  // first byte in the output image
    int channels = 0;  // input channels (tags) of the type
    bool passive = false;
    int slot = 0;      // the module's slot in the project
};

struct StationOptions {
    int missingModule = 0;   // 1-based bus position left off the reported list (0: none)
    int swappedModule = 0;   // 1-based bus position reported with other codes (0: none)
    std::chrono::milliseconds restartTime{3000};  // how long a restart keeps the coupler down
    WriteRefusal baseRefusal = WriteRefusal::None;  // a foreign client or the watchdog
    std::vector<ChannelFault> faults;               // channels that report an error code
    // Project slots whose analog channels ramp: 0, 1000, ... 30000, one step a second.
    std::vector<int> rampSlots;
};

class SimulatedStation {
public:
    static constexpr auto kTick = std::chrono::milliseconds(100);

    SimulatedStation(Controller& controller, std::vector<BusModule> bus, StationOptions options = {});
    ~SimulatedStation();
    SimulatedStation(const SimulatedStation&) = delete;
    SimulatedStation& operator=(const SimulatedStation&) = delete;

    // Reads the modules of station `station` (1-based) of a project with a catalogue.
    // Throws std::runtime_error with a readable reason when that is not possible.
    static std::vector<BusModule> FromProject(const std::string& project, const std::string& catalogue,
                                              int station = 1);
    // The modules of every station of the project, station 1 first; throws as FromProject.
    static std::vector<std::vector<BusModule>> AllFromProject(const std::string& project,
                                                              const std::string& catalogue);

    // Installs the mailbox handler and starts the thread that keeps the inputs alive.
    void start();
    void stop();
    // One step of the live data at the given time since start; the thread calls it.
    void update(std::chrono::milliseconds sinceStart);

    // What the bus reports in the 830Bh list, with the configured faults applied.
    std::vector<BusModule> reportedBus() const;
    const std::vector<BusModule>& bus() const { return bus_; }
    // Command codes received on the mailbox, in order.
    std::vector<uint16_t> receivedCommands() const;
    bool plugAndPlay() const;
    bool bootp() const;
    bool restarting() const;
    // Receives one line whenever the outputs of a module change, so the simulated
    // station shows what the I/O test switches.
    void setOutputLogger(std::function<void(const std::string&)> logger);

    std::vector<MailboxMessage> onMailbox(uint16_t nodeId, const MailboxMessage& sent);

    // The first multi-channel temperature module of the type on the bus, as its
    // configuration and apply commands left it; null when there is none. Read it
    // while the live-input thread is stopped.
    const TemperatureModule* temperatureModuleOf(const std::string& type) const;

private:
    void loop();
    void applyRefusal();
    void logOutputChanges(const Bytes& outputs);
    void updateModule(const BusModule& module, std::chrono::milliseconds t, Bytes& inputs, const Bytes& outputs);
    TemperatureModule& temperatureModule(const BusModule& module);

    Controller& controller_;
    std::vector<BusModule> bus_;
    StationOptions options_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool running_ = false;
    std::thread thread_;
    std::chrono::steady_clock::time_point started_;
    std::vector<uint16_t> commands_;
    bool plugAndPlay_ = false;
    bool bootp_ = true;
    std::chrono::steady_clock::time_point restartUntil_{};
    bool restarting_ = false;
    std::function<void(const std::string&)> outputLogger_;
    std::vector<Bytes> lastOutputs_;
    // One per bus module; only the multi-channel temperature modules use theirs.
    std::vector<TemperatureModule> temperatureModules_;
};

}  // namespace korvo::sim
