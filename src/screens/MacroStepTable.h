#pragma once

#include <QTableWidget>
#include <functional>
#include <vector>

namespace kelvadeck {

// The macro editor's step list: a table whose rows can be dragged to another
// place of the same table. It only reports the drag and the drop; the editor
// decides what moves (rows as the table shows them, row 0 being the mode).
class MacroStepTable : public QTableWidget {
    Q_OBJECT
public:
    static constexpr const char* DRAG_DATA_TYPE = "DragDataType";

    explicit MacroStepTable(QWidget* parent = nullptr);

    // Rows about to be dragged; false refuses the drag.
    std::function<bool(const std::vector<int>& rows)> onDragRows;
    // Dropped above a row (rowCount() below the last); false: nothing moved.
    std::function<bool(int aboveRow)> onDropAbove;

protected:
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QList<QTableWidgetItem*>& items) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace kelvadeck
