// Steps made from host input, from dragged step kinds and from the step dialogs.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "base/Logger.h"
#include "keys/KeyCode.h"
#include "macro/HostInputEvent.h"
#include "macro/MacroCreator.h"
#include "macro/MacroRecorder.h"
#include "model/Constants.h"

namespace kelvadeck {
namespace {

using C = Constants;
using M = MacroCreator;
using T = HostInputEvent::Type;
using Bytes = std::vector<uint8_t>;

constexpr uint16_t kMacA = 0x00;
constexpr uint16_t kMacShiftL = 0x38;
constexpr uint16_t kMacUpArrow = 0x7E;

Bytes Encode(const std::vector<MacroDataScript>& steps) {
    MacroCreator macro;
    macro.arCurrentMacroScript = steps;
    macro.EncodeMacroData();
    return macro.pbRawData.value_or(Bytes{});
}

// ---------------------------------------------------------------- new steps

TEST(MacroStepCreation, ByCommandByte) {
    struct Case {
        uint8_t command;
        int32_t size;
    };
    for (const Case c : {Case{0x70, 3}, Case{0x41, 2}, Case{0x62, 1}, Case{0x00, 0}, Case{0x99, 0}}) {
        SCOPED_TRACE(c.command);
        const MacroDataScript step = M::CreateMacroForScript(c.command);
        EXPECT_EQ(step.bScriptID, c.command);
        EXPECT_EQ(step.nScriptSize, c.size);
        EXPECT_EQ(step.bControlItemNo, C::SCRIPT_ICON_IDX_BLANK);
    }
}

TEST(MacroStepCreation, DraggedKinds) {
    struct Case {
        int32_t kind;
        uint8_t command;
        int32_t size;
    };
    const Case cases[] = {
        {C::SCRIPT_ICON_IDX_INTERVAL, C::SCRIPT_COMMAND_INTERVAL, 3},
        {C::SCRIPT_ICON_IDX_KEY_PRESS, C::SCRIPT_COMMAND_KEY_PRESS, 2},
        {C::SCRIPT_ICON_IDX_KEY_RELEASE, C::SCRIPT_COMMAND_KEY_RELEASE, 2},
        {C::SCRIPT_ICON_IDX_MOUSE_CLICK, C::SCRIPT_COMMAND_BLANK, 1},
        {C::SCRIPT_ICON_IDX_MOUSE_RELEASE, C::SCRIPT_COMMAND_BLANK, 1},
        {C::SCRIPT_ICON_IDX_WHEEL_SCROLL, C::SCRIPT_COMMAND_BLANK, 2},
        {C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS, C::SCRIPT_COMMAND_JOY_L_LEVER, 3},
        {C::SCRIPT_ICON_IDX_JOY_LEVER_L_RELEASE, C::SCRIPT_COMMAND_JOY_L_LEVER_CENTER, 1},
        {C::SCRIPT_ICON_IDX_JOY_LEVER_R_PRESS, C::SCRIPT_COMMAND_JOY_R_LEVER, 3},
        {C::SCRIPT_ICON_IDX_JOY_LEVER_R_RELEASE, C::SCRIPT_COMMAND_JOY_R_LEVER_CENTER, 1},
        {C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS, C::SCRIPT_COMMAND_JOY_HATSW_PRESS, 2},
        {C::SCRIPT_ICON_IDX_JOY_HAT_SW_RELEASE, C::SCRIPT_COMMAND_JOY_HATSW_RELESE, 1},
        {C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS, C::SCRIPT_COMMAND_JOY_BUTTON_PRESS, 2},
        {C::SCRIPT_ICON_IDX_JOY_BUTTON_RELEASE, C::SCRIPT_COMMAND_JOY_BUTTON_RELESE, 2},
        {C::SCRIPT_ICON_IDX_MOUSE_MOVE, C::SCRIPT_COMMAND_MOUSE_MOVE, 3},
        {C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, C::SCRIPT_COMMAND_MULTIMEDIA_PRESS, 2},
        {C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE, C::SCRIPT_COMMAND_MULTIMEDIA_RELESE, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const MacroDataScript step = M::CreateMacroForScriptUseDrag(c.kind);
        EXPECT_EQ(step.bControlItemNo, c.kind);
        EXPECT_EQ(step.bScriptID, c.command);
        EXPECT_EQ(step.nScriptSize, c.size);
        // A kind with a command writes exactly the size it claims.
        if (c.command != C::SCRIPT_COMMAND_BLANK) {
            EXPECT_EQ(M::GetMacroSize(step.bScriptID), c.size);
        }
        if (c.kind != C::SCRIPT_ICON_IDX_INTERVAL) {
            EXPECT_EQ(step.cOption1, 0);
            EXPECT_EQ(step.cOption2, 0);
            EXPECT_EQ(step.sOption, 0);
        }
    }
}

TEST(MacroStepCreation, DraggedIntervalEncodesAsOneMillisecond) {
    const MacroDataScript step = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_INTERVAL);
    EXPECT_EQ(step.sOption, 1);
    EXPECT_EQ(Encode({step}), (Bytes{0x70, 0x00, 0x01}));
}

TEST(MacroStepCreation, DraggedMouseStepWritesNothingUntilAButtonIsChosen) {
    MacroDataScript step = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_MOUSE_RELEASE);
    EXPECT_EQ(Encode({step}), Bytes{});
    M::ValidateMacroForScriptMouseButton(step, C::UI_BTN_ID_MOUSE_R);
    EXPECT_EQ(Encode({step}), Bytes{0x22});
}

TEST(MacroStepCreation, Intervals) {
    struct Case {
        uint64_t ms;
        uint16_t stored;
        Bytes bytes;
    };
    const Case cases[] = {
        {0, 0, {0x70, 0x00, 0x00}},
        {250, 250, {0x70, 0x00, 0xFA}},
        {300, 300, {0x70, 0x01, 0x2C}},
        {65535, 65535, {0x70, 0xFF, 0xFF}},
        {65536, 0, {0x70, 0x00, 0x00}},
        {70000, 4464, {0x70, 0x11, 0x70}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        const MacroDataScript step = M::CreateMacroForScriptInterval(c.ms);
        EXPECT_EQ(step.bControlItemNo, C::SCRIPT_ICON_IDX_INTERVAL);
        EXPECT_EQ(step.nScriptSize, 3);
        EXPECT_EQ(step.sOption, c.stored);
        EXPECT_EQ(Encode({step}), c.bytes);
    }
}

// ---------------------------------------------------------------- key events

struct KeyEventCase {
    const char* name;
    HostInputEvent event;
    uint8_t command;
    int32_t kind;
    uint8_t usage;
    std::string keyName;
};

TEST(MacroStepCreation, KeyEvents) {
    KeyCode keys;
    const uint32_t shift = HostInputEvent::FLAG_SHIFT;
    const uint32_t ctrl = HostInputEvent::FLAG_CONTROL;
    const uint32_t opt = HostInputEvent::FLAG_OPTION;
    const uint32_t cmd = HostInputEvent::FLAG_COMMAND;
    const uint32_t caps = HostInputEvent::FLAG_CAPS_LOCK;
    const int32_t press = C::SCRIPT_ICON_IDX_KEY_PRESS;
    const int32_t release = C::SCRIPT_ICON_IDX_KEY_RELEASE;
    const std::vector<KeyEventCase> cases = {
        {"A down", HostInputEvent::Key(T::KeyDown, kMacA), 0x41, press, 0x04, "A"},
        {"A up", HostInputEvent::Key(T::KeyUp, kMacA), 0x40, release, 0x04, "A"},
        {"Shift L down", HostInputEvent::Key(T::FlagsChanged, 0x38, shift), 0x41, press, 0xE1, "Shift L"},
        {"Shift L up", HostInputEvent::Key(T::FlagsChanged, 0x38, 0), 0x40, release, 0xE1, "Shift L"},
        {"Shift R down", HostInputEvent::Key(T::FlagsChanged, 0x3C, shift), 0x41, press, 0xE5, "Shift R"},
        // Another modifier still held does not make a release a press.
        {"Shift R up, Control held", HostInputEvent::Key(T::FlagsChanged, 0x3C, ctrl), 0x40, release, 0xE5, "Shift R"},
        {"Control L down", HostInputEvent::Key(T::FlagsChanged, 0x3B, ctrl), 0x41, press, 0xE0, "Ctrl L"},
        {"Control R down", HostInputEvent::Key(T::FlagsChanged, 0x3E, ctrl), 0x41, press, 0xE4, "Ctrl R"},
        {"Option L down", HostInputEvent::Key(T::FlagsChanged, 0x3A, opt), 0x41, press, 0xE2, "Option L"},
        {"Option R down", HostInputEvent::Key(T::FlagsChanged, 0x3D, opt), 0x41, press, 0xE6, "Option R"},
        {"Command L down", HostInputEvent::Key(T::FlagsChanged, 0x37, cmd), 0x41, press, 0xE3, "Command L"},
        {"Command R down", HostInputEvent::Key(T::FlagsChanged, 0x36, cmd), 0x41, press, 0xE7, "Command R"},
        {"Command R up", HostInputEvent::Key(T::FlagsChanged, 0x36, shift), 0x40, release, 0xE7, "Command R"},
        {"Caps Lock on", HostInputEvent::Key(T::FlagsChanged, 0x39, caps), 0x41, press, 0x39, "CapsLock"},
        {"Caps Lock off", HostInputEvent::Key(T::FlagsChanged, 0x39, 0), 0x40, release, 0x39, "CapsLock"},
        // A flags change of a key that is no modifier is a release.
        {"flags change of A", HostInputEvent::Key(T::FlagsChanged, kMacA, shift), 0x40, release, 0x04, "A"},
        {"unknown key down", HostInputEvent::Key(T::KeyDown, 0xFF), 0x41, press, 0xFF, "NO_EVENT"},
        {"Mac code beyond a byte", HostInputEvent::Key(T::KeyDown, 0x1234), 0x41, press, 0xFF, "NO_EVENT"},
    };
    for (const KeyEventCase& c : cases) {
        SCOPED_TRACE(c.name);
        const MacroDataScript step = M::CreateMacroForScriptKeyinput(c.event, nullptr, keys);
        EXPECT_EQ(step.bScriptID, c.command);
        EXPECT_EQ(step.bControlItemNo, c.kind);
        EXPECT_EQ(step.nScriptSize, 2);
        EXPECT_EQ(static_cast<uint8_t>(step.cOption1), c.usage);
        EXPECT_EQ(step.strAnalyzeRet1, std::optional<std::string>(c.keyName));
    }
}

TEST(MacroStepCreation, KeyStepKeepsTheMacCode) {
    KeyCode keys;
    const MacroDataScript step = M::CreateMacroForScriptKeyinput(HostInputEvent::Key(T::KeyUp, 0x31), nullptr, keys);
    EXPECT_EQ(static_cast<uint8_t>(step.cOption1), 0x2C);  // Space
    EXPECT_EQ(static_cast<uint8_t>(step.cOption2), 0x31);
}

TEST(MacroStepCreation, OtherEventsGiveABlankKeyStep) {
    KeyCode keys;
    for (const T type : {T::Other, T::MouseDown, T::ScrollWheel}) {
        HostInputEvent e = HostInputEvent::Key(type, kMacA);
        const MacroDataScript step = M::CreateMacroForScriptKeyinput(e, nullptr, keys);
        EXPECT_EQ(step.bScriptID, C::SCRIPT_COMMAND_BLANK);
        EXPECT_EQ(step.bControlItemNo, C::SCRIPT_ICON_IDX_BLANK);
        EXPECT_EQ(step.nScriptSize, 0);
        EXPECT_EQ(static_cast<uint8_t>(step.cOption1), 0x04);
        EXPECT_EQ(Encode({step}), Bytes{});
    }
}

TEST(MacroStepCreation, KeyNamesFollowTheLayout) {
    KeyCode us;
    KeyCode jis;
    jis.SetKeyboardType(KeyCode::KEYBOARD_TYPE_JIS);
    const HostInputEvent e = HostInputEvent::Key(T::KeyDown, 0x18);
    EXPECT_EQ(M::CreateMacroForScriptKeyinput(e, nullptr, us).strAnalyzeRet1, std::optional<std::string>("="));
    EXPECT_EQ(M::CreateMacroForScriptKeyinput(e, nullptr, jis).strAnalyzeRet1, std::optional<std::string>("^"));
}

// ---------------------------------------------------------------- mouse events

TEST(MacroStepCreation, MouseButtons) {
    struct Case {
        int32_t button;
        uint8_t click;
        uint8_t release;
    };
    const Case cases[] = {{0, 0x29, 0x21}, {1, 0x2A, 0x22}, {2, 0x2C, 0x24}, {3, 0x2D, 0x25}, {4, 0x2E, 0x26}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        const MacroDataScript down = M::CreateMacroForScriptMouse(HostInputEvent::Mouse(true, c.button));
        const MacroDataScript up = M::CreateMacroForScriptMouse(HostInputEvent::Mouse(false, c.button));
        EXPECT_EQ(down.bScriptID, c.click);
        EXPECT_EQ(down.bControlItemNo, C::SCRIPT_ICON_IDX_MOUSE_CLICK);
        EXPECT_EQ(up.bScriptID, c.release);
        EXPECT_EQ(up.bControlItemNo, C::SCRIPT_ICON_IDX_MOUSE_RELEASE);
        EXPECT_EQ(down.nScriptSize, 1);
        EXPECT_EQ(up.nScriptSize, 1);
    }
}

TEST(MacroStepCreation, PressureDecidesDownOrUp) {
    HostInputEvent e = HostInputEvent::Mouse(false, 0);
    e.type = T::MouseDown;  // the type does not count, the pressure does
    e.pressure = 0.0;
    EXPECT_EQ(M::CreateMacroForScriptMouse(e).bScriptID, C::SCRIPT_COMMAND_L_RELEASE);
    e.pressure = 0.3;
    EXPECT_EQ(M::CreateMacroForScriptMouse(e).bScriptID, C::SCRIPT_COMMAND_L_CLICK);
}

TEST(MacroStepCreation, MouseButtonsTheDeviceLacksGiveBlankSteps) {
    for (const int32_t button : {5, 6, 31, -1}) {
        SCOPED_TRACE(button);
        const MacroDataScript step = M::CreateMacroForScriptMouse(HostInputEvent::Mouse(true, button));
        EXPECT_EQ(step.bScriptID, C::SCRIPT_COMMAND_BLANK);
        EXPECT_EQ(step.bControlItemNo, C::SCRIPT_ICON_IDX_BLANK);
        EXPECT_EQ(step.nScriptSize, 0);
        EXPECT_EQ(Encode({step}), Bytes{});
    }
}

// ---------------------------------------------------------------- step dialogs

TEST(MacroStepValidation, Key) {
    KeyCode keys;
    MacroDataScript step = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_KEY_RELEASE);
    M::ValidateMacroForScriptKeyinput(step, HostInputEvent::Key(T::FlagsChanged, kMacShiftL, HostInputEvent::FLAG_SHIFT), keys);
    EXPECT_EQ(static_cast<uint8_t>(step.cOption1), 0xE1);
    EXPECT_EQ(static_cast<uint8_t>(step.cOption2), kMacShiftL);
    EXPECT_EQ(step.strAnalyzeRet1, std::optional<std::string>("Shift L"));
    // The step stays a release.
    EXPECT_EQ(step.bScriptID, C::SCRIPT_COMMAND_KEY_RELEASE);
    EXPECT_EQ(Encode({step}), (Bytes{0x40, 0xE1}));
}

TEST(MacroStepValidation, HatTakesOnlyArrowKeys) {
    KeyCode keys;
    struct Case {
        uint16_t mac;
        int8_t expected;
    };
    // Right, left, down, up arrows; "A" and Return change nothing.
    const Case cases[] = {{0x7C, C::HAT_SWITCH_EAST}, {0x7B, C::HAT_SWITCH_WEST}, {0x7D, C::HAT_SWITCH_SOUTH},
                          {kMacUpArrow, C::HAT_SWITCH_NORTH}, {kMacA, 7}, {0x24, 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mac);
        MacroDataScript step = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS);
        step.cOption1 = 7;
        const MacroDataScript before = step;
        M::ValidateMacroForScriptJoysticHat(step, HostInputEvent::Key(T::KeyUp, c.mac), keys);
        EXPECT_EQ(step.cOption1, c.expected);
        if (c.expected == 7) {
            EXPECT_EQ(step, before);
        }
    }
}

