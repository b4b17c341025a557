// Action records rebuilt from the catalogue selections of the dial and button screens.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/Logger.h"
#include "keys/KeyCode.h"
#include "keys/Utility.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"
#include "model/FunctionCatalogues.h"
#include "model/StringTable.h"

namespace kelvadeck {
namespace {

using C = Constants;
using M = MacroCreator;
using Record = std::array<uint8_t, 8>;

Record BytesOf(const MacroDataDialFunc& action) {
    Record r{};
    for (size_t i = 0; i < r.size(); ++i) r[i] = action.Byte(static_cast<int>(i));
    return r;
}

// The values a user typed beside the catalogue, in an action that last held
// something else entirely.
MacroDataDialFunc Typed() {
    MacroDataDialFunc a;
    a.bKeyCode = 0x06;
    a.bKeyModifier = 0x01;
    a.cMoveX = -20;
    a.cMoveY = 33;
    a.cMoveZ = -2;
    a.cFuncData.fill(0x77);
    a.bScriptType = 77;
    return a;
}

class MacroRemake : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        m_dir = std::filesystem::temp_directory_path() / ("kelvadeck-remake-" + std::to_string(rd()));
        std::filesystem::create_directories(m_dir);
        m_catalogues.CreateTable(StringTable());
        m_logger.SetSink([this](const std::string& line) { m_lines.push_back(line); });
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

