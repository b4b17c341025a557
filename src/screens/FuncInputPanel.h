#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "macro/HostInputEvent.h"
#include "model/MacroDataDialFunc.h"
#include "screenlogic/FuncInputArea.h"

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kelvadeck {

class StringTable;

// The value areas beside the catalogue tables of the switch and the dial
// function screens, one shown at a time as the selection needs: a key
// captured from the keyboard with four modifier boxes, a distance (X and Y),
// or a wheel number, each number a spin box bounded by what the device keeps
// (-127 to 127). The screen hears of every change and hands it to its form.
class FuncInputPanel : public QWidget {
    Q_OBJECT
public:
    // suffix follows every control's name ("" or "_R", "_L"); keyTag and
    // valueTag are the tags of the key controls and of the number fields.
    FuncInputPanel(const QString& suffix, int keyTag, int valueTag, QWidget* parent);

    void InitControl(const StringTable& s);
    // Shows the area and fills it from the action record.
    void Show(FuncInputArea::Area area, const MacroDataDialFunc& action, const StringTable& s);
    // The key field shows the record's key name.
    void ShowKey(const MacroDataDialFunc& action);
    // The key captured last is forgotten.
    void ForgetKey() { evntKeyInput.reset(); }

    // The key captured last (none: only a box changed) and the boxes.
    const HostInputEvent* CapturedKey() const { return evntKeyInput ? &*evntKeyInput : nullptr; }
    FuncInputArea::ModifierBoxes Modifiers() const;

signals:
    // A key was captured or a modifier box clicked.
    void keyChanged();
    void keyCleared();
    void numberChanged(int value);
    void distanceChanged(int x, int y);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildKeyArea(int keyTag);
    // An area of its own name: a row that begins with its title.
    QHBoxLayout* AreaRow(const char* areaName, const char* titleName, QWidget*& area, QLabel*& title);
    QWidget* BuildDistanceArea(int valueTag);
    QWidget* BuildNumberArea(int valueTag);
    // A spin box that edits value; changed follows each edit.
    QSpinBox* AddValueField(QWidget* area, const char* spinName, int valueTag, int* value, const std::function<void()>& changed);
    void EmitDistance() { emit distanceChanged(m_nDistanceXValue, m_nDistanceYValue); }
    void EmitNumber() { emit numberChanged(m_nNumValue); }
    void ClickKeyInputClear();
    QString Name(const char* name) const;

    QString m_suffix;
    std::optional<HostInputEvent> evntKeyInput;
    int m_nDistanceXValue = 0;
    int m_nDistanceYValue = 0;
    int m_nNumValue = 0;

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
    QSpinBox* m_stpDistanceValueX = nullptr;
    QSpinBox* m_stpDistanceValueY = nullptr;
    QWidget* m_cvNumInputSetting = nullptr;
    QLabel* m_lblNumInputTitle = nullptr;
    QSpinBox* m_stpNumInputValue = nullptr;
};

}  // namespace kelvadeck
