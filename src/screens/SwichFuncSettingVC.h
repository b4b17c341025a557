#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

#include "screenlogic/SwitchFuncForm.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenJob.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace kelvadeck {

class CatalogueTables;
class FuncInputPanel;

// The switch function setting screen: assigns a function to one key switch or
// to the dial's push switch of the current mode, picked in three cascading
// tables, with a key (captured from the keyboard) and modifiers, a distance or
// a wheel number where the function needs one. Submit writes the assignment to
// the device (Enter does too); Cancel drops every edit; Escape and the close
// box ask first when there are edits.
class SwichFuncSettingVC : public QDialog {
    Q_OBJECT
public:
    static constexpr uint8_t VCSTS_IDLE = ScreenJob::IDLE;
    static constexpr uint8_t VCSTS_READING = 1;
    static constexpr uint8_t VCSTS_WRITING = 2;

    SwichFuncSettingVC(ScreenContext& context, QWidget* parent = nullptr);
    ~SwichFuncSettingVC() override;

    void SetSwitchFuncID(uint8_t button);
    void BlockedControl(bool block);

    void ClickSubmit();
    void ClickCancel();

    uint8_t bVCStatus() const { return m_job->State(); }
    const SwitchFuncForm& Form() const { return m_form; }

protected:
    void reject() override;

private:
    void BuildControls();
    void InitControl();
    // The three tables show the rows and the choices of the selection.
    void ShowTables();
    void SelectRow(int tag, int row);
    void ChangeExtraImputArea();
    void RenewKeyInputInfo();
    // Writes the assignment (the question asked already).
    void Write();
    // Follows the form's write: the sector read first, the write, or why neither started.
    void FollowSubmit(SwitchFuncForm::Submitted submitted, const std::string& errorKey);

    ScreenContext& m_ctx;
    SwitchFuncForm m_form;
    ScreenJob* m_job = nullptr;

    CatalogueTables* m_tables = nullptr;
    QLabel* m_lblFuncSettingTitle = nullptr;
    QLabel* m_lblSelectNameTitle = nullptr;
    QLabel* m_lblSelectName = nullptr;
    QLabel* m_lblDialFuncDefault = nullptr;
    QComboBox* m_cmbDialFuncDefault = nullptr;
    FuncInputPanel* m_inputPanel = nullptr;
    QPushButton* m_btnHelp = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnSubmit = nullptr;
};

}  // namespace kelvadeck
