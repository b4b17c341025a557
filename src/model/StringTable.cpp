#include "model/StringTable.h"

#include <optional>

namespace kelvadeck {

// Defined in the source file that the build generates from resources/strings.
extern const char* const kEnglishStrings;
extern const char* const kJapaneseStrings;

namespace {

constexpr std::string_view kEnglish = "en";
constexpr std::string_view kJapanese = "ja";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

void SkipBlanks(std::string_view line, size_t& pos) {
    while (pos < line.size() && IsBlank(line[pos])) {
        ++pos;
    }
}

// Reads a double-quoted string starting at pos (which must be the opening
// quote) and leaves pos just past the closing quote. Only \" \\ and \n are
// escapes; anything else after a backslash, or a missing closing quote, makes
// the whole line unusable.
std::optional<std::string> ReadQuoted(std::string_view line, size_t& pos) {
    if (pos >= line.size() || line[pos] != '"') {
        return std::nullopt;
    }
    ++pos;
    std::string text;
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"') {
            return text;
        }
        if (c != '\\') {
            text.push_back(c);
            continue;
        }
        if (pos >= line.size()) {
            return std::nullopt;
        }
        const char e = line[pos++];
        switch (e) {
        case '"':
            text.push_back('"');
            break;
        case '\\':
            text.push_back('\\');
            break;
        case 'n':
            text.push_back('\n');
            break;
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// One entry line: "KEY" = "text"; with optional blanks between the parts and
// after the semicolon. Nothing else may follow.
std::optional<std::pair<std::string, std::string>> ParseEntry(std::string_view line) {
    size_t pos = 0;
    SkipBlanks(line, pos);
    auto key = ReadQuoted(line, pos);
    if (!key || key->empty()) {
        return std::nullopt;
    }
    SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != '=') {
        return std::nullopt;
    }
    ++pos;
    SkipBlanks(line, pos);
    auto text = ReadQuoted(line, pos);
    if (!text) {
        return std::nullopt;
    }
    SkipBlanks(line, pos);
    if (pos >= line.size() || line[pos] != ';') {
        return std::nullopt;
    }
    ++pos;
    SkipBlanks(line, pos);
    if (pos != line.size()) {
        return std::nullopt;
    }
    return std::make_pair(std::move(*key), std::move(*text));
}

bool IsJapanese(std::string_view language) {
    if (language.size() < 2) {
        return false;
    }
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(language[0]) == 'j' && lower(language[1]) == 'a';
}

}  // namespace

std::map<std::string, std::string, std::less<>> StringTable::Parse(std::string_view text) {
    std::map<std::string, std::string, std::less<>> table;
    // An editor may have saved the table with a UTF-8 byte order mark.
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.substr(0, kBom.size()) == kBom) {
        text.remove_prefix(kBom.size());
    }
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        size_t pos = 0;
        SkipBlanks(line, pos);
        if (pos == line.size() || line.substr(pos, 2) == "//") {
            continue;
        }
        if (auto entry = ParseEntry(line)) {
            // A key given twice keeps its last text.
            table.insert_or_assign(std::move(entry->first), std::move(entry->second));
        }
    }
    return table;
}

StringTable::StringTable() : StringTable(kEnglish) {}

StringTable::StringTable(std::string_view language)
    : StringTable(language, kEnglishStrings, IsJapanese(language) ? std::string_view(kJapaneseStrings) : std::string_view()) {}

StringTable::StringTable(std::string_view language, std::string_view englishText, std::string_view localText)
    : m_language(IsJapanese(language) ? kJapanese : kEnglish), m_english(Parse(englishText)) {
    if (m_language != kEnglish) {
        m_local = Parse(localText);
    }
}

std::string StringTable::Get(std::string_view key) const {
    if (auto it = m_local.find(key); it != m_local.end()) {
        return it->second;
    }
    if (auto it = m_english.find(key); it != m_english.end()) {
        return it->second;
    }
    return std::string(key);
}

bool StringTable::Has(std::string_view key) const {
    return m_local.find(key) != m_local.end() || m_english.find(key) != m_english.end();
}

}  // namespace kelvadeck