    // Writes the dial preset file of (application, function).
    void WriteDialPreset(int application, int function, const std::vector<uint8_t>& bytes) {
        char name[64];
        std::snprintf(name, sizeof name, "presetdata/JA/macro_dial/%03d/%03d.dat", application, function);
        const auto path = m_dir / name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    bool Dial(MacroDataDialFunc& a, uint8_t item1, uint8_t item2, uint8_t item3, uint8_t sensitivity) {
        const Utility utility(m_dir.string());
        return M::RemakeDialFuncSettingFromSetting(a, item1, item2, item3, sensitivity, m_catalogues, utility, m_keys,
                                                   &m_logger);
    }
    void Switch(MacroDataDialFunc& a, uint8_t item1, uint8_t item3) {
        EXPECT_TRUE(M::RemakeSwitchFuncSettingFromSetting(a, item1, 0, item3, m_catalogues, m_keys));
    }

    std::filesystem::path m_dir;
    FunctionCatalogues m_catalogues;
    KeyCode m_keys;
    Logger m_logger;
    std::vector<std::string> m_lines;
};

struct DialCase {
    const char* name;
    uint8_t category;
    uint8_t function;
    Record expected;
};

TEST_F(MacroRemake, DialSelections) {
    const uint8_t s = 42;
    const std::vector<DialCase> cases = {
        {"key keeps the typed key and modifier", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY,
         {0x09, 0x01, 0x06, 0, 0, 0, 0, s}},
        {"number up", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY, C::APP_DATA_DIAL_FUNC_KEY_ID_NUM_UP, {0x28, 0, 0, 0, 0, 0, 0, s}},
        {"number down", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY, C::APP_DATA_DIAL_FUNC_KEY_ID_NUM_DOWN,
         {0x29, 0, 0, 0, 0, 0, 0, s}},
        {"mouse move keeps X and Y", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE, C::APP_DATA_DIAL_FUNC_MOUSE_ID_MOVE,
         {0x07, 0, 0xEC, 0x21, 0, 0, 0, s}},
        {"wheel keeps its amount", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE, C::APP_DATA_DIAL_FUNC_MOUSE_ID_WH_SCROLL,
         {0x08, 0, 0, 0, 0xFE, 0, 0, s}},
        {"double click", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE, C::APP_DATA_DIAL_FUNC_MOUSE_ID_DCLICK,
         {0x06, 0x20, 0, 0, 0, 0, 0, s}},
        {"left stick keeps X and Y", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_GAMEPAD,
         C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_LEFT_ANALOG, {0x15, 0, 0, 0x08, 0xEC, 0x21, 0, s}},
        {"game pad button 10", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_GAMEPAD, C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_B10,
         {0x20, 0x00, 0x02, 0x08, 0, 0, 0, s}},
        {"hat west", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_GAMEPAD, C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_HAT_W,
         {0x26, 0, 0, 0x06, 0, 0, 0, s}},
        {"mute", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MULTIMEDIA, C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_MUTE,
         {0x12, 0, 0x02, 0, 0, 0, 0, s}},
        {"user dial macro 3", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_USERDIALMACRO, C::DIAL_MACRO_FUNC_TYPE_NO_3,
         {0x2C, 0, 0, 0, 0, 0, 0, s}},
        {"not set gives an empty record", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_NOT_SET, 0, {}},
        {"a function missing from its list gives an empty record", C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE, 99, {}},
        {"an unknown category gives an empty record", 9, 0, {}},
    };
    for (const DialCase& c : cases) {
        SCOPED_TRACE(c.name);
        MacroDataDialFunc a = Typed();
        EXPECT_TRUE(Dial(a, c.category, 0, c.function, s));
        EXPECT_EQ(BytesOf(a), c.expected);
        if (c.expected == Record{}) {
            EXPECT_EQ(a, MacroDataDialFunc{});
        }
    }
}

TEST_F(MacroRemake, KeyRecordCarriesTheKeyName) {
    MacroDataDialFunc a = Typed();
    a.strDatName = "a preset chosen before";
    EXPECT_TRUE(Dial(a, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY, 0, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY, 100));
    EXPECT_EQ(a.pStrKey, std::optional<std::string>("C"));
    EXPECT_EQ(a.bSensitive, 100);
    EXPECT_FALSE(a.strDatName.has_value());
}

// Buttons number their categories differently from the dial (4 is the key
// list for a button, multimedia for the dial) and always write sensitivity 0.
TEST_F(MacroRemake, SwitchSelections) {
    struct Case {
        const char* name;
        uint8_t category;
        uint8_t function;
        Record expected;
    };
    const std::vector<Case> cases = {
        {"key", C::APP_DATA_FUNC_CATEGORY_ID_KEY, C::APP_DATA_DIAL_FUNC_KEY_ID_KEY, {0x09, 0x01, 0x06, 0, 0, 0, 0, 0}},
        {"right click", C::APP_DATA_FUNC_CATEGORY_ID_MOUSE, C::APP_DATA_DIAL_FUNC_MOUSE_ID_R_CLICK,
         {0x02, 0x02, 0, 0, 0, 0, 0, 0}},
        {"hat east", C::APP_DATA_FUNC_CATEGORY_ID_GAMEPAD, C::APP_DATA_DIAL_FUNC_GAMEPAD_ID_HAT_E,
         {0x27, 0, 0, 0x02, 0, 0, 0, 0}},
        {"volume up", C::APP_DATA_FUNC_CATEGORY_ID_MULTIMEDIA, C::APP_DATA_DIAL_FUNC_MULTIMEDIA_ID_VOLUMEUP,
         {0x13, 0, 0x04, 0, 0, 0, 0, 0}},
        {"general is a script", C::APP_DATA_FUNC_CATEGORY_ID_GENERAL, 1, {}},
        {"macro is a script", C::APP_DATA_FUNC_CATEGORY_ID_MACRO, 1, {}},
        {"preset is a script", C::APP_DATA_FUNC_CATEGORY_ID_PRESET, 1, {}},
        {"not set", C::APP_DATA_FUNC_CATEGORY_ID_NOT_SET, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MacroDataDialFunc a = Typed();
        Switch(a, c.category, c.function);
        EXPECT_EQ(BytesOf(a), c.expected);
    }
}

TEST_F(MacroRemake, DialPresetTakesSevenBytesFromItsFile) {
    WriteDialPreset(1, 3, {0x09, 0x01, 0x1D, 0, 0, 0, 0});
    WriteDialPreset(2, 0, {0x08, 0, 0, 0, 0x7F, 0, 0, 0xEE, 0xEE, 0xEE});  // longer: only 7 bytes count
    MacroDataDialFunc a = Typed();
    ASSERT_TRUE(Dial(a, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET, 1, 3, 80));
    EXPECT_EQ(BytesOf(a), (Record{0x09, 0x01, 0x1D, 0, 0, 0, 0, 80}));
    ASSERT_TRUE(a.strDatName.has_value());
    EXPECT_NE(a.strDatName->find("macro_dial/001/003.dat"), std::string::npos);
    // The typed values beside the catalogue are not touched by a preset.
    EXPECT_EQ(a.bKeyCode, 0x06);
    EXPECT_EQ(a.cMoveX, -20);

    MacroDataDialFunc b = Typed();
    ASSERT_TRUE(Dial(b, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET, 2, 0, 1));
    EXPECT_EQ(BytesOf(b), (Record{0x08, 0, 0, 0, 0x7F, 0, 0, 1}));
    EXPECT_TRUE(m_lines.empty());
}

// An unreadable preset must not become an action of zeros: the record stays
// as it was and the caller learns of it.
TEST_F(MacroRemake, UnreadableDialPresetIsRefused) {
    WriteDialPreset(0, 5, {0x09, 0x01, 0x1D, 0, 0, 0});  // one byte short
    std::filesystem::create_directories(m_dir / "presetdata/JA/macro_dial/000/006.dat");  // a folder
    struct Case {
        const char* name;
        uint8_t application;
        uint8_t function;
    };
    const Case cases[] = {{"missing file", 0, 4}, {"short file", 0, 5}, {"folder", 0, 6}, {"missing folder", 4, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MacroDataDialFunc a = Typed();
        a.strDatName = "before";
        const MacroDataDialFunc before = a;
        m_lines.clear();
        EXPECT_FALSE(Dial(a, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET, c.application, c.function, 50));
        EXPECT_EQ(a, before);
        ASSERT_EQ(m_lines.size(), 1u);
        EXPECT_NE(m_lines[0].find("Presetファイルの取得に失敗"), std::string::npos);
    }
    // Without a resource folder no preset is found at all.
    MacroDataDialFunc a = Typed();
    const MacroDataDialFunc before = a;
    EXPECT_FALSE(M::RemakeDialFuncSettingFromSetting(a, C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET, 0, 0, 50, m_catalogues,
                                                     Utility(), m_keys));
    EXPECT_EQ(a, before);
}

}  // namespace
}  // namespace kelvadeck
