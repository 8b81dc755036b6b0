#include "station/property_call.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace korvo {
namespace {

TEST(PropertiesDispatchTest, EveryDialogTypeMapsToItsWindowClass) {
    EXPECT_EQ(DialogClassName(*PropertiesDialogFor("KORVO AI 2")), "TfrmKorvo_AI_2");
    EXPECT_EQ(DialogClassName(*PropertiesDialogFor("KORVO NC ETH")), "TfrmKorvo_NC_ETH");
    EXPECT_EQ(DialogClassName(*PropertiesDialogFor("KORVO DO 4R")), "TfrmKorvo_DO_4R");
    EXPECT_EQ(DialogClassName(*PropertiesDialogFor("KORVO AO 2V")), "TfrmKorvo_AO_2V");
    EXPECT_EQ(DialogClassName(*PropertiesDialogFor("KORVO PA")), "TfrmKorvo_PA");
}

TEST(PropertiesDispatchTest, TypesWithoutDialogOpenNothing) {
    EXPECT_FALSE(PropertiesDialogFor("KORVO PS").has_value());
    EXPECT_FALSE(PropertiesDialogFor(".").has_value());
    EXPECT_FALSE(PropertiesDialogFor("korvo ai 2").has_value());
    EXPECT_FALSE(PropertiesDialogFor("").has_value());
}

TEST(PropertiesDispatchTest, DialogsAreDistinctAndNamedAfterTheirType) {
    std::set<std::string> classes;
    for (const ConnectionRow& row : ConnectionTable()) {
        const auto dialog = PropertiesDialogFor(row.typeName);
        if (!dialog) continue;
        const std::string name = DialogClassName(*dialog);
        EXPECT_EQ(name, "TfrmKorvo_" + std::string(row.typeKey).substr(6)) << row.typeName;
        classes.insert(name);
    }
    EXPECT_EQ(classes.size(), 23u);
}

TEST(ConnectionTableTest, HasTwentyFourRowsWithKeysAndPictures) {
    ASSERT_EQ(ConnectionTable().size(), 24u);
    const ConnectionRow* ps = FindConnection("KORVO PS");
    ASSERT_NE(ps, nullptr);
    EXPECT_STREQ(ps->typeKey, "KORVO_PS");
    EXPECT_STREQ(ps->groupKey, "PS");
    EXPECT_STREQ(ps->pictureFile, "connection_ps.jpg");
    const ConnectionRow* ao = FindConnection("KORVO AO 2V");
    ASSERT_NE(ao, nullptr);
    EXPECT_STREQ(ao->groupKey, "AO_V");
    EXPECT_STREQ(ao->pictureFile, "connection_ao2v.jpg");
    EXPECT_STREQ(FindConnection("KORVO TC 8")->groupKey, "TC_8");
    EXPECT_EQ(FindConnection("KORVO XY"), nullptr);
}

TEST(ConnectionTableTest, TypeKeysAreTypeNamesWithUnderscores) {
    for (const ConnectionRow& row : ConnectionTable()) {
        std::string key = row.typeName;
        for (char& c : key) {
            if (c == ' ') c = '_';
        }
        EXPECT_EQ(key, row.typeKey);
    }
}

}  // namespace
}  // namespace korvo
