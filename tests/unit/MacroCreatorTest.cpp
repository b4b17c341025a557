#include "macro/MacroCreator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "keys/KeyCode.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "model/StringTable.h"

namespace kelvadeck {
namespace {

using C = Constants;
using Bytes = std::vector<uint8_t>;

constexpr size_t kLimit = static_cast<size_t>(FlashControl::FM_SCRIPT_DATA_MAX_SIZE);

MacroDataScript Step(uint8_t command, int8_t option1 = 0, int8_t option2 = 0) {
    MacroDataScript step;
    step.bScriptID = command;
    step.cOption1 = option1;
    step.cOption2 = option2;
    return step;
}

MacroDataScript Interval(uint16_t ms) {
    MacroDataScript step = Step(C::SCRIPT_COMMAND_INTERVAL, static_cast<int8_t>(ms >> 8), static_cast<int8_t>(ms & 0xFF));
    step.sOption = ms;
    return step;
}

MacroDataScript Kind(int32_t kind, uint8_t command = 0, int8_t option1 = 0, int8_t option2 = 0) {
    MacroDataScript step = Step(command, option1, option2);
    step.bControlItemNo = static_cast<uint8_t>(kind);
    return step;
}

KeyCode UsKeyboard() {
    KeyCode keys(nullptr, nullptr);
    keys.SetKeyboardType(KeyCode::KEYBOARD_TYPE_US);
    return keys;
}

Bytes Encode(const std::vector<MacroDataScript>& steps) {
    MacroCreator creator;
    creator.arCurrentMacroScript = steps;
    EXPECT_TRUE(creator.EncodeMacroData());
    EXPECT_TRUE(creator.pbRawData.has_value());
    if (!creator.pbRawData) return {};
    EXPECT_EQ(creator.dwTotalSize, creator.pbRawData->size());
    return *creator.pbRawData;
}

// Every command of the byte format: its size, the editor's step kind it
// decodes to, and for mouse buttons the report bit and dialog button kept in
// cOption1 / cOption2.
struct CommandRow {
    uint8_t command;
    int32_t size;
    int32_t kind;
    std::optional<uint8_t> mouseBit;
    uint8_t mouseButton;
};

const std::vector<CommandRow>& AllCommands() {
    static const std::vector<CommandRow> rows = {
        {0x70, 3, C::SCRIPT_ICON_IDX_INTERVAL, std::nullopt, 0},
        {0x33, 3, C::SCRIPT_ICON_IDX_MOUSE_MOVE, std::nullopt, 0},
        {0x6B, 3, C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS, std::nullopt, 0},
        {0x6C, 3, C::SCRIPT_ICON_IDX_JOY_LEVER_R_PRESS, std::nullopt, 0},
        {0x41, 2, C::SCRIPT_ICON_IDX_KEY_PRESS, std::nullopt, 0},
        {0x40, 2, C::SCRIPT_ICON_IDX_KEY_RELEASE, std::nullopt, 0},
        {0x43, 2, C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, std::nullopt, 0},
        {0x42, 2, C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE, std::nullopt, 0},
        {0x31, 2, C::SCRIPT_ICON_IDX_WHEEL_SCROLL, std::nullopt, 0},
        {0x32, 2, C::SCRIPT_ICON_IDX_WHEEL_SCROLL, std::nullopt, 0},
        {0x69, 2, C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS, std::nullopt, 0},
        {0x61, 2, C::SCRIPT_ICON_IDX_JOY_BUTTON_RELEASE, std::nullopt, 0},
        {0x6A, 2, C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS, std::nullopt, 0},
        {0x29, 1, C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x01, 0},
        {0x21, 1, C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x01, 0},
        {0x2A, 1, C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x02, 2},
        {0x22, 1, C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x02, 2},
        {0x2C, 1, C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x04, 1},
        {0x24, 1, C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x04, 1},
        {0x2D, 1, C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x08, 3},
        {0x25, 1, C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x08, 3},
        {0x2E, 1, C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x10, 4},
        {0x26, 1, C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x10, 4},
        {0x62, 1, C::SCRIPT_ICON_IDX_JOY_HAT_SW_RELEASE, std::nullopt, 0},
        {0x63, 1, C::SCRIPT_ICON_IDX_JOY_LEVER_L_RELEASE, std::nullopt, 0},
        {0x64, 1, C::SCRIPT_ICON_IDX_JOY_LEVER_R_RELEASE, std::nullopt, 0},
    };
    return rows;
}

const CommandRow* FindRow(uint8_t command) {
    for (const CommandRow& row : AllCommands())
        if (row.command == command) return &row;
    return nullptr;
}

// ---------------------------------------------------------------- encoding

struct EncodeCase {
    const char* name;
    std::vector<MacroDataScript> steps;
    Bytes expected;
};

TEST(MacroCreatorEncode, KnownScripts) {
    const std::vector<EncodeCase> cases = {
        {"key A, 300 ms, release A",
         {Step(0x41, 0x04), Interval(300), Step(0x40, 0x04)},
         {0x41, 0x04, 0x70, 0x01, 0x2C, 0x40, 0x04}},
        {"left click and release", {Step(0x29), Step(0x21)}, {0x29, 0x21}},
        {"mouse move -1, 2", {Step(0x33, -1, 2)}, {0x33, 0xFF, 0x02}},
        {"blank step between keys leaves no trace",
         {Step(0x41, 0x04), Step(C::SCRIPT_COMMAND_BLANK, 0x55, 0x66), Step(0x40, 0x04)},
         {0x41, 0x04, 0x40, 0x04}},
        {"byte that is no command is skipped", {Step(0x99, 1, 2), Step(0x62)}, {0x62}},
        {"empty list", {}, {}},
        {"only blank steps", {MacroDataScript{}, MacroDataScript{}}, {}},
        // The operands come from cOption1/2; sOption is only what the editor shows.
        {"interval written from its operand bytes",
         {[] { MacroDataScript s = Step(0x70, 0x01, 0x2C); s.sOption = 999; return s; }()},
         {0x70, 0x01, 0x2C}},
        // Decoded mouse steps carry the button in cOption1/2; none of it is written.
        {"one-byte steps write no operands", {Step(0x2E, 0x10, 4), Step(0x63, 7, 7)}, {0x2E, 0x63}},
        {"two-byte steps drop cOption2", {Step(0x6A, 6, 9), Step(0x31, -3, 9)}, {0x6A, 0x06, 0x31, 0xFD}},
        {"stick extremes", {Step(0x6B, -127, 127), Step(0x6C, -128, 0)}, {0x6B, 0x81, 0x7F, 0x6C, 0x80, 0x00}},
    };
    for (const EncodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Encode(c.steps), c.expected);
        EXPECT_EQ(MacroCreator::EncodedSize(c.steps), c.expected.size());
        EXPECT_EQ(MacroCreator::StepsThatFit(c.steps), c.steps.size());
    }
}

TEST(MacroCreatorEncode, ReplacesEarlierBytes) {
    MacroCreator creator;
    creator.arCurrentMacroScript = {Step(0x41, 0x04), Step(0x40, 0x04)};
    ASSERT_TRUE(creator.EncodeMacroData());
    creator.arCurrentMacroScript = {Step(0x29)};
    ASSERT_TRUE(creator.EncodeMacroData());
    EXPECT_EQ(creator.dwTotalSize, 1u);
    EXPECT_EQ(creator.pbRawData, Bytes{0x29});
}

// 9362 = 3120 three-byte steps + one two-byte step.
std::vector<MacroDataScript> FullScript() {
    std::vector<MacroDataScript> steps(3120, Interval(10));
    steps.push_back(Step(0x41, 0x04));
    return steps;
}

struct LimitCase {
    const char* name;
    std::vector<MacroDataScript> steps;
    size_t expectedSize;
    size_t expectedFit;
};

TEST(MacroCreatorEncode, DeviceLimit) {
    auto with = [](std::vector<MacroDataScript> steps, std::vector<MacroDataScript> more) {
        steps.insert(steps.end(), more.begin(), more.end());
        return steps;
    };
    const std::vector<MacroDataScript> intervals3120(3120, Interval(1));  // 9360 bytes
    const std::vector<LimitCase> cases = {
        {"exactly the limit is kept whole", FullScript(), kLimit, 3121},
        {"one more two-byte step is dropped", with(FullScript(), {Step(0x40, 0x04)}), kLimit, 3121},
        {"one more one-byte step is dropped", with(FullScript(), {Step(0x29)}), kLimit, 3121},
        {"a blank step after a full script costs nothing", with(FullScript(), {MacroDataScript{}}), kLimit, 3122},
        {"9360 + 2 fits", with(intervals3120, {Step(0x41, 5)}), kLimit, 3121},
        {"9360 + 1 + 1 fits", with(intervals3120, {Step(0x29), Step(0x21)}), kLimit, 3122},
        // Encoding stops at the first step that does not fit: a later small
        // step is not squeezed in, so the script never plays out of order.
        {"stops at the first step over the limit", with(intervals3120, {Interval(5), Step(0x29)}), 9360, 3120},
        {"nothing after the cut survives", with(intervals3120, {Step(0x29), Step(0x41, 4), Step(0x21), Step(0x62)}), 9361,
         3121},
    };
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = Encode(c.steps);
        EXPECT_EQ(bytes.size(), c.expectedSize);
        EXPECT_EQ(MacroCreator::StepsThatFit(c.steps), c.expectedFit);

        // The bytes are exactly the leading steps that fit.
        const std::vector<MacroDataScript> kept(c.steps.begin(), c.steps.begin() + static_cast<ptrdiff_t>(c.expectedFit));
        EXPECT_EQ(bytes, Encode(kept));
    }
}

