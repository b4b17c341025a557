#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/FunctionCatalogues.h"
#include "model/StringTable.h"

namespace kelvadeck {
namespace {

using Table = std::map<std::string, std::string, std::less<>>;

std::string ReadSourceFile(const std::string& relative) {
    std::ifstream in(std::string(KELVADECK_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The key of every line that is neither blank nor a comment, taken between the
// first two quotes, without judging the rest of the line.
std::vector<std::string> RawKeys(const std::string& text) {
    std::vector<std::string> keys;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line.compare(first, 2, "//") == 0) {
            continue;
        }
        const size_t open = line.find('"');
        const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
        keys.push_back(close == std::string::npos ? line : line.substr(open + 1, close - open - 1));
    }
    return keys;
}

struct ParseCase {
    const char* what;
    std::string text;
    Table expected;
};

class StringTableParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(StringTableParse, YieldsExactlyTheGoodEntries) {
    EXPECT_EQ(StringTable::Parse(GetParam().text), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    StringTableCases, StringTableParse,
    ::testing::Values(
        ParseCase{"plain entry", "\"A\" = \"Alpha\";\n", {{"A", "Alpha"}}},
        ParseCase{"no blanks and extra blanks", "\"A\"=\"x\";\n\t \"B\"  =\t\"y\"  ;  \n", {{"A", "x"}, {"B", "y"}}},
        ParseCase{"last line without newline", "\"A\" = \"x\";", {{"A", "x"}}},
        ParseCase{"CRLF line ends", "\"A\" = \"x\";\r\n\"B\" = \"y\";\r\n", {{"A", "x"}, {"B", "y"}}},
        ParseCase{"escapes", R"("A" = "say \"hi\"\nnext \\ end";)", {{"A", "say \"hi\"\nnext \\ end"}}},
        ParseCase{"escaped quote in the key", R"("A\"B" = "x";)", {{"A\"B", "x"}}},
        ParseCase{"empty text is allowed", "\"A\" = \"\";\n", {{"A", ""}}},
        ParseCase{"UTF-8 text kept as bytes", "\"A\" = \"\xE8\xA8\xAD\xE5\xAE\x9A\";\n", {{"A", "\xE8\xA8\xAD\xE5\xAE\x9A"}}},
        ParseCase{"comments and blank lines", "// header\n\n   \n  // \"X\" = \"y\";\n\"A\" = \"x\";\n", {{"A", "x"}}},
        ParseCase{"byte order mark", "\xEF\xBB\xBF\"A\" = \"x\";\n", {{"A", "x"}}},
        ParseCase{"later duplicate wins", "\"A\" = \"first\";\n\"A\" = \"second\";\n", {{"A", "second"}}},
        ParseCase{"missing semicolon", "\"A\" = \"x\"\n\"B\" = \"y\";\n", {{"B", "y"}}},
        ParseCase{"missing equals sign", "\"A\" \"x\";\n\"B\" = \"y\";\n", {{"B", "y"}}},
        ParseCase{"unterminated text", "\"A\" = \"x;\n\"B\" = \"y\";\n", {{"B", "y"}}},
        ParseCase{"unterminated key", "\"A = \"x\";\n", {}},
        ParseCase{"unknown escape", R"("A" = "tab\there";)", {}},
        ParseCase{"backslash at line end", "\"A\" = \"x\\\n\"B\" = \"y\";\n", {{"B", "y"}}},
        ParseCase{"text after the semicolon", "\"A\" = \"x\"; // note\n\"B\" = \"y\";\n", {{"B", "y"}}},
        ParseCase{"unquoted key", "A = \"x\";\n", {}},
        ParseCase{"empty key", "\"\" = \"x\";\n", {}},
        ParseCase{"nothing but garbage", std::string("\x00\xFF\"\\", 4), {}},
        ParseCase{"empty input", "", {}}));

TEST(StringTableLookup, LocalTextThenEnglishThenTheKeyItself) {
    const StringTable strings("ja", "\"BOTH\" = \"both en\";\n\"EN_ONLY\" = \"en\";\n", "\"BOTH\" = \"both ja\";\n");
    EXPECT_EQ(strings.Get("BOTH"), "both ja");
    EXPECT_EQ(strings.Get("EN_ONLY"), "en");
    EXPECT_EQ(strings.Get("MISSING_KEY"), "MISSING_KEY");
    EXPECT_TRUE(strings.Has("BOTH"));
    EXPECT_TRUE(strings.Has("EN_ONLY"));
    EXPECT_FALSE(strings.Has("MISSING_KEY"));
}

TEST(StringTableLookup, KeyOnlyInTheLocalTableIsFound) {
    const StringTable strings("ja", "", "\"JA_ONLY\" = \"ja\";\n");
    EXPECT_EQ(strings.Get("JA_ONLY"), "ja");
    EXPECT_TRUE(strings.Has("JA_ONLY"));
}

TEST(StringTableLookup, EnglishIgnoresTheLocalTable) {
    const StringTable strings("en_US", "\"A\" = \"en\";\n", "\"A\" = \"ja\";\n\"B\" = \"ja\";\n");
    EXPECT_EQ(strings.Get("A"), "en");
    EXPECT_EQ(strings.Get("B"), "B");
}

struct LanguageCase {
    const char* language;
    const char* expected;
};

