// The texts the I/O cycle makes of input bytes, and what it keeps of them from
// one cycle to the next: kept texts must never hide a change made elsewhere.
#include "online/cycle_texts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace korvo {
namespace {

TModul InputModule(const std::string& type, int inputBytes) {
    TModul module;
    module.ModulType = type;
    module.Input = inputBytes;
    return module;
}

TEST(CycleTexts, ListsAndLineOfBytesOfEveryWidth) {
    std::string decimal = "old";
    std::string hex;
    const std::vector<std::uint8_t> bytes = {0, 7, 10, 99, 100, 255};
    SetByteLists(bytes.data(), static_cast<int>(bytes.size()), decimal, hex);
    EXPECT_EQ(decimal, "0,7,10,99,100,255,");
    EXPECT_EQ(hex, "00,07,0A,63,64,FF,");
    SetByteLists(bytes.data(), 0, decimal, hex);
    EXPECT_EQ(decimal, "");
    EXPECT_EQ(hex, "");

    std::string line = "a much longer line from an earlier module";
    AssignDataLine(line, "KORVO DI 16", "01,FF,");
    EXPECT_EQ(line, "KORVO DI 16  Date 01,FF,");
    AssignDataLine(line, "X", "");
    EXPECT_EQ(line, "X  Date ");
}

TEST(CycleTexts, UnchangedBytesKeepTheirTextsAndChangedOnesAreMadeAnew) {
    InputTexts texts;
    TModul module = InputModule("KORVO DI 16", 2);
    std::uint8_t bytes[2] = {0x01, 0xFF};
    EXPECT_EQ(texts.Update(2, module, bytes), "KORVO DI 16  Date 01,FF,");
    EXPECT_EQ(module.InputData, "1,255,");
    EXPECT_EQ(module.InputHex, "01,FF,");
    EXPECT_EQ(texts.Update(2, module, bytes), "KORVO DI 16  Date 01,FF,");

    bytes[1] = 0x00;
    EXPECT_EQ(texts.Update(2, module, bytes), "KORVO DI 16  Date 01,00,");
    EXPECT_EQ(module.InputData, "1,0,");

    // Another slot with the same bytes has texts of its own.
    TModul other = InputModule("KORVO DI 8", 2);
    EXPECT_EQ(texts.Update(3, other, bytes), "KORVO DI 8  Date 01,00,");
    EXPECT_EQ(texts.Update(2, module, bytes), "KORVO DI 16  Date 01,00,");
}

TEST(CycleTexts, TextsChangedElsewhereAreMadeAgainFromTheSameBytes) {
    InputTexts texts;
    TModul module = InputModule("KORVO DI 16", 2);
    const std::uint8_t bytes[2] = {0x12, 0x34};
    texts.Update(5, module, bytes);

    // Changes of the same length, so that only the characters tell them apart.
    module.InputData = "99,99,";
    EXPECT_EQ(texts.Update(5, module, bytes), "KORVO DI 16  Date 12,34,");
    EXPECT_EQ(module.InputData, "18,52,");

    module.InputHex = "AB,CD,";
    EXPECT_EQ(texts.Update(5, module, bytes), "KORVO DI 16  Date 12,34,");
    EXPECT_EQ(module.InputHex, "12,34,");

    module.ModulType = "KORVO DX 16";
    EXPECT_EQ(texts.Update(5, module, bytes), "KORVO DX 16  Date 12,34,");
    module.ModulType = "KORVO DI 16 E";
    EXPECT_EQ(texts.Update(5, module, bytes), "KORVO DI 16 E  Date 12,34,");
    // A type that the old line begins with.
    module.ModulType = "KORVO DI";
    EXPECT_EQ(texts.Update(5, module, bytes), "KORVO DI  Date 12,34,");

    // A module that now has more input bytes lists all of them.
    module.Input = 3;
    const std::uint8_t longer[3] = {0x12, 0x34, 0x56};
    EXPECT_EQ(texts.Update(5, module, longer), "KORVO DI  Date 12,34,56,");
    EXPECT_EQ(module.InputData, "18,52,86,");
}

}  // namespace
}  // namespace korvo
