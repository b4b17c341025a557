#pragma once

#include <map>
#include <string>
#include <string_view>

namespace kelvadeck {

// User-visible texts looked up by key ("BTN_SUBMIT", "SET_TYPE_KEYBOARD" ...).
// The tables are compiled into the library: English is complete and is the
// fallback for a key another language lacks.
class StringTable {
public:
    // English only.
    StringTable();
    // "ja" (or "ja_JP", "ja-JP.UTF-8" ...) selects Japanese with English
    // fallback; anything else gives English.
    explicit StringTable(std::string_view language);
    // The same from the given table texts instead of the compiled-in ones
    // (tests and tools); localText counts only when the language is not English.
    StringTable(std::string_view language, std::string_view englishText, std::string_view localText);

    // Localised text of key; the English text when the language lacks it; the
    // key itself when no table has it (so a missing text is visible, not blank).
    std::string Get(std::string_view key) const;
    bool Has(std::string_view key) const;
    const std::string& Language() const { return m_language; }

    // Parses the table format: one entry per line, "KEY" = "text"; with \" \\ \n
    // escapes; lines starting with // and blank lines are ignored. Bad lines are skipped.
    static std::map<std::string, std::string, std::less<>> Parse(std::string_view text);

private:
    std::string m_language;
    std::map<std::string, std::string, std::less<>> m_english;
    std::map<std::string, std::string, std::less<>> m_local;
};

}  // namespace kelvadeck
