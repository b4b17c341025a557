#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/AppModeRules.h"

namespace kelvadeck {
namespace {

TEST(AppModeRules, TheFirstMatchingRuleWinsElseTheFallback) {
    AppModeRules r;
    ASSERT_TRUE(r.Set("krita", 2));
    ASSERT_TRUE(r.Set("org.gimp.*", 3));
    ASSERT_TRUE(r.Set("*ink*", 1));
    ASSERT_TRUE(r.Set("gim?", 1));
    struct Case {
        std::vector<std::string> names;
        std::optional<int> mode;
    };
    const std::vector<Case> cases = {
        {{"krita", "krita"}, 2},
        {{"Krita"}, 2},                        // case does not matter
        {{"", "org.gimp.GIMP"}, 3},            // any of the window's names
        {{"org.inkscape.Inkscape"}, 1},        // * within
        {{"gimp"}, 1},
        {{"gimp-2.10"}, std::nullopt},         // ? is one character
        {{"blender"}, std::nullopt},           // no rule, no fallback: stay
        {{}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names.empty() ? "" : c.names.back());
        EXPECT_EQ(r.ModeFor(c.names), c.mode);
    }
    r.fallback = 1;
    EXPECT_EQ(r.ModeFor({"blender"}), 1);
    // Order decides: an earlier rule for the same window wins.
    ASSERT_TRUE(r.Set("KRITA", 3));  // the same application: its mode changes, its place stays
    EXPECT_EQ(r.rules.size(), 4u);
    EXPECT_EQ(r.ModeFor({"krita"}), 3);
    EXPECT_TRUE(r.Remove("Krita"));
    EXPECT_FALSE(r.Remove("krita"));
    EXPECT_EQ(r.ModeFor({"krita"}), 1);
}

TEST(AppModeRules, WhatCannotBeStoredIsRefused) {
    AppModeRules r;
    for (const auto& [app, mode] : std::vector<std::pair<std::string, int>>{
             {"krita", 0}, {"krita", 4}, {"", 1}, {"a=b", 1}, {"two\nlines", 1}, {" spaced", 1}, {"#x", 1}}) {
        EXPECT_FALSE(r.Set(app, mode)) << app << " " << mode;
    }
    EXPECT_TRUE(r.rules.empty());
}

TEST(AppModeRules, TheFileReadsBackAsWrittenAndABadLineIsNamed) {
    AppModeRules r;
    r.fallback = 2;
    ASSERT_TRUE(r.Set("krita", 2));
    ASSERT_TRUE(r.Set("org.gimp.*", 3));
    AppModeRules back;
    std::string error;
    ASSERT_TRUE(back.FromText(r.ToText(), error)) << error;
    EXPECT_EQ(back, r);
    ASSERT_TRUE(back.FromText("# mine\n\n  fallback = stay \nblender=1\n", error)) << error;
    EXPECT_EQ(back.fallback, std::nullopt);
    EXPECT_EQ(back.rules, (std::vector<AppModeRules::Rule>{{"blender", 1}}));
    for (const char* bad : {"krita\n", "krita = 4\n", "= 2\n", "fallback = 0\n", "ok = 1\nkrita = two\n"}) {
        AppModeRules kept = back;
        EXPECT_FALSE(kept.FromText(bad, error)) << bad;
        EXPECT_NE(error.find("line "), std::string::npos) << error;
        EXPECT_EQ(kept, back) << "a refused text changes nothing";
    }

    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("kelvadeck-rules-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    const std::string path = (dir / "kelvadeck" / "app-modes.conf").string();
    AppModeRules loaded;
    ASSERT_TRUE(AppModeRules::Load(path, loaded, error));  // none yet: no rules
    EXPECT_TRUE(loaded.rules.empty());
    ASSERT_TRUE(r.Save(path, error)) << error;
    ASSERT_TRUE(AppModeRules::Load(path, loaded, error)) << error;
    EXPECT_EQ(loaded, r);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace kelvadeck
