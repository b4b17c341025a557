// Both string tables cover each other and every key the configurator looks up.
//
// A key that the code uses but a table lacks shows the raw key on screen, so the
// tests below scan the source tree for the keys it uses and require each in both
// tables. The scanner is deliberately simple (no C++ parser):
//
//  1. Comments are dropped; string and character literals are recognised so
//     that quotes and parentheses inside them do not confuse the rest.
//  2. A literal is a key when it is an argument of a lookup helper
//     (kLookupHelpers: `Get("KEY")`, `t("KEY")`, `T("KEY")`, `Failure("JOB_NAME_…", …)`,
//     `TextOrEmpty("KEY", …)`, also inside `cond ? "A" : "B"`) and looks like
//     an identifier ("OK", "Cancel", "BTN_SUBMIT").
//  3. A literal is also a key when it has the key shape (upper-case words
//     joined by underscores) and its first word starts a key of the English
//     table ("JOB_", "SCRIPT_", "SYSTEM_" …). That finds keys kept in tables or
//     variables before the lookup (`key = "SCRIPT_KEY_PRESS_TEXT"`,
//     `{C::LED_…, "LED_BRIGHTNESS_LEVEL_DARK"}`) while leaving environment
//     variable names and key-code names alone.
//  4. model/FunctionCatalogues.cpp is not scanned: its preset lists hold name
//     fragments that are joined into keys at run time. The catalogues are
//     checked instead by building them with empty tables, where every looked-up
//     key comes back as its own text.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "model/FunctionCatalogues.h"
#include "model/StringTable.h"

namespace kelvadeck {
namespace {

using Table = std::map<std::string, std::string, std::less<>>;

// Calls whose arguments name string keys.
// (Qt's own tr() is not one: its arguments are English texts, not keys.)
constexpr std::string_view kLookupHelpers[] = {"Get", "t", "T", "Tr", "Text", "TextOrEmpty", "Failure"};

// Source files whose keys are checked another way (see the top of this file).
constexpr std::string_view kNotScanned[] = {"model/FunctionCatalogues.cpp"};

std::string ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Table LoadTable(std::string_view name) {
    const std::filesystem::path path = std::filesystem::path(KELVADECK_SOURCE_DIR) / "resources/strings" / name;
    return StringTable::Parse(ReadWholeFile(path));
}

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return IsUpper(c) || (c >= 'a' && c <= 'z'); }
bool IsWordChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }

// "OK", "Cancel", "BTN_SUBMIT": what a key passed straight to a lookup looks like.
// A trailing underscore marks a fragment that is completed at run time.
bool IsIdentifier(std::string_view text) {
    if (text.empty() || !IsLetter(text[0]) || text.back() == '_') {
        return false;
    }
    for (char c : text) {
        if (!IsWordChar(c)) {
            return false;
        }
    }
    return true;
}

bool IsAllCapitals(std::string_view text) {
    for (char c : text) {
        if (!(IsUpper(c) || IsDigit(c) || c == '_')) {
            return false;
        }
    }
    return !text.empty();
}

// Upper-case words joined by single underscores, at least two words: "JOB_FAILED".
bool HasKeyShape(std::string_view text) {
    if (text.empty() || !IsUpper(text[0]) || text.back() == '_' || text.find('_') == std::string_view::npos) {
        return false;
    }
    char previous = '_';
    for (char c : text) {
        if (!(IsUpper(c) || IsDigit(c) || c == '_') || (c == '_' && previous == '_')) {
            return false;
        }
        previous = c;
    }
    return true;
}

std::string FirstWord(std::string_view key) { return std::string(key.substr(0, key.find('_'))); }

// The first words of the table's multi-word keys ("BTN", "JOB", "SCRIPT" ...).
std::set<std::string> KeyFamilies(const Table& table) {
    std::set<std::string> families;
    for (const auto& [key, text] : table) {
        if (key.find('_') != std::string::npos) {
            families.insert(FirstWord(key));
        }
    }
    return families;
}

struct Literal {
    std::string text;  // as written between the quotes
    size_t begin;      // offset of the opening quote
};

// A source file with its comments blanked and the contents of its literals
// blanked in `code`, the literals themselves listed apart. Offsets agree.
struct LexedSource {
    std::string code;
    std::vector<Literal> literals;
};

