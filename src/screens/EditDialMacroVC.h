#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "model/DialMacroInfo.h"
#include "screens/ScreenContext.h"
#include "screens/ScreenJob.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kelvadeck {

// The dial macro editor: which of the three user dial macros is edited, its
// 32 places (each no script or one of the user's scripts) and its loop flag.
// Apply writes the set with the unset places dropped and the rest closed up;
// the screen closes when the device has taken it, and stays open with a
// message when it has not. Rows not yet applied are asked about before
// another set is chosen or the screen closes.
class EditDialMacroVC : public QDialog {
    Q_OBJECT
public:
    EditDialMacroVC(ScreenContext& context, QWidget* parent = nullptr);
    ~EditDialMacroVC() override;

    // Called by the opener before the screen is shown: the first set.
    void SetDialMacroInfo();
    void comboBoxSelectionIsChanging(int index);
    void ClickSubmit();
    void ClickCancel();
    void ClickHelp();
    void BlockedControl(bool block);
    bool IsTimerRunning() const { return m_job->IsTimerRunning(); }

    uint8_t bCurrentDialMacroNo() const { return m_bCurrentDialMacroNo; }
    uint8_t bVCStatus() const { return m_job->State(); }
    // The script number each row has chosen (0: none).
    std::vector<int> RowSelections() const;

protected:
    void reject() override;

private:
    void BuildControls();
    void LoadSet();
    const DialMacroInfo& CurrentSet() const;
    // The rows or the loop box differ from the set being edited.
    bool HasChanges() const;
    // The set box shows a set without reloading the rows.
    void ShowSetChoice(uint8_t set);
    void ChooseSet(uint8_t set);
    // Writes the rows into the set being edited (the question asked already).
    void Write(const ScreenJob::Ended& written);
    void ShowConnectionState(bool connected);
    std::string T(const char* key) const;

    // The state while the set is being written.
    static constexpr uint8_t VCSTS_WRITING = 1;

    ScreenContext& m_ctx;
    ScreenJob* m_job = nullptr;
    uint8_t m_bCurrentDialMacroNo = 0;

    QComboBox* m_cmbSelectDialMacroFuncNo = nullptr;
    QCheckBox* m_chkLoopFlag = nullptr;
    QTableWidget* m_tblMacroList = nullptr;
    std::vector<QComboBox*> m_cmbRows;
    QLabel* m_lblUSBStatusTitle = nullptr;
    QLabel* m_lblUSBStatus = nullptr;
    QPushButton* m_btnHelp = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnSubmit = nullptr;
};

}  // namespace kelvadeck
