#pragma once
// A small catalogue and a StationUi that records what the model asked of the windows.

#include "station/catalogue.h"
#include "station/station_model.h"

#include <memory>
#include <string>
#include <vector>

namespace korvo::testing {

inline const char* const kTestCatalogue =
    "[KORVO NC "
    "ETH]\r\nid_code=$F0\r\nslots=3\r\nimage=images/nc\r\nLedMuster=0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,0,\r\n"
    "[.]\r\nfontcolor=$0000FF\r\n"
    "[KORVO PS]\r\nid_code=1\r\nslots=1\r\n"
    "[KORVO DI 16]\r\nid_code=$10\r\nlenght_code=$10\r\nin=2\r\nReadMethode=1\r\nslots=2\r\n"
    "LedMuster=1,2,4,8,16,32,64,128,256,512,1024,2048,4096,8192,16384,32768,0,\r\n"
    "[KORVO DO 16]\r\nid_code=$20\r\nlenght_code=1\r\nout=2\r\nWriteMethode=1\r\nslots=2\r\n"
    "LedMuster=1,2,4,8,16,32,64,128,256,512,1024,2048,4096,8192,16384,32768,0,\r\n"
    "[KORVO AI 2]\r\nid_code=$42\r\nlenght_code=$22\r\nin=4\r\nout=4\r\nWriteMethode=2\r\nslots=1\r\n"
    "Parameter Input=2\r\n"
    "[KORVO AO 1]\r\nid_code=$51\r\nout=2\r\nWriteMethode=3\r\nslots=1\r\n"
    "[KORVO PB]\r\nid_code=2\r\nslots=1\r\n"
    "[KORVO TC 8]\r\nid_code=$78\r\nlenght_code=$66\r\nin=12\r\nout=12\r\nWriteMethode=5\r\nslots=2\r\n"
    "Parameter Input=8\r\n"
    "[KORVO X4]\r\nin=4\r\nout=4\r\nslots=4\r\n"
    "[KORVO BROKEN]\r\nin=2\r\nslots=1\r\nLedMuster=1,x,\r\n";

struct RecordingUi : StationUi {
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    bool answer = true;
    std::string stationStatus;
    std::string placementMode = "unset";
    int removed = 0;
    int arranged = 0;
    int changes = 0;
    SaveAnswer saveAnswer = SaveAnswer::Cancel;

    void ModuleRemoved(TModul&) override { ++removed; }
    void ArrangeModules(int) override { ++arranged; }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        questions.push_back(caption + "|" + text);
        return answer;
    }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        messages.push_back(caption + "|" + text);
    }
    SaveAnswer AskSaveChanges(const std::string& text, const std::string& caption) override {
        questions.push_back(caption + "|" + text);
        return saveAnswer;
    }
    void StationChanged() override { ++changes; }
    void SetStationStatus(const std::string& text) override { stationStatus = text; }
    void SetPlacementMode(const std::string& text) override { placementMode = text; }
};

class StationTest {
public:
    StationTest()
        : catalogue(ProfileFile::FromText(kTestCatalogue)),
          model(std::make_unique<StationModel>(&catalogue, "/opt/korvo/", &ui)) {}

    // The module types in slots 1..ModuleCount.
    std::vector<std::string> TypeList() const {
        std::vector<std::string> types;
        for (int i = 1; i <= model->ModuleCount; ++i) types.push_back(model->Module(i)->ModulType);
        return types;
    }
    void Append(const std::vector<std::string>& types) {
        for (const auto& t : types) model->AppendModule(t);
    }

    ProfileFile catalogue;
    RecordingUi ui;
    std::unique_ptr<StationModel> model;
};

}  // namespace korvo::testing
