// The text form of macro scripts read and written by `kelvadeck-cli macro`.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "keys/KeyCode.h"
#include "macro/MacroCreator.h"
#include "macro/MacroScriptText.h"
#include "model/StringTable.h"

namespace kelvadeck {
namespace {

using T = MacroScriptText;
using Bytes = std::vector<uint8_t>;

std::vector<MacroDataScript> Decode(const Bytes& bytes, const KeyCode& keys) {
    MacroCreator macro;
    EXPECT_TRUE(macro.AnalyzeDataFromFlash(bytes.data(), static_cast<int32_t>(bytes.size()), keys));
    return macro.arCurrentMacroScript;
}

struct TextCase {
    const char* text;
    Bytes bytes;
};

TEST(MacroScriptText, EveryStep) {
    KeyCode keys;
    const std::vector<TextCase> cases = {
        {"interval 300", {0x70, 0x01, 0x2C}},
        {"interval 0", {0x70, 0x00, 0x00}},
        {"interval 65535", {0x70, 0xFF, 0xFF}},
        {"interval 0x10", {0x70, 0x00, 0x10}},
        {"mouse-move -5 10", {0x33, 0xFB, 0x0A}},
        {"mouse-move -128 127", {0x33, 0x80, 0x7F}},
        {"stick-left 1 -1", {0x6B, 0x01, 0xFF}},
        {"stick-right 0 0", {0x6C, 0x00, 0x00}},
        {"key-press 0x04", {0x41, 0x04}},
        {"key-press A", {0x41, 0x04}},
        {"key-press a", {0x41, 0x04}},
        {"key-release Shift L", {0x40, 0xE1}},
        {"key-release keypad enter", {0x40, 0x58}},
        {"key-press 1", {0x41, 0x1E}},  // the key 1, not usage 1
        {"key-press 0xFF", {0x41, 0xFF}},
        {"media-press play", {0x43, 0x01}},
        {"media-release volume-down", {0x42, 0x0B}},
        {"media-press 12", {0x43, 0x0C}},
        {"wheel-up", {0x31, 0x00}},
        {"wheel-down -3", {0x32, 0xFD}},
        {"joy-button-press 1", {0x69, 0x00}},
        {"joy-button-release 15", {0x61, 0x0E}},
        {"hat-press north", {0x6A, 0x00}},
        {"hat-press EAST", {0x6A, 0x02}},
        {"hat-press south", {0x6A, 0x04}},
        {"hat-press west", {0x6A, 0x06}},
        {"hat-press 3", {0x6A, 0x03}},
        {"hat-release", {0x62}},
        {"stick-left-center", {0x63}},
        {"stick-right-center", {0x64}},
        {"mouse-click left", {0x29}},
        {"mouse-release left", {0x21}},
        {"mouse-click right", {0x2A}},
        {"mouse-release right", {0x22}},
        {"mouse-click wheel", {0x2C}},
        {"mouse-release wheel", {0x24}},
        {"mouse-click button4", {0x2D}},
        {"mouse-release button4", {0x25}},
        {"mouse-click button5", {0x2E}},
        {"mouse-release button5", {0x26}},
        {"  Key-Press   A   # comment", {0x41, 0x04}},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text);
        const T::Parsed parsed = T::Parse(c.text, keys);
        ASSERT_TRUE(parsed.ok) << parsed.error;
        EXPECT_EQ(parsed.script, c.bytes);
        EXPECT_EQ(parsed.steps, 1u);
    }
}

TEST(MacroScriptText, WholeScript) {
    KeyCode keys;
    const T::Parsed parsed = T::Parse("# comment line\n\nmode loop\r\nkey-press A\ninterval 300\nkey-release A", keys);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.mode, std::optional<uint8_t>(1));
    EXPECT_EQ(parsed.script, (Bytes{0x41, 0x04, 0x70, 0x01, 0x2C, 0x40, 0x04}));
    EXPECT_EQ(parsed.steps, 3u);

    const T::Parsed empty = T::Parse("", keys);
    EXPECT_TRUE(empty.ok);
    EXPECT_TRUE(empty.script.empty());
    EXPECT_FALSE(empty.mode.has_value());
}

