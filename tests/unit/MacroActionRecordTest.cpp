// The 8-byte device action records built for dial directions and buttons.
#include <gtest/gtest.h>

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/DataManager.h"
#include "keys/KeyCode.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"

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

std::string Hex(const Record& r) {
    std::string s;
    char b[4];
    for (uint8_t v : r) {
        std::snprintf(b, sizeof b, "%02X ", v);
        s += b;
    }
    return s;
}

// An action that already holds bytes and decoded fields of some other action,
// so every case also shows that a rebuild leaves nothing of the old one behind.
MacroDataDialFunc Used() {
    MacroDataDialFunc a;
    a.cFuncData.fill(0x5A);
    a.bScriptType = 99;
    return a;
}

struct RecordCase {
    const char* name;
    std::function<void(MacroDataDialFunc&, const KeyCode&)> build;
    Record expected;
};

TEST(MacroActionRecord, Builders) {
    KeyCode keys;
    keys.SetKeyboardType(KeyCode::KEYBOARD_TYPE_US);
    const std::vector<RecordCase> cases = {
        {"key A with Shift L, sensitivity 50",
         [](MacroDataDialFunc& a, const KeyCode& k) { M::CreateMacroForDialFuncKeyinputUSBKeyCode(a, 0x04, 0x02, 50, k); },
         {0x09, 0x02, 0x04, 0, 0, 0, 0, 0x32}},
        {"usage 0xFF keeps only the modifiers",
         [](MacroDataDialFunc& a, const KeyCode& k) { M::CreateMacroForDialFuncKeyinputUSBKeyCode(a, 0xFF, 0x11, 7, k); },
         {0x09, 0x11, 0x00, 0, 0, 0, 0, 0x07}},
        {"usage 0x00 keeps only the modifiers",
         [](MacroDataDialFunc& a, const KeyCode& k) { M::CreateMacroForDialFuncKeyinputUSBKeyCode(a, 0x00, 0x80, 1, k); },
         {0x09, 0x80, 0x00, 0, 0, 0, 0, 0x01}},
        {"Mac code 0x00 is the key A",
         [](MacroDataDialFunc& a, const KeyCode& k) { M::CreateMacroForDialFuncKeyinputMacKeyCode(a, 0x00, 0x01, 100, k); },
         {0x09, 0x01, 0x04, 0, 0, 0, 0, 0x64}},
        {"button key with sensitivity 0",
         [](MacroDataDialFunc& a, const KeyCode& k) { M::CreateMacroForDialFuncKeyinputUSBKeyCode(a, 0x2C, 0, 0, k); },
         {0x09, 0x00, 0x2C, 0, 0, 0, 0, 0x00}},
        {"left click", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMouseClick(a, 1, 100); },
         {0x01, 0x01, 0, 0, 0, 0, 0, 0x64}},
        {"right click", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMouseClick(a, 2, 100); },
         {0x02, 0x02, 0, 0, 0, 0, 0, 0x64}},
        {"wheel click", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMouseClick(a, 3, 100); },
         {0x03, 0x04, 0, 0, 0, 0, 0, 0x64}},
        {"button 4", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMouseClick(a, 4, 100); },
         {0x04, 0x08, 0, 0, 0, 0, 0, 0x64}},
        {"button 5", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMouseClick(a, 5, 100); },
         {0x05, 0x10, 0, 0, 0, 0, 0, 0x64}},
        {"double click", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMouseClick(a, 6, 100); },
         {0x06, 0x20, 0, 0, 0, 0, 0, 0x64}},
        {"mouse move -5, 10", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMouseMove(a, -5, 10, 9); },
         {0x07, 0x00, 0xFB, 0x0A, 0, 0, 0, 0x09}},
        {"wheel -1", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMouseWheel(a, -1, 9); },
         {0x08, 0, 0, 0, 0xFF, 0, 0, 0x09}},
        {"wheel +127", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMouseWheel(a, 127, 9); },
         {0x08, 0, 0, 0, 0x7F, 0, 0, 0x09}},
        {"game pad button 9", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncJoypadKey(a, 31, 9); },
         {0x1F, 0x00, 0x01, 0x08, 0, 0, 0, 0x09}},
        {"hat north", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncJoypadHat(a, 36, 9); },
         {0x24, 0, 0, 0x00, 0, 0, 0, 0x09}},
        {"hat south", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncJoypadHat(a, 37, 9); },
         {0x25, 0, 0, 0x04, 0, 0, 0, 0x09}},
        {"hat west", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncJoypadHat(a, 38, 9); },
         {0x26, 0, 0, 0x06, 0, 0, 0, 0x09}},
        {"hat east", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncJoypadHat(a, 39, 9); },
         {0x27, 0, 0, 0x02, 0, 0, 0, 0x09}},
        {"right stick 127, -127",
         [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncJoypadMove(a, 22, 127, -127, 9); },
         {0x16, 0, 0, 0x08, 0x7F, 0x81, 0, 0x09}},
        {"left stick -1, 1",
         [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncJoypadMove(a, 21, -1, 1, 9); },
         {0x15, 0, 0, 0x08, 0xFF, 0x01, 0, 0x09}},
        {"play", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMultimedia(a, 10, 9); },
         {0x0A, 0x01, 0x00, 0, 0, 0, 0, 0x09}},
        {"pause", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMultimedia(a, 11, 9); },
         {0x0B, 0x02, 0x00, 0, 0, 0, 0, 0x09}},
        {"stop", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMultimedia(a, 12, 9); },
         {0x0C, 0x80, 0x00, 0, 0, 0, 0, 0x09}},
        {"rec", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMultimedia(a, 13, 9); },
         {0x0D, 0x04, 0x00, 0, 0, 0, 0, 0x09}},
        {"forward", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMultimedia(a, 14, 9); },
         {0x0E, 0x08, 0x00, 0, 0, 0, 0, 0x09}},
        {"rewind", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMultimedia(a, 15, 9); },
         {0x0F, 0x10, 0x00, 0, 0, 0, 0, 0x09}},
        {"next", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMultimedia(a, 16, 9); },
         {0x10, 0x20, 0x00, 0, 0, 0, 0, 0x09}},
        {"previous", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMultimedia(a, 17, 9); },
         {0x11, 0x40, 0x00, 0, 0, 0, 0, 0x09}},
        {"mute", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMultimedia(a, 18, 9); },
         {0x12, 0x00, 0x02, 0, 0, 0, 0, 0x09}},
        {"volume up", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMultimedia(a, 19, 9); },
         {0x13, 0x00, 0x04, 0, 0, 0, 0, 0x09}},
        {"volume down", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMultimedia(a, 20, 9); },
         {0x14, 0x00, 0x08, 0, 0, 0, 0, 0x09}},
        {"number up", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncContinueNumber(a, 40, 9); },
         {0x28, 0, 0, 0, 0, 0, 0, 0x09}},
        {"number down", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncContinueNumber(a, 41, 9); },
         {0x29, 0, 0, 0, 0, 0, 0, 0x09}},
        {"user dial macro 1", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMacro(a, 42, 9); },
         {0x2A, 0, 0, 0, 0, 0, 0, 0x09}},
        {"user dial macro 2", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMacro(a, 43, 9); },
         {0x2B, 0, 0, 0, 0, 0, 0, 0x09}},
        {"user dial macro 3", [](MacroDataDialFunc& a, const KeyCode&) { M::CreateMacroForDialFuncMacro(a, 44, 9); },
         {0x2C, 0, 0, 0, 0, 0, 0, 0x09}},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.name);
        MacroDataDialFunc action = Used();
        c.build(action, keys);
        EXPECT_EQ(Hex(BytesOf(action)), Hex(c.expected));
        EXPECT_EQ(action.bScriptType, c.expected[0]);
        EXPECT_EQ(action.bSensitive, c.expected[7]);
    }
}

