#pragma once
// A simulated coupler with a station behind it on the test's own loopback address,
// a project loaded into a station model, and windows that record what they are told.

#include "access/clock.h"
#include "access/coupler_diagnosis.h"
#include "access/ddi_funktionen.h"
#include "access/nc_restart.h"
#include "korvo_sim/simulator.h"
#include "online/online_operation.h"
#include "simulated_station.h"
#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"
#include "random_loopback.h"

#include <quorrin.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace korvo::testing {

// Time that moves only when the code under test looks at it or pauses.
class FakeClock final : public Clock {
public:
    std::uint64_t TickMs() override { return now += step; }
    void SleepMs(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
    std::uint64_t now = 0;
    std::uint64_t step = 5;  // how far each look at the clock moves it
    std::vector<std::uint32_t> sleeps;
};

// Answers the echo for the addresses it knows, as a reachable coupler would.
class FakePinger final : public Pinger {
public:
    EchoResult Ping(const std::string& host) override {
        EchoResult r;
        r.sent = true;
        if (reachable.count(host)) {
            r.reply.bytes = 32;
            r.reply.address = host;
        }
        ++pings;
        return r;
    }
    std::map<std::string, bool> reachable;
    int pings = 0;
};

struct RecordingOnlineUi : OnlineUi, DiagnosisUi, RestartUi {
    std::vector<std::string> boxes;
    std::string panel1;
    std::vector<std::string> memo;
    bool memoVisible = false;
    bool memoDebugVisible = false;
    bool debugPanelVisible = false;
    bool debugButtonDown = false;
    std::map<std::pair<int, int>, LedColor> leds;
    bool timerEnabled = false;
    bool onlineButtonDown = false;
    int onlineImage = -1;
    bool typeListEnabled = true;
    std::string diagnosisStatus;
    CouplerState shownState;
    bool restartDown = false;
    std::string restartCaption;
    std::vector<int> progress;
    bool diagnosisTimer = false;
    bool restartTimer = false;
    bool closed = false;

    void ShowMessage(const std::string& text, const std::string& caption) override {
        boxes.push_back(caption + "|" + text);
    }
    void SetStatusPanel1(const std::string& text) override { panel1 = text; }
    void ClearMemo() override { memo.clear(); }
    void AddMemoLine(const std::string& line) override { memo.push_back(line); }
    void SetMemoVisible(bool visible) override { memoVisible = visible; }
    void SetMemoDebugVisible(bool visible) override { memoDebugVisible = visible; }
    void SetDebugPanelVisible(bool visible) override { debugPanelVisible = visible; }
    void SetDebugButtonDown(bool down) override { debugButtonDown = down; }
    void SetLedColor(int slot, int led, LedColor color) override { leds[{slot, led}] = color; }
    void SetLedPattern(int slot, std::uint32_t litLeds) override {
        for (int led = 1; led <= TModul::kLedCount; ++led) {
            leds[{slot, led}] = (litLeds >> (led - 1) & 1u) != 0 ? LedColor::Yellow : LedColor::Grey;
        }
    }
    void SetOnlineButton(bool down, int image) override {
        onlineButtonDown = down;
        onlineImage = image;
    }
    void SetCycleTimerEnabled(bool enabled) override { timerEnabled = enabled; }
    void SetTypeListEnabled(bool enabled) override { typeListEnabled = enabled; }
    void ShowConfigurationTable(const std::vector<ConfigurationRow>& rows) override { tables.push_back(rows); }
    std::vector<std::vector<ConfigurationRow>> tables;

    void SetStatus(const std::string& text) override { diagnosisStatus = text; }
    void ShowState(const CouplerState& state) override { shownState = state; }
    void SetRestartButton(bool down, const std::string& caption) override {
        restartDown = down;
        restartCaption = caption;
    }
    void SetProgress(int position) override { progress.push_back(position); }
    void SetTimerEnabled(bool enabled) override { diagnosisTimer = restartTimer = enabled; }
    void CloseWindow() override { closed = true; }

    bool MemoHas(const std::string& text) const {
        for (const auto& line : memo) {
            if (line.find(text) != std::string::npos) return true;
        }
        return false;
    }
};

inline const char* const kOnlineCatalogue =
    "[KORVO NC ETH]\nid_code=$F0\nslots=3\nLedMuster=0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,0,\n"
    "[KORVO DI 16]\nid_code=$10\nlenght_code=$10\nin=2\nReadMethode=1\nslots=2\nTag Anzahl Input=16\n"
    "LedMuster=1,2,4,8,16,32,64,128,256,512,1024,2048,4096,8192,16384,32768,0,\n"
    "[KORVO DO 16]\nid_code=$20\nlenght_code=$01\nout=2\nWriteMethode=1\nslots=2\n"
    "LedMuster=1,2,4,8,16,32,64,128,256,512,1024,2048,4096,8192,16384,32768,0,\n"
    "[KORVO AI 2]\nid_code=$42\nlenght_code=$22\nin=4\nout=4\nWriteMethode=2\nParameter Input=2\n"
    "[KORVO AI 8]\nid_code=$48\nlenght_code=$22\nin=4\nout=4\nReadMethode=3\nWriteMethode=4\nParameter Input=8\n"
    "[KORVO AO 1]\nid_code=$51\nlenght_code=$01\nout=2\nWriteMethode=3\n"
    "[KORVO PB]\nid_code=$02\n"
    "[KORVO PS]\nid_code=$01\n";

class OnlineTest : public ::testing::Test {
protected:
    // A random loopback address of the test's own: the protocol's port is fixed.
    OnlineTest() : OnlineTest(RandomLoopbackAddress()) {}
    explicit OnlineTest(std::string address) : address_(std::move(address)), simulator_({address_}) {}

