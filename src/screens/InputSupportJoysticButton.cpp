#include "screens/InputSupportJoysticButton.h"

#include <QButtonGroup>
#include <QLabel>
#include <cstdio>

#include "core/DataManager.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"

namespace kelvadeck {

using C = Constants;

InputSupportJoysticButton::InputSupportJoysticButton(DataManager& dm, QWidget* parent) : InputSupportDialog(dm, parent) {
    setObjectName(QStringLiteral("InputSupportJoysticButton"));
    m_lblJoysticButtonTitle = MakeTitleLabel("m_lblJoysticButtonTitle");
    m_lblJoysticButtonTitle->setText(QString::fromStdString(dm.Strings().Get("SCRIPT_ADD_INFO_JOY_BUTTON_TEXT")));
    // Buttons 1 to 13; the last two places are placeholders the device has no button for.
    std::vector<std::pair<int, std::string>> choices;
    for (int id = C::UI_BTN_ID_JOYSTIC_1; id <= C::UI_BTN_ID_JOYSTIC_15; ++id) {
        char title[8];
        std::snprintf(title, sizeof title, "%02d", id + 1);
        choices.emplace_back(id, id <= C::UI_BTN_ID_JOYSTIC_13 ? title : "");
    }
    m_rdoJoysticButton = MakeChoices("m_rdoJoysticButton", choices, 5);
}

void InputSupportJoysticButton::InitSetting() { Preselect(m_rdoJoysticButton, pclsCurrentMDS.cOption1); }

void InputSupportJoysticButton::ApplyToStep() {
    const int id = m_rdoJoysticButton->checkedId();
    if (id < 0) return;
    MacroCreator::ValidateMacroForScriptJoysticButton(pclsCurrentMDS, static_cast<uint8_t>(id), &m_dm.Log());
}

}  // namespace kelvadeck
