#pragma once

#include <QFrame>
#include <array>
#include <cstdint>
#include <string>

#include "screenlogic/MacroStepKinds.h"

class QLabel;

namespace kelvadeck {

class StringTable;

// The macro editor's palette: the seventeen kinds of step, each an item the
// user drags onto the step list. The palette follows the drag itself (the
// pointer shows where a drop is refused) and reports a drop on the list.
class MacroPalette : public QFrame {
    Q_OBJECT
public:
    enum class PanState { Began, Changed, Ended };

    // Drops land on stepList; over slotList the pointer shows that they cannot.
    MacroPalette(QWidget* stepList, QWidget* slotList, QWidget* parent);
    ~MacroPalette() override;

    void InitControl(const StringTable& s);
    // A palette item dragged to pos (the window's coordinates).
    void GetPanAction(PanState state, const std::string& identifier, const QPoint& pos);

signals:
    // An item of this kind was dropped on the step list.
    void dropped(int32_t kind);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ApplyPaletteColours();
    // pos (the window's coordinates) lies over the widget.
    bool IsOver(const QWidget* widget, const QPoint& pos) const;

    QWidget* m_stepList = nullptr;
    QWidget* m_slotList = nullptr;
    std::string m_pstrDragItem;
    bool m_bPaletteDragging = false;
    std::array<QFrame*, MacroStepKinds::PALETTE_SIZE> m_cvControlElem{};
    std::array<QLabel*, MacroStepKinds::PALETTE_SIZE> m_lblControlTitle{};
};

}  // namespace kelvadeck
