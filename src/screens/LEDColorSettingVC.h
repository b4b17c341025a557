#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <string>

#include "screens/ScreenContext.h"
#include "screens/ScreenJob.h"

class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace kelvadeck {

// The LED colour screen: red, green and blue (each a slider and a spin box
// that follow each other) and a brightness choice for one
// mode or one dial function of the current mode. Every change lights the
// device's LED in that colour for a while; Apply stores the colour and writes
// it to the device, Cancel leaves everything as it was.
class LEDColorSettingVC : public QDialog {
    Q_OBJECT
public:
    static constexpr uint8_t LEDSTS_NONE = ScreenJob::IDLE;
    static constexpr uint8_t LEDSTS_PREVIEW = 1;
    static constexpr uint8_t LEDSTS_WRITE_DATA = 2;
    static constexpr int FROM_TOP_VC = 100;
    static constexpr int FROM_DIAL_FUNC_VC = 101;

    LEDColorSettingVC(ScreenContext& context, QWidget* parent = nullptr);
    ~LEDColorSettingVC() override;

    // Called by the opener before the screen is shown: what is edited (1 to 3
    // a mode, 4 to 7 a dial function of the current mode) and who asks.
    void SetSelectTagNo(long tag, int fromVCID);
    void InitControl();
    void BlockedControl(bool block);
    bool IsTimerRunning() const { return m_job->IsTimerRunning(); }
    void ChangeRGBValue();
    void ClickBrightness(int level);
    void RequestPreview();
    void ClickCancel();
    void ClickSubmit();

    long R() const { return m_nR; }
    long G() const { return m_nG; }
    long B() const { return m_nB; }
    long Brightness() const { return m_nBrightness; }
    uint8_t bVCStatus() const { return m_job->State(); }

protected:
    void reject() override;

private:
    struct Channel {
        QLabel* name = nullptr;
        QSpinBox* stepper = nullptr;
        QLabel* min = nullptr;
        QLabel* max = nullptr;
        QSlider* slider = nullptr;
        long* value = nullptr;
    };

    void BuildControls();
    // A channel's control moved: the others follow, then the preview.
    void SetChannel(Channel& channel, long value, QObject* source);
    void ShowSwatch();

    ScreenContext& m_ctx;
    ScreenJob* m_job = nullptr;

    long m_nR = 0;
    long m_nG = 0;
    long m_nB = 0;
    long m_nBrightness = 0;
    long m_nOldR = 0;
    long m_nOldG = 0;
    long m_nOldB = 0;
    long m_nOldBrightness = 0;
    // Red, green, blue and brightness as stored when the screen opened.
    std::array<long, 4> m_stored{};
    long m_lCurrentSelectColorView = 0;
    int m_nFromVCID = 0;

    QGroupBox* m_boxLEDColor = nullptr;
    QFrame* m_cvColorSelectArea = nullptr;
    std::array<Channel, 3> m_channels{};
    QGroupBox* m_boxBrightness = nullptr;
    QFrame* m_cvBrightnessArea = nullptr;
    QButtonGroup* m_rbtnBrightness = nullptr;
    QFrame* m_cvSwatch = nullptr;
    QLabel* m_lblMessage = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnSubmit = nullptr;
};

}  // namespace kelvadeck
