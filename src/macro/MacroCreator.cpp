#include "macro/MacroCreator.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>

#include "keys/KeyCode.h"
#include "model/Constants.h"
#include "model/FlashControl.h"
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

}  // namespace kelvadeck
