#include "keys/KeyCode.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/Logger.h"
#include "core/MemoryUserDefaults.h"
#include "keys/KeyCodeTable.h"

namespace kelvadeck {
namespace {

constexpr bool kJIS = true;
constexpr bool kUS = false;

bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto lead = static_cast<unsigned char>(s[i]);
        std::size_t more = 0;
        if (lead < 0x80) more = 0;
        else if ((lead & 0xE0) == 0xC0) more = 1;
        else if ((lead & 0xF0) == 0xE0) more = 2;
        else if ((lead & 0xF8) == 0xF0) more = 3;
        else return false;
        if (i + more >= s.size() && more > 0) return false;
        for (std::size_t k = 1; k <= more; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += more + 1;
    }
    return true;
}

KeyCode MakeKeyCode(long type) {
    MemoryUserDefaults defaults{{KeyCode::KEYBOARD_TYPE_USER_SETTING, type}};
    return KeyCode(&defaults);
}

// ---- Rules across the whole table -------------------------------------------

TEST(KeyCodeTableTest, Has256Entries) { EXPECT_EQ(KeyCodeTable::Entries().size(), 256u); }

TEST(KeyCodeTableTest, NamesAreNonEmptyShortValidUtf8) {
    for (int u = 0; u < 256; ++u) {
        for (bool jis : {kJIS, kUS}) {
            const auto name = KeyCodeTable::Name(static_cast<uint8_t>(u), jis);
            SCOPED_TRACE(testing::Message() << "usage 0x" << std::hex << u << (jis ? " JIS" : " US"));
            EXPECT_FALSE(name.empty());
            EXPECT_LT(name.size(), 32u);
            EXPECT_TRUE(IsValidUtf8(name));
            EXPECT_EQ(name.find('\0'), std::string_view::npos);
        }
    }
}

TEST(KeyCodeTableTest, ReservedNamesExactlyOnEntriesWithoutMacKey) {
    for (int u = 0; u < 256; ++u) {
        for (bool jis : {kJIS, kUS}) {
            const auto usage = static_cast<uint8_t>(u);
            const bool reserved = KeyCodeTable::Name(usage, jis) == KeyCodeTable::NAME_NO_EVENT ||
                                  KeyCodeTable::Name(usage, jis) == KeyCodeTable::NAME_NO_ASSIGN;
            SCOPED_TRACE(testing::Message() << "usage 0x" << std::hex << u << (jis ? " JIS" : " US"));
            EXPECT_EQ(reserved, KeyCodeTable::MacCode(usage, jis) == KeyCodeTable::NO_MAC_KEY);
        }
    }
}

TEST(KeyCodeTableTest, LayoutsDifferOnlyWhereThePartSays) {
    const std::set<int> macDiffers{0x87, 0x89};
    const std::set<int> nameDiffers{0x2E, 0x2F, 0x30, 0x31, 0x34, 0x35, 0x36, 0x37, 0x87, 0x89};
    for (int u = 0; u < 256; ++u) {
        const auto& e = KeyCodeTable::At(static_cast<uint8_t>(u));
        SCOPED_TRACE(testing::Message() << "usage 0x" << std::hex << u);
        EXPECT_EQ(e.macCodeJIS != e.macCodeUS, macDiffers.count(u) == 1);
        EXPECT_EQ(e.nameJIS != e.nameUS, nameDiffers.count(u) == 1);
    }
}

TEST(KeyCodeTableTest, SharedMacCodesAreExactlyTheListedGroups) {
    const std::map<int, std::vector<int>> expected{
        {0x69, {0x46, 0x68, 0x78}}, {0x6B, {0x47, 0x69, 0x79}}, {0x71, {0x48, 0x6A, 0x7A}},
        {0x7F, {0x66, 0x76}},       {0x4C, {0x58, 0x77}},       {0x5B, {0x60, 0x70}},
        {0x5C, {0x61, 0x71}},       {0x52, {0x62, 0x72}},       {0x41, {0x63, 0x73}},
    };
    for (bool jis : {kJIS, kUS}) {
        std::map<int, std::vector<int>> usagesOfMac;
        for (int u = 0; u < 256; ++u) {
            const auto mac = KeyCodeTable::MacCode(static_cast<uint8_t>(u), jis);
            if (mac != KeyCodeTable::NO_MAC_KEY) usagesOfMac[mac].push_back(u);
        }
        std::map<int, std::vector<int>> shared;
        for (const auto& [mac, usages] : usagesOfMac) {
            if (usages.size() > 1) shared[mac] = usages;
        }
        EXPECT_EQ(shared, expected) << (jis ? "JIS" : "US");
    }
}

TEST(KeyCodeTableTest, UsageCountsPerLayout) {
    // 0x87 and 0x89 exist only on JIS; every other Mac key is on both layouts.
    for (bool jis : {kJIS, kUS}) {
        int withKey = 0;
        for (int u = 0; u < 256; ++u) withKey += KeyCodeTable::MacCode(static_cast<uint8_t>(u), jis) != 0xFF;
        EXPECT_EQ(withKey, jis ? 120 : 118);
    }
}

// ---- Reverse indexes ---------------------------------------------------------

TEST(KeyCodeTest, ReverseIndexResolvesToLowestUsage) {
    const KeyCode keyCode;
    for (bool jis : {kJIS, kUS}) {
        const auto& index = jis ? keyCode.parSortKeyCodeForInput_JIS() : keyCode.parSortKeyCodeForInput_US();
        for (int mac = 0; mac < 256; ++mac) {
            int lowest = -1;
            for (int u = 0; u < 256 && lowest < 0; ++u) {
                if (KeyCodeTable::MacCode(static_cast<uint8_t>(u), jis) == mac) lowest = u;
            }
            SCOPED_TRACE(testing::Message() << "mac 0x" << std::hex << mac << (jis ? " JIS" : " US"));
            EXPECT_EQ(index[static_cast<std::size_t>(mac)], lowest < 0 ? 0xFF : lowest);
        }
        // Mac code 0xFF lands on entry 0 in the index; the translation still answers 0xFF.
        EXPECT_EQ(index[0xFF], 0x00);
    }
}

TEST(KeyCodeTest, EveryMacCodeMapsBackToAnEntryWithThatCode) {
    for (long type : {KeyCode::KEYBOARD_TYPE_US, KeyCode::KEYBOARD_TYPE_JIS}) {
        const KeyCode keyCode = MakeKeyCode(type);
        const bool jis = type == KeyCode::KEYBOARD_TYPE_JIS;
        std::set<int> carried;
        for (int u = 0; u < 256; ++u) {
            const auto mac = KeyCodeTable::MacCode(static_cast<uint8_t>(u), jis);
            if (mac != KeyCodeTable::NO_MAC_KEY) carried.insert(mac);
        }
        for (int mac = 0; mac < 256; ++mac) {
            const auto usage = keyCode.ChangeKeyCodeMacToUsb(static_cast<uint8_t>(mac));
            SCOPED_TRACE(testing::Message() << "mac 0x" << std::hex << mac << (jis ? " JIS" : " US"));
            if (carried.count(mac)) {
                EXPECT_EQ(KeyCodeTable::MacCode(usage, jis), mac);
                EXPECT_NE(keyCode.GetKeyCodeStringFromUsb(usage), "NO_EVENT");
                EXPECT_NE(keyCode.GetKeyCodeStringFromUsb(usage), "NO_ASSIGN");
            } else {
                EXPECT_EQ(usage, 0xFF);
            }
        }
    }
}

// ---- Keyboard type -----------------------------------------------------------

TEST(KeyCodeTest, KeyboardTypeFromDefaults) {
    EXPECT_EQ(KeyCode().KeyboardType(), KeyCode::KEYBOARD_TYPE_US);  // no defaults at all

    MemoryUserDefaults empty;
    EXPECT_EQ(KeyCode(&empty).KeyboardType(), KeyCode::KEYBOARD_TYPE_US);  // key absent

    EXPECT_EQ(MakeKeyCode(0).KeyboardType(), KeyCode::KEYBOARD_TYPE_US);  // not chosen yet
    EXPECT_EQ(MakeKeyCode(1).KeyboardType(), KeyCode::KEYBOARD_TYPE_US);
    EXPECT_EQ(MakeKeyCode(2).KeyboardType(), KeyCode::KEYBOARD_TYPE_JIS);
    EXPECT_TRUE(MakeKeyCode(2).IsJIS());

    // Any other value is kept but reads as US.
    const KeyCode odd = MakeKeyCode(7);
    EXPECT_EQ(odd.KeyboardType(), 7);
    EXPECT_FALSE(odd.IsJIS());
    EXPECT_EQ(odd.GetKeyCodeStringFromUsb(0x2E), "=");
}

TEST(KeyCodeTest, LogsTheStoredValue) {
    std::vector<std::string> lines;
    const Logger logger([&](const std::string& line) { lines.push_back(line); });
    MemoryUserDefaults defaults{{KeyCode::KEYBOARD_TYPE_USER_SETTING, 2}};
    const KeyCode jis(&defaults, &logger);
    MemoryUserDefaults empty;
    const KeyCode us(&empty, &logger);
    EXPECT_EQ(lines, (std::vector<std::string>{"KeyCode : KeyCode 2", "KeyCode : KeyCode 0"}));
}

TEST(KeyCodeTest, SwitchingTypeChangesTheNextTranslation) {
    KeyCode keyCode;
    EXPECT_EQ(keyCode.ChangeKeyCodeMacToUsb(0x5E), 0xFF);
    EXPECT_EQ(keyCode.GetKeyCodeStringFromUsb(0x2E), "=");
    keyCode.SetKeyboardType(KeyCode::KEYBOARD_TYPE_JIS);
    EXPECT_EQ(keyCode.ChangeKeyCodeMacToUsb(0x5E), 0x87);
    EXPECT_EQ(keyCode.GetKeyCodeStringFromUsb(0x2E), "^");
    keyCode.SetKeyboardType(KeyCode::KEYBOARD_TYPE_US);
    EXPECT_EQ(keyCode.ChangeKeyCodeMacToUsb(0x5E), 0xFF);
    EXPECT_EQ(keyCode.GetKeyCodeStringFromUsb(0x2E), "=");
}

// ---- The Part's edge cases, on both layouts ----------------------------------

struct MacCase {
    uint8_t mac;
    uint8_t usageUS;
    uint8_t usageJIS;
};

TEST(KeyCodeTest, MacToUsbCases) {
    const MacCase cases[] = {
        {0x18, 0x2E, 0x2E},  // "=" / "^" key
        {0x5E, 0xFF, 0x87},  // JIS underscore key
        {0x5D, 0xFF, 0x89},  // JIS yen key
        {0x69, 0x46, 0x46},  // F13 records as PrintScreen, not 0x68 or 0x78
        {0x6B, 0x47, 0x47},
        {0x71, 0x48, 0x48},
        {0x7F, 0x66, 0x66},  // PowerKey, not Menu 0x76
        {0x4C, 0x58, 0x58},  // Keypad Enter, not Select
        {0x5B, 0x60, 0x60},
        {0x5C, 0x61, 0x61},
        {0x52, 0x62, 0x62},
        {0x41, 0x63, 0x63},
        {0xFF, 0xFF, 0xFF},  // no key stays no key
        {0x0A, 0xFF, 0xFF},  // a Mac code no entry carries
        {0x00, 0x04, 0x04},  // A
        {0x0B, 0x05, 0x05},  // B
        {0x06, 0x1D, 0x1D},  // Z
        {0x12, 0x1E, 0x1E},  // 1
        {0x1D, 0x27, 0x27},  // 0
        {0x24, 0x28, 0x28},  // Enter
        {0x7A, 0x3A, 0x3A},  // F1
        {0x6F, 0x45, 0x45},  // F12
        {0x3B, 0xE0, 0xE0},  // Ctrl L
        {0x38, 0xE1, 0xE1},  // Shift L
        {0x3A, 0xE2, 0xE2},  // Option L
        {0x37, 0xE3, 0xE3},  // Command L
        {0x3E, 0xE4, 0xE4},  // Ctrl R
        {0x3C, 0xE5, 0xE5},  // Shift R
        {0x3D, 0xE6, 0xE6},  // Option R
        {0x36, 0xE7, 0xE7},  // Command R
    };
    const KeyCode us = MakeKeyCode(KeyCode::KEYBOARD_TYPE_US);
    const KeyCode jis = MakeKeyCode(KeyCode::KEYBOARD_TYPE_JIS);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mac 0x" << std::hex << int{c.mac});
        EXPECT_EQ(us.ChangeKeyCodeMacToUsb(c.mac), c.usageUS);
        EXPECT_EQ(jis.ChangeKeyCodeMacToUsb(c.mac), c.usageJIS);
    }
}

