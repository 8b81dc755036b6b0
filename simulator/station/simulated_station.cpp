#include "simulated_station.h"

#include "image_words.h"
#include "temperature_module.h"

#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace korvo::sim {

namespace {

constexpr uint16_t kReadConfiguration = 0x030B;
constexpr uint16_t kSetting = 0x0750;
constexpr uint16_t kRestart = 0x0956;
constexpr uint16_t kSettingPlugAndPlay = 0x2240;
constexpr uint16_t kSettingBootp = 0x2295;
constexpr uint16_t kResultUnknownCommand = 0x0001;
constexpr uint16_t kRunning = kDiagReady | kDiagActive | kDiagRun;

uint16_t Word(const Bytes& data, std::size_t index) { return readBe16(data, 2 * index); }

MailboxMessage Confirmation(const std::vector<uint16_t>& words) {
    MailboxMessage message;
    for (std::size_t i = 0; i < words.size(); ++i) writeBe16(message.data, 2 * i, words[i]);
    return message;
}

bool Contains(const std::string& type, const char* part) { return type.find(part) != std::string::npos; }

// The temperature modules that take commands and answer in twelve bytes each way.
bool IsMultiChannelTemperature(const BusModule& m) {
    return m.in == static_cast<int>(TemperatureModule::kRecordBytes) &&
           m.out == static_cast<int>(TemperatureModule::kRecordBytes) &&
           (Contains(m.type, "KORVO TC") || Contains(m.type, "KORVO RT"));
}

}  // namespace

SimulatedStation::SimulatedStation(Controller& controller, std::vector<BusModule> bus, StationOptions options)
    : controller_(controller), bus_(std::move(bus)), options_(options), temperatureModules_(bus_.size()) {}

TemperatureModule& SimulatedStation::temperatureModule(const BusModule& module) {
    return temperatureModules_[static_cast<std::size_t>(&module - bus_.data())];
}

const TemperatureModule* SimulatedStation::temperatureModuleOf(const std::string& type) const {
    for (std::size_t i = 0; i < bus_.size(); ++i) {
        if (bus_[i].type == type) return &temperatureModules_[i];
    }
    return nullptr;
}

SimulatedStation::~SimulatedStation() { stop(); }

namespace {

std::vector<BusModule> BusOfStation(const StationModel& model, int station) {
    std::vector<BusModule> bus;
    for (int i = 1; i <= model.ModuleCount; ++i) {
        const TModul& m = *model.Module(i);
        if (m.ModulZuStations != station) continue;
        BusModule module;
        module.type = m.ModulType;
        module.idCode = m.id_code;
        module.lengthCode = m.lenght_code;
        module.in = m.Input;
        module.out = m.output;
        module.inStart = m.InputStart();
        module.outStart = m.OutputStart();
        module.channels = m.tag_anzahl_input;
        module.passive = m.ModulType == kPassiveType || m.ModulType == kPassiveRowBreakType;
        module.slot = i;
        bus.push_back(module);
    }
    return bus;
}

void LoadStations(StationModel& model, const std::string& project, const std::string& catalogue) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(project, ec)) {
        throw std::runtime_error("cannot open the project \"" + project + "\": no such file");
    }
    if (!std::filesystem::is_regular_file(catalogue, ec)) {
        throw std::runtime_error("cannot open the module catalogue \"" + catalogue + "\": no such file");
    }
    LoadProject(model, std::filesystem::path(project));
}

}  // namespace

std::vector<BusModule> SimulatedStation::FromProject(const std::string& project, const std::string& catalogue,
                                                     int station) {
    const ProfileFile catalogueIni = std::filesystem::is_regular_file(catalogue) ? ProfileFile::Load(catalogue)
                                                                                 : ProfileFile{};
    StationModel model(&catalogueIni, "/");
    LoadStations(model, project, catalogue);
    if (station < 1 || station > model.StationCount) {
        throw std::runtime_error("the project \"" + project + "\" has " + std::to_string(model.StationCount) +
                                 " station(s), not a station " + std::to_string(station));
    }
    return BusOfStation(model, station);
}

std::vector<std::vector<BusModule>> SimulatedStation::AllFromProject(const std::string& project,
                                                                     const std::string& catalogue) {
    const ProfileFile catalogueIni = std::filesystem::is_regular_file(catalogue) ? ProfileFile::Load(catalogue)
                                                                                 : ProfileFile{};
    StationModel model(&catalogueIni, "/");
    LoadStations(model, project, catalogue);
    std::vector<std::vector<BusModule>> stations;
    for (int station = 1; station <= model.StationCount; ++station) stations.push_back(BusOfStation(model, station));
    return stations;
}

