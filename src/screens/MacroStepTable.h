#pragma once

#include <QTableWidget>
#include <functional>
#include <vector>

#include "screenlogic/MacroStepKinds.h"

namespace kelvadeck {

class MacroCreator;
class StringTable;

// The macro editor's step list: the script's play mode in row 0, then one
// row per step (number, size, content, value), tinted by the step's kind.
// Rows can be dragged to another place of the same table; the table only
// reports the drag and the drop, the editor decides what moves.
class MacroStepTable : public QTableWidget {
    Q_OBJECT
public:
    static constexpr const char* DRAG_DATA_TYPE = "DragDataType";

    explicit MacroStepTable(QWidget* parent = nullptr);

    void InitControl(const StringTable& s);
    // Shows the script's rows.
    void Show(const MacroCreator& script, const StringTable& s);
    // The tint of a kind's colour group (transparent for none).
    static QColor TintColour(MacroStepKinds::ColourGroup group);

    // Rows about to be dragged; false refuses the drag.
    std::function<bool(const std::vector<int>& rows)> onDragRows;
    // Dropped above a row (rowCount() below the last); false: nothing moved.
    std::function<bool(int aboveRow)> onDropAbove;

signals:
    // Delete (or Backspace) pressed on the table: remove the selected step.
    void deletePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTableWidgetItem*>& items) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace kelvadeck