struct NameCase {
    uint8_t usage;
    const char* nameUS;
    const char* nameJIS;
};

TEST(KeyCodeTest, UsbToNameCases) {
    const NameCase cases[] = {
        {0x00, "NO_EVENT", "NO_EVENT"},
        {0x01, "NO_ASSIGN", "NO_ASSIGN"},
        {0x03, "NO_ASSIGN", "NO_ASSIGN"},
        {0x04, "A", "A"},
        {0x1D, "Z", "Z"},
        {0x27, "0", "0"},
        {0x2E, "=", "^"},
        {0x2F, "[", "@"},
        {0x30, "]", "["},
        {0x31, "|", "]"},
        {0x32, "NO_ASSIGN", "NO_ASSIGN"},
        {0x34, "\u2018", ":"},
        {0x35, "`", "ZenHan"},
        {0x36, "<", ","},
        {0x37, ">", "."},
        {0x46, "PrintScreen", "PrintScreen"},
        {0x4C, "Delete Forward", "Delete Forward"},
        {0x59, "Keypad 1", "Keypad 1"},
        {0x63, "Keypad .", "Keypad ."},
        {0x66, "PowerKey", "PowerKey"},
        {0x6B, "NO_ASSIGN", "NO_ASSIGN"},
        {0x73, "F24", "F24"},
        {0x76, "Menu", "Menu"},
        {0x7A, "Undo", "Undo"},
        {0x80, "NO_EVENT", "NO_EVENT"},
        {0x87, "NO_EVENT", "BackSL"},
        {0x89, "NO_EVENT", "\u00a5"},
        {0xE0, "Ctrl L", "Ctrl L"},
        {0xE1, "Shift L", "Shift L"},
        {0xE3, "Command L", "Command L"},
        {0xE7, "Command R", "Command R"},
        {0xE8, "NO_EVENT", "NO_EVENT"},
        {0xFF, "NO_EVENT", "NO_EVENT"},
    };
    const KeyCode us = MakeKeyCode(KeyCode::KEYBOARD_TYPE_US);
    const KeyCode jis = MakeKeyCode(KeyCode::KEYBOARD_TYPE_JIS);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "usage 0x" << std::hex << int{c.usage});
        EXPECT_EQ(us.GetKeyCodeStringFromUsb(c.usage), c.nameUS);
        EXPECT_EQ(jis.GetKeyCodeStringFromUsb(c.usage), c.nameJIS);
    }
}

}  // namespace
}  // namespace kelvadeck