TEST(MacroCreatorEncode, EncodedSizeIgnoresTheLimit) {
    std::vector<MacroDataScript> steps = FullScript();
    steps.push_back(Step(0x40, 0x04));
    steps.push_back(MacroDataScript{});
    steps.push_back(Step(0x99));
    steps.push_back(Step(0x62));
    EXPECT_EQ(MacroCreator::EncodedSize(steps), kLimit + 3);
    EXPECT_LT(MacroCreator::StepsThatFit(steps), steps.size());
}

// ---------------------------------------------------------------- sizes

TEST(MacroCreatorSize, ByCommandByte) {
    EXPECT_EQ(MacroCreator::GetMacroSize(0x00), 0);
    EXPECT_EQ(MacroCreator::GetMacroSize(0x99), 0);
    EXPECT_EQ(MacroCreator::GetMacroSize(0x62), 1);
    for (int b = 0; b < 256; ++b) {
        const auto command = static_cast<uint8_t>(b);
        const CommandRow* row = FindRow(command);
        SCOPED_TRACE(b);
        EXPECT_EQ(MacroCreator::GetMacroSize(command), row ? row->size : 0);
    }
}

TEST(MacroCreatorSize, ByStepKindMatchesTheCommands) {
    // Every command's kind has the command's size.
    for (const CommandRow& row : AllCommands()) {
        SCOPED_TRACE(static_cast<int>(row.command));
        EXPECT_EQ(MacroCreator::GetMacroSizeUseControlItemNo(row.kind), row.size);
    }
    // A step whose kind is not chosen, or no kind at all, is one byte.
    EXPECT_EQ(MacroCreator::GetMacroSizeUseControlItemNo(C::SCRIPT_ICON_IDX_BLANK), 1);
    EXPECT_EQ(MacroCreator::GetMacroSizeUseControlItemNo(17), 1);
    EXPECT_EQ(MacroCreator::GetMacroSizeUseControlItemNo(-1), 1);
}

