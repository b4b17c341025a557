#include "screenlogic/ChangeName.h"

#include <optional>

#include "model/Constants.h"
#include "model/FlashControl.h"
#include "model/StringTable.h"
#include "screenlogic/TextTemplate.h"

namespace kelvadeck {

namespace {

using C = Constants;
using F = FlashControl;

bool Differs(const uint8_t* before, const uint8_t* after, int32_t address, int32_t size) {
    for (int32_t i = address; i < address + size; ++i) {
        if (before[i] != after[i]) return true;
    }
    return false;
}

}  // namespace

std::string ChangeName::Describe(const std::vector<int>& sectors, const uint8_t* before, const uint8_t* after,
                                 const StringTable& strings) {
    if (sectors != std::vector<int>{0} || before == nullptr || after == nullptr) return {};
    std::optional<std::string> name;
    bool several = false;
    const auto note = [&](bool changed, const std::string& part) {
        if (!changed || part == name) return;
        several = several || name.has_value();
        name = part;
    };
    note(Differs(before, after, F::FM_BASE_SETTING_ST_ADR, F::FM_BASE_SETTING_SIZE), strings.Get("UNDO_PART_SYSTEM"));
    note(Differs(before, after, F::FM_ENCODER_SCRIPT_ST_ADR, F::FM_ENCODER_SCRIPT_SETTING_AREA_SIZE), strings.Get("UNDO_PART_DIAL_MACROS"));
    for (int m = 0; m < C::MODE_NUM; ++m) {
        const std::string mode = std::to_string(m + 1);
        note(Differs(before, after, F::ModeSettingAddress(m), F::FM_BASE_MODE_SETTING_SIZE),
             TextTemplate::Fill(strings.Get("UNDO_PART_MODE"), {mode}));
        for (int f = 0; f < C::FUNCTION_NUM; ++f) {
            const bool changed = Differs(before, after, F::DialFunctionAddress(m, f), F::FM_FUNCTION_SETTING_SIZE_FUNC) ||
                                 Differs(before, after, F::DialSelectionAddress(m, f), F::FM_APP_FUNC_SETTING_SIZE_FUNC) ||
                                 Differs(before, after, F::FunctionNameAddress(m, f), F::FM_FUNCTION_NAME_ST_SIZE);
            note(changed, TextTemplate::Fill(strings.Get("UNDO_PART_DIAL_FUNCTION"), {std::to_string(f + 1), mode}));
        }
        for (int b = 0; b < C::BUTTON_NUM; ++b) {
            const bool changed = Differs(before, after, F::SwitchSelectionAddress(m, b), F::FM_APP_SW_SETTING_SIZE_DATA) ||
                                 Differs(before, after, F::SwitchFunctionAddress(m, b), F::FM_SW_FUNCTION_SETTING_SIZE_FUNC);
            note(changed, b == C::BUTTON_11_ID ? TextTemplate::Fill(strings.Get("UNDO_PART_DIAL_PUSH"), {mode})
                                               : TextTemplate::Fill(strings.Get("UNDO_PART_KEY"), {std::to_string(b + 1), mode}));
        }
    }
    return several ? std::string() : name.value_or(std::string());
}

}  // namespace kelvadeck
