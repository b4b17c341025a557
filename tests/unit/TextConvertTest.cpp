// Names between the device's UTF-16 and everybody else's UTF-8.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/TextConvert.h"

namespace kelvadeck {
namespace {

TEST(TextConvert, Utf8ToUtf16ReplacesEachBadByteAndKeepsWhatFollows) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const std::vector<Case> cases = {
        {"Zoom", u"Zoom"},
        {"\xE6\x97\xA5\xE6\x9C\xAC", u"\u65E5\u672C"},
        {"\xF0\x9F\x96\x8C", u"\U0001F58C"},                 // a surrogate pair
        {"x\xE3" "a", u"x\uFFFDa"},                          // a sequence cut off by an ASCII byte
        {"x\xE3\x81" "a", u"x\uFFFD\uFFFDa"},
        {"\xE3\x81", u"\uFFFD\uFFFD"},                       // cut off by the end
        {"\x80" "a", u"\uFFFDa"},                             // a stray continuation byte
        {"\xC0\xAF" "b", u"\uFFFD\uFFFDb"},                  // overlong '/'
        {"\xED\xA0\x80" "c", u"\uFFFD\uFFFD\uFFFDc"},        // an encoded surrogate
        {"\xF4\x90\x80\x80" "d", u"\uFFFD\uFFFD\uFFFD\uFFFDd"},  // beyond U+10FFFF
        {"\xFF" "e", u"\uFFFDe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.utf8));
        EXPECT_EQ(TextConvert::Utf8ToUtf16(c.utf8), c.utf16);
    }
}

TEST(TextConvert, Utf16ToUtf8ReplacesEachUnpairedSurrogate) {
    EXPECT_EQ(TextConvert::Utf16ToUtf8(u"Zoom \u65E5"), "Zoom \xE6\x97\xA5");
    EXPECT_EQ(TextConvert::Utf16ToUtf8(u"\U0001F58C"), "\xF0\x9F\x96\x8C");
    const std::u16string lone = {u'a', 0xD83D, u'b', 0xDE00, 0xDE00, 0xD83D};
    EXPECT_EQ(TextConvert::Utf16ToUtf8(lone), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

// hidapi's error texts are wide strings.
TEST(TextConvert, WideTextBecomesUtf8) {
    EXPECT_EQ(TextConvert::WideToUtf8(nullptr), "");
    EXPECT_EQ(TextConvert::WideToUtf8(L"Permission denied"), "Permission denied");
    EXPECT_EQ(TextConvert::WideToUtf8(L"caf\u00E9"), "caf\xC3\xA9");
    EXPECT_EQ(TextConvert::WideToUtf8(L"\u30AD"), "\xE3\x82\xAD");
    EXPECT_EQ(TextConvert::WideToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace kelvadeck
