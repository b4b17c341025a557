#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>
#include <string>

#include "macro/HostInputEvent.h"
#include "screenlogic/SwitchFuncForm.h"
#include "screens/ScreenContext.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class QWidget;

namespace kelvadeck {

class Stepper;

// The switch function setting screen: assigns a function to one key switch or
// to the dial's push switch of the current mode, picked in three cascading
// tables, with a key (captured from the keyboard) and modifiers, a distance or
// a wheel number where the function needs one. Submit writes the assignment to
// the device; Cancel drops every edit.
class SwichFuncSettingVC : public QDialog {
    Q_OBJECT
public:
    static constexpr uint8_t VCSTS_IDLE = 0;
    static constexpr uint8_t VCSTS_READING = 1;
    static constexpr uint8_t VCSTS_WRITING = 2;

    SwichFuncSettingVC(ScreenContext& context, QWidget* parent = nullptr);
    ~SwichFuncSettingVC() override;

    void SetSwitchFuncID(uint8_t button);
    void StartTimerForUpdateWindow(bool redraw);
    void StopTimerForUpdateWindow();
    void UpdateAppWindow();
    void BlockedControl(bool block);

    void ClickSubmit();
    void ClickCancel();

    uint8_t bVCStatus() const { return m_bVCStatus; }
    const SwitchFuncForm& Form() const { return m_form; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void BuildControls();
    void InitControl();
    void ReadyForTableView();
    void InitSelectTableView();
    void SelectRow(int tag, int row);
    void ChangeExtraImputArea();
    void RenewKeyInputInfo();
    void ClickKeyInputClear();
    void ShowKeyField();
    void Fail(const std::string& key);
    void Log(const std::string& line) const;

    ScreenContext& m_ctx;
    SwitchFuncForm m_form;
    QTimer* m_Timer = nullptr;
    bool m_bInUpdate = false;
    bool m_bFilling = false;
    uint8_t m_bVCStatus = VCSTS_IDLE;
    int nsnKeyEditing = 0;
    std::optional<HostInputEvent> evntKeyInput;
    int m_nDistanceXValue = 0;
    int m_nDistanceYValue = 0;
    int m_nNumValue = 0;

    QListWidget* m_tblCategory = nullptr;
    QListWidget* m_tblApplication = nullptr;
    QListWidget* m_tblDetail = nullptr;
    QLabel* m_lblFuncSettingTitle = nullptr;
    QLabel* m_lblSelectName = nullptr;
    QLabel* m_lblDialFuncDefault = nullptr;
    QComboBox* m_cmbDialFuncDefault = nullptr;
    QWidget* m_cvKeyInputSetting = nullptr;
    QLabel* m_lblKeyInputTitle = nullptr;
    QLineEdit* m_txtKeyInputValue = nullptr;
    QPushButton* m_btnValueClear = nullptr;
    QCheckBox* m_chkControl = nullptr;
    QCheckBox* m_chkShift = nullptr;
    QCheckBox* m_chkAlt = nullptr;
    QCheckBox* m_chkCommand = nullptr;
    QWidget* m_cvDistanceSetting = nullptr;
    QLabel* m_lblDistanceTitle = nullptr;
    QLineEdit* m_txtDistanceValueX = nullptr;
    Stepper* m_stpDistanceValueX = nullptr;
    QLineEdit* m_txtDistanceValueY = nullptr;
    Stepper* m_stpDistanceValueY = nullptr;
    QWidget* m_cvNumInputSetting = nullptr;
    QLabel* m_lblNumInputTitle = nullptr;
    QLineEdit* m_txtNumInputValue = nullptr;
    Stepper* m_stpNumInputValue = nullptr;
    QPushButton* m_btnHelp = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnSubmit = nullptr;
};

}  // namespace kelvadeck