TEST(MacroStepValidation, MouseButtonOnClickAndReleaseSteps) {
    struct Case {
        uint8_t id;
        uint8_t click;
        uint8_t release;
    };
    const Case cases[] = {{C::UI_BTN_ID_MOUSE_L, 0x29, 0x21},
                          {C::UI_BTN_ID_MOUSE_W, 0x2C, 0x24},
                          {C::UI_BTN_ID_MOUSE_R, 0x2A, 0x22},
                          {C::UI_BTN_ID_MOUSE_B4, 0x2D, 0x25},
                          {C::UI_BTN_ID_MOUSE_B5, 0x2E, 0x26}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.id));
        MacroDataScript click = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_MOUSE_CLICK);
        MacroDataScript release = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_MOUSE_RELEASE);
        M::ValidateMacroForScriptMouseButton(click, c.id);
        M::ValidateMacroForScriptMouseButton(release, c.id);
        EXPECT_EQ(click.bScriptID, c.click);
        EXPECT_EQ(release.bScriptID, c.release);
        EXPECT_EQ(click.cOption2, c.id);
    }
    // The placeholder choice keeps the command and records only the ID.
    MacroDataScript step = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_MOUSE_CLICK);
    M::ValidateMacroForScriptMouseButton(step, C::UI_BTN_ID_MOUSE_R);
    M::ValidateMacroForScriptMouseButton(step, C::UI_BTN_ID_MOUSE_BLANK1);
    EXPECT_EQ(step.bScriptID, 0x2A);
    EXPECT_EQ(step.cOption2, C::UI_BTN_ID_MOUSE_BLANK1);
}

