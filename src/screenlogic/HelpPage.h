#pragma once

#include <string>

namespace kelvadeck {

// Where the help pages are: the help folder installed with the application
// (HELP_LINK_URL_FIRST inside the resource folder) holds one folder per
// language, chosen by the country of the host's locale. A language whose
// pages are not installed falls back to the English ones.
class HelpPage {
public:
    // "manual_jpn/" for "JP", "manual_ko/" for "KR", "manual_cn/" for "CN",
    // "manual_tw/" for "TW", "manual_eng/" for any other country.
    static std::string SuffixForCountry(const std::string& countryCode);
    // The start page for the country under resourceDir, falling back to the
    // English page; empty when neither is installed.
    static std::string Locate(const std::string& resourceDir, const std::string& countryCode);
};

}  // namespace kelvadeck
