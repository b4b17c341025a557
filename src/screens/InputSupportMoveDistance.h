#pragma once

#include "screens/InputSupportDialog.h"

class QLabel;
class QLineEdit;
class QSpinBox;

namespace kelvadeck {

// The X and Y of a mouse move or a stick position. The device keeps a
// signed byte each: larger numbers are stored by their low 8 bits (200
// becomes -56).
class InputSupportMoveDistance : public InputSupportDialog {
    Q_OBJECT
public:
    InputSupportMoveDistance(DataManager& dm, QWidget* parent);

protected:
    void InitSetting() override;
    void ApplyToStep() override;

private:
    QLineEdit* Field(const char* name, QSpinBox*& stepper, long* value);

    QLabel* m_lblDistanceTitle = nullptr;
    QLabel* m_lblDistanceX = nullptr;
    QLabel* m_lblDistanceY = nullptr;
    QLineEdit* m_txtDistanceValueX = nullptr;
    QLineEdit* m_txtDistanceValueY = nullptr;
    QSpinBox* m_stpDistanceValueX = nullptr;
    QSpinBox* m_stpDistanceValueY = nullptr;
    long m_nDistanceXValue = 0;
    long m_nDistanceYValue = 0;
};

}  // namespace kelvadeck
