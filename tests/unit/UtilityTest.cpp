#include "keys/Utility.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/Logger.h"
#include "model/Constants.h"

namespace kelvadeck {
namespace {

// ---- Colours -----------------------------------------------------------------

struct DisplayCase {
    uint8_t r, g, b;        // device duties
    double dr, dg, db;      // expected display components
};

TEST(UtilityTest, FlashToDisplayColour) {
    const DisplayCase cases[] = {
        {0, 0, 0, 0.0, 0.0, 0.0},            // black
        {40, 0, 0, 1.0, 0.6, 0.6},           // dim red shows as a pale red
        {0, 100, 0, 0.0, 1.0, 0.0},          // full green stays green
        {0, 0, 25, 0.75, 0.75, 1.0},         // dim blue shows as a pale blue
        {0, 1, 0, 0.99, 1.0, 0.99},
        {50, 50, 0, 0.5, 0.5, 0.0},          // two channels: no tint rule
        {0, 30, 70, 0.0, 0.3, 0.7},
        {10, 20, 30, 0.1, 0.2, 0.3},
        {100, 100, 100, 1.0, 1.0, 1.0},
        {0xFF, 0, 0, 1.0, 0.0, 0.0},         // erased flash: above 100 is full intensity
        {0xFF, 0xFF, 0xFF, 1.0, 1.0, 1.0},
        {101, 0, 0, 1.0, 0.0, 0.0},
        {0, 0, 200, 0.0, 0.0, 1.0},
        {0xFF, 40, 0, 1.0, 0.4, 0.0},
    };
    const Utility utl;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "duties " << int{c.r} << "," << int{c.g} << "," << int{c.b});
        double r = -1, g = -1, b = -1;
        utl.FlashRGB_to_uiRGB(c.r, c.g, c.b, r, g, b);
        EXPECT_NEAR(r, c.dr, 1e-12);
        EXPECT_NEAR(g, c.dg, 1e-12);
        EXPECT_NEAR(b, c.db, 1e-12);
    }
}

struct TripleCase {
    uint8_t in[3];
    uint8_t out[3];
};

TEST(UtilityTest, RgbToDisplayRgbSingleChannelRule) {
    const TripleCase cases[] = {
        {{0, 0, 0}, {0, 0, 0}},
        {{40, 0, 0}, {100, 60, 60}},
        {{0, 40, 0}, {60, 100, 60}},
        {{0, 0, 40}, {60, 60, 100}},
        {{100, 0, 0}, {100, 0, 0}},
        {{0, 0, 1}, {99, 99, 100}},
        {{40, 40, 0}, {40, 40, 0}},
        {{40, 0, 40}, {40, 0, 40}},
        {{0, 40, 40}, {0, 40, 40}},
        {{1, 2, 3}, {1, 2, 3}},
        {{200, 0, 0}, {100, 0, 0}},  // outside the 0..100 contract: no wrap-around
    };
    const Utility utl;
    for (const auto& c : cases) {
        uint8_t r = 0xAA, g = 0xAA, b = 0xAA;
        utl.RGB_to_DisplayRGB(c.in[0], c.in[1], c.in[2], r, g, b);
        EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{c.out[0], c.out[1], c.out[2]}))
            << "in " << int{c.in[0]} << "," << int{c.in[1]} << "," << int{c.in[2]};
    }
}

TEST(UtilityTest, FlashToBarClampsAtTheMaximum) {
    const TripleCase cases[] = {
        {{0, 0, 0}, {0, 0, 0}},
        {{37, 50, 99}, {37, 50, 99}},
        {{100, 100, 100}, {100, 100, 100}},
        {{101, 0xFF, 150}, {100, 100, 100}},
    };
    const Utility utl;
    for (const auto& c : cases) {
        uint8_t r = 0xAA, g = 0xAA, b = 0xAA;
        utl.FlashRGB_to_BarRGB(c.in[0], c.in[1], c.in[2], r, g, b);
        EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{c.out[0], c.out[1], c.out[2]}));
    }
}

TEST(UtilityTest, BarToFlashClampsAtTheMaximum) {
    const TripleCase cases[] = {
        {{0, 0, 0}, {0, 0, 0}},
        {{37, 1, 99}, {37, 1, 99}},
        {{100, 100, 100}, {100, 100, 100}},
        {{0xFF, 101, 200}, {100, 100, 100}},
    };
    const Utility utl;
    for (const auto& c : cases) {
        uint8_t r = 0xAA, g = 0xAA, b = 0xAA;
        utl.BarRGB_to_FlashRGB(c.in[0], c.in[1], c.in[2], r, g, b);
        EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{c.out[0], c.out[1], c.out[2]}));
    }
}

TEST(UtilityTest, BarAndFlashRoundTripOverTheWholeRange) {
    const Utility utl;
    for (int v = 0; v <= 255; ++v) {
        const auto in = static_cast<uint8_t>(v);
        uint8_t r = 0, g = 0, b = 0, fr = 0, fg = 0, fb = 0;
        utl.FlashRGB_to_BarRGB(in, in, in, r, g, b);
        EXPECT_EQ(r, std::min(v, 100));
        utl.BarRGB_to_FlashRGB(r, g, b, fr, fg, fb);
        EXPECT_EQ(fr, std::min(v, 100));
        EXPECT_EQ(fg, fr);
        EXPECT_EQ(fb, fr);
    }
}