TEST(MacroActionRecord, KeyFieldsAndNames) {
    KeyCode keys;
    MacroDataDialFunc a = Used();
    a.pStrKey = "old";
    M::CreateMacroForDialFuncKeyinputUSBKeyCode(a, 0x04, 0x02, 50, keys);
    EXPECT_EQ(a.bKeyCode, 0x04);
    EXPECT_EQ(a.bKeyModifier, 0x02);
    EXPECT_EQ(a.pStrKey, std::optional<std::string>("A"));

    M::CreateMacroForDialFuncKeyinputUSBKeyCode(a, 0xFF, 0x02, 50, keys);
    EXPECT_EQ(a.bKeyCode, 0);
    EXPECT_FALSE(a.pStrKey.has_value());
}

TEST(MacroActionRecord, MacKeyWithoutUsageSendsModifiersOnly) {
    KeyCode keys;
    // A Mac code that no key of the table carries.
    int unmapped = -1;
    for (int mac = 0; mac < 0xFF && unmapped < 0; ++mac) {
        if (keys.ChangeKeyCodeMacToUsb(static_cast<uint8_t>(mac)) == 0xFF) unmapped = mac;
    }
    ASSERT_GE(unmapped, 0);
    for (const uint8_t mac : {static_cast<uint8_t>(unmapped), uint8_t{0xFF}}) {
        SCOPED_TRACE(mac);
        MacroDataDialFunc a = Used();
        M::CreateMacroForDialFuncKeyinputMacKeyCode(a, mac, 0x08, 3, keys);
        EXPECT_EQ(Hex(BytesOf(a)), Hex({0x09, 0x08, 0x00, 0, 0, 0, 0, 0x03}));
        EXPECT_FALSE(a.pStrKey.has_value());
    }
}

