#pragma once

#include "screens/InputSupportDialog.h"

namespace kelvadeck {

// The button of a mouse click or release step: left, wheel, right, 4 or 5.
class InputSupportMouseButton : public InputSupportDialog {
    Q_OBJECT
public:
    InputSupportMouseButton(DataManager& dm, QWidget* parent);

protected:
    void InitSetting() override;
    void ApplyToStep() override;

private:
    QLabel* m_lblMouseButtonTitle = nullptr;
    QButtonGroup* m_rdoMouseButton = nullptr;
};

}  // namespace kelvadeck
