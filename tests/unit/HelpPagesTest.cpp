// The help pages shipped in resources/help: every screen's Help button names
// a page that exists in every language, every link and picture of every page
// leads to a file that is there, and the pages are found for the host.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "screenlogic/HelpPage.h"

namespace kelvadeck {
namespace {

namespace fs = std::filesystem;

const fs::path kSource(KELVADECK_SOURCE_DIR);
const fs::path kHelp = kSource / "resources/help";
const std::vector<std::string> kLanguages = {"manual_eng", "manual_jpn"};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<fs::path> Pages(const std::string& language) {
    std::vector<fs::path> pages;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(kHelp / language, ec)) {
        if (entry.is_regular_file() && entry.path().extension() == ".html") pages.push_back(entry.path());
    }
    return pages;
}

// The page each screen's Help button opens, read from the screen's source:
// HelpLauncher::Open(m_ctx, "page.html"). The start page when none is named.
std::vector<std::string> HelpButtonPages(const fs::path& screenSource) {
    static const std::regex call(R"re(HelpLauncher::Open\(\s*m_ctx\s*(?:,\s*"([^"]*)"\s*)?\))re");
    const std::string text = ReadText(screenSource);
    std::vector<std::string> pages;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), call); it != std::sregex_iterator(); ++it) {
        pages.push_back((*it)[1].matched ? (*it)[1].str() : std::string(HelpPage::START_PAGE));
    }
    return pages;
}

// The values of href and src attributes in a page.
std::vector<std::string> References(const std::string& html) {
    static const std::regex attribute(R"re(\b(?:href|src)\s*=\s*"([^"]*)")re", std::regex::icase);
    std::vector<std::string> refs;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), attribute); it != std::sregex_iterator(); ++it) {
        refs.push_back((*it)[1].str());
    }
    return refs;
}

bool HasId(const std::string& html, const std::string& id) {
    return html.find("id=\"" + id + "\"") != std::string::npos;
}

TEST(HelpPages, EveryScreensHelpButtonNamesAPageOfEveryLanguage) {
    const std::vector<std::string> screens = {"TopVC.cpp",          "SettingVC.cpp",   "SwichFuncSettingVC.cpp",
                                              "DialFuncSettingVC.cpp", "EditMacroVC.cpp", "EditDialMacroVC.cpp"};
    std::set<std::string> named;
    for (const std::string& screen : screens) {
        const std::vector<std::string> pages = HelpButtonPages(kSource / "src/screens" / screen);
        ASSERT_EQ(pages.size(), 1u) << screen << " should open help from one button";
        const std::string& page = pages.front();
        EXPECT_TRUE(HelpPage::IsPageName(page)) << screen << ": " << page;
        EXPECT_NE(page, HelpPage::START_PAGE) << screen << " should open the page about itself";
        EXPECT_TRUE(named.insert(page).second) << screen << " shares its page " << page;
        for (const std::string& language : kLanguages) {
            EXPECT_TRUE(fs::is_regular_file(kHelp / language / page)) << screen << ": " << language << "/" << page << " is missing";
        }
    }
}

TEST(HelpPages, EveryLanguageHasTheSamePages) {
    std::map<std::string, std::set<std::string>> names;
    for (const std::string& language : kLanguages) {
        for (const fs::path& page : Pages(language)) names[language].insert(page.filename().string());
        EXPECT_TRUE(names[language].count(HelpPage::START_PAGE)) << language;
    }
    for (const std::string& language : kLanguages) EXPECT_EQ(names[language], names[kLanguages.front()]) << language;
}

TEST(HelpPages, EveryLinkAndPictureLeadsToAFileThatIsThere) {
    size_t checked = 0;
    for (const std::string& language : kLanguages) {
        const std::vector<fs::path> pages = Pages(language);
        ASSERT_FALSE(pages.empty()) << language;
        for (const fs::path& page : pages) {
            const std::string html = ReadText(page);
            const std::string where = language + "/" + page.filename().string();
            // Offline pages: nothing is fetched from elsewhere and nothing runs.
            EXPECT_EQ(html.find("<script"), std::string::npos) << where;
            for (const std::string& ref : References(html)) {
                ++checked;
                EXPECT_FALSE(ref.empty()) << where;
                if (ref.empty()) continue;
                EXPECT_EQ(ref.find("://"), std::string::npos) << where << ": " << ref << " is not a local file";
                EXPECT_FALSE(ref.starts_with("//") || ref.starts_with("/") || ref.starts_with("mailto:")) << where << ": " << ref;
                const size_t hash = ref.find('#');
                const std::string file = ref.substr(0, hash);
                const std::string fragment = hash == std::string::npos ? std::string() : ref.substr(hash + 1);
                const fs::path target = file.empty() ? page : (page.parent_path() / file).lexically_normal();
                EXPECT_TRUE(fs::is_regular_file(target)) << where << ": " << ref << " leads to no file";
                if (!fragment.empty() && fs::is_regular_file(target) && target.extension() == ".html") {
                    EXPECT_TRUE(HasId(ReadText(target), fragment)) << where << ": " << ref << " leads to no such place";
                }
                // Every file a page uses is inside the help folder, which is installed whole.
                const std::string relative = target.lexically_relative(kHelp).string();
                EXPECT_FALSE(relative.empty() || relative.starts_with("..")) << where << ": " << ref << " is outside the help folder";
            }
        }
    }
    EXPECT_GT(checked, 0u);
}