TEST(MacroScriptText, Errors) {
    KeyCode keys;
    struct Case {
        const char* text;
        size_t line;
        const char* says;
    };
    const Case cases[] = {
        {"dance", 1, "unknown step"},
        {"key-press A\nkey-press NoSuchKey", 2, "no key is named"},
        {"key-press NO_ASSIGN", 1, "give the usage"},
        {"key-press", 1, "expected a key"},
        {"key-press 0x100", 1, "not a usage"},
        {"interval 65536", 1, "0 to 65535"},
        {"interval -1", 1, "0 to 65535"},
        {"interval", 1, "0 to 65535"},
        {"interval 3 4", 1, "0 to 65535"},
        {"mouse-move 1", 1, "X and Y"},
        {"mouse-move 1 2 3", 1, "X and Y"},
        {"mouse-move 128 0", 1, "X and Y"},
        {"mouse-click middle", 1, "unknown mouse button"},
        {"mouse-click left right", 1, "unexpected"},
        {"hat-release now", 1, "takes no value"},
        {"hat-press up", 1, "hat direction"},
        {"joy-button-press 0", 1, "1 to 256"},
        {"joy-button-press 257", 1, "1 to 256"},
        {"media-press louder", 1, "multimedia key"},
        {"wheel-up 200", 1, "-128 to 127"},
        {"mode sometimes", 1, "unknown mode"},
        {"mode once\nmode loop", 2, "twice"},
        {"interval 99999999999999999999", 1, "0 to 65535"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const T::Parsed parsed = T::Parse(c.text, keys);
        EXPECT_FALSE(parsed.ok);
        EXPECT_EQ(parsed.errorLine, c.line);
        EXPECT_NE(parsed.error.find(c.says), std::string::npos) << parsed.error;
        EXPECT_TRUE(parsed.script.empty());
    }
}

TEST(MacroScriptText, KeyNamesFollowTheLayout) {
    KeyCode us;
    KeyCode jis;
    jis.SetKeyboardType(KeyCode::KEYBOARD_TYPE_JIS);
    EXPECT_EQ(T::Parse("key-press =", us).script, (Bytes{0x41, 0x2E}));
    EXPECT_EQ(T::Parse("key-press ^", jis).script, (Bytes{0x41, 0x2E}));
    EXPECT_FALSE(T::Parse("key-press ^", us).ok);
}

TEST(MacroScriptText, ListingOfDecodedSteps) {
    KeyCode keys;
    const StringTable strings;
    const std::string listing =
        T::Format(Decode({0x41, 0x04, 0x70, 0x01, 0x2C, 0x2A, 0x6A, 0x06, 0x62}, keys), std::uint8_t{1}, strings);
    EXPECT_EQ(listing,
              "mode loop\n"
              "key-press 0x04          # 0x41 | 2 | " + strings.Get("SCRIPT_KEY_PRESS_TEXT") + " | A\n"
              "interval 300            # 0x70 | 3 | " + strings.Get("SCRIPT_INTERVAL_TEXT") + " | 300\n"
              "mouse-click right       # 0x2A | 1 | " + strings.Get("SCRIPT_MOUSE_CLICK_TEXT") + " | " +
                  strings.Get("MOUSE_NAME_R_CLICK") + "\n"
              "hat-press west          # 0x6A | 2 | " + strings.Get("SCRIPT_JOY_HATSW_PRESS_TEXT") + " | " +
                  strings.Get("JOYSTICK_HATSW_LEFT") + "\n"
              "hat-release             # 0x62 | 1 | " + strings.Get("SCRIPT_JOY_HATSW_RELEASE_TEXT") + " |\n");
    // The listing reads back as the same script, comments and all.
    const T::Parsed again = T::Parse(listing, keys);
    ASSERT_TRUE(again.ok) << again.error;
    EXPECT_EQ(again.mode, std::optional<uint8_t>(1));
    EXPECT_EQ(again.script, (Bytes{0x41, 0x04, 0x70, 0x01, 0x2C, 0x2A, 0x6A, 0x06, 0x62}));
}

TEST(MacroScriptText, BlankStepsHaveNoText) {
    const StringTable strings;
    EXPECT_EQ(T::StepText(MacroDataScript{}), "");
    EXPECT_EQ(T::Format({MacroDataScript{}}, std::nullopt, strings).substr(0, 12), "# (no bytes)");
}

// Every script the device can hold has a text that reads back to it.
TEST(MacroScriptText, EveryScriptRoundTrips) {
    const uint8_t commands[] = {0x70, 0x33, 0x6B, 0x6C, 0x41, 0x40, 0x43, 0x42, 0x31, 0x32, 0x69, 0x61, 0x6A,
                                0x29, 0x21, 0x2A, 0x22, 0x2C, 0x24, 0x2D, 0x25, 0x2E, 0x26, 0x62, 0x63, 0x64};
    KeyCode keys;
    const StringTable strings;
    // Every command with every operand value of its first operand byte.
    Bytes all;
    for (const uint8_t cmd : commands) {
        const int size = MacroCreator::GetMacroSize(cmd);
        for (int v = 0; v < (size > 1 ? 256 : 1); ++v) {
            all.push_back(cmd);
            if (size > 1) all.push_back(static_cast<uint8_t>(v));
            if (size > 2) all.push_back(static_cast<uint8_t>(255 - v));
        }
    }
    const T::Parsed parsed = T::Parse(T::Format(Decode(all, keys), std::nullopt, strings), keys);
    ASSERT_TRUE(parsed.ok) << parsed.errorLine << ": " << parsed.error;
    EXPECT_EQ(parsed.script, all);

    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        Bytes script;
        for (int i = 0; i < 300; ++i) {
            const uint8_t cmd = commands[rng() % std::size(commands)];
            script.push_back(cmd);
            for (int k = 1; k < MacroCreator::GetMacroSize(cmd); ++k) script.push_back(static_cast<uint8_t>(rng()));
        }
        for (const long type : {KeyCode::KEYBOARD_TYPE_US, KeyCode::KEYBOARD_TYPE_JIS}) {
            keys.SetKeyboardType(type);
            const T::Parsed again = T::Parse(T::Format(Decode(script, keys), std::uint8_t{3}, strings), keys);
            ASSERT_TRUE(again.ok) << again.error;
            EXPECT_EQ(again.script, script);
            EXPECT_EQ(again.mode, std::optional<uint8_t>(3));
        }
    }
}

