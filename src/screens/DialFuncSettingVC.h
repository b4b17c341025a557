#pragma once

#include <QDialog>
#include <QPointer>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "macro/HostInputEvent.h"
#include "screenlogic/DialFuncForm.h"
#include "screens/ScreenContext.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QTimer;
class QWidget;

namespace kelvadeck {

class Stepper;

// The dial function setting screen: the four dial functions of the current
// mode, each with a name and an LED colour, and for the function being edited
// what a clockwise and a counter-clockwise step do, picked per side in three
// cascading tables, with a sensitivity and, where the function needs one, a
// key (captured from the keyboard) with modifiers, a distance or a wheel
// number. Submit writes the whole mode to the device; Cancel drops every edit
// (a colour chosen on the LED colour screen is already stored by that screen).
class DialFuncSettingVC : public QDialog {
    Q_OBJECT
public:
    static constexpr uint8_t VCSTS_IDLE = 0;
    static constexpr uint8_t VCSTS_WRITING = 1;
    // Who opens the LED colour screen, as that screen knows it.
    static constexpr int VC_ID = 101;

    DialFuncSettingVC(ScreenContext& context, QWidget* parent = nullptr);
    ~DialFuncSettingVC() override;

    void SetDialFuncID(uint8_t func);
    void StartTimerForUpdateWindow(bool redraw);
    void StopTimerForUpdateWindow();
    bool IsTimerRunning() const;
    void UpdateAppWindow();
    void BlockedControl(bool block);

    void ClickDFSelect(int func);
    void ClickLEDColorSelect(long tag);
    void ClickSubmit();
    void ClickCancel();

    uint8_t bVCStatus() const { return m_bVCStatus; }
    const DialFuncForm& Form() const { return m_form; }
    // The LED colour screen opened from here, while it is open.
    QDialog* ColorScreen() const { return m_colorScreen.data(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    // The controls of one turning direction (suffix _R clockwise, _L counter-clockwise).
    struct Side {
        bool right = true;
        QGroupBox* box = nullptr;
        QListWidget* tblCategory = nullptr;
        QListWidget* tblApplication = nullptr;
        QListWidget* tblDetail = nullptr;
        QWidget* cvSensitiveSetting = nullptr;
        QLabel* lblSensitiveTitle = nullptr;
        QSlider* sldSensitiveValue = nullptr;
        QLineEdit* txtSensitiveValue = nullptr;
        Stepper* stpSensitiveValue = nullptr;
        QLabel* lblSensitiveMin = nullptr;
        QLabel* lblSensitiveMax = nullptr;
        QWidget* cvKeyInputSetting = nullptr;
        QLabel* lblKeyInputTitle = nullptr;
        QLineEdit* txtKeyInputValue = nullptr;
        QPushButton* btnValueClear = nullptr;
        QCheckBox* chkControl = nullptr;
        QCheckBox* chkShift = nullptr;
        QCheckBox* chkAlt = nullptr;
        QCheckBox* chkCommand = nullptr;
        QWidget* cvDistanceSetting = nullptr;
        QLabel* lblDistanceTitle = nullptr;
        QLineEdit* txtDistanceValueX = nullptr;
        Stepper* stpDistanceValueX = nullptr;
        QLineEdit* txtDistanceValueY = nullptr;
        Stepper* stpDistanceValueY = nullptr;
        QWidget* cvNumInputSetting = nullptr;
        QLabel* lblNumInputTitle = nullptr;
        QLineEdit* txtNumInputValue = nullptr;
        Stepper* stpNumInputValue = nullptr;
        int m_nSensitiveValue = DialFuncForm::SENSITIVITY_HIGHEST;
        int m_nDistanceXValue = 0;
        int m_nDistanceYValue = 0;
        int m_nNumValue = 0;
        int nsnKeyEditing = 0;
        std::optional<HostInputEvent> evntKeyInput;
    };

    void BuildControls();
    QWidget* BuildFunctions();
    void BuildSide(Side& side);
    void InitControl();
    void SelectDialFuncID();
    void InitSelectItem();
    void ReadyForTableView();
    void InitSelectTableView();
    void SelectRow(Side& side, int tag, int row);
    void ChangeExtraImputArea();
    void ShowSensitivity(Side& side);
    void SetSensitivity(Side& side, long long value);
    void RenewKeyInputInfo(Side& side);
    void ClickKeyInputClear(Side& side);
    void ShowKeyField(Side& side);
    void SetAllColor();
    void Fail(const std::string& key);
    void Log(const std::string& line) const;
    const StringTable& Strings() const;

    ScreenContext& m_ctx;
    DialFuncForm m_form;
    QTimer* m_Timer = nullptr;
    bool m_bInUpdate = false;
    bool m_bFilling = false;
    uint8_t m_bVCStatus = VCSTS_IDLE;
    long lCurrentSelectColorView = 0;
    QPointer<QDialog> m_colorScreen;

    Side m_right;
    Side m_left;
    std::array<QFrame*, 4> m_boxDFTitle{};
    std::array<QLabel*, 4> m_txtDFTitle{};
    std::array<QLineEdit*, 4> m_txtDFName{};
    std::array<QFrame*, 4> m_cvDFColor{};
    std::array<QPushButton*, 4> m_btnDFColorSelect{};
    std::array<QPushButton*, 4> m_btnDFSelect{};
    std::array<QFrame*, 4> m_cvSepa{};
    QPushButton* m_btnHelp = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnSubmit = nullptr;
};

}  // namespace kelvadeck
