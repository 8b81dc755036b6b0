#include "station/text_encoding.h"

#include <gtest/gtest.h>

namespace korvo {
namespace {

TEST(TextEncodingTest, DegreeUmlautsAndEuroSurviveTheRoundTrip) {
    const std::string cp1252 = "0.1 \xB0" "C K\xFChlraum \x80 \x9F";
    const std::string utf8 = Cp1252ToUtf8(cp1252);
    EXPECT_EQ(utf8, "0.1 \xC2\xB0" "C K\xC3\xBChlraum \xE2\x82\xAC \xC5\xB8");
    EXPECT_EQ(Utf8ToCp1252(utf8), cp1252);
}

TEST(TextEncodingTest, CharactersOutsideWindows1252BecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("a\xE2\x88\x9E" "b"), "a?b");          // U+221E infinity
    EXPECT_EQ(Utf8ToCp1252("\xF0\x9F\x98\x80"), "?");              // outside the BMP
    EXPECT_EQ(Utf8ToCp1252("\xC2\x81"), "?");                      // a C1 control Windows-1252 lacks
}

TEST(TextEncodingTest, BrokenUtf8SequencesBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("a\xFC" "b"), "a?b");     // a lone Latin-1 byte
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");           // cut off at the end
    EXPECT_EQ(Utf8ToCp1252("\xC3" "A"), "?A");        // continuation missing
    EXPECT_EQ(Utf8ToCp1252("\x80"), "?");
}

}  // namespace
}  // namespace korvo