TEST(MacroCreatorSize, CommandTableCounts) {
    int bySize[4] = {};
    for (const CommandRow& row : AllCommands()) ++bySize[row.size];
    EXPECT_EQ(bySize[3], 4);
    EXPECT_EQ(bySize[2], 9);
    EXPECT_EQ(bySize[1], 13);
}

// ---------------------------------------------------------------- decoding

struct Expected {
    int32_t kind;
    uint8_t command;
    int32_t size;
    int8_t option1;
    int8_t option2;
    uint16_t sOption;
    std::string value;
};

struct DecodeCase {
    const char* name;
    Bytes bytes;
    bool result;
    std::vector<Expected> steps;
};

TEST(MacroCreatorDecode, KnownScripts) {
    const std::vector<DecodeCase> cases = {
        {"key A, 300 ms, release A",
         {0x41, 0x04, 0x70, 0x01, 0x2C, 0x40, 0x04},
         true,
         {{C::SCRIPT_ICON_IDX_KEY_PRESS, 0x41, 2, 0x04, 0, 0, "A"},
          {C::SCRIPT_ICON_IDX_INTERVAL, 0x70, 3, 0x01, 0x2C, 300, "300"},
          {C::SCRIPT_ICON_IDX_KEY_RELEASE, 0x40, 2, 0x04, 0, 0, "A"}}},
        {"left click and release",
         {0x29, 0x21},
         true,
         {{C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x29, 1, 0x01, 0, 0, StringTable().Get("MOUSE_NAME_L_CLICK")},
          {C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x21, 1, 0x01, 0, 0, StringTable().Get("MOUSE_NAME_L_CLICK")}}},
        {"mouse move -1, 2", {0x33, 0xFF, 0x02}, true, {{C::SCRIPT_ICON_IDX_MOUSE_MOVE, 0x33, 3, -1, 2, 0, "-1, 2"}}},
        {"longest interval is unsigned", {0x70, 0xFF, 0xFF}, true, {{C::SCRIPT_ICON_IDX_INTERVAL, 0x70, 3, -1, -1, 65535, "65535"}}},
        {"interval high byte first", {0x70, 0x12, 0x34}, true, {{C::SCRIPT_ICON_IDX_INTERVAL, 0x70, 3, 0x12, 0x34, 0x1234, "4660"}}},
        {"mouse move -5, 10", {0x33, 0xFB, 0x0A}, true, {{C::SCRIPT_ICON_IDX_MOUSE_MOVE, 0x33, 3, -5, 10, 0, "-5, 10"}}},
        {"joystick button shown from 1", {0x69, 0x00}, true, {{C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS, 0x69, 2, 0, 0, 0, "1"}}},
        {"last joystick button", {0x61, 0x0E}, true, {{C::SCRIPT_ICON_IDX_JOY_BUTTON_RELEASE, 0x61, 2, 14, 0, 0, "15"}}},
        {"stick at its corner", {0x6C, 0x80, 0x7F}, true, {{C::SCRIPT_ICON_IDX_JOY_LEVER_R_PRESS, 0x6C, 3, -128, 127, 0, "-128, 127"}}},
        {"unknown byte after a step", {0x41, 0x04, 0x99}, false, {{C::SCRIPT_ICON_IDX_KEY_PRESS, 0x41, 2, 0x04, 0, 0, "A"}}},
        {"decoding does not resume after an unknown byte", {0x29, 0x99, 0x29}, false,
         {{C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x29, 1, 0x01, 0, 0, StringTable().Get("MOUSE_NAME_L_CLICK")}}},
        {"key step without its usage", {0x41}, false, {}},
        {"interval cut after one operand", {0x70, 0x01}, false, {}},
        {"whole step then a cut one", {0x62, 0x33, 0x01}, false, {{C::SCRIPT_ICON_IDX_JOY_HAT_SW_RELEASE, 0x62, 1, 0, 0, 0, ""}}},
        {"blank byte is no command", {0x00}, false, {}},
        {"erased flash is no command", {0xFF, 0xFF}, false, {}},
    };
    const KeyCode keys = UsKeyboard();
    const StringTable strings;
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        MacroCreator creator;
        EXPECT_EQ(creator.AnalyzeDataFromFlash(c.bytes.data(), static_cast<int32_t>(c.bytes.size()), keys), c.result);
        ASSERT_EQ(creator.arCurrentMacroScript.size(), c.steps.size());
        for (size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(i);
            const MacroDataScript& got = creator.arCurrentMacroScript[i];
            const Expected& want = c.steps[i];
            EXPECT_EQ(got.bControlItemNo, want.kind);
            EXPECT_EQ(got.bScriptID, want.command);
            EXPECT_EQ(got.nScriptSize, want.size);
            EXPECT_EQ(got.cOption1, want.option1);
            EXPECT_EQ(got.cOption2, want.option2);
            EXPECT_EQ(got.sOption, want.sOption);
            EXPECT_EQ(got.cOption3, 0);
            EXPECT_FALSE(got.strAnalyzeRet2.has_value());
            EXPECT_FALSE(got.strAnalyzeRet3.has_value());
            EXPECT_EQ(MacroCreator::GetSetValueString(got, strings), want.value);
        }
    }
}