TEST(MacroActionRecord, MacKeyFollowsTheLayout) {
    // Mac code 0x18 is the key right of 0 on both layouts, one usage for both.
    KeyCode us;
    KeyCode jis;
    jis.SetKeyboardType(KeyCode::KEYBOARD_TYPE_JIS);
    MacroDataDialFunc a;
    MacroDataDialFunc b;
    M::CreateMacroForDialFuncKeyinputMacKeyCode(a, 0x18, 0, 1, us);
    M::CreateMacroForDialFuncKeyinputMacKeyCode(b, 0x18, 0, 1, jis);
    EXPECT_EQ(a.bKeyCode, 0x2E);
    EXPECT_EQ(b.bKeyCode, 0x2E);
    EXPECT_EQ(a.pStrKey, std::optional<std::string>("="));
    EXPECT_EQ(b.pStrKey, std::optional<std::string>("^"));
}

// Buttons 1..13 are consecutive report bits: 1..8 in byte 1, 9..13 in byte 2.
TEST(MacroActionRecord, GamePadButtonsAreDistinctConsecutiveBits) {
    const std::vector<std::pair<uint8_t, uint8_t>> expected = {
        {0x01, 0}, {0x02, 0}, {0x04, 0}, {0x08, 0}, {0x10, 0}, {0x20, 0}, {0x40, 0}, {0x80, 0},
        {0, 0x01}, {0, 0x02}, {0, 0x04}, {0, 0x08}, {0, 0x10},
    };
    const uint16_t masks[] = {C::JOY_BTN_BIT_01, C::JOY_BTN_BIT_02, C::JOY_BTN_BIT_03, C::JOY_BTN_BIT_04,
                              C::JOY_BTN_BIT_05, C::JOY_BTN_BIT_06, C::JOY_BTN_BIT_07, C::JOY_BTN_BIT_08,
                              C::JOY_BTN_BIT_09, C::JOY_BTN_BIT_10, C::JOY_BTN_BIT_11, C::JOY_BTN_BIT_12,
                              C::JOY_BTN_BIT_13};
    std::set<uint16_t> seen;
    for (int button = 1; button <= 13; ++button) {
        SCOPED_TRACE(button);
        const auto type = static_cast<uint8_t>(C::SET_TYPE_JOYPAD_B01 + button - 1);
        MacroDataDialFunc a = Used();
        M::CreateMacroForDialFuncJoypadKey(a, type, 20);
        const auto [b1, b2] = expected[static_cast<size_t>(button - 1)];
        EXPECT_EQ(Hex(BytesOf(a)), Hex({type, b1, b2, C::HAT_SWITCH_NULL, 0, 0, 0, 20}));
        EXPECT_EQ(a.bButton1, b1);
        EXPECT_EQ(a.bButton2, b2);
        EXPECT_EQ(a.bButton3, C::HAT_SWITCH_NULL);
        const auto bits = static_cast<uint16_t>(b1 << 8 | b2);
        EXPECT_EQ(bits, masks[button - 1]);
        EXPECT_EQ(std::bitset<16>(bits).count(), 1u);
        EXPECT_TRUE(seen.insert(bits).second) << "two buttons share a bit";
    }
    // Button 10 in particular must not press button 1.
    uint8_t b1 = 0xAA;
    uint8_t b2 = 0xAA;
    ASSERT_TRUE(M::JoypadButtonBytes(C::SET_TYPE_JOYPAD_B10, b1, b2));
    EXPECT_EQ(b1, 0x00);
    EXPECT_EQ(b2, 0x02);
    EXPECT_FALSE(M::JoypadButtonBytes(C::SET_TYPE_JOYPAD_ZRZ, b1, b2));
    EXPECT_FALSE(M::JoypadButtonBytes(C::SET_TYPE_JOYPAD_HSW_NORTH, b1, b2));
}

