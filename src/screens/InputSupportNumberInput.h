#pragma once

#include "screens/InputSupportDialog.h"

class QLabel;
class QSpinBox;

namespace kelvadeck {

// The wait of an interval step in milliseconds, 0 to 65535: what the device
// keeps in 16 bits. A larger number cannot be typed.
class InputSupportNumberInput : public InputSupportDialog {
    Q_OBJECT
public:
    InputSupportNumberInput(DataManager& dm, QWidget* parent);

protected:
    void InitSetting() override;
    void ApplyToStep() override;
    QWidget* ValueControl() const override;

private:
    QLabel* m_lblNumberTitle = nullptr;
    QSpinBox* m_stpNumber = nullptr;
};

}  // namespace kelvadeck