TEST(MacroCreatorDecode, NothingToDecode) {
    const KeyCode keys = UsKeyboard();
    const uint8_t byte = 0x99;  // would fail if it were read
    struct {
        const char* name;
        const uint8_t* data;
        int32_t size;
    } cases[] = {
        {"length 0", &byte, 0},
        {"negative length", &byte, -1},
        {"most negative length", &byte, INT32_MIN},
        {"no buffer", nullptr, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MacroCreator creator;
        creator.arCurrentMacroScript = {Step(0x62)};
        EXPECT_TRUE(creator.AnalyzeDataFromFlash(c.data, c.size, keys));
        EXPECT_EQ(creator.arCurrentMacroScript.size(), 1u);
    }
}

TEST(MacroCreatorDecode, ReadsOnlyTheGivenLength) {
    // A valid step lies just past the length; it must be neither read nor decoded.
    const Bytes bytes = {0x29, 0x21, 0x41, 0x04};
    MacroCreator creator;
    EXPECT_TRUE(creator.AnalyzeDataFromFlash(bytes.data(), 2, UsKeyboard()));
    EXPECT_EQ(creator.arCurrentMacroScript.size(), 2u);

    // Cut inside the key step: its operand is there in memory but not in the script.
    MacroCreator cut;
    EXPECT_FALSE(cut.AnalyzeDataFromFlash(bytes.data(), 3, UsKeyboard()));
    EXPECT_EQ(cut.arCurrentMacroScript.size(), 2u);
}

TEST(MacroCreatorDecode, AppendsWithoutClearing) {
    const Bytes bytes = {0x41, 0x04, 0x70, 0x01, 0x2C, 0x40, 0x04};
    const KeyCode keys = UsKeyboard();
    MacroCreator creator;
    ASSERT_TRUE(creator.AnalyzeDataFromFlash(bytes.data(), static_cast<int32_t>(bytes.size()), keys));
    ASSERT_TRUE(creator.AnalyzeDataFromFlash(bytes.data(), static_cast<int32_t>(bytes.size()), keys));
    ASSERT_EQ(creator.arCurrentMacroScript.size(), 6u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(creator.arCurrentMacroScript[i], creator.arCurrentMacroScript[i + 3]);
}

TEST(MacroCreatorDecode, EveryCommand) {
    const KeyCode keys = UsKeyboard();
    for (const CommandRow& row : AllCommands()) {
        SCOPED_TRACE(static_cast<int>(row.command));
        // Operands that differ from every fixed value a decoder might invent,
        // then a hat release: it is found only when the step's size was right.
        Bytes bytes = {row.command, 0x05, 0x06};
        bytes.resize(static_cast<size_t>(row.size));
        bytes.push_back(C::SCRIPT_COMMAND_JOY_HATSW_RELESE);
        MacroCreator creator;
        EXPECT_TRUE(creator.AnalyzeDataFromFlash(bytes.data(), static_cast<int32_t>(bytes.size()), keys));
        ASSERT_EQ(creator.arCurrentMacroScript.size(), 2u);
        EXPECT_EQ(creator.arCurrentMacroScript[1].bScriptID, C::SCRIPT_COMMAND_JOY_HATSW_RELESE);
        const MacroDataScript& step = creator.arCurrentMacroScript[0];
        EXPECT_EQ(step.bScriptID, row.command);
        EXPECT_EQ(step.bControlItemNo, row.kind);
        EXPECT_EQ(step.nScriptSize, row.size);
        if (row.mouseBit) {
            EXPECT_EQ(static_cast<uint8_t>(step.cOption1), *row.mouseBit);
            EXPECT_EQ(static_cast<uint8_t>(step.cOption2), row.mouseButton);
        } else {
            EXPECT_EQ(step.cOption1, row.size >= 2 ? 0x05 : 0);
            EXPECT_EQ(step.cOption2, row.size >= 3 ? 0x06 : 0);
        }
        EXPECT_EQ(step.sOption, row.command == C::SCRIPT_COMMAND_INTERVAL ? 0x0506 : 0);
        const bool isKey = row.command == C::SCRIPT_COMMAND_KEY_PRESS || row.command == C::SCRIPT_COMMAND_KEY_RELEASE;
        EXPECT_EQ(step.strAnalyzeRet1.has_value(), isKey);
        if (isKey) { EXPECT_EQ(*step.strAnalyzeRet1, keys.GetKeyCodeStringFromUsb(0x05)); }

        // One byte short is a truncated step; a one-byte step cannot be cut.
        if (row.size > 1) {
            MacroCreator shortCreator;
            EXPECT_FALSE(shortCreator.AnalyzeDataFromFlash(bytes.data(), row.size - 1, keys));
            EXPECT_TRUE(shortCreator.arCurrentMacroScript.empty());
        }
    }
}

TEST(MacroCreatorDecode, EveryOtherByteStops) {
    const KeyCode keys = UsKeyboard();
    for (int b = 0; b < 256; ++b) {
        if (FindRow(static_cast<uint8_t>(b))) continue;
        SCOPED_TRACE(b);
        const Bytes bytes = {static_cast<uint8_t>(b), 0x29};
        MacroCreator creator;
        EXPECT_FALSE(creator.AnalyzeDataFromFlash(bytes.data(), 2, keys));
        EXPECT_TRUE(creator.arCurrentMacroScript.empty());
    }
}

TEST(MacroCreatorDecode, KeyNamesFollowTheLayoutAtDecodingTime) {
    const Bytes bytes = {0x41, 0x2E, 0x40, 0x2E};
    KeyCode keys(nullptr, nullptr);

    keys.SetKeyboardType(KeyCode::KEYBOARD_TYPE_JIS);
    MacroCreator jis;
    ASSERT_TRUE(jis.AnalyzeDataFromFlash(bytes.data(), 4, keys));

    keys.SetKeyboardType(KeyCode::KEYBOARD_TYPE_US);
    MacroCreator us;
    ASSERT_TRUE(us.AnalyzeDataFromFlash(bytes.data(), 4, keys));

    const StringTable strings;
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        // Switching the layout later does not rename steps already decoded.
        EXPECT_EQ(MacroCreator::GetSetValueString(jis.arCurrentMacroScript[i], strings), "^");
        EXPECT_EQ(MacroCreator::GetSetValueString(us.arCurrentMacroScript[i], strings), "=");
    }
}

TEST(MacroCreatorDecode, FromMyself) {
    const KeyCode keys = UsKeyboard();

    MacroCreator creator;
    creator.arCurrentMacroScript = {Step(0x41, 0x04), Interval(300), Step(0x40, 0x04)};
    ASSERT_TRUE(creator.EncodeMacroData());
    creator.arCurrentMacroScript.clear();
    EXPECT_TRUE(creator.AnalyzeDataFromMyself(keys));
    ASSERT_EQ(creator.arCurrentMacroScript.size(), 3u);
    EXPECT_EQ(creator.arCurrentMacroScript[1].sOption, 300);

    MacroCreator none;
    EXPECT_TRUE(none.AnalyzeDataFromMyself(keys));
    EXPECT_TRUE(none.arCurrentMacroScript.empty());

    // Only the first dwTotalSize bytes are the script.
    MacroCreator shorter;
    shorter.pbRawData = Bytes{0x29, 0x21, 0x99};
    shorter.dwTotalSize = 2;
    EXPECT_TRUE(shorter.AnalyzeDataFromMyself(keys));
    EXPECT_EQ(shorter.arCurrentMacroScript.size(), 2u);

    // A size that claims more than the buffer holds: decode what is there, report the rest missing.
    MacroCreator overclaimed;
    overclaimed.pbRawData = Bytes{0x29, 0x21};
    overclaimed.dwTotalSize = 9000;
    EXPECT_FALSE(overclaimed.AnalyzeDataFromMyself(keys));
    EXPECT_EQ(overclaimed.arCurrentMacroScript.size(), 2u);

    MacroCreator huge;
    huge.pbRawData = Bytes{0x62};
    huge.dwTotalSize = UINT64_MAX;
    EXPECT_FALSE(huge.AnalyzeDataFromMyself(keys));
    EXPECT_EQ(huge.arCurrentMacroScript.size(), 1u);
}

// ---------------------------------------------------------------- round trips

// Random scripts over every command with random operands.
std::vector<MacroDataScript> RandomSteps(std::mt19937& rng, size_t count) {
    std::uniform_int_distribution<size_t> pick(0, AllCommands().size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<MacroDataScript> steps;
    for (size_t i = 0; i < count; ++i) {
        const CommandRow& row = AllCommands()[pick(rng)];
        steps.push_back(Step(row.command, static_cast<int8_t>(byte(rng)), static_cast<int8_t>(byte(rng))));
    }
    return steps;
}

TEST(MacroCreatorRoundTrip, StepsThroughBytesAndBack) {
    std::mt19937 rng(20240611);
    const KeyCode keys = UsKeyboard();
    for (int round = 0; round < 200; ++round) {
        SCOPED_TRACE(round);
        std::vector<MacroDataScript> steps = RandomSteps(rng, static_cast<size_t>(round));
        // Every command at least once, in the rounds long enough for it.
        if (round >= 26)
            for (size_t i = 0; i < AllCommands().size(); ++i) steps[i].bScriptID = AllCommands()[i].command;

        const Bytes bytes = Encode(steps);
        ASSERT_EQ(bytes.size(), MacroCreator::EncodedSize(steps));

        MacroCreator decoded;
        ASSERT_TRUE(decoded.AnalyzeDataFromFlash(bytes.data(), static_cast<int32_t>(bytes.size()), keys));
        ASSERT_EQ(decoded.arCurrentMacroScript.size(), steps.size());
        for (size_t i = 0; i < steps.size(); ++i) {
            const MacroDataScript& got = decoded.arCurrentMacroScript[i];
            const int32_t size = MacroCreator::GetMacroSize(steps[i].bScriptID);
            EXPECT_EQ(got.bScriptID, steps[i].bScriptID);
            EXPECT_EQ(got.nScriptSize, size);
            if (size >= 2) { EXPECT_EQ(got.cOption1, steps[i].cOption1); }
            if (size >= 3) { EXPECT_EQ(got.cOption2, steps[i].cOption2); }
            // The editor's size of the decoded kind agrees with the byte format.
            EXPECT_EQ(MacroCreator::GetMacroSizeUseControlItemNo(got.bControlItemNo), size);
        }

        // Decoded steps encode to the very same bytes.
        EXPECT_EQ(Encode(decoded.arCurrentMacroScript), bytes);
    }
}

TEST(MacroCreatorRoundTrip, EveryPrefixOfAScript) {
    std::mt19937 rng(7);
    const std::vector<MacroDataScript> steps = RandomSteps(rng, 60);
    const Bytes bytes = Encode(steps);
    std::vector<size_t> boundaries = {0};
    for (const MacroDataScript& s : steps) boundaries.push_back(boundaries.back() + static_cast<size_t>(MacroCreator::GetMacroSize(s.bScriptID)));

    const KeyCode keys = UsKeyboard();
    size_t whole = 0;  // steps that end at or before the cut
    for (size_t length = 0; length <= bytes.size(); ++length) {
        SCOPED_TRACE(length);
        while (whole + 1 < boundaries.size() && boundaries[whole + 1] <= length) ++whole;
        // Only this many bytes are handed over, so a read past them is caught by the sanitizers.
        const Bytes prefix(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length));
        MacroCreator creator;
        const bool atBoundary = boundaries[whole] == length;
        EXPECT_EQ(creator.AnalyzeDataFromFlash(prefix.data(), static_cast<int32_t>(length), keys), atBoundary);
        EXPECT_EQ(creator.arCurrentMacroScript.size(), whole);
    }
}

TEST(MacroCreatorRoundTrip, RandomBytesNeverCrash) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<size_t> len(0, 64);
    const KeyCode keys = UsKeyboard();
    const StringTable strings;
    for (int round = 0; round < 2000; ++round) {
        Bytes bytes(len(rng));
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(byte(rng));
        MacroCreator creator;
        const bool ok = creator.AnalyzeDataFromFlash(bytes.data(), static_cast<int32_t>(bytes.size()), keys);
        // Whatever was decoded is well formed and encodes back to the bytes it came from.
        const Bytes again = Encode(creator.arCurrentMacroScript);
        ASSERT_LE(again.size(), bytes.size());
        EXPECT_TRUE(std::equal(again.begin(), again.end(), bytes.begin()));
        if (ok) { EXPECT_EQ(again, bytes); }
        for (const MacroDataScript& step : creator.arCurrentMacroScript) {
            EXPECT_TRUE(MacroCreator::GetContentName(step, strings).has_value());
            (void)MacroCreator::GetSetValueString(step, strings);
        }
    }
}

