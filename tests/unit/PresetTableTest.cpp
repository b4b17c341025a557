// The preset table parser, the key names and the builders behind
// kelvadeck-presetgen.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "keys/KeyCodeTable.h"
#include "model/Constants.h"
#include "model/PresetAction.h"
#include "macro/PresetBuilder.h"
#include "model/PresetIdCatalogue.h"
#include "model/PresetKeyNames.h"
#include "model/PresetTable.h"

namespace kelvadeck {
namespace {

using C = Constants;
using Bytes = std::vector<uint8_t>;

// ---- Key names -----------------------------------------------------------------

TEST(PresetKeyNamesTest, NamesAndUsagesAreUnique) {
    std::set<std::string_view> names;
    std::set<uint8_t> usages;
    for (const auto& key : PresetKeyNames::Keys()) {
        EXPECT_TRUE(names.insert(key.name).second) << "name " << key.name << " twice";
        EXPECT_TRUE(usages.insert(key.usage).second) << "usage " << int{key.usage} << " twice";
        // A name must survive the table's "+" separator.
        EXPECT_EQ(key.name.find('+'), std::string_view::npos) << key.name;
        EXPECT_FALSE(PresetKeyNames::FindModifier(key.name).has_value());
    }
    for (const auto& modifier : PresetKeyNames::Modifiers()) {
        EXPECT_TRUE(names.insert(modifier.name).second) << "name " << modifier.name << " twice";
    }
}

// Where the key code table of the configurator shows a US name, the preset
// table's name of the same spelling means the same usage.
TEST(PresetKeyNamesTest, AgreesWithTheUsKeyCodeTable) {
    size_t compared = 0;
    for (const auto& key : PresetKeyNames::Keys()) {
        bool seen = false;
        bool same = false;
        for (size_t usage = 0; usage < KeyCodeTable::ENTRY_NUM; ++usage) {
            if (KeyCodeTable::Name(static_cast<uint8_t>(usage), false) != key.name) continue;
            seen = true;
            same = same || usage == key.usage;
        }
        if (seen) {
            EXPECT_TRUE(same) << key.name;
            ++compared;
        }
    }
    // Letters, digits, F1 to F15, F21 to F24 and the named keys at least.
    EXPECT_GT(compared, 70u);
}

TEST(PresetKeyNamesTest, ModifierBitsFollowTheirUsages) {
    ASSERT_EQ(PresetKeyNames::Modifiers().size(), 8u);
    for (const auto& modifier : PresetKeyNames::Modifiers()) {
        // Report bit n is the modifier usage 0xE0 + n.
        EXPECT_EQ(modifier.bit, 1u << (modifier.usage - C::USB_KEY_CODE_CTRL_L)) << modifier.name;
    }
    EXPECT_EQ(PresetKeyNames::FindModifier("Ctrl")->usage, C::USB_KEY_CODE_CTRL_L);
    EXPECT_EQ(PresetKeyNames::FindModifier("Alt")->bit, C::USB_KEY_BIT_ALT_L);
    EXPECT_EQ(PresetKeyNames::Usage("]"), 0x30);
    EXPECT_EQ(PresetKeyNames::Usage("Space"), 0x2C);
    EXPECT_FALSE(PresetKeyNames::Usage("space").has_value());  // names are exact
}

// ---- Key combinations ----------------------------------------------------------

TEST(PresetActionTest, ParsesCombinations) {
    PresetAction action;
    std::string error;
    ASSERT_TRUE(PresetAction::Parse("Ctrl+Shift+Alt+E", false, action, error)) << error;
    EXPECT_EQ(action.type, PresetAction::Type::Keyboard);
    EXPECT_EQ(action.modifierBits, 0x07);
    EXPECT_EQ(action.modifierUsages, (Bytes{0xE0, 0xE1, 0xE2}));
    EXPECT_EQ(action.usage, 0x08);

    ASSERT_TRUE(PresetAction::Parse("Ctrl+-", false, action, error)) << error;
    EXPECT_EQ(action.modifierBits, C::USB_KEY_BIT_CTRL_L);
    EXPECT_EQ(action.usage, 0x2D);

    ASSERT_TRUE(PresetAction::Parse("Alt", false, action, error)) << error;
    EXPECT_EQ(action.usage, 0);
    EXPECT_EQ(action.modifierUsages, Bytes{0xE2});

    ASSERT_TRUE(PresetAction::Parse("WheelDown", true, action, error)) << error;
    EXPECT_EQ(action.type, PresetAction::Type::Wheel);
    EXPECT_EQ(action.wheel, -1);
    ASSERT_TRUE(PresetAction::Parse("NumberUp", true, action, error)) << error;
    EXPECT_EQ(action.type, PresetAction::Type::NumberUp);
}

TEST(PresetActionTest, RefusesWhatCannotBeSent) {
    const struct {
        const char* keys;
        bool dial;
        const char* reason;  // part of the message
    } cases[] = {
        {"", false, "empty"},
        {"Ctrl+", false, "empty key name"},
        {"Ctrl++", false, "empty key name"},
        {"+", false, "empty key name"},
        {"Ctlr+Z", false, "unknown key name \"Ctlr\""},
        {"ctrl+z", false, "unknown key name \"ctrl\""},
        {"A+B", false, "two keys"},
        {"Ctrl+Ctrl+A", false, "given twice"},
        {"WheelUp", false, "dial action"},
        {"NumberDown", false, "dial action"},
        {"Ctrl+WheelUp", true, "cannot be combined"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        PresetAction action;
        std::string error;
        EXPECT_FALSE(PresetAction::Parse(c.keys, c.dial, action, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

// ---- Table parser --------------------------------------------------------------

PresetError ParseFails(const std::string& text) {
    PresetTable table;
    PresetError error;
    EXPECT_FALSE(PresetTable::Parse(text, table, error));
    return error;
}

TEST(PresetTableTest, ReadsRowsSkippingCommentsAndBlankLines) {
    const std::string text =
        "# a comment\n"
        "\n"
        "sw\tPhotoshop\tERASER\tE\tEraser tool\r\n"
        "   # indented comment\n"
        "sw\tClipStudio\tPALM\tSpace\thold; Hand while held\n"
        "dial\tLightroom\tBRUSH_L\t]\tBrush size larger";  // no final newline
    PresetTable table;
    PresetError error;
    ASSERT_TRUE(PresetTable::Parse(text, table, error)) << error.Describe("t");
    ASSERT_EQ(table.entries.size(), 3u);

    const PresetEntry& eraser = table.entries[0];
    EXPECT_EQ(eraser.line, 3);
    EXPECT_EQ(eraser.kind, PresetKind::Switch);
    EXPECT_EQ(eraser.applicationId, C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP);
    EXPECT_EQ(eraser.functionId, C::APP_DATA_FUNC_PRESET_PHOTOSHOP_ID_ERASER);
    EXPECT_EQ(eraser.action.usage, 0x08);
    EXPECT_FALSE(eraser.hold);
    EXPECT_EQ(eraser.notes, "Eraser tool");  // the CR of a CRLF line is not part of it

    EXPECT_EQ(table.entries[1].line, 5);
    EXPECT_TRUE(table.entries[1].hold);
    EXPECT_EQ(table.entries[2].kind, PresetKind::Dial);
    EXPECT_EQ(table.entries[2].applicationId, C::APP_DATA_DIAL_FUNC_PRESET_ID_LIGHTROOM);
    EXPECT_EQ(table.entries[2].functionId, C::APP_DATA_DIAL_FUNC_PRESET_LIGHTROOM_ID_BRUSH_L);

    EXPECT_EQ(table.Find(PresetKind::Switch, C::APP_DATA_FUNC_PRESET_ID_CLIPSTUDIO,
                         C::APP_DATA_FUNC_PRESET_CLIPSTUDIO_ID_PALM),
              &table.entries[1]);
    EXPECT_EQ(table.Find(PresetKind::Dial, C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP,
                         C::APP_DATA_FUNC_PRESET_PHOTOSHOP_ID_ERASER),
              nullptr);
}

TEST(PresetTableTest, BadKeyNameNamesItsLine) {
    const PresetError error = ParseFails(
        "# header\n"
        "sw\tPhotoshop\tERASER\tE\tEraser tool\n"
        "sw\tPhotoshop\tBRUSH\tCtrl+Bee\tBrush tool\n");
    EXPECT_EQ(error.line, 3);
    EXPECT_NE(error.message.find("unknown key name \"Bee\""), std::string::npos) << error.message;
    EXPECT_EQ(error.Describe("presets.tsv").rfind("presets.tsv:3: ", 0), 0u);
}

TEST(PresetTableTest, UnknownIdNameNamesItsLine) {
    const PresetError error = ParseFails(
        "sw\tPhotoshop\tERASER\tE\tEraser tool\n"
        "\n"
        "sw\tPhotoshop\tERASOR\tE\tEraser tool\n");
    EXPECT_EQ(error.line, 3);
    EXPECT_NE(error.message.find("unknown ID name \"ERASOR\""), std::string::npos) << error.message;
}

TEST(PresetTableTest, IdNamesBelongToTheirKindAndApplication) {
    // BRUSH_L is a dial preset; ZOOM_IN exists for Clip Studio, not Illustrator
    // (whose dial names are ZOOMIN and ZOOMOUT); Lightroom has no switch presets.
    EXPECT_EQ(ParseFails("sw\tPhotoshop\tBRUSH_L\t]\tBrush size\n").line, 1);
    EXPECT_EQ(ParseFails("dial\tIllustrator\tZOOM_IN\tCtrl+=\tZoom in\n").line, 1);
    EXPECT_EQ(ParseFails("sw\tLightroom\tBRUSH_L\t]\tBrush size\n").line, 1);
    EXPECT_EQ(ParseFails("dial\tPhotoshop\tERASER\tE\tEraser\n").line, 1);
}

TEST(PresetTableTest, OtherFaultsNameTheirLine) {
    const struct {
        const char* row;
        const char* reason;
    } cases[] = {
        {"key\tPhotoshop\tERASER\tE\tEraser", "unknown kind"},
        {"sw\tGimp\tERASER\tE\tEraser", "unknown application \"Gimp\""},
        {"sw\tphotoshop\tERASER\tE\tEraser", "unknown application"},
        {"sw\tPhotoshop\tERASER\tE", "expected 5"},
        {"sw\tPhotoshop\tERASER\tE\tEraser\textra", "expected 5"},
        {"sw Photoshop ERASER E Eraser", "expected 5"},
        {"sw\tPhotoshop\tERASER\tE\t", "notes"},
        {"sw\tPhotoshop\tERASER\t\tEraser", "empty key combination"},
        {"sw\tPhotoshop\tERASER\tWheelUp\tEraser", "dial action"},
        {"dial\tPhotoshop\tBRUSH_L\t]\thold; brush", "cannot hold"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        const PresetError error = ParseFails(std::string("# first line\n") + c.row + "\n");
        EXPECT_EQ(error.line, 2);
        EXPECT_NE(error.message.find(c.reason), std::string::npos) << error.message;
    }
}

TEST(PresetTableTest, APresetHasOneRow) {
    const PresetError error = ParseFails(
        "sw\tSAI\tERASER\tE\tEraser tool\n"
        "sw\tSAI\tPENCIL\tN\tPencil tool\n"
        "sw\tSAI\tERASER\tShift+E\tEraser tool again\n");
    EXPECT_EQ(error.line, 3);
    EXPECT_NE(error.message.find("already defined on line 1"), std::string::npos) << error.message;

    // The same ID name as a switch and as a dial preset is two presets.
    PresetTable table;
    PresetError ok;
    EXPECT_TRUE(PresetTable::Parse("sw\tSAI\tBRUSH\tB\tBrush\ndial\tSAI\tBRUSH_L\t]\tBrush size\n", table, ok));
}

TEST(PresetTableTest, HoldIsTheFirstPartOfTheNotes) {
    PresetTable table;
    PresetError error;
    ASSERT_TRUE(PresetTable::Parse("sw\tSAI\tSPACE\tSpace\thold;scroll\n"
                                   "sw\tSAI\tCTRL\tCtrl\t  hold  ; move layer\n"
                                   "sw\tSAI\tSHIFT\tShift\tholding Shift draws lines\n"
                                   "sw\tSAI\tESC\tEsc\tcancel; hold nothing\n",
                                   table, error))
        << error.message;
    EXPECT_TRUE(table.entries[0].hold);
    EXPECT_TRUE(table.entries[1].hold);
    EXPECT_FALSE(table.entries[2].hold);
    EXPECT_FALSE(table.entries[3].hold);
}

TEST(PresetTableTest, CompletenessNamesTheFirstMissingPreset) {
    PresetTable table;
    PresetError error;
    ASSERT_TRUE(PresetTable::Parse("sw\tPhotoshop\tSPACE\tSpace\thold; hand\n", table, error));
    EXPECT_FALSE(table.CheckComplete(error));
    EXPECT_EQ(error.line, 0);
    EXPECT_EQ(error.message, "no row for sw Photoshop CTRL");
    EXPECT_EQ(error.Describe("presets.tsv"), "presets.tsv: no row for sw Photoshop CTRL");
}

// ---- ID catalogue --------------------------------------------------------------

TEST(PresetIdCatalogueTest, ApplicationsAndCounts) {
    const auto apps = PresetIdCatalogue::Applications();
    ASSERT_EQ(apps.size(), 5u);
    const struct {
        const char* name;
        uint8_t id;
        size_t switches;
        size_t dials;
    } expected[] = {
        {"Photoshop", C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP, C::APP_DATA_FUNC_PRESET_PHOTOSHOP_NUM,
         C::APP_DATA_DIAL_FUNC_PRESET_PHOTOSHOP_NUM},
        {"ClipStudio", C::APP_DATA_FUNC_PRESET_ID_CLIPSTUDIO, C::APP_DATA_FUNC_PRESET_CLIPSTUDIO_NUM,
         C::APP_DATA_DIAL_FUNC_PRESET_CLIPSTUDIO_NUM},
        {"SAI", C::APP_DATA_FUNC_PRESET_ID_SAI, C::APP_DATA_FUNC_PRESET_SAI_NUM, C::APP_DATA_DIAL_FUNC_PRESET_SAI_NUM},
        {"Illustrator", C::APP_DATA_FUNC_PRESET_ID_ILLUSTRATOR, C::APP_DATA_FUNC_PRESET_ILLUSTRATOR_NUM,
         C::APP_DATA_DIAL_FUNC_PRESET_ILLUSTRATOR_NUM},
        {"Lightroom", C::APP_DATA_DIAL_FUNC_PRESET_ID_LIGHTROOM, 0, C::APP_DATA_DIAL_FUNC_PRESET_LIGHTROOM_NUM},
    };
    for (size_t i = 0; i < apps.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(apps[i].name, expected[i].name);
        EXPECT_EQ(apps[i].id, expected[i].id);
        EXPECT_EQ(apps[i].switches.size(), expected[i].switches);
        EXPECT_EQ(apps[i].dials.size(), expected[i].dials);
        for (const PresetKind kind : {PresetKind::Switch, PresetKind::Dial}) {
            std::set<std::string_view> names;
            const auto list = PresetIdCatalogue::Names(kind, apps[i]);
            for (size_t id = 0; id < list.size(); ++id) {
                EXPECT_EQ(list[id].id, id);
                EXPECT_TRUE(names.insert(list[id].name).second) << list[id].name;
            }
        }
    }
    const auto* clip = PresetIdCatalogue::FindApplication("ClipStudio");
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(PresetIdCatalogue::FunctionId(PresetKind::Switch, *clip, "SYRINGE2"),
              C::APP_DATA_FUNC_PRESET_CLIPSTUDIO_ID_SYRINGE2);
    EXPECT_FALSE(PresetIdCatalogue::FunctionId(PresetKind::Dial, *clip, "SYRINGE2").has_value());
}

// ---- Builders ------------------------------------------------------------------

PresetAction Parsed(const char* keys, bool dial = false) {
    PresetAction action;
    std::string error;
    EXPECT_TRUE(PresetAction::Parse(keys, dial, action, error)) << error;
    return action;
}

TEST(PresetBuilderTest, SwitchScripts) {
    EXPECT_EQ(PresetBuilder::SwitchScript(Parsed("]"), false), (Bytes{0x41, 0x30, 0x40, 0x30}));
    EXPECT_EQ(PresetBuilder::SwitchScript(Parsed("Shift+O"), false), (Bytes{0x41, 0xE1, 0x41, 0x12, 0x40, 0x12, 0x40, 0xE1}));
    // Modifiers alone, pressed and released.
    EXPECT_EQ(PresetBuilder::SwitchScript(Parsed("Ctrl+Shift"), false), (Bytes{0x41, 0xE0, 0x41, 0xE1, 0x40, 0xE1, 0x40, 0xE0}));
    // Held: the presses only.
    EXPECT_EQ(PresetBuilder::SwitchScript(Parsed("Ctrl+Shift"), true), (Bytes{0x41, 0xE0, 0x41, 0xE1}));
    EXPECT_EQ(PresetBuilder::SwitchScript(Parsed("Alt+Space"), true), (Bytes{0x41, 0xE2, 0x41, 0x2C}));
}

TEST(PresetBuilderTest, DialRecords) {
    using R = PresetBuilder::DialRecord;
    EXPECT_EQ(PresetBuilder::BuildDialRecord(Parsed("[", true)), (R{0x09, 0x00, 0x2F, 0, 0, 0, 0}));
    EXPECT_EQ(PresetBuilder::BuildDialRecord(Parsed("Ctrl+-", true)), (R{0x09, 0x01, 0x2D, 0, 0, 0, 0}));
    EXPECT_EQ(PresetBuilder::BuildDialRecord(Parsed("Shift+Down", true)), (R{0x09, 0x02, 0x51, 0, 0, 0, 0}));
    EXPECT_EQ(PresetBuilder::BuildDialRecord(Parsed("NumberDown", true)), (R{0x29, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(PresetBuilder::BuildDialRecord(Parsed("WheelUp", true)), (R{0x08, 0, 0, 0, 0x01, 0, 0}));
}

TEST(PresetBuilderTest, RelativePaths) {
    EXPECT_EQ(PresetBuilder::RelativePath(PresetKind::Switch, C::APP_DATA_FUNC_PRESET_ID_PHOTOSHOP,
                                          C::APP_DATA_FUNC_PRESET_PHOTOSHOP_ID_ERASER),
              "presetdata/JA/macro_sw/000/002.mcdf");
    EXPECT_EQ(PresetBuilder::RelativePath(PresetKind::Dial, C::APP_DATA_DIAL_FUNC_PRESET_ID_LIGHTROOM,
                                          C::APP_DATA_DIAL_FUNC_PRESET_LIGHTROOM_ID_BRUSH_L),
              "presetdata/JA/macro_dial/004/004.dat");
    EXPECT_EQ(PresetBuilder::RelativePath(PresetKind::Switch, 3, 58), "presetdata/JA/macro_sw/003/058.mcdf");
}

}  // namespace
}  // namespace kelvadeck
