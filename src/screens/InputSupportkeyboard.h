#pragma once

#include <cstdint>

#include "screens/InputSupportDialog.h"

namespace kelvadeck {

class KeyInputReceiver;

// The key of a key press or release step, or the direction of a hat switch
// press (taken from an arrow key). The key is captured as the user types it,
// on the keyboard layout the user chose; the dialog closes on the key's
// release or on a modifier key. A hat step ignores every key but the arrows.
// Until a key is taken there is nothing to confirm.
class InputSupportkeyboard : public InputSupportDialog {
    Q_OBJECT
public:
    InputSupportkeyboard(DataManager& dm, QWidget* parent);

    KeyInputReceiver* KeyInput() const { return m_vwKeyInput; }
    uint8_t NewMacKeyCode() const { return bNewMacKeyCode; }

    void GetEventCallBack();
    void FinishKeyInput();

protected:
    void InitSetting() override;
    void ApplyToStep() override;
    bool HasValue() const override;
    QWidget* ValueControl() const override;

private:
    bool IsHatStep() const;

    QLabel* m_lblKeyboardTitle = nullptr;
    KeyInputReceiver* m_vwKeyInput = nullptr;
    uint8_t bNewMacKeyCode = 0;
};

}  // namespace kelvadeck