TEST(MacroStepValidation, ButtonsNumbersAndDistances) {
    std::vector<std::string> lines;
    Logger log([&lines](const std::string& line) { lines.push_back(line); });

    MacroDataScript joy = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS);
    M::ValidateMacroForScriptJoysticButton(joy, C::UI_BTN_ID_JOYSTIC_13, &log);
    EXPECT_EQ(Encode({joy}), (Bytes{0x69, 0x0C}));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("ButtonID = 12"), std::string::npos);

    MacroDataScript media = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE);
    M::ValidateMacroForScriptMultimediaButton(media, C::UI_BTN_ID_MULTIMEDIA_VOLUMEDOWN);
    EXPECT_EQ(Encode({media}), (Bytes{0x42, 0x0B}));

    MacroDataScript wait = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_INTERVAL);
    M::ValidateMacroForScriptNumber(wait, 70000);
    EXPECT_EQ(wait.sOption, 4464);
    EXPECT_EQ(Encode({wait}), (Bytes{0x70, 0x11, 0x70}));
    M::ValidateMacroForScriptNumber(wait, 300);
    EXPECT_EQ(Encode({wait}), (Bytes{0x70, 0x01, 0x2C}));

    MacroDataScript move = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_MOUSE_MOVE);
    M::ValidateMacroForScriptMoveDistance(move, 200, -5);
    EXPECT_EQ(move.cOption1, -56);
    EXPECT_EQ(Encode({move}), (Bytes{0x33, 0xC8, 0xFB}));
}