std::vector<BusModule> SimulatedStation::reportedBus() const {
    std::vector<BusModule> reported;
    int position = 0;
    for (const BusModule& module : bus_) {
        if (module.passive) continue;
        ++position;
        if (position == options_.missingModule) continue;
        BusModule entry = module;
        if (position == options_.swappedModule) {
            // Another module type in this place: codes no catalogue type of the family uses.
            entry.idCode = static_cast<uint8_t>(entry.idCode ^ 0x0F);
            entry.lengthCode = static_cast<uint8_t>(entry.lengthCode ^ 0xF0);
        }
        reported.push_back(entry);
    }
    return reported;
}

void SimulatedStation::start() {
    {
        std::lock_guard lock(mutex_);
        if (running_) return;
        running_ = true;
        started_ = std::chrono::steady_clock::now();
    }
    applyRefusal();
    controller_.setMailboxHandler([this](uint16_t nodeId, const MailboxMessage& sent) { return onMailbox(nodeId, sent); });
    thread_ = std::thread([this] { loop(); });
}

void SimulatedStation::stop() {
    {
        std::lock_guard lock(mutex_);
        if (!running_) return;
        running_ = false;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    controller_.setMailboxHandler(nullptr);
}

void SimulatedStation::loop() {
    std::unique_lock lock(mutex_);
    while (running_) {
        const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started_);
        lock.unlock();
        update(since);
        lock.lock();
        wake_.wait_for(lock, kTick, [this] { return !running_; });
    }
}

void SimulatedStation::applyRefusal() {
    bool plugAndPlay;
    {
        std::lock_guard lock(mutex_);
        plugAndPlay = plugAndPlay_;
    }
    controller_.setWriteRefusal(plugAndPlay ? WriteRefusal::PlugAndPlay : options_.baseRefusal);
}

std::vector<MailboxMessage> SimulatedStation::onMailbox(uint16_t, const MailboxMessage& sent) {
    const uint16_t code = Word(sent.data, 0);
    {
        std::lock_guard lock(mutex_);
        commands_.push_back(code);
    }
    const uint16_t answer = static_cast<uint16_t>(code | 0x8000);
    switch (code) {
        case kReadConfiguration: {
            const std::vector<BusModule> reported = reportedBus();
            const std::size_t n = std::min<std::size_t>(reported.size(), 100);
            std::vector<uint16_t> words(8 + 2 * n, 0);
            words[0] = answer;
            words[1] = static_cast<uint16_t>(words.size() - 2);
            words[7] = static_cast<uint16_t>(n);
            for (std::size_t e = 0; e < n; ++e) {
                words[8 + 2 * e] = static_cast<uint16_t>(e + 1);
                words[9 + 2 * e] = static_cast<uint16_t>(reported[e].lengthCode << 8 | reported[e].idCode);
            }
            return {Confirmation(words)};
        }
        case kSetting: {
            const uint16_t setting = Word(sent.data, 3);
            const uint16_t value = Word(sent.data, 4);
            {
                std::lock_guard lock(mutex_);
                if (setting == kSettingPlugAndPlay) plugAndPlay_ = value != 0;
                if (setting == kSettingBootp) bootp_ = value != 0;
            }
            applyRefusal();
            return {Confirmation({answer, 1, 0})};
        }
        case 0x1303:
        case 0x0710:
        case 0x0701:
            return {Confirmation({answer, 1, 0})};
        case kRestart: {
            {
                std::lock_guard lock(mutex_);
                restarting_ = true;
                restartUntil_ = std::chrono::steady_clock::now() + options_.restartTime;
            }
            controller_.setDiagnosis(0, 0);
            return {Confirmation({answer, 1, 0})};
        }
        default:
            return {Confirmation({answer, 1, kResultUnknownCommand})};
    }
}

void SimulatedStation::update(std::chrono::milliseconds sinceStart) {
    {
        std::lock_guard lock(mutex_);
        if (restarting_ && std::chrono::steady_clock::now() >= restartUntil_) {
            restarting_ = false;
            controller_.setDiagnosis(kRunning, 0);
        }
    }
    Bytes inputs = controller_.inputs(0, kImageSize);
    const Bytes outputs = controller_.outputs(0, kImageSize);
    for (std::size_t i = 0; i < bus_.size(); ++i) {
        updateModule(bus_[i], sinceStart, inputs, outputs);
        // The multi-channel temperature modules report faults in their error bytes.
        if (!IsMultiChannelTemperature(bus_[i])) ApplyChannelFaults(options_.faults, bus_[i], inputs, outputs);
    }
    controller_.setInputs(0, inputs);
    logOutputChanges(outputs);
}

