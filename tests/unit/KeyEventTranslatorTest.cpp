#include "screenlogic/KeyEventTranslator.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/MemoryUserDefaults.h"
#include "keys/KeyCode.h"

namespace kelvadeck {
namespace {

using T = KeyEventTranslator;

KeyCode MakeKeyCode(long type) {
    MemoryUserDefaults defaults{{KeyCode::KEYBOARD_TYPE_USER_SETTING, type}};
    return KeyCode(&defaults);
}

// One physical key: its xkb keycode on Linux, the USB usage the device gets
// for it and the name shown, per layout. 0xFF: no key on that layout.
struct Row {
    uint32_t xkb;
    uint8_t usageUS;
    const char* nameUS;
    uint8_t usageJIS;
    const char* nameJIS;
};

#define SAME(xkb, usage, name) Row{xkb, usage, name, usage, name}

const Row kRows[] = {
    // Letters, row by row.
    SAME(24, 0x14, "Q"), SAME(25, 0x1A, "W"), SAME(26, 0x08, "E"), SAME(27, 0x15, "R"), SAME(28, 0x17, "T"),
    SAME(29, 0x1C, "Y"), SAME(30, 0x18, "U"), SAME(31, 0x0C, "I"), SAME(32, 0x12, "O"), SAME(33, 0x13, "P"),
    SAME(38, 0x04, "A"), SAME(39, 0x16, "S"), SAME(40, 0x07, "D"), SAME(41, 0x09, "F"), SAME(42, 0x0A, "G"),
    SAME(43, 0x0B, "H"), SAME(44, 0x0D, "J"), SAME(45, 0x0E, "K"), SAME(46, 0x0F, "L"),
    SAME(52, 0x1D, "Z"), SAME(53, 0x1B, "X"), SAME(54, 0x06, "C"), SAME(55, 0x19, "V"), SAME(56, 0x05, "B"),
    SAME(57, 0x11, "N"), SAME(58, 0x10, "M"),
    // Digits.
    SAME(10, 0x1E, "1"), SAME(11, 0x1F, "2"), SAME(12, 0x20, "3"), SAME(13, 0x21, "4"), SAME(14, 0x22, "5"),
    SAME(15, 0x23, "6"), SAME(16, 0x24, "7"), SAME(17, 0x25, "8"), SAME(18, 0x26, "9"), SAME(19, 0x27, "0"),
    // Function keys.
    SAME(67, 0x3A, "F1"), SAME(68, 0x3B, "F2"), SAME(69, 0x3C, "F3"), SAME(70, 0x3D, "F4"), SAME(71, 0x3E, "F5"),
    SAME(72, 0x3F, "F6"), SAME(73, 0x40, "F7"), SAME(74, 0x41, "F8"), SAME(75, 0x42, "F9"), SAME(76, 0x43, "F10"),
    SAME(95, 0x44, "F11"), SAME(96, 0x45, "F12"),
    // Editing and navigation.
    SAME(9, 0x29, "ESC"), SAME(22, 0x2A, "BS"), SAME(23, 0x2B, "Tab"), SAME(36, 0x28, "Enter"),
    SAME(65, 0x2C, "Space"), SAME(66, 0x39, "CapsLock"), SAME(107, 0x46, "PrintScreen"),
    SAME(78, 0x47, "ScrollLock"), SAME(127, 0x48, "Pause"), SAME(118, 0x49, "Insert"), SAME(110, 0x4A, "Home"),
    SAME(112, 0x4B, "PageUp"), SAME(119, 0x4C, "Delete Forward"), SAME(115, 0x4D, "End"),
    SAME(117, 0x4E, "PageDown"), SAME(135, 0x65, "Menu"),
    SAME(114, 0x4F, "RightArrow"), SAME(113, 0x50, "LeftArrow"), SAME(116, 0x51, "DownArrow"),
    SAME(111, 0x52, "UpArrow"),
    // Keypad.
    SAME(77, 0x53, "NumLock/Clear"), SAME(106, 0x54, "Keypad/"), SAME(63, 0x55, "Keypad*"),
    SAME(82, 0x56, "Keypad-"), SAME(86, 0x57, "Keypad+"), SAME(104, 0x58, "Keypad Enter"),
    SAME(87, 0x59, "Keypad 1"), SAME(88, 0x5A, "Keypad 2"), SAME(89, 0x5B, "Keypad 3"), SAME(83, 0x5C, "Keypad 4"),
    SAME(84, 0x5D, "Keypad 5"), SAME(85, 0x5E, "Keypad 6"), SAME(79, 0x5F, "Keypad 7"), SAME(80, 0x60, "Keypad 8"),
    SAME(81, 0x61, "Keypad 9"), SAME(90, 0x62, "Keypad 0"), SAME(91, 0x63, "Keypad ."), SAME(125, 0x67, "Keypad="),
    // Modifiers, both hands.
    SAME(37, 0xE0, "Ctrl L"), SAME(50, 0xE1, "Shift L"), SAME(64, 0xE2, "Option L"), SAME(133, 0xE3, "Command L"),
    SAME(105, 0xE4, "Ctrl R"), SAME(62, 0xE5, "Shift R"), SAME(108, 0xE6, "Option R"), SAME(134, 0xE7, "Command R"),
    // Punctuation: same key, the name printed on it differs by layout.
    SAME(20, 0x2D, "-"), Row{21, 0x2E, "=", 0x2E, "^"}, Row{34, 0x2F, "[", 0x2F, "@"},
    Row{35, 0x30, "]", 0x30, "["}, Row{51, 0x31, "|", 0x31, "]"}, SAME(47, 0x33, ";"), Row{48, 0x34, "‘", 0x34, ":"},
    Row{49, 0x35, "`", 0x35, "ZenHan"}, Row{59, 0x36, "<", 0x36, ","}, Row{60, 0x37, ">", 0x37, "."},
    SAME(61, 0x38, "/"),
    // JIS-only keys: Yen and Ro exist on the JIS layout only; the conversion
    // and kana keys have no USB usage on either.
    Row{132, 0xFF, "", 0x89, "¥"}, Row{97, 0xFF, "", 0x87, "BackSL"}, SAME(100, 0xFF, ""), SAME(102, 0xFF, ""),
    SAME(101, 0xFF, ""), SAME(98, 0xFF, ""), SAME(99, 0xFF, ""),
};

TEST(KeyEventTranslatorTest, EveryKeyOfBothLayoutsReachesItsUsageAndName) {
    const KeyCode us = MakeKeyCode(KeyCode::KEYBOARD_TYPE_US);
    const KeyCode jis = MakeKeyCode(KeyCode::KEYBOARD_TYPE_JIS);
    for (const Row& row : kRows) {
        SCOPED_TRACE("xkb keycode " + std::to_string(row.xkb));
        const uint16_t mac = T::MacKeyCodeFromXkbKeycode(row.xkb);
        const uint8_t mac8 = mac > 0xFF ? 0xFF : static_cast<uint8_t>(mac);
        EXPECT_EQ(us.ChangeKeyCodeMacToUsb(mac8), row.usageUS);
        EXPECT_EQ(jis.ChangeKeyCodeMacToUsb(mac8), row.usageJIS);
        if (row.usageUS != 0xFF) {
            EXPECT_EQ(us.GetKeyCodeStringFromUsb(row.usageUS), row.nameUS);
        }
        if (row.usageJIS != 0xFF) {
            EXPECT_EQ(jis.GetKeyCodeStringFromUsb(row.usageJIS), row.nameJIS);
        }
    }
}

TEST(KeyEventTranslatorTest, NoTwoKeysOfTheMainBlockShareAMacCode) {
    // Each physical key must stay distinguishable; the keypad comma is the
    // one key that two evdev codes name.
    std::set<uint16_t> seen;
    for (const Row& row : kRows) {
        const uint16_t mac = T::MacKeyCodeFromXkbKeycode(row.xkb);
        if (mac == T::NO_MAC_KEY) continue;
        EXPECT_TRUE(seen.insert(mac).second) << "xkb " << row.xkb;
    }
}

TEST(KeyEventTranslatorTest, KanaKeysAndUnknownCodesHaveNoMacKey) {
    EXPECT_EQ(T::MacKeyCodeFromXkbKeycode(101), T::NO_MAC_KEY);  // Katakana/Hiragana
    EXPECT_EQ(T::MacKeyCodeFromXkbKeycode(0), T::NO_MAC_KEY);
    EXPECT_EQ(T::MacKeyCodeFromXkbKeycode(7), T::NO_MAC_KEY);    // below the xkb offset
    EXPECT_EQ(T::MacKeyCodeFromXkbKeycode(8 + 255), T::NO_MAC_KEY);
    EXPECT_EQ(T::MacKeyCodeFromXkbKeycode(8 + 256), T::NO_MAC_KEY);  // past the table
    EXPECT_EQ(T::MacKeyCodeFromXkbKeycode(0xFFFFFFFFu), T::NO_MAC_KEY);
    EXPECT_EQ(T::MacKeyCodeFromEvdev(0xFFFFFFFFu), T::NO_MAC_KEY);
}

TEST(KeyEventTranslatorTest, ModifierKeysGiveTheirFlagAndHidBit) {
    struct M {
        uint32_t xkb;
        uint32_t flag;
        uint8_t bit;
    };
    const M mods[] = {
        {37, HostInputEvent::FLAG_CONTROL, 0x01}, {50, HostInputEvent::FLAG_SHIFT, 0x02},
        {64, HostInputEvent::FLAG_OPTION, 0x04},  {133, HostInputEvent::FLAG_COMMAND, 0x08},
        {105, HostInputEvent::FLAG_CONTROL, 0x10}, {62, HostInputEvent::FLAG_SHIFT, 0x20},
        {108, HostInputEvent::FLAG_OPTION, 0x40}, {134, HostInputEvent::FLAG_COMMAND, 0x80},
        {66, HostInputEvent::FLAG_CAPS_LOCK, 0x00},
    };
    for (const M& m : mods) {
        const uint16_t mac = T::MacKeyCodeFromXkbKeycode(m.xkb);
        EXPECT_EQ(T::ModifierFlagOfKey(mac), m.flag) << m.xkb;
        EXPECT_EQ(T::HidModifierBitOfKey(mac), m.bit) << m.xkb;
        EXPECT_TRUE(T::IsModifierKey(mac));
    }
    EXPECT_FALSE(T::IsModifierKey(T::MacKeyCodeFromXkbKeycode(38)));  // A
    EXPECT_EQ(T::HidModifierBitOfKey(0x00), 0);
}

TEST(KeyEventTranslatorTest, ModifierStateMapsToMacFlagsAndHidBitsPerHand) {
    T::Modifiers m;
    EXPECT_EQ(T::MacFlagsFromModifiers(m), 0u);
    m.shift = true;
    m.super = true;
    const uint32_t flags = T::MacFlagsFromModifiers(m);
    EXPECT_EQ(flags, HostInputEvent::FLAG_SHIFT | HostInputEvent::FLAG_COMMAND);
    EXPECT_EQ(T::HidModifiersFromMacFlags(flags, false), 0x0A);
    EXPECT_EQ(T::HidModifiersFromMacFlags(flags, true), 0xA0);
    T::Modifiers all{true, true, true, true, true};
    EXPECT_EQ(T::HidModifiersFromMacFlags(T::MacFlagsFromModifiers(all), false), 0x0F);
    EXPECT_EQ(T::HidModifiersFromMacFlags(T::MacFlagsFromModifiers(all), true), 0xF0);
    EXPECT_EQ(T::MacFlagsFromModifiers(all) & HostInputEvent::FLAG_CAPS_LOCK, HostInputEvent::FLAG_CAPS_LOCK);
}

TEST(KeyEventTranslatorTest, OrdinaryKeysBecomeKeyDownAndKeyUpWithTheHeldModifiers) {
    T::Modifiers held;
    held.control = true;
    const HostInputEvent down = T::TranslateXkb(true, 38, held, 1.5);
    EXPECT_EQ(down.type, HostInputEvent::Type::KeyDown);
    EXPECT_EQ(down.macKeyCode, 0x00);
    EXPECT_EQ(down.modifierFlags, HostInputEvent::FLAG_CONTROL);
    EXPECT_DOUBLE_EQ(down.timestamp, 1.5);
    const HostInputEvent up = T::TranslateXkb(false, 38, held);
    EXPECT_EQ(up.type, HostInputEvent::Type::KeyUp);
    EXPECT_EQ(up.macKeyCode, 0x00);
}

TEST(KeyEventTranslatorTest, ModifierKeysBecomeFlagChangesWithTheStateAfterThem) {
    // Whether or not the toolkit already counted the key in its state, the
    // event carries the state after the change.
    T::Modifiers none;
    T::Modifiers shiftHeld;
    shiftHeld.shift = true;
    for (const T::Modifiers& reported : {none, shiftHeld}) {
        const HostInputEvent down = T::TranslateXkb(true, 62, reported);  // Shift R
        EXPECT_EQ(down.type, HostInputEvent::Type::FlagsChanged);
        EXPECT_EQ(down.macKeyCode, 0x3C);
        EXPECT_EQ(down.modifierFlags, HostInputEvent::FLAG_SHIFT);
        const HostInputEvent up = T::TranslateXkb(false, 62, reported);
        EXPECT_EQ(up.type, HostInputEvent::Type::FlagsChanged);
        EXPECT_EQ(up.modifierFlags, 0u);
    }
    T::Modifiers ctrlHeld;
    ctrlHeld.control = true;
    const HostInputEvent optDown = T::TranslateXkb(true, 64, ctrlHeld);  // Alt L with Ctrl held
    EXPECT_EQ(optDown.modifierFlags, HostInputEvent::FLAG_CONTROL | HostInputEvent::FLAG_OPTION);
}

TEST(KeyEventTranslatorTest, AKeyWithoutMacCodeStillGivesAnEventWithNoUsage) {
    const HostInputEvent e = T::TranslateXkb(false, 101, {});
    EXPECT_EQ(e.type, HostInputEvent::Type::KeyUp);
    EXPECT_EQ(e.macKeyCode, T::NO_MAC_KEY);
}

}  // namespace
}  // namespace kelvadeck