// ---------------------------------------------------------------- display

struct NameCase {
    int32_t kind;
    uint8_t command;
    std::optional<const char*> key;
};

TEST(MacroCreatorDisplay, ContentName) {
    const std::vector<NameCase> cases = {
        {C::SCRIPT_ICON_IDX_INTERVAL, 0x70, "SCRIPT_INTERVAL_TEXT"},
        {C::SCRIPT_ICON_IDX_KEY_PRESS, 0x41, "SCRIPT_KEY_PRESS_TEXT"},
        {C::SCRIPT_ICON_IDX_KEY_RELEASE, 0x40, "SCRIPT_KEY_RELEASE_TEXT"},
        {C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x29, "SCRIPT_MOUSE_CLICK_TEXT"},
        {C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x26, "SCRIPT_MOUSE_RELEASE_TEXT"},
        {C::SCRIPT_ICON_IDX_WHEEL_SCROLL, 0x31, "SCRIPT_WHEEL_UP_TEXT"},
        {C::SCRIPT_ICON_IDX_WHEEL_SCROLL, 0x32, "SCRIPT_WHEEL_DOWN_TEXT"},
        {C::SCRIPT_ICON_IDX_WHEEL_SCROLL, 0x00, "SCRIPT_WHEEL_SCROLL_TEXT"},  // direction not chosen yet
        {C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS, 0x6B, "SCRIPT_JOY_LEVER_L_TEXT"},
        {C::SCRIPT_ICON_IDX_JOY_LEVER_L_RELEASE, 0x63, "SCRIPT_JOY_LEVER_L_CENTER_TEXT"},
        {C::SCRIPT_ICON_IDX_JOY_LEVER_R_PRESS, 0x6C, "SCRIPT_JOY_LEVER_R_TEXT"},
        {C::SCRIPT_ICON_IDX_JOY_LEVER_R_RELEASE, 0x64, "SCRIPT_JOY_LEVER_R_CENTER_TEXT"},
        {C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS, 0x6A, "SCRIPT_JOY_HATSW_PRESS_TEXT"},
        {C::SCRIPT_ICON_IDX_JOY_HAT_SW_RELEASE, 0x62, "SCRIPT_JOY_HATSW_RELEASE_TEXT"},
        {C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS, 0x69, "SCRIPT_JOY_BUTTON_PRESS_TEXT"},
        {C::SCRIPT_ICON_IDX_JOY_BUTTON_RELEASE, 0x61, "SCRIPT_JOY_BUTTON_RELEASE_TEXT"},
        {C::SCRIPT_ICON_IDX_MOUSE_MOVE, 0x33, "SCRIPT_MOUSE_MOVE_TEXT"},
        {C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, "SCRIPT_MULTIMEDIA_PRESS_TEXT"},
        {C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE, 0x42, "SCRIPT_MULTIMEDIA_RELEASE_TEXT"},
        {C::SCRIPT_ICON_IDX_BLANK, 0x00, std::nullopt},
        {17, 0x41, std::nullopt},
        {200, 0x70, std::nullopt},
    };
    // Both tables: the texts come from the table handed in.
    for (const StringTable& strings : {StringTable(), StringTable("ja")}) {
        for (const NameCase& c : cases) {
            SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.command) + " " + strings.Language());
            const std::optional<std::string> name = MacroCreator::GetContentName(Kind(c.kind, c.command), strings);
            if (c.key) {
                EXPECT_TRUE(strings.Has(*c.key));  // a text, not the raw key, reaches the screen
                EXPECT_EQ(name, strings.Get(*c.key));
            } else {
                EXPECT_FALSE(name.has_value());
            }
        }
    }
}