void SimulatedStation::updateModule(const BusModule& m, std::chrono::milliseconds t, Bytes& inputs,
                                    const Bytes& outputs) {
    if (m.in <= 0 || m.inStart < 0 || m.inStart + m.in > static_cast<int>(kImageSize)) return;
    const double seconds = static_cast<double>(t.count()) / 1000.0;
    const auto second = static_cast<long>(t.count() / 1000);
    const int in = m.inStart;
    const int out = m.outStart;

    if (std::find(options_.rampSlots.begin(), options_.rampSlots.end(), m.slot) != options_.rampSlots.end() &&
        !Contains(m.type, "KORVO AI 8") && !IsMultiChannelTemperature(m)) {
        const auto step = static_cast<uint16_t>(1000 * (second % 31));
        for (int c = 0; c * 2 + 1 < m.in; ++c) PutImageWord(inputs, in + 2 * c, step);
        return;
    }
    if (Contains(m.type, "KORVO DI")) {
        // A lit bit walks once per second across the module's channels.
        const int channels = m.channels > 0 ? std::min(m.channels, 16) : 16;
        PutImageWord(inputs, in, static_cast<uint16_t>(1u << (second % channels)));
    } else if (Contains(m.type, "KORVO AI 8")) {
        // Answers the channel the last multiplex request asked for.
        const uint16_t request = ImageWord(outputs, out);
        const int channel = (request >> 8) >= 0x50 ? std::min((request >> 8) - 0x50, 7) : 0;
        PutImageWord(inputs, in, request);
        PutImageWord(inputs, in + 2,
                static_cast<uint16_t>(std::lround(4000.0 * (channel + 1) + 1500.0 * std::sin(seconds / 10.0))));
    } else if (Contains(m.type, "KORVO AI")) {
        for (int c = 0; c * 2 + 1 < m.in; ++c) {
            PutImageWord(inputs, in + 2 * c,
                    static_cast<uint16_t>(std::lround(16000.0 + 12000.0 * std::sin(seconds / 15.0 + c))));
        }
    } else if (Contains(m.type, "KORVO CT")) {
        // Output word 1 is the command (start, stop, reset, values) or the configuration word.
        const uint16_t command = ImageWord(outputs, out);
        uint16_t configuration = ImageWord(inputs, in);
        uint16_t count = ImageWord(inputs, in + 2);
        if (command >= 0x1000 && command < 0x2000) configuration = command;
        if (command == 0x2400 && t.count() % 1000 < kTick.count()) ++count;
        if (command == 0x2800) count = 0;
        if (command == 0x4000) count = ImageWord(outputs, out + 2);
        PutImageWord(inputs, in, configuration);
        PutImageWord(inputs, in + 2, count);
    } else if (IsMultiChannelTemperature(m)) {
        if (out < 0 || out + m.out > static_cast<int>(kImageSize)) return;
        for (const ChannelFault& fault : options_.faults) {
            if (fault.slot == m.slot) temperatureModule(m).SetError(fault.channel, static_cast<uint8_t>(fault.code & 0xFF));
        }
        temperatureModule(m).Take(&outputs[static_cast<std::size_t>(out)]);
        temperatureModule(m).Answer(seconds, &inputs[static_cast<std::size_t>(in)]);
    } else if (Contains(m.type, "KORVO RT") || Contains(m.type, "KORVO TC")) {
        for (int c = 0; c * 2 + 1 < m.in; ++c) PutImageWord(inputs, in + 2 * c, DriftingTemperature(seconds, c));
    }
}

void SimulatedStation::setOutputLogger(std::function<void(const std::string&)> logger) {
    std::lock_guard lock(mutex_);
    outputLogger_ = std::move(logger);
}

void SimulatedStation::logOutputChanges(const Bytes& outputs) {
    std::lock_guard lock(mutex_);
    lastOutputs_.resize(bus_.size());
    for (std::size_t i = 0; i < bus_.size(); ++i) {
        const BusModule& m = bus_[i];
        if (m.out <= 0 || m.outStart < 0 || m.outStart + m.out > static_cast<int>(kImageSize)) continue;
        const auto first = outputs.begin() + m.outStart;
        Bytes now(first, first + m.out);
        if (now == lastOutputs_[i]) continue;
        lastOutputs_[i] = now;
        if (!outputLogger_) continue;
        std::string line = "outputs of bus module " + std::to_string(i + 1) + " " + m.type + ":";
        char hex[4];
        for (const uint8_t byte : now) {
            std::snprintf(hex, sizeof hex, " %02X", byte);
            line += hex;
        }
        if (IsMultiChannelTemperature(m)) {
            const std::string command = DescribeTemperatureCommand(now.data());
            if (!command.empty()) line += " (" + command + ")";
        }
        outputLogger_(line + AnalogOutputMeaning(m, now));
    }
}

std::vector<uint16_t> SimulatedStation::receivedCommands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

bool SimulatedStation::plugAndPlay() const {
    std::lock_guard lock(mutex_);
    return plugAndPlay_;
}

bool SimulatedStation::bootp() const {
    std::lock_guard lock(mutex_);
    return bootp_;
}

bool SimulatedStation::restarting() const {
    std::lock_guard lock(mutex_);
    return restarting_;
}

}  // namespace korvo::sim
