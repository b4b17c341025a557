// The generated preset files of the build tree: one for every preset ID that
// Constants defines, each a script or action record the device can play, and
// each exactly what the preset table says.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "keys/KeyCode.h"
#include "keys/Utility.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "macro/PresetBuilder.h"
#include "model/PresetTable.h"

namespace kelvadeck {
namespace {

using C = Constants;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

#ifdef KELVADECK_BUILD_RESOURCE_DIR
const std::string kResourceDir = KELVADECK_BUILD_RESOURCE_DIR;
#else
const std::string kResourceDir;
#endif
const std::string kTablePath = std::string(KELVADECK_SOURCE_DIR) + "/resources/presets/presets.tsv";

// Counts straight from Constants, independent of the generator's catalogue.
struct AppCount {
    uint8_t app;
    uint8_t count;
    const char* name;
};

constexpr AppCount kSwitchApps[] = {
    {C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP, C::APP_DATA_FUNC_PRESET_PHOTOSHOP_NUM, "Photoshop"},
    {C::APP_DATA_FUNC_PRESET_ID_CLIPSTUDIO, C::APP_DATA_FUNC_PRESET_CLIPSTUDIO_NUM, "ClipStudio"},
    {C::APP_DATA_FUNC_PRESET_ID_SAI, C::APP_DATA_FUNC_PRESET_SAI_NUM, "SAI"},
    {C::APP_DATA_FUNC_PRESET_ID_ILLUSTRATOR, C::APP_DATA_FUNC_PRESET_ILLUSTRATOR_NUM, "Illustrator"},
};

constexpr AppCount kDialApps[] = {
    {C::APP_DATA_DIAL_FUNC_PRESET_ID_PHOTOSHOP, C::APP_DATA_DIAL_FUNC_PRESET_PHOTOSHOP_NUM, "Photoshop"},
    {C::APP_DATA_DIAL_FUNC_PRESET_ID_CLIPSTUDIO, C::APP_DATA_DIAL_FUNC_PRESET_CLIPSTUDIO_NUM, "ClipStudio"},
    {C::APP_DATA_DIAL_FUNC_PRESET_ID_SAI, C::APP_DATA_DIAL_FUNC_PRESET_SAI_NUM, "SAI"},
    {C::APP_DATA_DIAL_FUNC_PRESET_ID_ILLUSTRATOR, C::APP_DATA_DIAL_FUNC_PRESET_ILLUSTRATOR_NUM, "Illustrator"},
    {C::APP_DATA_DIAL_FUNC_PRESET_ID_LIGHTROOM, C::APP_DATA_DIAL_FUNC_PRESET_LIGHTROOM_NUM, "Lightroom"},
};

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PresetResourcesTest : public testing::Test {
protected:
    void SetUp() override {
        if (kResourceDir.empty()) GTEST_SKIP() << "the build defines no preset resource folder";
        PresetError error;
        ASSERT_TRUE(PresetTable::Parse(ReadText(kTablePath), m_table, error)) << error.Describe(kTablePath);
    }

    std::optional<std::string> SwitchFile(uint8_t app, uint8_t function) const {
        return m_utility.GetPresetFileName(Utility::PRESET_KIND_SWITCH, C::APP_DATA_FUNC_CATEGORY_ID_PRESET, app,
                                           function);
    }
    std::optional<std::string> DialFile(uint8_t app, uint8_t function) const {
        return m_utility.GetPresetFileName(Utility::PRESET_KIND_DIAL, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET, app,
                                           function);
    }

    PresetTable m_table;
    Utility m_utility{kResourceDir};
    KeyCode m_keyCode;
};

TEST_F(PresetResourcesTest, EverySwitchPresetIsAPlayableBalancedScript) {
    size_t checked = 0;
    for (const AppCount& app : kSwitchApps) {
        for (uint8_t id = 0; id < app.count; ++id) {
            SCOPED_TRACE(testing::Message() << "switch preset " << app.name << " " << int{id});
            const auto path = SwitchFile(app.app, id);
            ASSERT_TRUE(path.has_value()) << "no file";
            const Bytes bytes = ReadAll(*path);
            ASSERT_FALSE(bytes.empty());
            ASSERT_LE(bytes.size(), static_cast<size_t>(FlashControl::FM_SCRIPT_DATA_MAX_SIZE));

            MacroCreator script;
            ASSERT_TRUE(script.AnalyzeDataFromFlash(bytes.data(), static_cast<int32_t>(bytes.size()), m_keyCode));

            const PresetEntry* entry = m_table.Find(PresetKind::Switch, app.app, id);
            ASSERT_NE(entry, nullptr);

            // Only key steps; nothing pressed twice, nothing released that is not down.
            std::vector<uint8_t> down;
            size_t releases = 0;
            for (const MacroDataScript& step : script.arCurrentMacroScript) {
                const auto usage = static_cast<uint8_t>(step.cOption1);
                if (step.bScriptID == C::SCRIPT_COMMAND_KEY_PRESS) {
                    EXPECT_EQ(std::count(down.begin(), down.end(), usage), 0) << "usage " << int{usage} << " pressed twice";
                    down.push_back(usage);
                } else if (step.bScriptID == C::SCRIPT_COMMAND_KEY_RELEASE) {
                    ASSERT_FALSE(down.empty()) << "release with no key down";
                    // Last pressed, first released: modifiers outlast the key.
                    EXPECT_EQ(down.back(), usage) << "release out of order";
                    down.pop_back();
                    ++releases;
                } else {
                    ADD_FAILURE() << "unexpected command " << int{step.bScriptID};
                }
            }
            if (entry->hold) {
                EXPECT_EQ(releases, 0u) << "a hold script keeps its keys down";
                EXPECT_FALSE(down.empty());
            } else {
                EXPECT_TRUE(down.empty()) << "keys left down by a preset not marked hold";
                EXPECT_GT(releases, 0u);
            }
            ++checked;
        }
    }
    EXPECT_EQ(checked, 174u);
}

TEST_F(PresetResourcesTest, EveryDialPresetIsAnActionRecord) {
    size_t checked = 0;
    for (const AppCount& app : kDialApps) {
        for (uint8_t id = 0; id < app.count; ++id) {
            SCOPED_TRACE(testing::Message() << "dial preset " << app.name << " " << int{id});
            const auto path = DialFile(app.app, id);
            ASSERT_TRUE(path.has_value()) << "no file";
            const Bytes bytes = ReadAll(*path);
            ASSERT_GE(bytes.size(), PresetBuilder::DIAL_RECORD_LEN);

            const uint8_t type = bytes[C::DEVICE_DATA_SET_TYPE_IDX];
            EXPECT_GT(type, C::SET_TYPE_NONE);
            EXPECT_LE(type, C::SET_TYPE_MAX);
            switch (type) {
                case C::SET_TYPE_KEYBOARD_KEY:
                    // Something to press; keys 2 and 3 and the rest unused.
                    EXPECT_TRUE(bytes[C::DEVICE_DATA_KEY1_IDX] != 0 || bytes[C::DEVICE_DATA_MODIFIER_IDX] != 0);
                    EXPECT_EQ(bytes[C::DEVICE_DATA_KEY2_IDX], 0);
                    EXPECT_EQ(bytes[C::DEVICE_DATA_KEY3_IDX], 0);
                    EXPECT_EQ(bytes[5], 0);
                    EXPECT_EQ(bytes[6], 0);
                    break;
                case C::SET_TYPE_MOUSE_WHSCROLL:
                    EXPECT_NE(bytes[C::DEVICE_DATA_WHEEL_IDX], 0);
                    break;
                case C::SET_TYPE_NUMBER_UP:
                case C::SET_TYPE_NUMBER_DOWN:
                    for (size_t i = 1; i < PresetBuilder::DIAL_RECORD_LEN; ++i) EXPECT_EQ(bytes[i], 0) << "byte " << i;
                    break;
                default:
                    ADD_FAILURE() << "set type " << int{type} << " is not one the presets use";
            }
            ++checked;
        }
    }
    EXPECT_EQ(checked, 46u);
}

// The files are the table: a stale build or a generator that drifted from the
// builder shows here.
TEST_F(PresetResourcesTest, FilesHoldWhatTheTableSays) {
    ASSERT_EQ(m_table.entries.size(), 174u + 46u);
    for (const PresetEntry& entry : m_table.entries) {
        SCOPED_TRACE(testing::Message() << "table line " << entry.line << " " << entry.idName);
        const bool sw = entry.kind == PresetKind::Switch;
        const auto path = sw ? SwitchFile(entry.applicationId, entry.functionId)
                             : DialFile(entry.applicationId, entry.functionId);
        ASSERT_TRUE(path.has_value());
        Bytes expected;
        if (sw) {
            expected = PresetBuilder::SwitchScript(entry.action, entry.hold);
        } else {
            const PresetBuilder::DialRecord record = PresetBuilder::BuildDialRecord(entry.action);
            expected.assign(record.begin(), record.end());
        }
        EXPECT_EQ(ReadAll(*path), expected);
    }
}

// Nothing else lies in the preset folders: no file of a preset that left the
// table, no switch folder for Lightroom.
TEST_F(PresetResourcesTest, NoStrayFiles) {
    const fs::path root = fs::path(kResourceDir) / "presetdata" / "JA";
    std::set<std::string> found;
    for (const char* folder : {"macro_sw", "macro_dial"}) {
        for (const auto& item : fs::recursive_directory_iterator(root / folder)) {
            if (item.is_regular_file()) found.insert(fs::relative(item.path(), kResourceDir).generic_string());
        }
    }
    std::set<std::string> expected;
    for (const PresetEntry& entry : m_table.entries) {
        expected.insert(PresetBuilder::RelativePath(entry.kind, entry.applicationId, entry.functionId));
    }
    EXPECT_EQ(found, expected);
    EXPECT_FALSE(SwitchFile(C::APP_DATA_DIAL_FUNC_PRESET_ID_LIGHTROOM, 0).has_value());
}

// A few presets byte for byte, against the device's formats.
TEST_F(PresetResourcesTest, KnownPresetBytes) {
    struct SwitchCase {
        uint8_t app;
        uint8_t id;
        Bytes bytes;
    };
    const SwitchCase switches[] = {
        // Photoshop Eraser: E down, E up.
        {C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP, C::APP_DATA_FUNC_PRESET_PHOTOSHOP_ID_ERASER, {0x41, 0x08, 0x40, 0x08}},
        // Photoshop Undo: Ctrl down, Z down, Z up, Ctrl up.
        {C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP,
         C::APP_DATA_FUNC_PRESET_PHOTOSHOP_ID_UNDO_ONE_TASK,
         {0x41, 0xE0, 0x41, 0x1D, 0x40, 0x1D, 0x40, 0xE0}},
        // Photoshop Space: held for the Hand tool.
        {C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP, C::APP_DATA_FUNC_PRESET_PHOTOSHOP_ID_SPACE, {0x41, 0x2C}},
        // Clip Studio temporary rotate: Shift and Space held.
        {C::APP_DATA_FUNC_PRESET_ID_CLIPSTUDIO, C::APP_DATA_FUNC_PRESET_CLIPSTUDIO_ID_ROTATION, {0x41, 0xE1, 0x41, 0x2C}},
        // Illustrator Paste on All Artboards: three modifiers, released in reverse.
        {C::APP_DATA_FUNC_PRESET_ID_ILLUSTRATOR,
         C::APP_DATA_FUNC_PRESET_ILLUSTRATOR_ID_PASTE_ARTBOARD,
         {0x41, 0xE0, 0x41, 0xE1, 0x41, 0xE2, 0x41, 0x19, 0x40, 0x19, 0x40, 0xE2, 0x40, 0xE1, 0x40, 0xE0}},
    };
    for (const SwitchCase& c : switches) {
        SCOPED_TRACE(testing::Message() << "switch " << int{c.app} << "/" << int{c.id});
        const auto path = SwitchFile(c.app, c.id);
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(ReadAll(*path), c.bytes);
    }

    struct DialCase {
        uint8_t app;
        uint8_t id;
        Bytes bytes;
    };
    const DialCase dials[] = {
        // "]": keyboard action, no modifier, usage 0x30.
        {C::APP_DATA_DIAL_FUNC_PRESET_ID_PHOTOSHOP, C::APP_DATA_DIAL_FUNC_PRESET_PHOTOSHOP_ID_BRUSH_L,
         {0x09, 0x00, 0x30, 0x00, 0x00, 0x00, 0x00}},
        // Ctrl+Alt+= : modifier bits 0x01 | 0x04.
        {C::APP_DATA_DIAL_FUNC_PRESET_ID_PHOTOSHOP, C::APP_DATA_DIAL_FUNC_PRESET_PHOTOSHOP_ID_CANVAS_ENLARGE,
         {0x09, 0x05, 0x2E, 0x00, 0x00, 0x00, 0x00}},
        // The device's number step.
        {C::APP_DATA_DIAL_FUNC_PRESET_ID_PHOTOSHOP, C::APP_DATA_DIAL_FUNC_PRESET_PHOTOSHOP_ID_OPACITY_UP,
         {0x28, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        // One wheel step down: -1 in the wheel byte.
        {C::APP_DATA_DIAL_FUNC_PRESET_ID_CLIPSTUDIO, C::APP_DATA_DIAL_FUNC_PRESET_CLIPSTUDIO_ID_ZOOM_OUT,
         {0x08, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00}},
        // Lightroom feather: Shift+].
        {C::APP_DATA_DIAL_FUNC_PRESET_ID_LIGHTROOM, C::APP_DATA_DIAL_FUNC_PRESET_LIGHTROOM_ID_BRUSH_BLUR_UP,
         {0x09, 0x02, 0x30, 0x00, 0x00, 0x00, 0x00}},
    };
    for (const DialCase& c : dials) {
        SCOPED_TRACE(testing::Message() << "dial " << int{c.app} << "/" << int{c.id});
        const auto path = DialFile(c.app, c.id);
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(ReadAll(*path), c.bytes);
    }
}

// The table has exactly one row per preset ID of every application.
TEST_F(PresetResourcesTest, TableRowsPerApplicationMatchTheCounts) {
    for (const AppCount& app : kSwitchApps) {
        size_t rows = 0;
        for (const PresetEntry& entry : m_table.entries) {
            if (entry.kind == PresetKind::Switch && entry.applicationId == app.app) ++rows;
        }
        EXPECT_EQ(rows, app.count) << app.name;
    }
    for (const AppCount& app : kDialApps) {
        size_t rows = 0;
        for (const PresetEntry& entry : m_table.entries) {
            if (entry.kind == PresetKind::Dial && entry.applicationId == app.app) ++rows;
        }
        EXPECT_EQ(rows, app.count) << app.name;
    }
}

}  // namespace
}  // namespace kelvadeck
