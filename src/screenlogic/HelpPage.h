#pragma once

#include <string>
#include <string_view>

namespace kelvadeck {

// Where the help pages are: the help folder installed with the application
// (HELP_LINK_URL_FIRST inside the resource folder) holds one folder per
// language, chosen by the country of the host's locale or, for Japanese, by
// the language the configurator speaks. Each folder holds a start page and
// one page per screen. A page that is not installed falls back to the start
// page of the same language, and a language whose pages are not installed to
// the English ones.
class HelpPage {
public:
    static constexpr const char* START_PAGE = "index.html";

    // "manual_jpn/" for "JP", "manual_ko/" for "KR", "manual_cn/" for "CN",
    // "manual_tw/" for "TW", "manual_eng/" for any other country.
    static std::string SuffixForCountry(const std::string& countryCode);
    // As SuffixForCountry, but a Japanese configurator ("ja", "ja_JP" ...)
    // gets the Japanese pages whatever the country.
    static std::string SuffixFor(const std::string& countryCode, const std::string& language);
    // A page name the help folders may hold: a plain file name ending in
    // ".html", with no folder part.
    static bool IsPageName(std::string_view page);
    // The start page for the country under resourceDir, falling back to the
    // English page; empty when neither is installed.
    static std::string Locate(const std::string& resourceDir, const std::string& countryCode);
    // The page for the host under resourceDir, trying in turn: the page in
    // the host's language, that language's start page, the English page, the
    // English start page. A name that is no page name counts as the start
    // page. Empty when none of them is installed.
    static std::string Locate(const std::string& resourceDir, const std::string& countryCode, const std::string& language,
                              const std::string& page);
};

}  // namespace kelvadeck