// A type outside the builder's range keeps the payload the record had and
// writes it again under the new type byte.
TEST(MacroActionRecord, TypesOutsideTheBuilderKeepTheirPayload) {
    MacroDataDialFunc a;
    a.bButton1 = 0x11;
    a.bButton2 = 0x22;
    a.bButton3 = 0x03;

    MacroDataDialFunc click = a;
    M::CreateMacroForDialFuncMouseClick(click, 7, 1);
    EXPECT_EQ(Hex(BytesOf(click)), Hex({7, 0x11, 0, 0, 0, 0, 0, 1}));

    MacroDataDialFunc pad = a;
    M::CreateMacroForDialFuncJoypadKey(pad, 21, 1);
    EXPECT_EQ(Hex(BytesOf(pad)), Hex({21, 0x11, 0x22, 0x08, 0, 0, 0, 1}));

    MacroDataDialFunc hat = a;
    M::CreateMacroForDialFuncJoypadHat(hat, 35, 1);
    EXPECT_EQ(Hex(BytesOf(hat)), Hex({35, 0, 0, 0x03, 0, 0, 0, 1}));

    MacroDataDialFunc media = a;
    M::CreateMacroForDialFuncMultimedia(media, 9, 1);
    EXPECT_EQ(Hex(BytesOf(media)), Hex({9, 0x11, 0x22, 0, 0, 0, 0, 1}));
}

TEST(MacroActionRecord, RebuildingClearsAnEarlierAction) {
    KeyCode keys;
    MacroDataDialFunc a;
    M::CreateMacroForDialFuncJoypadMove(a, 22, 100, -100, 55);
    M::CreateMacroForDialFuncKeyinputUSBKeyCode(a, 0x05, 0, 55, keys);
    EXPECT_EQ(Hex(BytesOf(a)), Hex({0x09, 0, 0x05, 0, 0, 0, 0, 55}));
    M::CreateMacroForDialFuncContinueNumber(a, 40, 55);
    EXPECT_EQ(Hex(BytesOf(a)), Hex({0x28, 0, 0, 0, 0, 0, 0, 55}));
}

// The flash decoder reads each built record back as the same catalogue
// selection and the same decoded fields.
TEST(MacroActionRecord, DecoderFindsWhatTheBuilderMeant) {
    DataManager dm;
    const FunctionCatalogues& cat = dm.Catalogues();
    struct Category {
        uint8_t id;
        const FunctionCatalogues::List* list;
    };
    const Category categories[] = {
        {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY, &cat.arDF_FuncList_Key},
        {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE, &cat.arDF_FuncList_Mouse},
        {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_GAMEPAD, &cat.arDF_FuncList_Gamepad},
        {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MULTIMEDIA, &cat.arDF_FuncList_Multimedia},
        {C::APP_DATA_DIAL_FUNC_CATEGORY_ID_USERDIALMACRO, &cat.arDF_FuncList_UserDialMacro},
    };
    for (const Category& category : categories) {
        for (const FuncSettingElem& entry : *category.list) {
            SCOPED_TRACE(entry.strName);
            MacroDataDialFunc built;
            built.bKeyCode = 0x1E;
            built.bKeyModifier = 0x04;
            built.cMoveX = -3;
            built.cMoveY = 4;
            built.cMoveZ = 5;
            ASSERT_TRUE(M::RemakeDialFuncSettingFromSetting(built, category.id, 0, entry.bID, 60, cat, dm.pUtl(),
                                                            dm.pKeyCode()));
            MacroDataDialFunc read;
            read.cFuncData = built.cFuncData;
            uint8_t item1 = 0, item2 = 0, item3 = 0;
            dm.AnalyzeDialFuncSettingFromFlashdata(read, item1, item2, item3);
            EXPECT_EQ(item1, category.id);
            EXPECT_EQ(item3, entry.bID);
            EXPECT_EQ(read.bScriptType, entry.bTypeNo);
            EXPECT_EQ(read.bSensitive, 60);
            if (entry.bTypeNo == C::SET_TYPE_KEYBOARD_KEY) {
                EXPECT_EQ(read.bKeyCode, 0x1E);
                EXPECT_EQ(read.bKeyModifier, 0x04);
                EXPECT_EQ(read.pStrKey, built.pStrKey);
            }
            if (entry.bTypeNo >= C::SET_TYPE_JOYPAD_B01 && entry.bTypeNo <= C::SET_TYPE_JOYPAD_B13) {
                EXPECT_EQ(read.bButton1, built.bButton1);
                EXPECT_EQ(read.bButton2, built.bButton2);
            }
        }
    }
}

}  // namespace
}  // namespace kelvadeck
