#include "screenlogic/DialMacroSetForm.h"

#include "model/Constants.h"
#include "screenlogic/MacroSlotName.h"

namespace kelvadeck {

namespace {

using C = Constants;

constexpr size_t kPlaces = C::ENCODER_SCRIPT_SCRIPTSET_MAX_NUM;

}  // namespace

std::vector<int> DialMacroSetForm::Rows(const DialMacroInfo& set) {
    std::vector<int> rows(kPlaces, 0);
    for (size_t i = 0; i < kPlaces && i < set.arDialMacroNoList.size(); ++i) rows[i] = set.arDialMacroNoList[i];
    return rows;
}

bool DialMacroSetForm::Loop(const DialMacroInfo& set) { return set.bDialMacroRoopFlag == C::ENCODER_SCRIPT_LOOP_SET_LOOP; }

bool DialMacroSetForm::HasChanges(const std::vector<int>& rows, bool loop, const DialMacroInfo& set) {
    return rows != Rows(set) || loop != Loop(set);
}

std::vector<DialMacroSetForm::Choice> DialMacroSetForm::Choices(const std::vector<ScriptElem>& scripts,
                                                                const StringTable& strings) {
    std::vector<Choice> choices;
    choices.reserve(C::SCRIPT_USER_USE_NUM + 1);
    choices.push_back({0, strings.Get("MACRO_NAME_UNSETTING")});
    for (int n = 1; n <= C::SCRIPT_USER_USE_NUM; ++n) choices.push_back(ExtraChoice(n, scripts, strings));
    return choices;
}

DialMacroSetForm::Choice DialMacroSetForm::ExtraChoice(int scriptNo, const std::vector<ScriptElem>& scripts,
                                                       const StringTable& strings) {
    const ScriptElem none;
    const bool exists = scriptNo >= 1 && static_cast<size_t>(scriptNo) <= scripts.size();
    const ScriptElem& slot = exists ? scripts[static_cast<size_t>(scriptNo - 1)] : none;
    return {scriptNo, MacroSlotName::DialMacroChoiceText(scriptNo, slot, strings)};
}

DialMacroInfo DialMacroSetForm::Build(const std::vector<int>& rows, bool loop) {
    DialMacroInfo set;
    for (size_t i = 0; i < rows.size() && i < kPlaces; ++i) {
        const int n = rows[i];
        if (n >= 1 && n <= C::SCRIPT_NUM) set.arDialMacroNoList.push_back(static_cast<uint8_t>(n));
    }
    set.bDialMacroSetNum = static_cast<uint8_t>(set.arDialMacroNoList.size());
    set.arDialMacroNoList.resize(kPlaces, 0);
    set.bDialMacroRoopFlag = loop ? C::ENCODER_SCRIPT_LOOP_SET_LOOP : C::ENCODER_SCRIPT_LOOP_SET_NONE;
    return set;
}

}  // namespace kelvadeck