struct ValueCase {
    const char* name;
    MacroDataScript step;
    std::optional<const char*> key;  // a localised text, or
    std::string literal;             // the literal text when there is no key
};

TEST(MacroCreatorDisplay, ValueString) {
    auto withName = [](MacroDataScript s, const char* n) {
        s.strAnalyzeRet1 = n;
        return s;
    };
    auto interval = [](uint16_t ms) {
        MacroDataScript s = Kind(C::SCRIPT_ICON_IDX_INTERVAL, 0x70);
        s.sOption = ms;
        return s;
    };
    using K = std::optional<const char*>;
    const K none = std::nullopt;
    const std::vector<ValueCase> cases = {
        {"interval 0", interval(0), none, "0"},
        {"interval 300", interval(300), none, "300"},
        {"interval 40000 stays unsigned", interval(40000), none, "40000"},
        {"interval 65535", interval(65535), none, "65535"},
        {"key press name", withName(Kind(C::SCRIPT_ICON_IDX_KEY_PRESS, 0x41, 4), "A"), none, "A"},
        {"key release name", withName(Kind(C::SCRIPT_ICON_IDX_KEY_RELEASE, 0x40, 4), "Enter"), none, "Enter"},
        {"key without a name", Kind(C::SCRIPT_ICON_IDX_KEY_PRESS, 0x41, 4), none, ""},
        {"left click", Kind(C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x29), K("MOUSE_NAME_L_CLICK"), ""},
        {"left release", Kind(C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x21), K("MOUSE_NAME_L_CLICK"), ""},
        {"right click", Kind(C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x2A), K("MOUSE_NAME_R_CLICK"), ""},
        {"right release", Kind(C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x22), K("MOUSE_NAME_R_CLICK"), ""},
        {"wheel click", Kind(C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x2C), K("MOUSE_NAME_WH_CLICK"), ""},
        {"wheel release", Kind(C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x24), K("MOUSE_NAME_WH_CLICK"), ""},
        {"button 4 click", Kind(C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x2D), K("MOUSE_NAME_B4_CLICK"), ""},
        {"button 4 release", Kind(C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x25), K("MOUSE_NAME_B4_CLICK"), ""},
        {"button 5 click", Kind(C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x2E), K("MOUSE_NAME_B5_CLICK"), ""},
        {"button 5 release", Kind(C::SCRIPT_ICON_IDX_MOUSE_RELEASE, 0x26), K("MOUSE_NAME_B5_CLICK"), ""},
        {"mouse step without a button", Kind(C::SCRIPT_ICON_IDX_MOUSE_CLICK, 0x00), none, ""},
        {"wheel up", Kind(C::SCRIPT_ICON_IDX_WHEEL_SCROLL, 0x31, 3), none, ""},
        {"wheel down", Kind(C::SCRIPT_ICON_IDX_WHEEL_SCROLL, 0x32, -3), none, ""},
        {"mouse move", Kind(C::SCRIPT_ICON_IDX_MOUSE_MOVE, 0x33, -5, 10), none, "-5, 10"},
        {"left stick", Kind(C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS, 0x6B, 127, -127), none, "127, -127"},
        {"right stick", Kind(C::SCRIPT_ICON_IDX_JOY_LEVER_R_PRESS, 0x6C, -128, 0), none, "-128, 0"},
        {"left stick centre", Kind(C::SCRIPT_ICON_IDX_JOY_LEVER_L_RELEASE, 0x63, 4, 4), none, ""},
        {"right stick centre", Kind(C::SCRIPT_ICON_IDX_JOY_LEVER_R_RELEASE, 0x64, 4, 4), none, ""},
        {"hat release", Kind(C::SCRIPT_ICON_IDX_JOY_HAT_SW_RELEASE, 0x62, 2), none, ""},
        {"hat north", Kind(C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS, 0x6A, C::HAT_SWITCH_NORTH), K("JOYSTICK_HATSW_UP"), ""},
        {"hat east", Kind(C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS, 0x6A, C::HAT_SWITCH_EAST), K("JOYSTICK_HATSW_RIGHT"), ""},
        {"hat south", Kind(C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS, 0x6A, C::HAT_SWITCH_SOUTH), K("JOYSTICK_HATSW_DOWN"), ""},
        {"hat west", Kind(C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS, 0x6A, C::HAT_SWITCH_WEST), K("JOYSTICK_HATSW_LEFT"), ""},
        {"hat diagonal", Kind(C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS, 0x6A, C::HAT_SWITCH_NORTH_EAST), none, ""},
        {"hat centre value", Kind(C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS, 0x6A, C::HAT_SWITCH_NULL), none, ""},
        {"joystick button 1", Kind(C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS, 0x69, 0), none, "1"},
        {"joystick button 15", Kind(C::SCRIPT_ICON_IDX_JOY_BUTTON_RELEASE, 0x61, 14), none, "15"},
        {"multimedia play", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, 1), K("MULTIMEDIA_NAME_PLAY"), ""},
        {"multimedia pause", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE, 0x42, 2), K("MULTIMEDIA_NAM_PAUSE"), ""},
        {"multimedia stop", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, 3), K("MULTIMEDIA_NAM_STOP"), ""},
        {"multimedia rec", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, 4), K("MULTIMEDIA_NAM_REC"), ""},
        {"multimedia forward", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, 5), K("MULTIMEDIA_NAM_FORWORD"), ""},
        {"multimedia rewind", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, 6), K("MULTIMEDIA_NAM_REWIND"), ""},
        {"multimedia next", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, 7), K("MULTIMEDIA_NAM_NEXT"), ""},
        {"multimedia previous", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, 8), K("MULTIMEDIA_NAM_PREVIOUS"), ""},
        {"multimedia mute", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, 9), K("MULTIMEDIA_NAM_MUTE"), ""},
        {"multimedia volume up", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, 10), K("MULTIMEDIA_NAM_VOLUMEUP"), ""},
        {"multimedia volume down", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE, 0x42, 11), K("MULTIMEDIA_NAM_VOLUMEDOWN"), ""},
        {"multimedia placeholder", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, 12), none, ""},
        {"multimedia none", Kind(C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, 0x43, 0), none, ""},
        {"blank step", Kind(C::SCRIPT_ICON_IDX_BLANK, 0x00, 5, 5), none, ""},
        {"no such kind", Kind(17, 0x70, 5, 5), none, ""},
    };
    for (const StringTable& strings : {StringTable(), StringTable("ja")}) {
        for (const ValueCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " " + strings.Language());
            if (c.key) {
                EXPECT_TRUE(strings.Has(*c.key));
            }
            const std::string expected = c.key ? strings.Get(*c.key) : c.literal;
            EXPECT_EQ(MacroCreator::GetSetValueString(c.step, strings), expected);
        }
    }
}