TEST(MacroStepValidation, WheelDirection) {
    std::vector<std::string> lines;
    Logger log([&lines](const std::string& line) { lines.push_back(line); });
    MacroDataScript step = M::CreateMacroForScriptUseDrag(C::SCRIPT_ICON_IDX_WHEEL_SCROLL);
    step.cOption1 = 3;

    // No new event: the direction is left as it was (none yet).
    M::ValidateMacroForScriptMouseWheel(step, nullptr, nullptr, &log);
    EXPECT_EQ(step.bScriptID, C::SCRIPT_COMMAND_BLANK);

    const HostInputEvent up = HostInputEvent::Scroll(1.5);
    const HostInputEvent down = HostInputEvent::Scroll(-0.1);
    const HostInputEvent still = HostInputEvent::Scroll(0.0);
    M::ValidateMacroForScriptMouseWheel(step, nullptr, &up, &log);
    EXPECT_EQ(step.bScriptID, C::SCRIPT_COMMAND_WHEEL_UP);
    M::ValidateMacroForScriptMouseWheel(step, &up, &down, &log);
    EXPECT_EQ(step.bScriptID, C::SCRIPT_COMMAND_WHEEL_DOWN);
    M::ValidateMacroForScriptMouseWheel(step, nullptr, &up, &log);
    M::ValidateMacroForScriptMouseWheel(step, nullptr, &still, &log);
    EXPECT_EQ(step.bScriptID, C::SCRIPT_COMMAND_WHEEL_DOWN);  // 0 is not up
    M::ValidateMacroForScriptMouseWheel(step, &up, nullptr, &log);
    EXPECT_EQ(step.bScriptID, C::SCRIPT_COMMAND_WHEEL_DOWN);
    // The amount is not touched.
    EXPECT_EQ(Encode({step}), (Bytes{0x32, 0x03}));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(lines[2].find("-1.6"), std::string::npos) << lines[2];
}

