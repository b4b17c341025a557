#include "macro/MacroCreator.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <limits>
#include <utility>

#include "base/Logger.h"
#include "keys/KeyCode.h"
#include "keys/Utility.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
#include "model/FunctionCatalogues.h"
#include "model/StringTable.h"

namespace kelvadeck {

namespace {

using C = Constants;

// How one command byte decodes: its size, the editor's step kind, and for the
// one-byte mouse button steps the fixed values the editor keeps in the step
// (the button's bit in the mouse report and the button of the mouse dialog).
struct CommandInfo {
    uint8_t command;
    int32_t size;
    int32_t kind;
    bool isMouseButton;
    uint8_t mouseBit;
    uint8_t mouseButtonId;
};

constexpr CommandInfo kCommands[] = {
    {C::SCRIPT_COMMAND_INTERVAL, C::SCRIPT_SIZE_3, C::SCRIPT_ICON_IDX_INTERVAL, false, 0, 0},
    {C::SCRIPT_COMMAND_MOUSE_MOVE, C::SCRIPT_SIZE_3, C::SCRIPT_ICON_IDX_MOUSE_MOVE, false, 0, 0},
    {C::SCRIPT_COMMAND_JOY_L_LEVER, C::SCRIPT_SIZE_3, C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS, false, 0, 0},
    {C::SCRIPT_COMMAND_JOY_R_LEVER, C::SCRIPT_SIZE_3, C::SCRIPT_ICON_IDX_JOY_LEVER_R_PRESS, false, 0, 0},
    {C::SCRIPT_COMMAND_KEY_PRESS, C::SCRIPT_SIZE_2, C::SCRIPT_ICON_IDX_KEY_PRESS, false, 0, 0},
    {C::SCRIPT_COMMAND_KEY_RELEASE, C::SCRIPT_SIZE_2, C::SCRIPT_ICON_IDX_KEY_RELEASE, false, 0, 0},
    {C::SCRIPT_COMMAND_MULTIMEDIA_PRESS, C::SCRIPT_SIZE_2, C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS, false, 0, 0},
    {C::SCRIPT_COMMAND_MULTIMEDIA_RELESE, C::SCRIPT_SIZE_2, C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE, false, 0, 0},
    {C::SCRIPT_COMMAND_WHEEL_UP, C::SCRIPT_SIZE_2, C::SCRIPT_ICON_IDX_WHEEL_SCROLL, false, 0, 0},
    {C::SCRIPT_COMMAND_WHEEL_DOWN, C::SCRIPT_SIZE_2, C::SCRIPT_ICON_IDX_WHEEL_SCROLL, false, 0, 0},
    {C::SCRIPT_COMMAND_JOY_BUTTON_PRESS, C::SCRIPT_SIZE_2, C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS, false, 0, 0},
    {C::SCRIPT_COMMAND_JOY_BUTTON_RELESE, C::SCRIPT_SIZE_2, C::SCRIPT_ICON_IDX_JOY_BUTTON_RELEASE, false, 0, 0},
    {C::SCRIPT_COMMAND_JOY_HATSW_PRESS, C::SCRIPT_SIZE_2, C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS, false, 0, 0},
    {C::SCRIPT_COMMAND_L_CLICK, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_MOUSE_CLICK, true, C::MOUSE_DATA_LEFT_CLICK, C::UI_BTN_ID_MOUSE_L},
    {C::SCRIPT_COMMAND_L_RELEASE, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_MOUSE_RELEASE, true, C::MOUSE_DATA_LEFT_CLICK, C::UI_BTN_ID_MOUSE_L},
    {C::SCRIPT_COMMAND_R_CLICK, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_MOUSE_CLICK, true, C::MOUSE_DATA_RIGHT_CLICK, C::UI_BTN_ID_MOUSE_R},
    {C::SCRIPT_COMMAND_R_RELEASE, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_MOUSE_RELEASE, true, C::MOUSE_DATA_RIGHT_CLICK, C::UI_BTN_ID_MOUSE_R},
    {C::SCRIPT_COMMAND_W_CLICK, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_MOUSE_CLICK, true, C::MOUSE_DATA_WHEEL_CLICK, C::UI_BTN_ID_MOUSE_W},
    {C::SCRIPT_COMMAND_W_RELEASE, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_MOUSE_RELEASE, true, C::MOUSE_DATA_WHEEL_CLICK, C::UI_BTN_ID_MOUSE_W},
    {C::SCRIPT_COMMAND_B4_CLICK, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_MOUSE_CLICK, true, C::MOUSE_DATA_BUTTON4_CLICK, C::UI_BTN_ID_MOUSE_B4},
    {C::SCRIPT_COMMAND_B4_RELEASE, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_MOUSE_RELEASE, true, C::MOUSE_DATA_BUTTON4_CLICK, C::UI_BTN_ID_MOUSE_B4},
    {C::SCRIPT_COMMAND_B5_CLICK, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_MOUSE_CLICK, true, C::MOUSE_DATA_BUTTON5_CLICK, C::UI_BTN_ID_MOUSE_B5},
    {C::SCRIPT_COMMAND_B5_RELEASE, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_MOUSE_RELEASE, true, C::MOUSE_DATA_BUTTON5_CLICK, C::UI_BTN_ID_MOUSE_B5},
    {C::SCRIPT_COMMAND_JOY_HATSW_RELESE, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_JOY_HAT_SW_RELEASE, false, 0, 0},
    {C::SCRIPT_COMMAND_JOY_L_LEVER_CENTER, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_JOY_LEVER_L_RELEASE, false, 0, 0},
    {C::SCRIPT_COMMAND_JOY_R_LEVER_CENTER, C::SCRIPT_SIZE_1, C::SCRIPT_ICON_IDX_JOY_LEVER_R_RELEASE, false, 0, 0},
};
// Four three-byte commands, nine two-byte, thirteen one-byte.
static_assert(std::size(kCommands) == 26);

// The blank command (a step whose kind is not chosen yet) is not in the table:
// it is never written to the device.
const CommandInfo* FindCommand(uint8_t command) {
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [command](const CommandInfo& info) { return info.command == command; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

constexpr size_t kScriptLimit = static_cast<size_t>(FlashControl::FM_SCRIPT_DATA_MAX_SIZE);

// The number of leading steps that fit the device's limit, and their byte
// length. Steps without a command take no room and never stop the count.
size_t CountStepsThatFit(const std::vector<MacroDataScript>& steps, size_t& bytes) {
    bytes = 0;
    size_t count = 0;
    for (const MacroDataScript& step : steps) {
        const size_t size = static_cast<size_t>(MacroCreator::GetMacroSize(step.bScriptID));
        if (bytes + size > kScriptLimit) break;
        bytes += size;
        ++count;
    }
    return count;
}

std::string TextOrEmpty(const char* key, const StringTable& strings) {
    return key != nullptr ? strings.Get(key) : std::string{};
}

}  // namespace

void MacroCreator::Reset() {
    bScriptMode = 0;
    arCurrentMacroScript.clear();
    pbRawData.reset();
    dwTotalSize = 0;  // describes pbRawData, which is gone
}

bool MacroCreator::EncodeMacroData() {
    size_t bytes = 0;
    const size_t count = CountStepsThatFit(arCurrentMacroScript, bytes);

    std::vector<uint8_t> out;
    out.reserve(bytes);
    for (size_t i = 0; i < count; ++i) {
        const MacroDataScript& step = arCurrentMacroScript[i];
        const int32_t size = GetMacroSize(step.bScriptID);
        if (size == 0) continue;
        out.push_back(step.bScriptID);
        if (size >= C::SCRIPT_SIZE_2) out.push_back(static_cast<uint8_t>(step.cOption1));
        if (size >= C::SCRIPT_SIZE_3) out.push_back(static_cast<uint8_t>(step.cOption2));
    }

    dwTotalSize = out.size();
    pbRawData = std::move(out);
    return true;
}

size_t MacroCreator::EncodedSize(const std::vector<MacroDataScript>& steps) {
    size_t bytes = 0;
    for (const MacroDataScript& step : steps) bytes += static_cast<size_t>(GetMacroSize(step.bScriptID));
    return bytes;
}

size_t MacroCreator::StepsThatFit(const std::vector<MacroDataScript>& steps) {
    size_t bytes = 0;
    return CountStepsThatFit(steps, bytes);
}

int32_t MacroCreator::GetMacroSize(uint8_t command) {
    const CommandInfo* info = FindCommand(command);
    return info != nullptr ? info->size : 0;
}

int32_t MacroCreator::GetMacroSizeUseControlItemNo(int32_t controlItemNo) {
    switch (controlItemNo) {
        case C::SCRIPT_ICON_IDX_INTERVAL:
        case C::SCRIPT_ICON_IDX_MOUSE_MOVE:
        case C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS:
        case C::SCRIPT_ICON_IDX_JOY_LEVER_R_PRESS:
            return C::SCRIPT_SIZE_3;
        case C::SCRIPT_ICON_IDX_KEY_PRESS:
        case C::SCRIPT_ICON_IDX_KEY_RELEASE:
        case C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS:
        case C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE:
        case C::SCRIPT_ICON_IDX_WHEEL_SCROLL:
        case C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS:
        case C::SCRIPT_ICON_IDX_JOY_BUTTON_RELEASE:
        case C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS:
            return C::SCRIPT_SIZE_2;
        default:
            return C::SCRIPT_SIZE_1;
    }
}

bool MacroCreator::AnalyzeDataFromFlash(const uint8_t* data, int32_t size, const KeyCode& keyCode) {
    if (data == nullptr || size <= 0) return true;

    const size_t length = static_cast<size_t>(size);
    size_t pos = 0;
    while (pos < length) {
        const CommandInfo* info = FindCommand(data[pos]);
        if (info == nullptr) return false;
        const size_t stepSize = static_cast<size_t>(info->size);
        if (stepSize > length - pos) return false;  // operands cut off by the end

        MacroDataScript step;
        step.bScriptID = info->command;
        step.bControlItemNo = static_cast<uint8_t>(info->kind);
        step.nScriptSize = info->size;
        if (info->isMouseButton) {
            step.cOption1 = static_cast<int8_t>(info->mouseBit);
            step.cOption2 = static_cast<int8_t>(info->mouseButtonId);
        } else {
            if (stepSize >= 2) step.cOption1 = static_cast<int8_t>(data[pos + 1]);
            if (stepSize >= 3) step.cOption2 = static_cast<int8_t>(data[pos + 2]);
        }
        if (info->command == C::SCRIPT_COMMAND_INTERVAL) {
            // Wait time in milliseconds, high byte first.
            step.sOption = static_cast<uint16_t>((data[pos + 1] << 8) | data[pos + 2]);
        } else if (info->command == C::SCRIPT_COMMAND_KEY_PRESS || info->command == C::SCRIPT_COMMAND_KEY_RELEASE) {
            // The name on the layout in force now; a later layout change does not rename it.
            step.strAnalyzeRet1 = keyCode.GetKeyCodeStringFromUsb(data[pos + 1]);
        }

        arCurrentMacroScript.push_back(std::move(step));
        pos += stepSize;
    }
    return true;
}

bool MacroCreator::AnalyzeDataFromMyself(const KeyCode& keyCode) {
    if (!pbRawData.has_value()) return true;
    // dwTotalSize is what the bytes claim; never trust it past the buffer.
    const uint64_t available = std::min<uint64_t>(dwTotalSize, pbRawData->size());
    const auto length = static_cast<int32_t>(std::min<uint64_t>(available, std::numeric_limits<int32_t>::max()));
    const bool decoded = AnalyzeDataFromFlash(pbRawData->data(), length, keyCode);
    return decoded && static_cast<uint64_t>(length) == dwTotalSize;
}

std::optional<std::string> MacroCreator::GetContentName(const MacroDataScript& step, const StringTable& strings) {
    const char* key = nullptr;
    switch (step.bControlItemNo) {
        case C::SCRIPT_ICON_IDX_INTERVAL: key = "SCRIPT_INTERVAL_TEXT"; break;
        case C::SCRIPT_ICON_IDX_KEY_PRESS: key = "SCRIPT_KEY_PRESS_TEXT"; break;
        case C::SCRIPT_ICON_IDX_KEY_RELEASE: key = "SCRIPT_KEY_RELEASE_TEXT"; break;
        case C::SCRIPT_ICON_IDX_MOUSE_CLICK: key = "SCRIPT_MOUSE_CLICK_TEXT"; break;
        case C::SCRIPT_ICON_IDX_MOUSE_RELEASE: key = "SCRIPT_MOUSE_RELEASE_TEXT"; break;
        case C::SCRIPT_ICON_IDX_WHEEL_SCROLL:
            // A wheel step of the editor has no direction until the user picks one.
            if (step.bScriptID == C::SCRIPT_COMMAND_WHEEL_UP) key = "SCRIPT_WHEEL_UP_TEXT";
            else if (step.bScriptID == C::SCRIPT_COMMAND_WHEEL_DOWN) key = "SCRIPT_WHEEL_DOWN_TEXT";
            else key = "SCRIPT_WHEEL_SCROLL_TEXT";
            break;
        case C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS: key = "SCRIPT_JOY_LEVER_L_TEXT"; break;
        case C::SCRIPT_ICON_IDX_JOY_LEVER_L_RELEASE: key = "SCRIPT_JOY_LEVER_L_CENTER_TEXT"; break;
        case C::SCRIPT_ICON_IDX_JOY_LEVER_R_PRESS: key = "SCRIPT_JOY_LEVER_R_TEXT"; break;
        case C::SCRIPT_ICON_IDX_JOY_LEVER_R_RELEASE: key = "SCRIPT_JOY_LEVER_R_CENTER_TEXT"; break;
        case C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS: key = "SCRIPT_JOY_HATSW_PRESS_TEXT"; break;
        case C::SCRIPT_ICON_IDX_JOY_HAT_SW_RELEASE: key = "SCRIPT_JOY_HATSW_RELEASE_TEXT"; break;
        case C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS: key = "SCRIPT_JOY_BUTTON_PRESS_TEXT"; break;
        case C::SCRIPT_ICON_IDX_JOY_BUTTON_RELEASE: key = "SCRIPT_JOY_BUTTON_RELEASE_TEXT"; break;
        case C::SCRIPT_ICON_IDX_MOUSE_MOVE: key = "SCRIPT_MOUSE_MOVE_TEXT"; break;
        case C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS: key = "SCRIPT_MULTIMEDIA_PRESS_TEXT"; break;
        case C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE: key = "SCRIPT_MULTIMEDIA_RELEASE_TEXT"; break;
        default: return std::nullopt;
    }
    return strings.Get(key);
}

std::string MacroCreator::GetSetValueString(const MacroDataScript& step, const StringTable& strings) {
    const auto option1 = static_cast<uint8_t>(step.cOption1);
    switch (step.bControlItemNo) {
        case C::SCRIPT_ICON_IDX_INTERVAL:
            return std::to_string(step.sOption);  // milliseconds, 0..65535

        case C::SCRIPT_ICON_IDX_KEY_PRESS:
        case C::SCRIPT_ICON_IDX_KEY_RELEASE:
            return step.strAnalyzeRet1.value_or(std::string{});

        case C::SCRIPT_ICON_IDX_MOUSE_CLICK:
        case C::SCRIPT_ICON_IDX_MOUSE_RELEASE: {
            const char* key = nullptr;
            switch (step.bScriptID) {
                case C::SCRIPT_COMMAND_L_CLICK:
                case C::SCRIPT_COMMAND_L_RELEASE: key = "MOUSE_NAME_L_CLICK"; break;
                case C::SCRIPT_COMMAND_R_CLICK:
                case C::SCRIPT_COMMAND_R_RELEASE: key = "MOUSE_NAME_R_CLICK"; break;
                case C::SCRIPT_COMMAND_W_CLICK:
                case C::SCRIPT_COMMAND_W_RELEASE: key = "MOUSE_NAME_WH_CLICK"; break;
                case C::SCRIPT_COMMAND_B4_CLICK:
                case C::SCRIPT_COMMAND_B4_RELEASE: key = "MOUSE_NAME_B4_CLICK"; break;
                case C::SCRIPT_COMMAND_B5_CLICK:
                case C::SCRIPT_COMMAND_B5_RELEASE: key = "MOUSE_NAME_B5_CLICK"; break;
                default: break;
            }
            return TextOrEmpty(key, strings);
        }

        case C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS:
        case C::SCRIPT_ICON_IDX_JOY_LEVER_R_PRESS:
        case C::SCRIPT_ICON_IDX_MOUSE_MOVE:
            return std::to_string(static_cast<int>(step.cOption1)) + ", " + std::to_string(static_cast<int>(step.cOption2));

        case C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS: {
            const char* key = nullptr;
            switch (option1) {
                case C::HAT_SWITCH_NORTH: key = "JOYSTICK_HATSW_UP"; break;
                case C::HAT_SWITCH_SOUTH: key = "JOYSTICK_HATSW_DOWN"; break;
                case C::HAT_SWITCH_WEST: key = "JOYSTICK_HATSW_LEFT"; break;
                case C::HAT_SWITCH_EAST: key = "JOYSTICK_HATSW_RIGHT"; break;
                default: break;
            }
            return TextOrEmpty(key, strings);
        }

        case C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS:
        case C::SCRIPT_ICON_IDX_JOY_BUTTON_RELEASE:
            // The device counts buttons from 0, people from 1.
            return std::to_string(static_cast<int>(step.cOption1) + 1);

        case C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS:
        case C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE: {
            const char* key = nullptr;
            switch (option1) {
                case C::UI_BTN_ID_MULTIMEDIA_PLAY: key = "MULTIMEDIA_NAME_PLAY"; break;
                case C::UI_BTN_ID_MULTIMEDIA_PAUSE: key = "MULTIMEDIA_NAM_PAUSE"; break;
                case C::UI_BTN_ID_MULTIMEDIA_STOP: key = "MULTIMEDIA_NAM_STOP"; break;
                case C::UI_BTN_ID_MULTIMEDIA_REC: key = "MULTIMEDIA_NAM_REC"; break;
                case C::UI_BTN_ID_MULTIMEDIA_FORWORD: key = "MULTIMEDIA_NAM_FORWORD"; break;
                case C::UI_BTN_ID_MULTIMEDIA_REWIND: key = "MULTIMEDIA_NAM_REWIND"; break;
                case C::UI_BTN_ID_MULTIMEDIA_NEXT: key = "MULTIMEDIA_NAM_NEXT"; break;
                case C::UI_BTN_ID_MULTIMEDIA_PREVIOUS: key = "MULTIMEDIA_NAM_PREVIOUS"; break;
                case C::UI_BTN_ID_MULTIMEDIA_MUTE: key = "MULTIMEDIA_NAM_MUTE"; break;
                case C::UI_BTN_ID_MULTIMEDIA_VOLUMEUP: key = "MULTIMEDIA_NAM_VOLUMEUP"; break;
                case C::UI_BTN_ID_MULTIMEDIA_VOLUMEDOWN: key = "MULTIMEDIA_NAM_VOLUMEDOWN"; break;
                default: break;
            }
            return TextOrEmpty(key, strings);
        }

        default:
            // Wheel steps, stick and hat releases, and steps without a kind show no value.
            return {};
    }
}


// ---------------------------------------------------------------- action records

namespace {

constexpr size_t Idx(int32_t index) { return static_cast<size_t>(index); }

// Clears the record and writes the set type and the sensitivity around the
// payload the builder writes next.
void StartRecord(MacroDataDialFunc& action) {
    action.cFuncData.fill(0);
    action.cFuncData[Idx(C::DEVICE_DATA_SET_TYPE_IDX)] = static_cast<int8_t>(action.bScriptType);
    action.cFuncData[Idx(C::DEVICE_DATA_SENSE_IDX)] = static_cast<int8_t>(action.bSensitive);
}

void Put(MacroDataDialFunc& action, int32_t index, uint8_t value) {
    action.cFuncData[Idx(index)] = static_cast<int8_t>(value);
}

}  // namespace

void MacroCreator::CreateMacroForDialFuncKeyinputUSBKeyCode(MacroDataDialFunc& action, uint8_t usbKeyCode,
                                                           uint8_t modifierKey, uint8_t sensitivity,
                                                           const KeyCode& keyCode) {
    action.bScriptType = C::SET_TYPE_KEYBOARD_KEY;
    action.bSensitive = sensitivity;
    action.bKeyModifier = modifierKey;
    // 0x00 is no key and 0xFF a host key without a usage: the record then
    // carries the modifiers alone.
    if (usbKeyCode != 0x00 && usbKeyCode != 0xFF) {
        action.bKeyCode = usbKeyCode;
        action.pStrKey = keyCode.GetKeyCodeStringFromUsb(usbKeyCode);
    } else {
        action.bKeyCode = 0;
        action.pStrKey.reset();
    }
    StartRecord(action);
    Put(action, C::DEVICE_DATA_MODIFIER_IDX, action.bKeyModifier);
    Put(action, C::DEVICE_DATA_KEY1_IDX, action.bKeyCode);
}

void MacroCreator::CreateMacroForDialFuncKeyinputMacKeyCode(MacroDataDialFunc& action, uint8_t macKeyCode,
                                                           uint8_t modifierKey, uint8_t sensitivity,
                                                           const KeyCode& keyCode) {
    CreateMacroForDialFuncKeyinputUSBKeyCode(action, keyCode.ChangeKeyCodeMacToUsb(macKeyCode), modifierKey,
                                             sensitivity, keyCode);
}

void MacroCreator::CreateMacroForDialFuncMouseClick(MacroDataDialFunc& action, uint8_t typeIndex, uint8_t sensitivity) {
    action.bScriptType = typeIndex;
    action.bSensitive = sensitivity;
    switch (typeIndex) {
        case C::SET_TYPE_MOUSE_LCLICK: action.bButton1 = C::MOUSE_DATA_LEFT_CLICK; break;
        case C::SET_TYPE_MOUSE_RCLICK: action.bButton1 = C::MOUSE_DATA_RIGHT_CLICK; break;
        case C::SET_TYPE_MOUSE_WHCLICK: action.bButton1 = C::MOUSE_DATA_WHEEL_CLICK; break;
        case C::SET_TYPE_MOUSE_B4CLICK: action.bButton1 = C::MOUSE_DATA_BUTTON4_CLICK; break;
        case C::SET_TYPE_MOUSE_B5CLICK: action.bButton1 = C::MOUSE_DATA_BUTTON5_CLICK; break;
        case C::SET_TYPE_MOUSE_DCLICK: action.bButton1 = C::MOUSE_DATA_DOUBLE_CLICK; break;
        default: break;
    }
    StartRecord(action);
    Put(action, C::DEVICE_DATA_CLICK_IDX, action.bButton1);
}

void MacroCreator::CreateMacroForDialFuncMouseMove(MacroDataDialFunc& action, int8_t xdis, int8_t ydis,
                                                   uint8_t sensitivity) {
    action.bScriptType = C::SET_TYPE_MOUSE_MOVE;
    action.bSensitive = sensitivity;
    action.cMoveX = xdis;
    action.cMoveY = ydis;
    StartRecord(action);
    action.cFuncData[Idx(C::DEVICE_DATA_X_MOVE_IDX)] = xdis;
    action.cFuncData[Idx(C::DEVICE_DATA_Y_MOVE_IDX)] = ydis;
}

void MacroCreator::CreateMacroForDialFuncMouseWheel(MacroDataDialFunc& action, int8_t number, uint8_t sensitivity) {
    action.bScriptType = C::SET_TYPE_MOUSE_WHSCROLL;
    action.bSensitive = sensitivity;
    action.cMoveZ = number;
    StartRecord(action);
    action.cFuncData[Idx(C::DEVICE_DATA_WHEEL_IDX)] = number;
}

// Game pad buttons follow the JOY_BTN_BIT_* masks: one bit per button, buttons
// 1..8 in the first button byte, 9..13 in the second, so button 10 is byte 2 =
// 0x02 and buttons 11..13 are 0x04, 0x08, 0x10. The device names the button by
// the set type, so any distinct encoding plays; the masks are chosen because
// they are the game pad report's own layout. Records written elsewhere may
// carry button 10 as button 1's bit and buttons 11..13 one bit lower (0x02,
// 0x04, 0x08); the set type still decides, and decoding keeps the bytes as read.
bool MacroCreator::JoypadButtonBytes(uint8_t setType, uint8_t& byte1, uint8_t& byte2) {
    static constexpr uint16_t kMasks[] = {
        C::JOY_BTN_BIT_01, C::JOY_BTN_BIT_02, C::JOY_BTN_BIT_03, C::JOY_BTN_BIT_04, C::JOY_BTN_BIT_05,
        C::JOY_BTN_BIT_06, C::JOY_BTN_BIT_07, C::JOY_BTN_BIT_08, C::JOY_BTN_BIT_09, C::JOY_BTN_BIT_10,
        C::JOY_BTN_BIT_11, C::JOY_BTN_BIT_12, C::JOY_BTN_BIT_13,
    };
    static_assert(std::size(kMasks) == C::SET_TYPE_JOYPAD_B13 - C::SET_TYPE_JOYPAD_B01 + 1);
    if (setType < C::SET_TYPE_JOYPAD_B01 || setType > C::SET_TYPE_JOYPAD_B13) return false;
    const uint16_t mask = kMasks[setType - C::SET_TYPE_JOYPAD_B01];
    byte1 = static_cast<uint8_t>(mask >> 8);
    byte2 = static_cast<uint8_t>(mask & 0xFF);
    return true;
}

void MacroCreator::CreateMacroForDialFuncJoypadKey(MacroDataDialFunc& action, uint8_t typeIndex, uint8_t sensitivity) {
    action.bScriptType = typeIndex;
    action.bSensitive = sensitivity;
    action.bButton3 = C::HAT_SWITCH_NULL;
    uint8_t byte1 = 0;
    uint8_t byte2 = 0;
    if (JoypadButtonBytes(typeIndex, byte1, byte2)) {
        action.bButton1 = byte1;
        action.bButton2 = byte2;
    }
    StartRecord(action);
    Put(action, C::DEVICE_DATA_JOY_BUTTON1_IDX, action.bButton1);
    Put(action, C::DEVICE_DATA_JOY_BUTTON2_IDX, action.bButton2);
    Put(action, C::DEVICE_DATA_JOY_HAT_SW_IDX, action.bButton3);
}

void MacroCreator::CreateMacroForDialFuncJoypadHat(MacroDataDialFunc& action, uint8_t typeIndex, uint8_t sensitivity) {
    action.bScriptType = typeIndex;
    action.bSensitive = sensitivity;
    switch (typeIndex) {
        case C::SET_TYPE_JOYPAD_HSW_NORTH: action.bButton3 = C::HAT_SWITCH_NORTH; break;
        case C::SET_TYPE_JOYPAD_HSW_SOUTH: action.bButton3 = C::HAT_SWITCH_SOUTH; break;
        case C::SET_TYPE_JOYPAD_HSW_WEST: action.bButton3 = C::HAT_SWITCH_WEST; break;
        case C::SET_TYPE_JOYPAD_HSW_EAST: action.bButton3 = C::HAT_SWITCH_EAST; break;
        default: break;
    }
    StartRecord(action);
    Put(action, C::DEVICE_DATA_JOY_HAT_SW_IDX, action.bButton3);
}

void MacroCreator::CreateMacroForDialFuncJoypadMove(MacroDataDialFunc& action, uint8_t typeIndex, int8_t xdis,
                                                    int8_t ydis, uint8_t sensitivity) {
    action.bScriptType = typeIndex;
    action.bSensitive = sensitivity;
    action.cMoveX = xdis;
    action.cMoveY = ydis;
    action.bButton3 = C::HAT_SWITCH_NULL;  // the hat stays released while the stick moves
    StartRecord(action);
    Put(action, C::DEVICE_DATA_JOY_HAT_SW_IDX, action.bButton3);
    action.cFuncData[Idx(C::DEVICE_DATA_JOY_X_MOVE_IDX)] = xdis;
    action.cFuncData[Idx(C::DEVICE_DATA_JOY_Y_MOVE_IDX)] = ydis;
}

void MacroCreator::CreateMacroForDialFuncMultimedia(MacroDataDialFunc& action, uint8_t typeIndex, uint8_t sensitivity) {
    action.bScriptType = typeIndex;
    action.bSensitive = sensitivity;
    // Transport keys live in the first value byte, the volume keys in the second.
    uint8_t val1 = 0;
    uint8_t val2 = 0;
    bool known = true;
    switch (typeIndex) {
        case C::SET_TYPE_MULTIMEDIA_PLAY: val1 = C::MULTIMEDIA_DATA_PLAY; break;
        case C::SET_TYPE_MULTIMEDIA_PAUSE: val1 = C::MULTIMEDIA_DATA_PAUSE; break;
        case C::SET_TYPE_MULTIMEDIA_STOP: val1 = C::MULTIMEDIA_DATA_STOP; break;
        case C::SET_TYPE_MULTIMEDIA_REC: val1 = C::MULTIMEDIA_DATA_REC; break;
        case C::SET_TYPE_MULTIMEDIA_FORWORD: val1 = C::MULTIMEDIA_DATA_FORWARD; break;
        case C::SET_TYPE_MULTIMEDIA_REWIND: val1 = C::MULTIMEDIA_DATA_REWIND; break;
        case C::SET_TYPE_MULTIMEDIA_NEXT: val1 = C::MULTIMEDIA_DATA_NEXT; break;
        case C::SET_TYPE_MULTIMEDIA_PREVIOUS: val1 = C::MULTIMEDIA_DATA_PREVIOUS; break;
        case C::SET_TYPE_MULTIMEDIA_MUTE: val2 = C::MULTIMEDIA_DATA_MUTE; break;
        case C::SET_TYPE_MULTIMEDIA_VOLUMEUP: val2 = C::MULTIMEDIA_DATA_VOL_UP; break;
        case C::SET_TYPE_MULTIMEDIA_VOLUMEDOWN: val2 = C::MULTIMEDIA_DATA_VOL_DOWN; break;
        default: known = false; break;
    }
    if (known) {
        action.bButton1 = val1;
        action.bButton2 = val2;
    }
    StartRecord(action);
    Put(action, C::DEVICE_DATA_MULTIMEDIA_VAL1_IDX, action.bButton1);
    Put(action, C::DEVICE_DATA_MULTIMEDIA_VAL2_IDX, action.bButton2);
}

void MacroCreator::CreateMacroForDialFuncContinueNumber(MacroDataDialFunc& action, uint8_t typeIndex,
                                                        uint8_t sensitivity) {
    action.bScriptType = typeIndex;
    action.bSensitive = sensitivity;
    StartRecord(action);
}

void MacroCreator::CreateMacroForDialFuncMacro(MacroDataDialFunc& action, uint8_t typeIndex, uint8_t sensitivity) {
    action.bScriptType = typeIndex;
    action.bSensitive = sensitivity;
    StartRecord(action);
}

// ---------------------------------------------------------------- steps from input

namespace {

// Mac key codes of the modifier keys and the flag each one sets while down.
struct ModifierKey {
    uint16_t macKeyCode;
    uint32_t flag;
};
constexpr ModifierKey kModifierKeys[] = {
    {0x38, HostInputEvent::FLAG_SHIFT},   {0x3C, HostInputEvent::FLAG_SHIFT},     // Shift L, R
    {0x3B, HostInputEvent::FLAG_CONTROL}, {0x3E, HostInputEvent::FLAG_CONTROL},   // Control L, R
    {0x3A, HostInputEvent::FLAG_OPTION},  {0x3D, HostInputEvent::FLAG_OPTION},    // Option L, R
    {0x37, HostInputEvent::FLAG_COMMAND}, {0x36, HostInputEvent::FLAG_COMMAND},   // Command L, R
    {0x39, HostInputEvent::FLAG_CAPS_LOCK},                                       // Caps Lock
};

uint8_t UsageOf(uint16_t macKeyCode, const KeyCode& keyCode) {
    if (macKeyCode > 0xFF) return 0xFF;  // no key of the table
    return keyCode.ChangeKeyCodeMacToUsb(static_cast<uint8_t>(macKeyCode));
}

// The key fields every key step carries: the usage, the Mac code it came
// from, and the usage's name on the current layout.
void SetKey(MacroDataScript& step, uint16_t macKeyCode, const KeyCode& keyCode) {
    const uint8_t usage = UsageOf(macKeyCode, keyCode);
    step.cOption1 = static_cast<int8_t>(usage);
    step.cOption2 = static_cast<int8_t>(macKeyCode > 0xFF ? 0xFF : macKeyCode);
    step.strAnalyzeRet1 = keyCode.GetKeyCodeStringFromUsb(usage);
}

void LogLine(const Logger* logger, const std::string& text) {
    if (logger != nullptr) logger->Debug("MacroCreator : " + text);
}

}  // namespace

MacroDataScript MacroCreator::CreateMacroForScript(uint8_t command) {
    MacroDataScript step;
    step.bScriptID = command;
    step.nScriptSize = command == C::SCRIPT_COMMAND_BLANK ? 0 : GetMacroSize(command);
    return step;
}

MacroDataScript MacroCreator::CreateMacroForScriptUseDrag(int32_t controlItemNo) {
    MacroDataScript step;
    step.bControlItemNo = static_cast<uint8_t>(controlItemNo);
    step.nScriptSize = GetMacroSizeUseControlItemNo(controlItemNo);
    switch (controlItemNo) {
        case C::SCRIPT_ICON_IDX_INTERVAL:
            step.bScriptID = C::SCRIPT_COMMAND_INTERVAL;
            step.sOption = 1;  // a new wait starts at 1 ms
            step.cOption1 = 0;
            step.cOption2 = 1;
            break;
        case C::SCRIPT_ICON_IDX_KEY_PRESS: step.bScriptID = C::SCRIPT_COMMAND_KEY_PRESS; break;
        case C::SCRIPT_ICON_IDX_KEY_RELEASE: step.bScriptID = C::SCRIPT_COMMAND_KEY_RELEASE; break;
        case C::SCRIPT_ICON_IDX_JOY_LEVER_L_PRESS: step.bScriptID = C::SCRIPT_COMMAND_JOY_L_LEVER; break;
        case C::SCRIPT_ICON_IDX_JOY_LEVER_L_RELEASE: step.bScriptID = C::SCRIPT_COMMAND_JOY_L_LEVER_CENTER; break;
        case C::SCRIPT_ICON_IDX_JOY_LEVER_R_PRESS: step.bScriptID = C::SCRIPT_COMMAND_JOY_R_LEVER; break;
        case C::SCRIPT_ICON_IDX_JOY_LEVER_R_RELEASE: step.bScriptID = C::SCRIPT_COMMAND_JOY_R_LEVER_CENTER; break;
        case C::SCRIPT_ICON_IDX_JOY_BUTTON_PRESS: step.bScriptID = C::SCRIPT_COMMAND_JOY_BUTTON_PRESS; break;
        case C::SCRIPT_ICON_IDX_JOY_BUTTON_RELEASE: step.bScriptID = C::SCRIPT_COMMAND_JOY_BUTTON_RELESE; break;
        case C::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS: step.bScriptID = C::SCRIPT_COMMAND_JOY_HATSW_PRESS; break;
        case C::SCRIPT_ICON_IDX_JOY_HAT_SW_RELEASE: step.bScriptID = C::SCRIPT_COMMAND_JOY_HATSW_RELESE; break;
        case C::SCRIPT_ICON_IDX_MOUSE_MOVE: step.bScriptID = C::SCRIPT_COMMAND_MOUSE_MOVE; break;
        case C::SCRIPT_ICON_IDX_MULTIMEDIA_PRESS: step.bScriptID = C::SCRIPT_COMMAND_MULTIMEDIA_PRESS; break;
        case C::SCRIPT_ICON_IDX_MULTIMEDIA_RELEASE: step.bScriptID = C::SCRIPT_COMMAND_MULTIMEDIA_RELESE; break;
        default:
            // Mouse click, release and wheel: the button or direction is chosen
            // in the step dialog; until then the step writes nothing.
            step.bScriptID = C::SCRIPT_COMMAND_BLANK;
            break;
    }
    return step;
}

MacroDataScript MacroCreator::CreateMacroForScriptInterval(uint64_t milliseconds) {
    const auto ms = static_cast<uint16_t>(milliseconds & 0xFFFF);
    MacroDataScript step;
    step.bControlItemNo = C::SCRIPT_ICON_IDX_INTERVAL;
    step.bScriptID = C::SCRIPT_COMMAND_INTERVAL;
    step.nScriptSize = C::SCRIPT_SIZE_3;
    step.sOption = ms;
    step.cOption1 = static_cast<int8_t>(ms >> 8);
    step.cOption2 = static_cast<int8_t>(ms & 0xFF);
    return step;
}

MacroDataScript MacroCreator::CreateMacroForScriptKeyinput(const HostInputEvent& event, const HostInputEvent* /*oldEvent*/,
                                                           const KeyCode& keyCode) {
    using T = HostInputEvent::Type;
    MacroDataScript step;
    bool press = false;
    bool isKey = true;
    switch (event.type) {
        case T::KeyDown: press = true; break;
        case T::KeyUp: press = false; break;
        case T::FlagsChanged: {
            // A modifier went down when its flag is set after the change.
            const auto it = std::find_if(std::begin(kModifierKeys), std::end(kModifierKeys),
                                         [&](const ModifierKey& m) { return m.macKeyCode == event.macKeyCode; });
            press = it != std::end(kModifierKeys) && (event.modifierFlags & it->flag) != 0;
            break;
        }
        default: isKey = false; break;
    }
    if (isKey) {
        step.bControlItemNo = static_cast<uint8_t>(press ? C::SCRIPT_ICON_IDX_KEY_PRESS : C::SCRIPT_ICON_IDX_KEY_RELEASE);
        step.bScriptID = press ? C::SCRIPT_COMMAND_KEY_PRESS : C::SCRIPT_COMMAND_KEY_RELEASE;
        step.nScriptSize = C::SCRIPT_SIZE_2;
    }
    SetKey(step, event.macKeyCode, keyCode);
    return step;
}

MacroDataScript MacroCreator::CreateMacroForScriptMouse(const HostInputEvent& event) {
    struct Button {
        uint8_t click;
        uint8_t release;
    };
    // By the host's button number: left, right, wheel button, button 4, button 5.
    static constexpr Button kButtons[] = {
        {C::SCRIPT_COMMAND_L_CLICK, C::SCRIPT_COMMAND_L_RELEASE},
        {C::SCRIPT_COMMAND_R_CLICK, C::SCRIPT_COMMAND_R_RELEASE},
        {C::SCRIPT_COMMAND_W_CLICK, C::SCRIPT_COMMAND_W_RELEASE},
        {C::SCRIPT_COMMAND_B4_CLICK, C::SCRIPT_COMMAND_B4_RELEASE},
        {C::SCRIPT_COMMAND_B5_CLICK, C::SCRIPT_COMMAND_B5_RELEASE},
    };
    MacroDataScript step;
    if (event.mouseButton < 0 || event.mouseButton >= static_cast<int32_t>(std::size(kButtons))) return step;
    const Button& button = kButtons[static_cast<size_t>(event.mouseButton)];
    const bool down = event.pressure != 0.0;
    step.bControlItemNo = static_cast<uint8_t>(down ? C::SCRIPT_ICON_IDX_MOUSE_CLICK : C::SCRIPT_ICON_IDX_MOUSE_RELEASE);
    step.bScriptID = down ? button.click : button.release;
    step.nScriptSize = C::SCRIPT_SIZE_1;
    return step;
}

void MacroCreator::ValidateMacroForScriptKeyinput(MacroDataScript& step, const HostInputEvent& keyEvent,
                                                  const KeyCode& keyCode) {
    SetKey(step, keyEvent.macKeyCode, keyCode);
}

void MacroCreator::ValidateMacroForScriptJoysticHat(MacroDataScript& step, const HostInputEvent& keyEvent,
                                                    const KeyCode& keyCode) {
    switch (UsageOf(keyEvent.macKeyCode, keyCode)) {
        case 0x4F: step.cOption1 = static_cast<int8_t>(C::HAT_SWITCH_EAST); break;   // RightArrow
        case 0x50: step.cOption1 = static_cast<int8_t>(C::HAT_SWITCH_WEST); break;   // LeftArrow
        case 0x51: step.cOption1 = static_cast<int8_t>(C::HAT_SWITCH_SOUTH); break;  // DownArrow
        case 0x52: step.cOption1 = static_cast<int8_t>(C::HAT_SWITCH_NORTH); break;  // UpArrow
        default: break;
    }
}

void MacroCreator::ValidateMacroForScriptMouseButton(MacroDataScript& step, uint8_t mouseButtonId) {
    step.cOption2 = static_cast<int8_t>(mouseButtonId);
    const bool click = step.bControlItemNo == C::SCRIPT_ICON_IDX_MOUSE_CLICK;
    switch (mouseButtonId) {
        case C::UI_BTN_ID_MOUSE_L: step.bScriptID = click ? C::SCRIPT_COMMAND_L_CLICK : C::SCRIPT_COMMAND_L_RELEASE; break;
        case C::UI_BTN_ID_MOUSE_W: step.bScriptID = click ? C::SCRIPT_COMMAND_W_CLICK : C::SCRIPT_COMMAND_W_RELEASE; break;
        case C::UI_BTN_ID_MOUSE_R: step.bScriptID = click ? C::SCRIPT_COMMAND_R_CLICK : C::SCRIPT_COMMAND_R_RELEASE; break;
        case C::UI_BTN_ID_MOUSE_B4: step.bScriptID = click ? C::SCRIPT_COMMAND_B4_CLICK : C::SCRIPT_COMMAND_B4_RELEASE; break;
        case C::UI_BTN_ID_MOUSE_B5: step.bScriptID = click ? C::SCRIPT_COMMAND_B5_CLICK : C::SCRIPT_COMMAND_B5_RELEASE; break;
        default: break;
    }
}

void MacroCreator::ValidateMacroForScriptJoysticButton(MacroDataScript& step, uint8_t joysticButtonId,
                                                       const Logger* logger) {
    LogLine(logger, "ButtonID = " + std::to_string(joysticButtonId));
    step.cOption1 = static_cast<int8_t>(joysticButtonId);
}

void MacroCreator::ValidateMacroForScriptMultimediaButton(MacroDataScript& step, uint8_t multimediaButtonId) {
    step.cOption1 = static_cast<int8_t>(multimediaButtonId);
}

void MacroCreator::ValidateMacroForScriptMouseWheel(MacroDataScript& step, const HostInputEvent* mouseEventOld,
                                                    const HostInputEvent* mouseEventNew, const Logger* logger) {
    const double oldDelta = mouseEventOld != nullptr ? mouseEventOld->scrollDeltaY : 0.0;
    const double newDelta = mouseEventNew != nullptr ? mouseEventNew->scrollDeltaY : 0.0;
    LogLine(logger, std::to_string(newDelta - oldDelta));
    if (mouseEventNew == nullptr) return;
    // The amount byte stays as it is: steps made here always scroll by the
    // device's own step.
    step.bScriptID = newDelta > 0.0 ? C::SCRIPT_COMMAND_WHEEL_UP : C::SCRIPT_COMMAND_WHEEL_DOWN;
}

void MacroCreator::ValidateMacroForScriptMoveDistance(MacroDataScript& step, int32_t xdis, int32_t ydis) {
    step.cOption1 = static_cast<int8_t>(static_cast<uint8_t>(xdis & 0xFF));
    step.cOption2 = static_cast<int8_t>(static_cast<uint8_t>(ydis & 0xFF));
}

void MacroCreator::ValidateMacroForScriptNumber(MacroDataScript& step, int64_t num) {
    const auto value = static_cast<uint16_t>(static_cast<uint64_t>(num) & 0xFFFF);
    step.sOption = value;
    step.cOption1 = static_cast<int8_t>(value >> 8);
    step.cOption2 = static_cast<int8_t>(value & 0xFF);
}

// ---------------------------------------------------------------- remake from selections

namespace {

// The set type of the first catalogue entry with this function ID (0 when none).
uint8_t SetTypeOf(const FunctionCatalogues::List* list, uint8_t functionId) {
    if (list == nullptr) return C::SET_TYPE_NONE;
    const auto it = std::find_if(list->begin(), list->end(),
                                 [functionId](const FuncSettingElem& e) { return e.bID == functionId; });
    return it != list->end() ? it->bTypeNo : C::SET_TYPE_NONE;
}

// The first bytes of a dial preset file: a whole action record but its
// sensitivity. None when the file cannot be opened or is shorter.
constexpr size_t kPresetRecordBytes = static_cast<size_t>(C::DEVICE_DATA_LEN - 1);

std::optional<std::array<uint8_t, kPresetRecordBytes>> ReadPresetRecord(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::array<uint8_t, kPresetRecordBytes> bytes{};
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return std::nullopt;
    return bytes;
}

}  // namespace

void MacroCreator::RemakeBySetType(MacroDataDialFunc& action, uint8_t setType, uint8_t sensitivity,
                                   const KeyCode& keyCode) {
    if (setType == C::SET_TYPE_NUMBER_UP || setType == C::SET_TYPE_NUMBER_DOWN) {
        CreateMacroForDialFuncContinueNumber(action, setType, sensitivity);
    } else if (setType == C::SET_TYPE_KEYBOARD_KEY) {
        // The key and modifiers the user typed beside the catalogue.
        CreateMacroForDialFuncKeyinputUSBKeyCode(action, action.bKeyCode, action.bKeyModifier, sensitivity, keyCode);
    } else if (setType == C::SET_TYPE_JOYPAD_XY || setType == C::SET_TYPE_JOYPAD_ZRZ) {
        CreateMacroForDialFuncJoypadMove(action, setType, action.cMoveX, action.cMoveY, sensitivity);
    } else if (setType == C::SET_TYPE_MOUSE_MOVE) {
        CreateMacroForDialFuncMouseMove(action, action.cMoveX, action.cMoveY, sensitivity);
    } else if (setType == C::SET_TYPE_MOUSE_WHSCROLL) {
        CreateMacroForDialFuncMouseWheel(action, action.cMoveZ, sensitivity);
    } else if (setType >= C::SET_TYPE_JOYPAD_B01 && setType <= C::SET_TYPE_JOYPAD_B13) {
        CreateMacroForDialFuncJoypadKey(action, setType, sensitivity);
    } else if (setType >= C::SET_TYPE_JOYPAD_HSW_NORTH && setType <= C::SET_TYPE_JOYPAD_HSW_EAST) {
        CreateMacroForDialFuncJoypadHat(action, setType, sensitivity);
    } else if (setType >= C::SET_TYPE_MOUSE_LCLICK && setType <= C::SET_TYPE_MOUSE_DCLICK) {
        CreateMacroForDialFuncMouseClick(action, setType, sensitivity);
    } else if (setType >= C::SET_TYPE_MULTIMEDIA_PLAY && setType <= C::SET_TYPE_MULTIMEDIA_VOLUMEDOWN) {
        CreateMacroForDialFuncMultimedia(action, setType, sensitivity);
    } else if (setType >= C::SET_TYPE_ENCODER_SCRIPT1 && setType <= C::SET_TYPE_ENCODER_SCRIPT3) {
        CreateMacroForDialFuncMacro(action, setType, sensitivity);
    } else {
        action.Reset();
    }
}

bool MacroCreator::RemakeDialFuncSettingFromSetting(MacroDataDialFunc& action, uint8_t item1, uint8_t item2,
                                                    uint8_t item3, uint8_t sensitivity,
                                                    const FunctionCatalogues& catalogues, const Utility& utility,
                                                    const KeyCode& keyCode, const Logger* logger) {
    if (item1 == C::APP_DATA_DIAL_FUNC_CATEGORY_ID_PRESET) {
        // The record is taken as the preset file stores it. A file that cannot
        // be read leaves the record alone: an action of zeros would silently
        // switch the dial direction off.
        const std::optional<std::string> path =
            utility.GetPresetFileName(Utility::PRESET_KIND_DIAL, item1, item2, item3);
        const auto bytes = path ? ReadPresetRecord(*path) : std::nullopt;
        if (!bytes) {
            LogLine(logger, "Presetファイルの取得に失敗");
            return false;
        }
        action.strDatName = path;
        action.cFuncData.fill(0);
        for (size_t i = 0; i < bytes->size(); ++i) action.cFuncData[i] = static_cast<int8_t>((*bytes)[i]);
        action.cFuncData[Idx(C::DEVICE_DATA_SENSE_IDX)] = static_cast<int8_t>(sensitivity);
        action.bSensitive = sensitivity;
        return true;
    }

    action.strDatName.reset();  // no longer taken from a preset file
    const FunctionCatalogues::List* list = nullptr;
    switch (item1) {
        case C::APP_DATA_DIAL_FUNC_CATEGORY_ID_KEY: list = &catalogues.arDF_FuncList_Key; break;
        case C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MOUSE: list = &catalogues.arDF_FuncList_Mouse; break;
        case C::APP_DATA_DIAL_FUNC_CATEGORY_ID_GAMEPAD: list = &catalogues.arDF_FuncList_Gamepad; break;
        case C::APP_DATA_DIAL_FUNC_CATEGORY_ID_MULTIMEDIA: list = &catalogues.arDF_FuncList_Multimedia; break;
        case C::APP_DATA_DIAL_FUNC_CATEGORY_ID_USERDIALMACRO: list = &catalogues.arDF_FuncList_UserDialMacro; break;
        default: break;
    }
    RemakeBySetType(action, SetTypeOf(list, item3), sensitivity, keyCode);
    return true;
}

bool MacroCreator::RemakeSwitchFuncSettingFromSetting(MacroDataDialFunc& action, uint8_t item1, uint8_t /*item2*/,
                                                      uint8_t item3, const FunctionCatalogues& catalogues,
                                                      const KeyCode& keyCode) {
    // Buttons use the dial's lists; general, macro and preset selections are
    // played from switch scripts and leave no action here.
    action.strDatName.reset();
    const FunctionCatalogues::List* list = nullptr;
    switch (item1) {
        case C::APP_DATA_FUNC_CATEGORY_ID_KEY: list = &catalogues.arDF_FuncList_Key; break;
        case C::APP_DATA_FUNC_CATEGORY_ID_MOUSE: list = &catalogues.arDF_FuncList_Mouse; break;
        case C::APP_DATA_FUNC_CATEGORY_ID_GAMEPAD: list = &catalogues.arDF_FuncList_Gamepad; break;
        case C::APP_DATA_FUNC_CATEGORY_ID_MULTIMEDIA: list = &catalogues.arDF_FuncList_Multimedia; break;
        default: break;
    }
    RemakeBySetType(action, SetTypeOf(list, item3), 0, keyCode);
    return true;
}

}  // namespace kelvadeck