LexedSource Lex(std::string_view source) {
    LexedSource out;
    out.code.assign(source);
    auto blank = [&out](size_t from, size_t to) {
        for (size_t i = from; i < to && i < out.code.size(); ++i) {
            if (out.code[i] != '\n') {
                out.code[i] = ' ';
            }
        }
    };
    size_t i = 0;
    while (i < source.size()) {
        const char c = source[i];
        const char next = i + 1 < source.size() ? source[i + 1] : '\0';
        if (c == '/' && next == '/') {
            const size_t end = source.find('\n', i);
            const size_t stop = end == std::string_view::npos ? source.size() : end;
            blank(i, stop);
            i = stop;
        } else if (c == '/' && next == '*') {
            const size_t end = source.find("*/", i + 2);
            const size_t stop = end == std::string_view::npos ? source.size() : end + 2;
            blank(i, stop);
            i = stop;
        } else if (c == '"' && i > 0 && source[i - 1] == 'R') {
            // Raw string: R"delim( ... )delim"
            const size_t open = source.find('(', i);
            if (open == std::string_view::npos) {
                break;
            }
            const std::string closing = ")" + std::string(source.substr(i + 1, open - i - 1)) + "\"";
            const size_t end = source.find(closing, open);
            const size_t stop = end == std::string_view::npos ? source.size() : end + closing.size();
            out.literals.push_back({std::string(source.substr(open + 1, end == std::string_view::npos ? 0 : end - open - 1)), i});
            blank(i + 1, stop - 1);
            i = stop;
        } else if (c == '"' || (c == '\'' && !(i > 0 && IsDigit(source[i - 1])))) {
            // Ordinary string or character literal; a quote after a digit is a
            // digit separator (1'000).
            size_t j = i + 1;
            while (j < source.size() && source[j] != c && source[j] != '\n') {
                j += source[j] == '\\' ? 2 : 1;
            }
            const size_t stop = j < source.size() ? j + 1 : source.size();
            if (c == '"') {
                out.literals.push_back({std::string(source.substr(i + 1, j - i - 1)), i});
            }
            blank(i + 1, stop - 1);
            i = stop;
        } else {
            ++i;
        }
    }
    return out;
}

// Offset of the parenthesis that closes the one at `open`, or the end of the code.
size_t MatchingParen(const std::string& code, size_t open) {
    int depth = 0;
    for (size_t i = open; i < code.size(); ++i) {
        if (code[i] == '(') {
            ++depth;
        } else if (code[i] == ')' && --depth == 0) {
            return i;
        }
    }
    return code.size();
}

// How many parentheses are open at `at`, counting from the one at `open`.
int ParenDepth(const std::string& code, size_t open, size_t at) {
    int depth = 0;
    for (size_t i = open; i < at; ++i) {
        depth += code[i] == '(' ? 1 : code[i] == ')' ? -1 : 0;
    }
    return depth;
}

// The string keys one source file uses; see the rules at the top of this file.
std::set<std::string> KeysUsedIn(std::string_view source, const std::set<std::string>& families) {
    const LexedSource lexed = Lex(source);
    std::set<std::string> keys;

    for (std::string_view helper : kLookupHelpers) {
        for (size_t at = lexed.code.find(helper); at != std::string::npos; at = lexed.code.find(helper, at + 1)) {
            if (at > 0 && IsWordChar(lexed.code[at - 1])) {
                continue;
            }
            size_t open = at + helper.size();
            while (open < lexed.code.size() && (lexed.code[open] == ' ' || lexed.code[open] == '\n')) {
                ++open;
            }
            if (open >= lexed.code.size() || lexed.code[open] != '(') {
                continue;
            }
            const size_t close = MatchingParen(lexed.code, open);
            for (const Literal& literal : lexed.literals) {
                if (literal.begin <= open || literal.begin >= close) {
                    continue;
                }
                // Straight arguments may be any identifier ("Cancel"); inside a
                // nested call (std::string("KEY"), b->property("textKey")) only
                // an all-capitals one counts.
                const bool nested = ParenDepth(lexed.code, open, literal.begin) > 1;
                if (IsIdentifier(literal.text) && (!nested || IsAllCapitals(literal.text))) {
                    keys.insert(literal.text);
                }
            }
        }
    }
    for (const Literal& literal : lexed.literals) {
        if (HasKeyShape(literal.text) && families.count(FirstWord(literal.text)) != 0) {
            keys.insert(literal.text);
        }
    }
    return keys;
}

