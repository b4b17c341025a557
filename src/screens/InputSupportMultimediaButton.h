#pragma once

#include "screens/InputSupportDialog.h"

namespace kelvadeck {

// The key of a multimedia press or release step: play, pause ... volume down.
class InputSupportMultimediaButton : public InputSupportDialog {
    Q_OBJECT
public:
    InputSupportMultimediaButton(DataManager& dm, QWidget* parent);

protected:
    void InitSetting() override;
    void ApplyToStep() override;

private:
    QLabel* m_lblMultimediaButtonTitle = nullptr;
    QButtonGroup* m_rdoMultimediaButton = nullptr;
};

}  // namespace kelvadeck