    void SetUp() override {
        simulator_.start();
        const std::int32_t seconds = 1;
        ASSERT_EQ(ETH_SetClientOptions(ETH_OPTION_CONNECT_TIMEOUT, &seconds, 4), DDI_OK);
        ASSERT_EQ(ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &seconds, 4), DDI_OK);
        pinger_.reachable[address_] = true;
    }

    void TearDown() override {
        if (access_) access_->CloseNodePair();
        if (station_) station_->stop();
        simulator_.stop();
    }

    // Loads the project text with the test catalogue, places its station 1 behind the
    // simulated coupler and builds the online logic for it.
    void Load(const std::string& project, sim::StationOptions options = {}) {
        catalogueIni_ = ProfileFile::FromText(kOnlineCatalogue);
        catalogue_ = ReadCatalogueList(catalogueIni_);
        model_ = std::make_unique<StationModel>(&catalogueIni_, "/");
        LoadProject(*model_, ProfileFile::FromText(project));
        model_->CurrentIP = address_;
        std::vector<sim::BusModule> bus;
        for (int i = 1; i <= model_->ModuleCount; ++i) {
            const TModul& m = *model_->Module(i);
            if (m.ModulZuStations != 1) continue;
            bus.push_back({m.ModulType, m.id_code, m.lenght_code, m.Input, m.output, m.InputStart(),
                           m.OutputStart(), m.tag_anzahl_input,
                           m.ModulType == "KORVO PB" || m.ModulType == "KORVO PA"});
        }
        station_ = std::make_unique<sim::SimulatedStation>(simulator_.controller(), bus, options);
        station_->start();
        access_ = std::make_unique<ControllerAccess>(model_->CurrentIP, clock_);
        online_ = std::make_unique<OnlineOperation>(*model_, catalogue_, *access_, ui_, pinger_);
        diagnosis_ = std::make_unique<CouplerDiagnosis>(*model_, *access_, *online_, ui_, clock_);
        online_->SetDiagnosis(diagnosis_.get());
    }

    // The station with the shipped catalogue, modules in project slots 2..; its inputs
    // move only when the test calls station_->update.
    void LoadShipped(const std::vector<std::string>& types, sim::StationOptions options = {}) {
        const std::string folder = std::string(KORVO_TEST_DATA_DIR) + "/";
        catalogueIni_ = ProfileFile::Load(folder + "korvo_config.ini");
        catalogue_ = ReadCatalogueList(catalogueIni_);
        model_ = std::make_unique<StationModel>(&catalogueIni_, folder);
        LoadProject(*model_, ProfileFile::FromText(Project(types) + "[Station1]\nStation Name=Station1\n"));
        model_->CurrentIP = address_;
        model_->CurrentStation = 1;
        model_->CurrentCouplerModule = 1;
        std::vector<sim::BusModule> bus;
        for (int i = 2; i <= model_->ModuleCount; ++i) {
            const TModul& m = *model_->Module(i);
            bus.push_back({m.ModulType, m.id_code, m.lenght_code, m.Input, m.output, m.InputStart(), m.OutputStart(),
                           m.tag_anzahl_input, false, i});
        }
        station_ = std::make_unique<sim::SimulatedStation>(simulator_.controller(), bus, std::move(options));
        access_ = std::make_unique<ControllerAccess>(model_->CurrentIP, clock_);
        online_ = std::make_unique<OnlineOperation>(*model_, catalogue_, *access_, ui_, pinger_);
    }

    static std::string Project(const std::vector<std::string>& types) {
        std::string text = "[Module]\nAnzahl=" + std::to_string(types.size()) + "\n";
        for (std::size_t i = 0; i < types.size(); ++i) text += "Name" + std::to_string(i + 1) + "=" + types[i] + "\n";
        return text;
    }

    std::string address_;
    sim::Simulator simulator_;
    std::unique_ptr<sim::SimulatedStation> station_;
    ProfileFile catalogueIni_;
    CatalogueList catalogue_;
    std::unique_ptr<StationModel> model_;
    FakeClock clock_;
    FakePinger pinger_;
    RecordingOnlineUi ui_;
    std::unique_ptr<ControllerAccess> access_;
    std::unique_ptr<OnlineOperation> online_;
    std::unique_ptr<CouplerDiagnosis> diagnosis_;
};

}  // namespace korvo::testing