// Key -> the first source file (relative to src/) that uses it.
std::map<std::string, std::string> KeysUsedBySourceTree(const std::set<std::string>& families) {
    std::map<std::string, std::string> used;
    const std::filesystem::path root = std::filesystem::path(KELVADECK_SOURCE_DIR) / "src";
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".cpp" || ext == ".h")) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        const std::string relative = path.lexically_relative(root).generic_string();
        bool skip = false;
        for (std::string_view excluded : kNotScanned) {
            skip = skip || relative == excluded;
        }
        if (skip) {
            continue;
        }
        for (const std::string& key : KeysUsedIn(ReadWholeFile(path), families)) {
            used.emplace(key, relative);
        }
    }
    return used;
}

// Every key the 21 function lists look up: with empty tables a name is its key.
std::set<std::string> KeysUsedByCatalogues() {
    FunctionCatalogues catalogues;
    catalogues.CreateTable(StringTable("en", "", ""));
    const FunctionCatalogues::List* lists[] = {
        &catalogues.arDF_Category,           &catalogues.arDF_Application,
        &catalogues.arDF_FuncList_Key,       &catalogues.arDF_FuncList_Mouse,
        &catalogues.arDF_FuncList_Gamepad,   &catalogues.arDF_FuncList_Multimedia,
        &catalogues.arDF_FuncList_UserDialMacro, &catalogues.arDF_FuncList_Photoshop,
        &catalogues.arDF_FuncList_ClipStudio, &catalogues.arDF_FuncList_Sai,
        &catalogues.arDF_FuncList_Illustrator, &catalogues.arDF_FuncList_Lightroom,
        &catalogues.arSF_Category,           &catalogues.arSF_Application,
        &catalogues.arSF_FuncList_General,   &catalogues.arSF_FuncList_Photoshop,
        &catalogues.arSF_FuncList_ClipStudio, &catalogues.arSF_FuncList_Sai,
        &catalogues.arSF_FuncList_Illustrator, &catalogues.arSF_FuncList_Lightroom,
        &catalogues.arSF_FuncList_Multimedia,
    };
    std::set<std::string> keys;
    for (const auto* list : lists) {
        for (const FuncSettingElem& entry : *list) {
            keys.insert(entry.strName);
        }
    }
    return keys;
}

// The printf-style and numbered placeholders of a text, in order: %1 … %9 (any
// number of digits), %d, %@, %s and the like. "%%" and a lone "%" ("100%") are
// plain text.
std::vector<std::string> Placeholders(std::string_view text) {
    std::vector<std::string> found;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%') {
            continue;
        }
        if (text[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < text.size() && IsDigit(text[end])) {
            ++end;
        }
        if (end == i + 1) {
            while (end < text.size() && (text[end] == 'l' || text[end] == 'h')) {
                ++end;
            }
            if (end < text.size() && (IsLetter(text[end]) || text[end] == '@')) {
                ++end;
            } else {
                continue;
            }
        }
        found.emplace_back(text.substr(i, end - i));
        i = end - 1;
    }
    return found;
}

