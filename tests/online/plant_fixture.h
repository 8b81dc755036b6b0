#pragma once
// Simulated couplers, each with a station of a project behind it, on addresses of a
// loopback block of the test's own; the shipped catalogue names their modules.

#include "access/clock.h"
#include "korvo_sim/simulator.h"
#include "simulated_station.h"
#include "station/catalogue.h"
#include "station/profile_file.h"
#include "station/project_file.h"
#include "station/station_model.h"

#include <quorrin.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace korvo::testing {

// "127.A.B." at random: hosts 1..254 of it are the test's.
inline std::string RandomLoopbackBlock() {
    std::random_device device;
    std::uniform_int_distribution<int> part(1, 254);
    return "127." + std::to_string(part(device)) + "." + std::to_string(part(device)) + ".";
}

// Pauses that take no time, safe on many threads at once.
class InstantClock final : public Clock {
public:
    std::uint64_t TickMs() override { return now += 5; }
    void SleepMs(std::uint32_t ms) override { now += ms; }
    std::atomic<std::uint64_t> now{0};
};

struct SimulatedCoupler {
    std::unique_ptr<sim::Simulator> simulator;
    std::unique_ptr<sim::SimulatedStation> station;
};

class PlantTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::int32_t seconds = 1;
        ASSERT_EQ(ETH_SetClientOptions(ETH_OPTION_CONNECT_TIMEOUT, &seconds, 4), DDI_OK);
        ASSERT_EQ(ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &seconds, 4), DDI_OK);
        catalogueText_ = ProfileFile::Load(std::string(KORVO_TEST_DATA_DIR) + "/korvo_config.ini").Text();
        UseCatalogue(catalogueText_);
    }
    void TearDown() override {
        for (SimulatedCoupler& c : couplers_) {
            c.station->stop();
            c.simulator->stop();
        }
    }

    // The shipped catalogue with more sections behind it.
    void UseCatalogue(const std::string& text) {
        catalogueIni_ = ProfileFile::FromText(text);
        catalogue_ = ReadCatalogueList(catalogueIni_);
    }

    std::string Host(int k) const { return block_ + std::to_string(k); }

    // A coupler on host k of the block with these modules behind it.
    void Serve(int k, const std::vector<std::string>& types, sim::StationOptions options = {}) {
        StationModel model(&catalogueIni_, "/");
        LoadProject(model, ProfileFile::FromText(StationProject(types)));
        std::vector<sim::BusModule> bus;
        for (int i = 1; i <= model.ModuleCount; ++i) {
            const TModul& m = *model.Module(i);
            if (m.ModulZuStations != 1) continue;
            bus.push_back({m.ModulType, m.id_code, m.lenght_code, m.Input, m.output, m.InputStart(), m.OutputStart(),
                           m.tag_anzahl_input, m.ModulType == kPassiveType || m.ModulType == kPassiveRowBreakType});
        }
        SimulatedCoupler c;
        c.simulator = std::make_unique<sim::Simulator>(sim::SimulatorOptions{Host(k)});
        c.simulator->start();
        c.station = std::make_unique<sim::SimulatedStation>(c.simulator->controller(), bus, options);
        c.station->start();
        couplers_.push_back(std::move(c));
    }

    // A project of one station per entry: its address and its module types.
    static std::string StationProject(const std::vector<std::string>& types) {
        return Project({{"127.0.0.1", types}});
    }
    struct Station {
        std::string address;
        std::vector<std::string> types;
    };
    static std::string Project(const std::vector<Station>& stations) {
        std::string modules;
        std::string sections;
        int slot = 0;
        int number = 0;
        for (const Station& s : stations) {
            ++number;
            modules += "Name" + std::to_string(++slot) + "=KORVO NC ETH\n";
            for (const std::string& t : s.types) modules += "Name" + std::to_string(++slot) + "=" + t + "\n";
            sections += "[Station" + std::to_string(number) + "]\nIPAddress=" + s.address +
                        "\nStation Name=Hall " + std::to_string(number) + "\n";
        }
        return "[Module]\nAnzahl=" + std::to_string(slot) + "\n" + modules + sections;
    }

    std::unique_ptr<StationModel> LoadModel(const std::string& projectText) {
        auto model = std::make_unique<StationModel>(&catalogueIni_, "/");
        LoadProject(*model, ProfileFile::FromText(projectText));
        return model;
    }

    const std::string block_ = RandomLoopbackBlock();
    std::string catalogueText_;
    ProfileFile catalogueIni_;
    CatalogueList catalogue_;
    std::vector<SimulatedCoupler> couplers_;
};

}  // namespace korvo::testing
