#include "screens/InputSupportkeyboard.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/DataManager.h"
#include "macro/MacroCreator.h"
#include "model/Constants.h"
#include "screens/KeyInputReceiver.h"

namespace kelvadeck {

namespace {

// Mac key codes of the arrow keys: left, right, down, up.
bool IsArrowKey(uint16_t macKeyCode) { return macKeyCode >= 0x7B && macKeyCode <= 0x7E; }

}  // namespace

InputSupportkeyboard::InputSupportkeyboard(DataManager& dm, QWidget* parent) : InputSupportDialog(dm, parent) {
    setObjectName(QStringLiteral("InputSupportkeyboard"));
    m_lblKeyboardTitle = MakeTitleLabel("m_lblKeyboardTitle");
    m_vwKeyInput = new KeyInputReceiver(this);
    Body()->addWidget(m_vwKeyInput);
    m_vwKeyInput->SetCallBack([this] { GetEventCallBack(); });
    // The buttons must not take the keys meant for the capture view.
    m_btnCancel->setFocusPolicy(Qt::NoFocus);
    m_btnSubmit->setFocusPolicy(Qt::NoFocus);
}

bool InputSupportkeyboard::IsHatStep() const {
    return pclsCurrentMDS.bControlItemNo == Constants::SCRIPT_ICON_IDX_JOY_HAT_SW_PRESS;
}

void InputSupportkeyboard::InitSetting() {
    m_lblKeyboardTitle->setText(
        QString::fromStdString(m_dm.Strings().Get(IsHatStep() ? "SCRIPT_ADD_INFO_JOY_HATSW_TEXT" : "SCRIPT_ADD_INFO_KEY_TEXT")));
}

QWidget* InputSupportkeyboard::ValueControl() const { return m_vwKeyInput; }

bool InputSupportkeyboard::HasValue() const {
    const auto& event = m_vwKeyInput->pNewEvent();
    return event && (!IsHatStep() || IsArrowKey(event->macKeyCode));
}

void InputSupportkeyboard::GetEventCallBack() {
    const auto& event = m_vwKeyInput->pNewEvent();
    if (!event) return;
    bNewMacKeyCode = static_cast<uint8_t>(event->macKeyCode);
    if (HasValue()) FinishKeyInput();
}

void InputSupportkeyboard::FinishKeyInput() {
    ApplyToStep();
    Finish();
}

void InputSupportkeyboard::ApplyToStep() {
    const auto& event = m_vwKeyInput->pNewEvent();
    if (!HasValue()) return;
    if (IsHatStep()) {
        MacroCreator::ValidateMacroForScriptJoysticHat(pclsCurrentMDS, *event, m_dm.pKeyCode());
    } else {
        MacroCreator::ValidateMacroForScriptKeyinput(pclsCurrentMDS, *event, m_dm.pKeyCode());
    }
}

}  // namespace kelvadeck