// ---- Preset files --------------------------------------------------------------

class UtilityPresetTest : public testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        m_dir = std::filesystem::temp_directory_path() / ("kelvadeck-utility-" + std::to_string(rd()));
        std::filesystem::create_directories(m_dir);
        Touch("presetdata/JA/macro_sw/000/004.mcdf");
        Touch("presetdata/JA/macro_sw/002/045.mcdf");
        Touch("presetdata/JA/macro_dial/001/012.dat");
        std::filesystem::create_directories(m_dir / "presetdata/JA/macro_sw/003/007.mcdf");  // a folder, not a file
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    void Touch(const std::string& relative) {
        const auto path = m_dir / relative;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << "x";
    }
    std::string Dir() const { return m_dir.string(); }

    std::filesystem::path m_dir;
};

TEST_F(UtilityPresetTest, SwitchPresetFound) {
    const Utility utl(Dir());
    EXPECT_EQ(utl.GetPresetFileName(Utility::PRESET_KIND_SWITCH, Constants::APP_DATA_FUNC_CATEGORY_ID_PRESET, 0, 4),
              Dir() + "/presetdata/JA/macro_sw/000/004.mcdf");
    EXPECT_EQ(utl.GetPresetFileName(2, 3, 2, 45), Dir() + "/presetdata/JA/macro_sw/002/045.mcdf");
}

TEST_F(UtilityPresetTest, DialPresetFound) {
    const Utility utl(Dir());
    EXPECT_EQ(utl.GetPresetFileName(Utility::PRESET_KIND_DIAL, Constants::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET, 1, 12),
              Dir() + "/presetdata/JA/macro_dial/001/012.dat");
}

TEST_F(UtilityPresetTest, TrailingSlashInResourceDirIsNotDoubled) {
    const Utility utl(Dir() + "/");
    EXPECT_EQ(utl.GetPresetFileName(2, 3, 0, 4), Dir() + "/presetdata/JA/macro_sw/000/004.mcdf");
}

TEST_F(UtilityPresetTest, WrongCategoryGivesNone) {
    const Utility utl(Dir());
    EXPECT_EQ(utl.GetPresetFileName(2, Constants::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET, 0, 4), std::nullopt);
    EXPECT_EQ(utl.GetPresetFileName(2, 0, 0, 4), std::nullopt);
    EXPECT_EQ(utl.GetPresetFileName(1, Constants::APP_DATA_FUNC_CATEGORY_ID_PRESET, 1, 12), std::nullopt);
    EXPECT_EQ(utl.GetPresetFileName(1, 0, 1, 12), std::nullopt);
}

TEST_F(UtilityPresetTest, OtherKindsUseTheSwitchFolderWithoutACheck) {
    const Utility utl(Dir());
    EXPECT_EQ(utl.GetPresetFileName(0, 0, 0, 4), Dir() + "/presetdata/JA/macro_sw/000/004.mcdf");
    EXPECT_EQ(utl.GetPresetFileName(3, 77, 0, 4), Dir() + "/presetdata/JA/macro_sw/000/004.mcdf");
    EXPECT_EQ(utl.GetPresetFileName(0, 6, 1, 12), std::nullopt);  // never the dial folder
}

TEST_F(UtilityPresetTest, MissingFileOrFolderGivesNone) {
    const Utility utl(Dir());
    EXPECT_EQ(utl.GetPresetFileName(2, 3, 0, 5), std::nullopt);
    EXPECT_EQ(utl.GetPresetFileName(2, 3, 255, 255), std::nullopt);
    EXPECT_EQ(utl.GetPresetFileName(1, 6, 0, 12), std::nullopt);
    EXPECT_EQ(utl.GetPresetFileName(2, 3, 3, 7), std::nullopt);  // a folder with the file's name
    const Utility gone(Dir() + "/no-such-folder");
    EXPECT_EQ(gone.GetPresetFileName(2, 3, 0, 4), std::nullopt);
}

TEST_F(UtilityPresetTest, EmptyResourceDirGivesNone) {
    const Utility utl;
    EXPECT_EQ(utl.GetPresetFileName(2, 3, 0, 4), std::nullopt);
    EXPECT_EQ(utl.GetPresetFileName(1, 6, 1, 12), std::nullopt);
}

TEST_F(UtilityPresetTest, LogsTheAnswer) {
    std::vector<std::string> lines;
    const Logger logger([&](const std::string& line) { lines.push_back(line); });
    const Utility utl(Dir(), &logger);
    (void)utl.GetPresetFileName(2, 3, 0, 4);
    (void)utl.GetPresetFileName(2, 3, 0, 5);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Utility : Preset file path = " + Dir() + "/presetdata/JA/macro_sw/000/004.mcdf");
    EXPECT_EQ(lines[1], "Utility : Preset file path = (null)");
}

}  // namespace
}  // namespace kelvadeck