// ---------------------------------------------------------------- recording

TEST(MacroRecording, PressPauseRelease) {
    KeyCode keys;
    MacroRecorder recorder;
    std::vector<MacroDataScript> steps;
    EXPECT_EQ(recorder.Record(HostInputEvent::Key(T::KeyDown, kMacA, 0, 10.0), keys, steps), 1u);
    EXPECT_EQ(recorder.Record(HostInputEvent::Key(T::KeyUp, kMacA, 0, 10.25), keys, steps), 2u);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[1].sOption, 250);
    EXPECT_EQ(Encode(steps), (Bytes{0x41, 0x04, 0x70, 0x00, 0xFA, 0x40, 0x04}));
}

TEST(MacroRecording, Sequences) {
    struct Case {
        const char* name;
        std::vector<HostInputEvent> events;
        Bytes expected;
    };
    const uint32_t shift = HostInputEvent::FLAG_SHIFT;
    const std::vector<Case> cases = {
        {"Shift, A, release both",
         {HostInputEvent::Key(T::FlagsChanged, kMacShiftL, shift, 1.0), HostInputEvent::Key(T::KeyDown, kMacA, shift, 1.125),
          HostInputEvent::Key(T::KeyUp, kMacA, shift, 1.25), HostInputEvent::Key(T::FlagsChanged, kMacShiftL, 0, 1.375)},
         {0x41, 0xE1, 0x70, 0x00, 0x7D, 0x41, 0x04, 0x70, 0x00, 0x7D, 0x40, 0x04, 0x70, 0x00, 0x7D, 0x40, 0xE1}},
        {"a key without usage is recorded as 0xFF",
         {HostInputEvent::Key(T::KeyDown, 0xFF, 0, 0.0), HostInputEvent::Key(T::KeyUp, 0xFF, 0, 0.5)},
         {0x41, 0xFF, 0x70, 0x01, 0xF4, 0x40, 0xFF}},
        {"right click with a 70 s hold keeps 16 bits",
         {HostInputEvent::Mouse(true, 1, 5.0), HostInputEvent::Mouse(false, 1, 75.0)},
         {0x2A, 0x70, 0x11, 0x70, 0x22}},
        {"scrolling is not recorded and does not restart the wait",
         {HostInputEvent::Mouse(true, 0, 0.0), HostInputEvent::Scroll(2.0, 0.1), HostInputEvent::Mouse(false, 0, 0.5)},
         {0x29, 0x70, 0x01, 0xF4, 0x21}},
        {"a sixth mouse button is skipped, its wait carried over",
         {HostInputEvent::Mouse(true, 4, 0.0), HostInputEvent::Mouse(true, 5, 0.125), HostInputEvent::Mouse(false, 4, 0.25)},
         {0x2E, 0x70, 0x00, 0xFA, 0x26}},
        {"every mouse button number",
         {HostInputEvent::Mouse(true, 0, 0.0), HostInputEvent::Mouse(true, 1, 0.0), HostInputEvent::Mouse(true, 2, 0.0),
          HostInputEvent::Mouse(true, 3, 0.0), HostInputEvent::Mouse(true, 4, 0.0)},
         {0x29, 0x70, 0, 0, 0x2A, 0x70, 0, 0, 0x2C, 0x70, 0, 0, 0x2D, 0x70, 0, 0, 0x2E}},
        {"time going backwards waits 0",
         {HostInputEvent::Key(T::KeyDown, kMacA, 0, 3.0), HostInputEvent::Key(T::KeyUp, kMacA, 0, 2.0)},
         {0x41, 0x04, 0x70, 0x00, 0x00, 0x40, 0x04}},
    };
    KeyCode keys;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MacroRecorder recorder;
        std::vector<MacroDataScript> steps;
        for (const HostInputEvent& e : c.events) recorder.Record(e, keys, steps);
        EXPECT_EQ(Encode(steps), c.expected);
        // Every recorded step is a real one: nothing the encoder would skip.
        for (const MacroDataScript& step : steps) EXPECT_NE(step.bScriptID, C::SCRIPT_COMMAND_BLANK);
    }
}

