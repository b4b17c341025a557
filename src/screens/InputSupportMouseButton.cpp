#include "screens/InputSupportMouseButton.h"

#include <QButtonGroup>
#include <QLabel>

#include "core/DataManager.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"

namespace kelvadeck {

using C = Constants;

InputSupportMouseButton::InputSupportMouseButton(DataManager& dm, QWidget* parent) : InputSupportDialog(dm, parent) {
    setObjectName(QStringLiteral("InputSupportMouseButton"));
    const StringTable& s = dm.Strings();
    m_lblMouseButtonTitle = MakeTitleLabel("m_lblMouseButtonTitle");
    m_lblMouseButtonTitle->setText(QString::fromStdString(s.Get("SCRIPT_ADD_INFO_MOUSE_BUTTON_TEXT")));
    m_rdoMouseButton = MakeChoices("m_rdoMouseButton",
                                   {{C::UI_BTN_ID_MOUSE_L, s.Get("MOUSE_NAME_L_CLICK")},
                                    {C::UI_BTN_ID_MOUSE_W, s.Get("MOUSE_NAME_WH_CLICK")},
                                    {C::UI_BTN_ID_MOUSE_R, s.Get("MOUSE_NAME_R_CLICK")},
                                    {C::UI_BTN_ID_MOUSE_B4, s.Get("MOUSE_NAME_B4_CLICK")},
                                    {C::UI_BTN_ID_MOUSE_B5, s.Get("MOUSE_NAME_B5_CLICK")},
                                    {C::UI_BTN_ID_MOUSE_BLANK1, ""}},
                                   3);
}

void InputSupportMouseButton::InitSetting() { Preselect(m_rdoMouseButton, pclsCurrentMDS.cOption2); }

void InputSupportMouseButton::ApplyToStep() {
    const int id = m_rdoMouseButton->checkedId();
    if (id < 0) return;  // nothing chosen: the step stays as it was
    MacroCreator::ValidateMacroForScriptMouseButton(pclsCurrentMDS, static_cast<uint8_t>(id));
}

}  // namespace kelvadeck
