#include "screenlogic/HelpPage.h"

#include <filesystem>
#include <system_error>

#include "model/Constants.h"

namespace kelvadeck {

namespace {

std::string PageIn(const std::string& resourceDir, const std::string& suffix, const std::string& page) {
    namespace fs = std::filesystem;
    if (resourceDir.empty()) return {};
    const fs::path path = fs::path(resourceDir) / Constants::HELP_LINK_URL_FIRST / suffix / page;
    std::error_code ec;
    return fs::is_regular_file(path, ec) ? path.lexically_normal().string() : std::string();
}

bool IsJapanese(const std::string& language) {
    return language.size() >= 2 && (language[0] == 'j' || language[0] == 'J') && (language[1] == 'a' || language[1] == 'A') &&
           (language.size() == 2 || language[2] == '_' || language[2] == '-' || language[2] == '.');
}

}  // namespace

std::string HelpPage::SuffixForCountry(const std::string& countryCode) {
    if (countryCode == "JP") return Constants::HELP_LINK_URL_JP;
    if (countryCode == "KR") return Constants::HELP_LINK_URL_KR;
    if (countryCode == "CN") return Constants::HELP_LINK_URL_CN;
    if (countryCode == "TW") return Constants::HELP_LINK_URL_TW;
    return Constants::HELP_LINK_URL_EN;
}

std::string HelpPage::SuffixFor(const std::string& countryCode, const std::string& language) {
    if (IsJapanese(language)) return Constants::HELP_LINK_URL_JP;
    return SuffixForCountry(countryCode);
}

bool HelpPage::IsPageName(std::string_view page) {
    constexpr std::string_view kExtension = ".html";
    if (page.size() <= kExtension.size() || page.substr(page.size() - kExtension.size()) != kExtension) return false;
    if (page.front() == '.') return false;
    for (const char c : page) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!plain) return false;
    }
    return true;
}

std::string HelpPage::Locate(const std::string& resourceDir, const std::string& countryCode) {
    return Locate(resourceDir, countryCode, std::string(), START_PAGE);
}

std::string HelpPage::Locate(const std::string& resourceDir, const std::string& countryCode, const std::string& language,
                             const std::string& page) {
    const std::string name = IsPageName(page) ? page : std::string(START_PAGE);
    const std::string local = SuffixFor(countryCode, language);
    const std::string english = Constants::HELP_LINK_URL_EN;
    for (const auto& [suffix, file] : {std::pair{local, name}, std::pair{local, std::string(START_PAGE)}, std::pair{english, name},
                                       std::pair{english, std::string(START_PAGE)}}) {
        std::string found = PageIn(resourceDir, suffix, file);
        if (!found.empty()) return found;
    }
    return {};
}

}  // namespace kelvadeck