// Numbered placeholders may move in a translation (word order); the others are
// filled in order, so they must keep theirs.
bool SamePlaceholders(std::string_view english, std::string_view local) {
    std::vector<std::string> a = Placeholders(english);
    std::vector<std::string> b = Placeholders(local);
    std::vector<std::string> orderedA;
    std::vector<std::string> orderedB;
    for (const auto& p : a) {
        if (!IsDigit(p[1])) orderedA.push_back(p);
    }
    for (const auto& p : b) {
        if (!IsDigit(p[1])) orderedB.push_back(p);
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b && orderedA == orderedB;
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// ------------------------------------------------------------------ the scanner itself

TEST(StringKeyScanner, FindsKeysPassedToLookupHelpers) {
    const std::string source = R"cpp(
        title = s.Get("APPLICATION_NAME");
        box.addButton(Q(m_strings.Get("Cancel")), role);
        label->setText(t("SCREEN_SYSTEM_SETTING"));
        status->setText(Q(s.Get(emulated ? "STATUS_MSG_USB_CONNECT_EMULATED"
                                         : "STATUS_MSG_USB_CONNECT")));
        msg = JobMessage::Failure("JOB_NAME_LED_WRITE", result, s);
        name = TextOrEmpty ( "SCRIPT_INTERVAL_TEXT", strings);
        text = strings.Get(std::string("BTN_SUBMIT"));
        m_btnRead->setText(Q(T("MACRO_EDITOR_MACRO_READ")));
    )cpp";
    EXPECT_EQ(KeysUsedIn(source, {}),
              (std::set<std::string>{"APPLICATION_NAME", "Cancel", "SCREEN_SYSTEM_SETTING", "STATUS_MSG_USB_CONNECT_EMULATED",
                                     "STATUS_MSG_USB_CONNECT", "JOB_NAME_LED_WRITE", "SCRIPT_INTERVAL_TEXT", "BTN_SUBMIT",
                                     "MACRO_EDITOR_MACRO_READ"}));
}

TEST(StringKeyScanner, FindsKeysOfKnownFamiliesAnywhere) {
    const std::string source = R"cpp(
        case 1: key = "SCRIPT_KEY_PRESS_TEXT"; break;
        const Row rows[] = {{1, "LED_BRIGHTNESS_LEVEL_DARK"}, {"R", "LED_COLOR_SETTING_R", 0, 255}};
        m_strJobKey = "JOB_NAME_BOOT";
    )cpp";
    EXPECT_EQ(KeysUsedIn(source, {"SCRIPT", "LED", "JOB"}),
              (std::set<std::string>{"SCRIPT_KEY_PRESS_TEXT", "LED_BRIGHTNESS_LEVEL_DARK", "LED_COLOR_SETTING_R",
                                     "JOB_NAME_BOOT"}));
}

TEST(StringKeyScanner, IgnoresCommentsLiteralTextAndOtherNames) {
    const std::string source = R"cpp(
        // s.Get("IN_A_LINE_COMMENT")
        /* t("IN_A_BLOCK_COMMENT") and "JOB_IN_COMMENT" */
        const char* env = std::getenv("KELVADECK_RESOURCE_DIR");
        qputenv("QT_QPA_PLATFORM", "offscreen");
        const char quote = '"'; const char paren = '(';
        log("Get(\"NOT_A_CALL\") is only text");
        const std::string name = "NO_ASSIGN";
        value = defaults.GetInteger("KEYBOARD_TYPE_USER_SETTING");
        total = 1'000'000; text = Get(R"x(RAW)x");
        other = s.Get("has spaces, not a key");
        last = t(prefix + "JOB_");
        action->setText(tr("File"));
        b->setText(Q(s.Get(b->property("textKey").toString().toStdString())));
    )cpp";
    EXPECT_EQ(KeysUsedIn(source, {"JOB", "SCRIPT"}), (std::set<std::string>{"RAW"}));
}

TEST(StringKeyScanner, PlaceholdersAreReadInOrder) {
    EXPECT_EQ(Placeholders("The Kelvadeck refused %1 of %2 steps."), (std::vector<std::string>{"%1", "%2"}));
    EXPECT_EQ(Placeholders("slot %d, file %@, %ld bytes, %12"), (std::vector<std::string>{"%d", "%@", "%ld", "%12"}));
    EXPECT_TRUE(Placeholders("Zoom to 100%").empty());
    EXPECT_TRUE(Placeholders("100% 表示 and 50%% off").empty());
    EXPECT_TRUE(SamePlaceholders("%1 of %2", "%2 中 %1"));
    EXPECT_FALSE(SamePlaceholders("%1 of %2", "%1 のみ"));
    EXPECT_FALSE(SamePlaceholders("slot %d", "スロット %1"));
    EXPECT_FALSE(SamePlaceholders("%d then %@", "%@ then %d"));
}

// ------------------------------------------------------------------ the two tables