class StringTableLanguage : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(StringTableLanguage, SelectsJapaneseOnlyForJa) {
    const StringTable strings(GetParam().language, "\"A\" = \"en\";\n", "\"A\" = \"ja\";\n");
    EXPECT_EQ(strings.Language(), GetParam().expected) << GetParam().language;
    EXPECT_EQ(strings.Get("A"), GetParam().expected) << GetParam().language;
}

INSTANTIATE_TEST_SUITE_P(StringTableCases, StringTableLanguage,
                         ::testing::Values(LanguageCase{"ja", "ja"}, LanguageCase{"ja_JP", "ja"},
                                           LanguageCase{"ja-JP.UTF-8", "ja"}, LanguageCase{"JA", "ja"},
                                           LanguageCase{"en", "en"}, LanguageCase{"en_GB.UTF-8", "en"},
                                           LanguageCase{"de_DE", "en"}, LanguageCase{"j", "en"},
                                           LanguageCase{"", "en"}, LanguageCase{"C", "en"}));

TEST(StringTableCompiled, DefaultIsEnglishWithRealTexts) {
    const StringTable strings;
    EXPECT_EQ(strings.Language(), "en");
    EXPECT_TRUE(strings.Has("APPLICATION_NAME"));
    EXPECT_NE(strings.Get("APPLICATION_NAME"), "APPLICATION_NAME");
    EXPECT_FALSE(strings.Get("APPLICATION_NAME").empty());
}

TEST(StringTableCompiled, JapaneseFallsBackToEnglishForEveryKey) {
    const StringTable english;
    const StringTable japanese("ja_JP.UTF-8");
    EXPECT_EQ(japanese.Language(), "ja");
    for (const auto& [key, text] : StringTable::Parse(ReadSourceFile("resources/strings/en.strings"))) {
        EXPECT_TRUE(japanese.Has(key)) << key;
        EXPECT_FALSE(japanese.Get(key).empty()) << key;
    }
}

TEST(StringTableCompiled, CarriesExactlyTheEnglishFile) {
    const std::string file = ReadSourceFile("resources/strings/en.strings");
    ASSERT_FALSE(file.empty()) << "en.strings not found under " << KELVADECK_SOURCE_DIR;
    const StringTable compiled;
    for (const auto& [key, text] : StringTable::Parse(file)) {
        EXPECT_EQ(compiled.Get(key), text) << key;
    }
}

TEST(StringTableEnglishFile, EveryLineIsAnEntryAndNoKeyRepeats) {
    const std::string file = ReadSourceFile("resources/strings/en.strings");
    ASSERT_FALSE(file.empty());
    const std::vector<std::string> keys = RawKeys(file);
    std::set<std::string> seen;
    for (const std::string& key : keys) {
        EXPECT_TRUE(seen.insert(key).second) << "duplicate key " << key;
    }
    // A line that failed to parse would be missing from the table.
    EXPECT_EQ(StringTable::Parse(file).size(), keys.size());
}

TEST(StringTableEnglishFile, NoTextIsEmpty) {
    for (const auto& [key, text] : StringTable::Parse(ReadSourceFile("resources/strings/en.strings"))) {
        EXPECT_FALSE(text.empty()) << key;
    }
}

TEST(StringTableJapaneseFile, TranslatesOnlyKeysThatEnglishHas) {
    const std::string file = ReadSourceFile("resources/strings/ja.strings");
    const std::vector<std::string> keys = RawKeys(file);
    EXPECT_EQ(StringTable::Parse(file).size(), keys.size()) << "a line of ja.strings does not parse";
    const StringTable english;
    for (const std::string& key : keys) {
        EXPECT_TRUE(english.Has(key)) << key;
    }
}

TEST(StringTableEnglishFile, HasEveryCatalogueKey) {
    // With empty tables every name is its own key, which lists the keys used.
    const StringTable keysOnly("en", "", "");
    FunctionCatalogues keys;
    keys.CreateTable(keysOnly);
    const StringTable english;
    const FunctionCatalogues::List* lists[] = {
        &keys.arDF_Category,           &keys.arDF_Application,        &keys.arDF_FuncList_Key,
        &keys.arDF_FuncList_Mouse,     &keys.arDF_FuncList_Gamepad,   &keys.arDF_FuncList_Multimedia,
        &keys.arDF_FuncList_UserDialMacro, &keys.arDF_FuncList_Photoshop, &keys.arDF_FuncList_ClipStudio,
        &keys.arDF_FuncList_Sai,       &keys.arDF_FuncList_Illustrator, &keys.arDF_FuncList_Lightroom,
        &keys.arSF_Category,           &keys.arSF_Application,        &keys.arSF_FuncList_General,
        &keys.arSF_FuncList_Photoshop, &keys.arSF_FuncList_ClipStudio, &keys.arSF_FuncList_Sai,
        &keys.arSF_FuncList_Illustrator, &keys.arSF_FuncList_Lightroom, &keys.arSF_FuncList_Multimedia,
    };
    size_t checked = 0;
    for (const auto* list : lists) {
        for (const FuncSettingElem& entry : *list) {
            EXPECT_TRUE(english.Has(entry.strName)) << entry.strName;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 305u);
}

}  // namespace
}  // namespace kelvadeck
