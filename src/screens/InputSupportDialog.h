#pragma once

#include <QDialog>

#include "model/MacroDataScript.h"
#include "screenlogic/MacroStepKinds.h"

#include <string>
#include <utility>
#include <vector>

class QButtonGroup;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace kelvadeck {

class DataManager;

// What the seven step dialogs of the macro editor share: the step handed
// over, the title chosen by its kind, the Cancel and confirm buttons, and the
// stepChanged signal on which the editor stores the step and redraws.
//
// A dialog edits its own copy of the step; the editor puts it into the script
// only when the dialog reports a change, so Cancel leaves the script as it
// was, and no pointer into the editor's step list is ever kept while the list
// can grow.
//
// The confirm button (the default one: Enter presses it) works only while the
// controls hold a value the step can take, and the value's control has the
// focus when the dialog opens.
class InputSupportDialog : public QDialog {
    Q_OBJECT
public:
    InputSupportDialog(DataManager& dm, QWidget* parent);

    // The dialog of a kind (null for none).
    static InputSupportDialog* Create(MacroStepKinds::Dialog kind, DataManager& dm, QWidget* parent);

    // Hands the step over, preselects its value and titles the window. The
    // confirm button reads "Add Step" for a step that is not in the script
    // yet, "OK" for a step being changed.
    void SetCurrentMDS(const MacroDataScript& step, bool adding = false);
    const MacroDataScript& CurrentMDS() const { return pclsCurrentMDS; }

    // Reads the controls into the step, reports it and closes (nothing
    // happens while the controls hold no value).
    void ClickSubmit();
    void ClickCancel();

signals:
    void stepChanged();

protected:
    // Builds the dialog's own controls between the title and the buttons.
    QVBoxLayout* Body() const { return m_body; }
    QLabel* MakeTitleLabel(const char* objectName);
    // A group of radio buttons, the button id being the choice's value. A
    // choice with an empty title is a place the device has no button for:
    // it gets no radio button at all.
    QButtonGroup* MakeChoices(const char* groupName, const std::vector<std::pair<int, std::string>>& choices, int columns);
    // Checks the choice of a value when there is one.
    static void Preselect(QButtonGroup* group, int value);
    // Preselects the step's current value.
    virtual void InitSetting() = 0;
    // Writes the controls' value into pclsCurrentMDS through the validation
    // operation of the macro engine.
    virtual void ApplyToStep() = 0;
    // The controls hold a value the step can take (a choice is made).
    virtual bool HasValue() const;
    // The control that has the focus when the dialog opens (the chosen radio
    // button, or the first one).
    virtual QWidget* ValueControl() const;
    // The confirm button follows HasValue.
    void UpdateSubmit();
    // Finishes as the confirm button does, for dialogs that end on an input of their own.
    void Finish();
    void showEvent(QShowEvent* event) override;

    DataManager& m_dm;
    MacroDataScript pclsCurrentMDS;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnSubmit = nullptr;

private:
    QVBoxLayout* m_body = nullptr;
    QButtonGroup* m_choices = nullptr;
};

}  // namespace kelvadeck
