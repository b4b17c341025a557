#pragma once

#include <QDialog>
#include <QPointer>
#include <array>
#include <cstdint>
#include <string>

#include "screenlogic/DialFuncForm.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenJob.h"

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QWidget;

namespace kelvadeck {

class CatalogueTables;
class FuncInputPanel;

// The dial function setting screen: the four dial functions of the current
// mode, each with a name and an LED colour, and for the function being edited
// what a clockwise and a counter-clockwise step do, picked per side in three
// cascading tables, with a sensitivity and, where the function needs one, a
// key (captured from the keyboard) with modifiers, a distance or a wheel
// number. Submit (or Enter) writes the whole mode to the device; Cancel drops
// every edit (a colour chosen on the LED colour screen is already stored by
// that screen); Escape and the close box ask first when there are edits.
class DialFuncSettingVC : public QDialog {
    Q_OBJECT
public:
    static constexpr uint8_t VCSTS_IDLE = ScreenJob::IDLE;
    static constexpr uint8_t VCSTS_WRITING = 1;
    // Who opens the LED colour screen, as that screen knows it.
    static constexpr int VC_ID = 101;

    DialFuncSettingVC(ScreenContext& context, QWidget* parent = nullptr);
    ~DialFuncSettingVC() override;

    void SetDialFuncID(uint8_t func);
    bool IsTimerRunning() const { return m_job->IsTimerRunning(); }
    void BlockedControl(bool block);

    void ClickDFSelect(int func);
    void ClickLEDColorSelect(long tag);
    void ClickSubmit();
    void ClickCancel();

    uint8_t bVCStatus() const { return m_job->State(); }
    const DialFuncForm& Form() const { return m_form; }
    // The LED colour screen opened from here, while it is open.
    QDialog* ColorScreen() const { return m_colorScreen.data(); }

protected:
    void reject() override;

private:
    // The controls of one turning direction (suffix _R clockwise, _L counter-clockwise).
    struct Side {
        bool right = true;
        QGroupBox* box = nullptr;
        CatalogueTables* tables = nullptr;
        QWidget* cvSensitiveSetting = nullptr;
        QLabel* lblSensitiveTitle = nullptr;
        QSlider* sldSensitiveValue = nullptr;
        QSpinBox* stpSensitiveValue = nullptr;
        QLabel* lblSensitiveMin = nullptr;
        QLabel* lblSensitiveMax = nullptr;
        // The key, distance and number areas.
        FuncInputPanel* inputPanel = nullptr;
        int m_nSensitiveValue = DialFuncForm::SENSITIVITY_HIGHEST;
    };

    void BuildControls();
    QWidget* BuildFunctions();
    void BuildSide(Side& side);
    void InitControl();
    void SelectDialFuncID();
    void InitSelectItem();
    // Both sides' tables show the rows and the choices of the selection.
    void ShowTables();
    void SelectRow(int tag, int row);
    void ChangeExtraImputArea();
    void ShowSensitivity(Side& side);
    void SetSensitivity(Side& side, long long value);
    void RenewKeyInputInfo(Side& side);
    void SetAllColor();
    // "Dial Function 2 — Mode 1".
    void ShowTitle();
    // Writes the mode (the question asked already).
    void Write();

    ScreenContext& m_ctx;
    DialFuncForm m_form;
    ScreenJob* m_job = nullptr;
    bool m_bFilling = false;
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
