// What all module dialogs share: the option rule, option lookup by caption, the
// registry, and reading Parameter and InputData.

#include "dialog_station.h"

#include "station/module.h"

#include "dialogs/measured_value_errors.h"
#include "dialogs/module_data.h"
#include "dialogs/module_dialog_registry.h"
#include "dialogs/option_rule.h"
#include "station/versch.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace korvo {
namespace {

TEST(OptionRuleTest, LastOptionWhoseBitsAreAllSetWins) {
    const std::vector<std::uint16_t> codes{0, 1, 8, 9, 10};
    EXPECT_EQ(SelectByBits(codes, 10), 4);
    EXPECT_EQ(SelectByBits(codes, 2), 0);
    EXPECT_EQ(SelectByBits(codes, 11), 4);
    EXPECT_EQ(SelectByBits(codes, 15), 4);
    const std::vector<std::uint16_t> noZero{1, 2};
    EXPECT_EQ(SelectByBits(noZero, 0), -1);
}

TEST(FindOptionTest, CaptionsCompareTrimmedAndDuplicatesAreAmbiguous) {
    DialogChannel channel;
    channel.groups.push_back({"sensor typ", {"reserve", "  Poti", "reserve"}, 0});
    channel.groups.push_back({"size", {"15 bit ", "12 bit"}, 0});
    OptionMatch match = FindOption(channel, "Poti ");
    EXPECT_EQ(match.result, OptionMatch::Found);
    EXPECT_EQ(match.group, 0);
    EXPECT_EQ(match.option, 1);
    match = FindOption(channel, "15 bit");
    EXPECT_EQ(match.group, 1);
    EXPECT_EQ(match.option, 0);
    EXPECT_EQ(FindOption(channel, "reserve").result, OptionMatch::Ambiguous);
    EXPECT_EQ(FindOption(channel, "15bit").result, OptionMatch::Unknown);
    EXPECT_EQ(OptionCaptions(channel),
              (std::vector<std::string>{"reserve", "Poti", "reserve", "15 bit", "12 bit"}));
}

TEST(ModuleDialogRegistryTest, DialogsExistForTheirTypesOnly) {
    for (const std::string type : {"KORVO AI 2", "KORVO AI 8", "KORVO AO 1", "KORVO AO 2V"}) {
        const auto dialog = MakeModuleDialog(type);
        ASSERT_NE(dialog, nullptr) << type;
        EXPECT_EQ(dialog->TypeName(), type);
    }
    EXPECT_EQ(MakeModuleDialog("KORVO PS"), nullptr);
    EXPECT_EQ(MakeModuleDialog("korvo ai 2"), nullptr);
    EXPECT_EQ(MakeModuleDialog(""), nullptr);
}

TEST(ModuleDataTest, ParameterItemsAreAllOrNothing) {
    EXPECT_FALSE(ReadParameterItems("", 2).has_value());
    EXPECT_EQ(*ReadParameterItems(" 1 , 65535 ,", 2), (std::vector<std::int32_t>{1, 65535}));
    EXPECT_EQ(*ReadParameterItems("4", 3), (std::vector<std::int32_t>{4, 4, 4}));
    EXPECT_THROW(ReadParameterItems("1,65536", 2), ConversionError);
    EXPECT_THROW(ReadParameterItems("1,-1", 2), ConversionError);
    EXPECT_THROW(ReadParameterItems("1,2a", 2), ConversionError);
    EXPECT_EQ(*ReadParameterItems("99,-3", 2, -100, 100), (std::vector<std::int32_t>{99, -3}));
    EXPECT_EQ(ParameterText(std::vector<std::int32_t>{256, 1}, false), "256,1");
    EXPECT_EQ(ParameterText(std::vector<std::int32_t>{0, 77}, true), "0,77,");
}

TEST(ModuleDataTest, InputBytesNeedEnoughByteItems) {
    EXPECT_EQ(*ReadInputBytes("0,12,128,1,", 4), (std::vector<std::uint8_t>{0, 12, 128, 1}));
    EXPECT_EQ(*ReadInputBytes("0,12,128,1,7,", 2), (std::vector<std::uint8_t>{0, 12}));
    EXPECT_FALSE(ReadInputBytes("0,12,", 4).has_value());
    EXPECT_FALSE(ReadInputBytes("0,,1,2,", 4).has_value());
    EXPECT_FALSE(ReadInputBytes("0,1,2,256,", 4).has_value());
}

TEST(MeasuredValueErrorsTest, ExactAndBitMatching) {
    EXPECT_EQ(ExactErrorText(0x8001), "Error measuring range");
    EXPECT_EQ(ExactErrorText(0x8003), "");
    EXPECT_EQ(BitErrorText(0x8003), "Error wire breaking");
    EXPECT_EQ(BitErrorText(0x8081), "Error measuring range");
    EXPECT_EQ(BitErrorText(0x8012), "Error conf invalid");
    EXPECT_EQ(BitErrorText(0x7FFF), "");
    EXPECT_EQ(OutputErrorText(0x8020), "Error modul defect");
    EXPECT_EQ(BitErrorText(0x8020), "");
    // A multi-channel temperature channel's error byte is the codes' low byte.
    EXPECT_EQ(ErrorByteText(0x02), "Error wire breaking");
    EXPECT_EQ(ErrorByteText(0x12), "Error conf invalid");
    EXPECT_EQ(ErrorByteText(0x08), "");
    EXPECT_EQ(ErrorByteText(0), "");
}

TEST(ModuleDataTest, SentWordsAreTheParametersOrTheDefaults) {
    TModul module;
    module.Parameter = "1,10";
    EXPECT_EQ(SentParameterWords(module, 2), (std::vector<std::uint16_t>{1, 10}));
    for (const char* unusable : {"", "1,x", "70000,1"}) {
        module.Parameter = unusable;
        EXPECT_EQ(SentParameterWords(module, 2), (std::vector<std::uint16_t>{0, 0})) << unusable;
    }
}

using DialogsOnTwoModules = testing::DialogStation;

// A module without a Parameter (a project that has none for it) opens with its type's
// default words, whatever the module the dialog showed before had.
TEST_F(DialogsOnTwoModules, EmptyParameterOpensWithTheTypesDefaultsNotThePreviousModules) {
    const struct {
        const char* type;
        const char* otherParameter;
        std::int32_t defaultWord;
    } cases[] = {
        {"KORVO AI 2", "314,266", 0},
        {"KORVO AI 8", "77,77,77,77,77,77,77,77,", 0},
        {"KORVO RT 2", "11478,11478", 0},
        {"KORVO TC 2", "14,14", 0},
        {"KORVO TC 4", "5,5,5,5,5,5,5,5,", 0},
        {"KORVO TC 8", "5,5,5,5,5,5,5,5,", 0},
        {"KORVO RT 6", "27,27,27,27,27,27,", 20},
        {"KORVO CT 1", "4346,0", 0x1401},
    };
    for (const auto& c : cases) {
        const std::unique_ptr<ModuleDialog> dialog = MakeModuleDialog(c.type);
        ASSERT_NE(dialog, nullptr) << c.type;
        const int first = Place(c.type);
        At(first).Parameter = c.otherParameter;
        dialog->Open(model, first);
        const int second = Place(c.type);
        At(second).Parameter.clear();
        dialog->Open(model, second);
        for (int channel = 1; channel <= dialog->ChannelCount(); ++channel)
            EXPECT_EQ(dialog->Channel(channel).word, c.defaultWord) << c.type << " channel " << channel;
    }
}

}  // namespace
}  // namespace korvo