TEST(MacroScriptText, Modes) {
    EXPECT_EQ(T::ParseMode("once"), std::optional<uint8_t>(0));
    EXPECT_EQ(T::ParseMode("LOOP"), std::optional<uint8_t>(1));
    EXPECT_EQ(T::ParseMode("fire"), std::optional<uint8_t>(2));
    EXPECT_EQ(T::ParseMode(" hold "), std::optional<uint8_t>(3));
    EXPECT_EQ(T::ParseMode("2"), std::optional<uint8_t>(2));
    EXPECT_FALSE(T::ParseMode("4").has_value());
    EXPECT_FALSE(T::ParseMode("").has_value());
    for (uint8_t m = 0; m < 4; ++m) EXPECT_EQ(T::ParseMode(T::ModeName(m)), std::optional<uint8_t>(m));
    EXPECT_EQ(T::ModeName(4), nullptr);
}

TEST(MacroScriptText, Hex) {
    struct Case {
        const char* text;
        std::optional<Bytes> bytes;
    };
    const Case cases[] = {
        {"41 04 70 01 2C", Bytes{0x41, 0x04, 0x70, 0x01, 0x2C}},
        {"4104702c", Bytes{0x41, 0x04, 0x70, 0x2C}},
        {"0x41,0x04:ff\n", Bytes{0x41, 0x04, 0xFF}},
        {"", Bytes{}},
        {"414", std::nullopt},
        {"41 0g", std::nullopt},
        {"4 1", std::nullopt},
        {"0x", std::nullopt},
        {"file.mcdf", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(T::ParseHex(c.text), c.bytes);
    }
    EXPECT_EQ(T::ToHex({0x41, 0x04, 0xAB}), "41 04 AB");
    EXPECT_EQ(T::ToHex({}), "");
}

}  // namespace
}  // namespace kelvadeck