// ---------------------------------------------------------------- lifecycle

TEST(MacroCreatorLifecycle, ResetEmptiesEverything) {
    MacroCreator creator;
    creator.bScriptMode = C::SCRIPT_MODE_HOLD_MODE;
    creator.arCurrentMacroScript = {Step(0x29), Step(0x21)};
    ASSERT_TRUE(creator.EncodeMacroData());
    creator.Reset();
    EXPECT_EQ(creator.bScriptMode, 0);
    EXPECT_TRUE(creator.arCurrentMacroScript.empty());
    EXPECT_FALSE(creator.pbRawData.has_value());
    EXPECT_EQ(creator.dwTotalSize, 0u);
}

TEST(MacroCreatorLifecycle, CopyIsIndependent) {
    const KeyCode keys = UsKeyboard();
    MacroCreator source;
    source.bScriptMode = C::SCRIPT_MODE_LOOP_MODE;
    const Bytes bytes = {0x41, 0x04, 0x70, 0x01, 0x2C, 0x40, 0x04};
    ASSERT_TRUE(source.AnalyzeDataFromFlash(bytes.data(), static_cast<int32_t>(bytes.size()), keys));
    ASSERT_TRUE(source.EncodeMacroData());
    const MacroCreator before = source;

    for (int how = 0; how < 2; ++how) {
        SCOPED_TRACE(how == 0 ? "copy constructed" : "copy assigned");
        MacroCreator copy;
        if (how == 0) {
            MacroCreator constructed(source);
            copy = std::move(constructed);
        } else {
            copy = source;
        }
        ASSERT_EQ(copy.arCurrentMacroScript, source.arCurrentMacroScript);
        ASSERT_EQ(copy.pbRawData, source.pbRawData);
        EXPECT_EQ(copy.bScriptMode, source.bScriptMode);
        EXPECT_EQ(copy.dwTotalSize, source.dwTotalSize);

        copy.bScriptMode = C::SCRIPT_MODE_FIRE_MODE;
        copy.arCurrentMacroScript[0].cOption1 = 0x05;
        copy.arCurrentMacroScript[0].strAnalyzeRet1 = "B";
        copy.arCurrentMacroScript.push_back(Step(0x62));
        (*copy.pbRawData)[1] = 0x05;
        copy.pbRawData->push_back(0x62);
        copy.dwTotalSize = copy.pbRawData->size();

        EXPECT_EQ(source.bScriptMode, before.bScriptMode);
        EXPECT_EQ(source.arCurrentMacroScript, before.arCurrentMacroScript);
        EXPECT_EQ(source.pbRawData, before.pbRawData);
        EXPECT_EQ(source.dwTotalSize, before.dwTotalSize);
    }
}

TEST(MacroCreatorLifecycle, CopyOfAnEmptyScriptHasNoBytes) {
    MacroCreator source;
    const MacroCreator copy = source;
    EXPECT_FALSE(copy.pbRawData.has_value());
    EXPECT_TRUE(copy.arCurrentMacroScript.empty());
}

}  // namespace
}  // namespace kelvadeck
