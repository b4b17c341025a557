#pragma once

#include "screens/InputSupportDialog.h"

class QLabel;
class QLineEdit;
class QSpinBox;

namespace kelvadeck {

// The wait of an interval step in milliseconds. The device keeps 16 bits:
// a larger number is stored modulo 65536 (70000 becomes 4464).
class InputSupportNumberInput : public InputSupportDialog {
    Q_OBJECT
public:
    InputSupportNumberInput(DataManager& dm, QWidget* parent);

    long long Number() const { return m_nNumber; }

protected:
    void InitSetting() override;
    void ApplyToStep() override;

private:
    QLabel* m_lblNumberTitle = nullptr;
    QLineEdit* m_txtNumber = nullptr;
    QSpinBox* m_stpNumber = nullptr;
    long long m_nNumber = 0;
};

}  // namespace kelvadeck
