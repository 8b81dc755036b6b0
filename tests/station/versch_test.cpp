#include "station/versch.h"

#include <gtest/gtest.h>

#include <array>
#include <clocale>
#include <string>

namespace korvo {
namespace {

TEST(NextItemTrimmed, TakesTrimmedItemsThenRepeatsTheLastOne) {
    std::string list = " 12 , 7,";
    std::string item = "old";
    NextItemTrimmed(list, ',', item);
    EXPECT_EQ(item, "12");
    NextItemTrimmed(list, ',', item);
    EXPECT_EQ(item, "7");
    EXPECT_TRUE(list.empty());
    NextItemTrimmed(list, ',', item);
    EXPECT_EQ(item, "7");
}

TEST(NextItemTrimmed, ListWithoutSeparatorGivesWholeTrimmedList) {
    std::string list = "  abc  ";
    std::string item;
    NextItemTrimmed(list, ',', item);
    EXPECT_EQ(item, "abc");
    EXPECT_EQ(list, "");
}

TEST(NextItemTrimmed, BlankOnlyListGivesEmptyItem) {
    std::string list = "   ";
    std::string item = "kept?";
    NextItemTrimmed(list, ',', item);
    EXPECT_EQ(item, "");
}

// Items behind a long run of blanks or leading zeros are still items of the list.
TEST(NextItemTrimmed, LongListKeepsEveryItem) {
    std::string list = "1," + std::string(300, ' ') + std::string(300, '0') + "7,8";
    std::string item;
    NextItemTrimmed(list, ',', item);
    EXPECT_EQ(item, "1");
    NextItemTrimmed(list, ',', item);
    EXPECT_EQ(StrToInt(item), 7);
    NextItemTrimmed(list, ',', item);
    EXPECT_EQ(item, "8");
}

TEST(NextItem, KeepsBlanksAndEmptiesItemOnEmptyList) {
    std::string list = " 1 ,2";
    std::string item;
    NextItem(list, ',', item);
    EXPECT_EQ(item, " 1 ");
    NextItem(list, ',', item);
    EXPECT_EQ(item, "2");
    NextItem(list, ',', item);
    EXPECT_EQ(item, "");
}

TEST(NextItem, LongListKeepsEveryItem) {
    std::string list = "a," + std::string(2500, '9') + ",b";
    std::string item;
    NextItem(list, ',', item);
    NextItem(list, ',', item);
    EXPECT_EQ(item.size(), 2500u);
    NextItem(list, ',', item);
    EXPECT_EQ(item, "b");
}

TEST(Blanks, TrimAndRemove) {
    std::string text = "  a b  ";
    TrimBlanks(text);
    EXPECT_EQ(text, "a b");
    std::string address = "192.168.  1.  2";
    RemoveBlanks(address);
    EXPECT_EQ(address, "192.168.1.2");
    std::string blanks = "    ";
    TrimBlanks(blanks);
    EXPECT_EQ(blanks, "");
}

TEST(SameText, AgreesWithPlainComparisonAtEveryLengthAndPosition) {
    // Every length around the word sizes, equal and with one character changed
    // at each position, so every word and the overlapping last word are checked.
    for (std::size_t length = 0; length <= 25; ++length) {
        std::string a;
        for (std::size_t i = 0; i < length; ++i) a.push_back(static_cast<char>('0' + i % 10));
        const std::string same = a;
        EXPECT_TRUE(SameText(a, same)) << length;
        for (std::size_t at = 0; at < length; ++at) {
            std::string other = a;
            other[at] = static_cast<char>(other[at] ^ 0x80);
            EXPECT_FALSE(SameText(a, other)) << length << " at " << at;
        }
        EXPECT_FALSE(SameText(a, a + ",")) << length;
        EXPECT_FALSE(SameText(a + ",", a)) << length;
    }
    // Views into longer texts compare only their own characters.
    EXPECT_TRUE(SameText(std::string_view("12,34,xx").substr(0, 6), std::string_view("12,34,yy").substr(0, 6)));
}

TEST(StrToInt, AcceptsDecimalAndBothHexForms) {
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("-42"), -42);
    EXPECT_EQ(StrToInt(" 7"), 7);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x0000FF"), 255);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
}

TEST(StrToInt, MalformedOrOutOfRangeIsAConversionErrorNamingTheText) {
    for (const char* bad : {"", "abc", "12a", "1 ", "$", "0x", "2147483648", "$1FFFFFFFF", "1.5"}) {
        EXPECT_THROW(StrToInt(bad), ConversionError) << bad;
    }
    try {
        StrToInt("x1");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_EQ(std::string(e.what()), "'x1' is not a valid integer value");
    }
}

TEST(DecimalListToHex, ConvertsEachItemToTwoUpperCaseDigits) {
    EXPECT_EQ(DecimalListToHex("0,0,1,255"), "00,00,01,FF,");
    EXPECT_EQ(DecimalListToHex("10,4096,"), "0A,1000,");
    EXPECT_EQ(DecimalListToHex(""), "");
    EXPECT_THROW(DecimalListToHex("1,x,"), ConversionError);
}

TEST(ParseIntList, ForwardFillsOnlyWhatTheListHolds) {
    std::array<std::int32_t, 8> values;
    values.fill(-1);
    ParseIntList("5,6", values.data(), 7, 1, 8);
    EXPECT_EQ(values[0], 5);
    EXPECT_EQ(values[1], 6);
    for (std::size_t i = 2; i < 8; ++i) EXPECT_EQ(values[i], -1);
}

TEST(ParseIntList, BackwardDirectionAndHighestIndexBound) {
    std::array<std::int32_t, 4> values{};
    ParseIntList("1,2,3,4,", values.data(), 3, 0, 4);
    EXPECT_EQ(values, (std::array<std::int32_t, 4>{4, 3, 2, 1}));

    std::array<std::int32_t, 3> guarded{0, 0, 99};
    ParseIntList("1,2,3,4,5,6", guarded.data(), 1, 1, 6);
    EXPECT_EQ(guarded, (std::array<std::int32_t, 3>{1, 2, 99}));
}

TEST(ParseIntList, MalformedItemEndsParsing) {
    std::array<std::int32_t, 4> values{9, 9, 9, 9};
    ParseIntList("1,zz,3,4", values.data(), 3, 1, 4);
    EXPECT_EQ(values, (std::array<std::int32_t, 4>{1, 9, 9, 9}));
}

TEST(Scaling, SlopeAndInterpolateInSinglePrecision) {
    const float m = Slope(0, 10, 0, 65535);
    EXPECT_FLOAT_EQ(m, 6553.5f);
    EXPECT_FLOAT_EQ(Interpolate(2.5f, 0, 0, m), 16383.75f);
    EXPECT_FLOAT_EQ(Interpolate(12, 2, 100, -1.5f), 85.0f);
    EXPECT_THROW(Slope(3, 3, 0, 1), CalculationError);
}

}  // namespace
}  // namespace korvo