class StringTableCoverage : public ::testing::Test {
protected:
    void SetUp() override {
        m_english = LoadTable("en.strings");
        m_japanese = LoadTable("ja.strings");
        ASSERT_FALSE(m_english.empty()) << "en.strings not found under " << KELVADECK_SOURCE_DIR;
        ASSERT_FALSE(m_japanese.empty()) << "ja.strings not found under " << KELVADECK_SOURCE_DIR;
    }

    // Reports each key of `keys` that a table lacks, naming where it is used.
    void ExpectInBothTables(const std::map<std::string, std::string>& keys) const {
        for (const auto& [key, where] : keys) {
            EXPECT_TRUE(m_english.count(key)) << "\"" << key << "\" (used in " << where << ") is missing from en.strings";
            EXPECT_TRUE(m_japanese.count(key)) << "\"" << key << "\" (used in " << where << ") is missing from ja.strings";
        }
    }

    Table m_english;
    Table m_japanese;
};

TEST_F(StringTableCoverage, JapaneseHasEveryEnglishKey) {
    for (const auto& [key, text] : m_english) {
        EXPECT_TRUE(m_japanese.count(key)) << "ja.strings lacks \"" << key << "\" (English: " << text << ")";
    }
}

TEST_F(StringTableCoverage, EnglishHasEveryJapaneseKey) {
    for (const auto& [key, text] : m_japanese) {
        EXPECT_TRUE(m_english.count(key)) << "en.strings lacks \"" << key << "\", which only ja.strings has";
    }
}

TEST_F(StringTableCoverage, TranslationsKeepThePlaceholders) {
    for (const auto& [key, english] : m_english) {
        const auto local = m_japanese.find(key);
        if (local == m_japanese.end()) {
            continue;  // reported by JapaneseHasEveryEnglishKey
        }
        EXPECT_TRUE(SamePlaceholders(english, local->second))
            << key << ":\n  en: " << english << "\n  ja: " << local->second;
    }
}

TEST_F(StringTableCoverage, JapaneseTextsAreTranslated) {
    for (const auto& [key, english] : m_english) {
        const auto local = m_japanese.find(key);
        if (local == m_japanese.end()) {
            continue;
        }
        const std::string& text = local->second;
        EXPECT_FALSE(text.empty()) << key;
        // Names (Ctrl, Photoshop, OK) are carried over unchanged; anything else
        // in plain ASCII is an English text copied without translation.
        if (IsAscii(text)) {
            EXPECT_EQ(text, english) << key << " looks untranslated or out of place: " << text;
        }
        // A sentence is never left in English.
        if (!english.empty() && (english.back() == '.' || english.back() == '?')) {
            EXPECT_FALSE(IsAscii(text)) << key << " is an untranslated sentence: " << text;
        }
    }
}

TEST_F(StringTableCoverage, TheJapaneseLocaleGetsTheJapaneseFile) {
    for (const char* locale : {"ja", "ja_JP.UTF-8"}) {
        const StringTable compiled(locale);
        for (const auto& [key, text] : m_japanese) {
            EXPECT_EQ(compiled.Get(key), text) << locale << " " << key;
        }
    }
    // Any other language stays English, whatever the Japanese file holds.
    const StringTable other("de_DE.UTF-8");
    for (const auto& [key, text] : m_english) {
        EXPECT_EQ(other.Get(key), text) << key;
    }
}

TEST_F(StringTableCoverage, EveryKeyTheSourceUsesIsInBothTables) {
    const std::map<std::string, std::string> used = KeysUsedBySourceTree(KeyFamilies(m_english));
    // The scanner must see the lookups at all: the screens, the macro texts and
    // the job messages alone use well over a hundred keys.
    EXPECT_GT(used.size(), 100u);
    EXPECT_TRUE(used.count("APPLICATION_NAME"));
    EXPECT_TRUE(used.count("SCRIPT_KEY_PRESS_TEXT"));
    ExpectInBothTables(used);
}

TEST_F(StringTableCoverage, EveryCatalogueKeyIsInBothTables) {
    std::map<std::string, std::string> used;
    for (const std::string& key : KeysUsedByCatalogues()) {
        used.emplace(key, "the function lists");
    }
    EXPECT_GT(used.size(), 250u);
    ExpectInBothTables(used);
}

}  // namespace
}  // namespace kelvadeck
