#pragma once

#include "screens/InputSupportDialog.h"

class QLabel;
class QSpinBox;

namespace kelvadeck {

// The X and Y of a mouse move or a stick position, each -127 to 127: what
// the device keeps in a signed byte. A larger number cannot be typed.
class InputSupportMoveDistance : public InputSupportDialog {
    Q_OBJECT
public:
    InputSupportMoveDistance(DataManager& dm, QWidget* parent);

protected:
    void InitSetting() override;
    void ApplyToStep() override;
    QWidget* ValueControl() const override;

private:
    QSpinBox* Field(const char* name);

    QLabel* m_lblDistanceTitle = nullptr;
    QLabel* m_lblDistanceX = nullptr;
    QLabel* m_lblDistanceY = nullptr;
    QSpinBox* m_stpDistanceValueX = nullptr;
    QSpinBox* m_stpDistanceValueY = nullptr;
};

}  // namespace kelvadeck
