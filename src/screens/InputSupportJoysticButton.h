#pragma once

#include "screens/InputSupportDialog.h"

namespace kelvadeck {

// The button of a game pad button step: 1 to 13.
class InputSupportJoysticButton : public InputSupportDialog {
    Q_OBJECT
public:
    InputSupportJoysticButton(DataManager& dm, QWidget* parent);

protected:
    void InitSetting() override;
    void ApplyToStep() override;

private:
    QLabel* m_lblJoysticButtonTitle = nullptr;
    QButtonGroup* m_rdoJoysticButton = nullptr;
};

}  // namespace kelvadeck