TEST(MacroRecording, StartForgetsThePreviousEvent) {
    KeyCode keys;
    MacroRecorder recorder;
    std::vector<MacroDataScript> steps;
    recorder.Record(HostInputEvent::Key(T::KeyDown, kMacA, 0, 1.0), keys, steps);
    recorder.Start();
    EXPECT_EQ(recorder.Record(HostInputEvent::Key(T::KeyUp, kMacA, 0, 9.0), keys, steps), 1u);
    EXPECT_EQ(Encode(steps), (Bytes{0x41, 0x04, 0x40, 0x04}));
}

TEST(MacroRecording, IntervalArithmetic) {
    EXPECT_EQ(MacroRecorder::IntervalMilliseconds(1.0, 1.2509), 250);  // truncated
    EXPECT_EQ(MacroRecorder::IntervalMilliseconds(0.0, 70.0), 4464);
    EXPECT_EQ(MacroRecorder::IntervalMilliseconds(0.0, 65.5355), 65535);
    EXPECT_EQ(MacroRecorder::IntervalMilliseconds(0.0, 65.5365), 0);
    EXPECT_EQ(MacroRecorder::IntervalMilliseconds(5.0, 4.0), 0);
    EXPECT_EQ(MacroRecorder::IntervalMilliseconds(0.0, std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(MacroRecorder::IntervalMilliseconds(0.0, std::numeric_limits<double>::quiet_NaN()), 0);
}

}  // namespace
}  // namespace kelvadeck
