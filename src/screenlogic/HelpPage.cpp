#include "screenlogic/HelpPage.h"

#include <filesystem>
#include <system_error>

#include "model/Constants.h"

namespace kelvadeck {

namespace {

constexpr const char* kStartPage = "index.html";

std::string PageIn(const std::string& resourceDir, const std::string& suffix) {
    namespace fs = std::filesystem;
    if (resourceDir.empty()) return {};
    const fs::path page = fs::path(resourceDir) / Constants::HELP_LINK_URL_FIRST / suffix / kStartPage;
    std::error_code ec;
    return fs::is_regular_file(page, ec) ? page.lexically_normal().string() : std::string();
}

}  // namespace

std::string HelpPage::SuffixForCountry(const std::string& countryCode) {
    if (countryCode == "JP") return Constants::HELP_LINK_URL_JP;
    if (countryCode == "KR") return Constants::HELP_LINK_URL_KR;
    if (countryCode == "CN") return Constants::HELP_LINK_URL_CN;
    if (countryCode == "TW") return Constants::HELP_LINK_URL_TW;
    return Constants::HELP_LINK_URL_EN;
}

std::string HelpPage::Locate(const std::string& resourceDir, const std::string& countryCode) {
    std::string page = PageIn(resourceDir, SuffixForCountry(countryCode));
    if (page.empty()) page = PageIn(resourceDir, Constants::HELP_LINK_URL_EN);
    return page;
}

}  // namespace kelvadeck