TEST(HelpPages, PageNamesArePlainHtmlFileNames) {
    EXPECT_TRUE(HelpPage::IsPageName("index.html"));
    EXPECT_TRUE(HelpPage::IsPageName("macro-editor.html"));
    EXPECT_FALSE(HelpPage::IsPageName(""));
    EXPECT_FALSE(HelpPage::IsPageName(".html"));
    EXPECT_FALSE(HelpPage::IsPageName("main.htm"));
    EXPECT_FALSE(HelpPage::IsPageName("../manual_eng/main.html"));
    EXPECT_FALSE(HelpPage::IsPageName("images/main.html"));
    EXPECT_FALSE(HelpPage::IsPageName("C:\\help\\main.html"));
    EXPECT_FALSE(HelpPage::IsPageName(".hidden.html"));
}

TEST(HelpPages, JapaneseForAJapaneseHostOrConfiguratorEnglishOtherwise) {
    EXPECT_EQ(HelpPage::SuffixFor("JP", ""), "manual_jpn/");
    EXPECT_EQ(HelpPage::SuffixFor("US", "ja"), "manual_jpn/");
    EXPECT_EQ(HelpPage::SuffixFor("", "ja_JP.UTF-8"), "manual_jpn/");
    EXPECT_EQ(HelpPage::SuffixFor("US", "en"), "manual_eng/");
    EXPECT_EQ(HelpPage::SuffixFor("DE", "de_DE"), "manual_eng/");
    EXPECT_EQ(HelpPage::SuffixFor("US", "jam"), "manual_eng/");
    EXPECT_EQ(HelpPage::SuffixFor("KR", "en"), "manual_ko/");
}

class HelpPageLocate : public ::testing::Test {
protected:
    void SetUp() override {
        // One folder per test: ctest runs the tests side by side.
        root = fs::temp_directory_path() /
               (std::string("kelvadeck_help_locate_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        for (const char* page : {"manual_eng/index.html", "manual_eng/main.html", "manual_eng/settings.html", "manual_jpn/index.html",
                                 "manual_jpn/main.html"}) {
            fs::create_directories((root / "help" / page).parent_path());
            std::ofstream(root / "help" / page) << "<html></html>";
        }
    }
    void TearDown() override { fs::remove_all(root); }
    std::string Path(const std::string& page) const { return (root / "help" / page).lexically_normal().string(); }
    std::string Locate(const std::string& country, const std::string& language, const std::string& page) const {
        return HelpPage::Locate(root.string(), country, language, page);
    }
    fs::path root;
};

TEST_F(HelpPageLocate, ThePageInTheHostsLanguage) {
    EXPECT_EQ(Locate("US", "en", "main.html"), Path("manual_eng/main.html"));
    EXPECT_EQ(Locate("JP", "en", "main.html"), Path("manual_jpn/main.html"));
    EXPECT_EQ(Locate("US", "ja", "main.html"), Path("manual_jpn/main.html"));
}

TEST_F(HelpPageLocate, AMissingPageFallsBackToTheStartPageOfTheSameLanguage) {
    EXPECT_EQ(Locate("JP", "ja", "settings.html"), Path("manual_jpn/index.html"));
    EXPECT_EQ(Locate("US", "en", "led-colour.html"), Path("manual_eng/index.html"));
}

TEST_F(HelpPageLocate, ALanguageWithoutPagesFallsBackToEnglish) {
    EXPECT_EQ(Locate("KR", "en", "settings.html"), Path("manual_eng/settings.html"));
    EXPECT_EQ(Locate("KR", "en", "led-colour.html"), Path("manual_eng/index.html"));
    fs::remove_all(root / "help/manual_jpn");
    EXPECT_EQ(Locate("JP", "ja", "main.html"), Path("manual_eng/main.html"));
}

TEST_F(HelpPageLocate, ANameThatIsNoPageNameOpensTheStartPage) {
    EXPECT_EQ(Locate("US", "en", "../manual_jpn/main.html"), Path("manual_eng/index.html"));
    EXPECT_EQ(Locate("US", "en", ""), Path("manual_eng/index.html"));
}

TEST_F(HelpPageLocate, NothingWhenNoPagesAreInstalled) {
    fs::remove_all(root / "help");
    EXPECT_EQ(Locate("US", "en", "main.html"), "");
    EXPECT_EQ(HelpPage::Locate("", "US", "en", "main.html"), "");
}

TEST(HelpPages, TheShippedPagesAreFoundForEachLanguage) {
    const std::string resources = (kSource / "resources").string();
    EXPECT_TRUE(HelpPage::Locate(resources, "US", "en", "macro-editor.html").ends_with("help/manual_eng/macro-editor.html"));
    EXPECT_TRUE(HelpPage::Locate(resources, "JP", "ja", "macro-editor.html").ends_with("help/manual_jpn/macro-editor.html"));
    EXPECT_TRUE(HelpPage::Locate(resources, "FR", "fr", "no-such-page.html").ends_with("help/manual_eng/index.html"));
}

}  // namespace
}  // namespace kelvadeck
